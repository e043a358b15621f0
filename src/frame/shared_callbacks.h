// Callbacks that several classes share and that do nothing.
#pragma once

#include "plugin_interface.h"

void CloseNoOp(ControlInstance* instance);
void StateChangedNoOp(ControlInstance* instance);
void Slot13NoOp(ControlInstance* instance);
int32_t HandleQueryZero(ControlInstance* instance);
