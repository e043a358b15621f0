#include "frame/shared_callbacks.h"

void CloseNoOp(ControlInstance*) {}

void StateChangedNoOp(ControlInstance*) {}

void Slot13NoOp(ControlInstance*) {}

int32_t HandleQueryZero(ControlInstance*) { return 0; }
