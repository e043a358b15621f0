// Firing the events that the small controls declare: the application's
// handler is looked up per call, and mouse positions reach it relative to the
// control's top-left corner.
#pragma once

#include <cstdint>

#include "plugin_interface.h"

namespace control_events {

// Positions of the mouse events in the event table of every class that
// declares the three of them (image well, popup arrow, placard).
constexpr int32_t kMouseDownEvent = 0;
constexpr int32_t kMouseDragEvent = 1;
constexpr int32_t kMouseUpEvent = 2;

// Calls the handler of a parameterless event, when the application has one.
void firePlainEvent(ControlInstance* instance, const EventDefinition& event);

// Each reads the bounds and calls the class's handler with (x - left, y - top).
// Without a MouseDown handler the answer is false; without the others nothing
// happens.
bool forwardMouseDown(ControlInstance* instance, const ControlDefinition& definition, int32_t x, int32_t y);
void forwardMouseDrag(ControlInstance* instance, const ControlDefinition& definition, int32_t x, int32_t y);
void forwardMouseUp(ControlInstance* instance, const ControlDefinition& definition, int32_t x, int32_t y);

}  // namespace control_events
