// Firing the events that the controls declare: the application's handler is
// looked up per call, and mouse positions reach it relative to the control's
// top-left corner. Every control fires its events through here.
#pragma once

#include <cstdint>

#include "plugin_interface.h"

namespace control_events {

// Positions of the mouse events in the event table of every class that
// declares the three of them (image well, popup arrow, placard).
constexpr int32_t kMouseDownEvent = 0;
constexpr int32_t kMouseDragEvent = 1;
constexpr int32_t kMouseUpEvent = 2;

// Their declarations, the same in each of those classes, for the rows of
// each class's own (writable) event table: MOUSE_EVENT_ROWS.
constexpr const char* kMouseDownDeclaration = "MouseDown(X As Integer, Y As Integer) As Boolean";
constexpr const char* kMouseDragDeclaration = "MouseDrag(X As Integer, Y As Integer)";
constexpr const char* kMouseUpDeclaration = "MouseUp(X As Integer, Y As Integer)";
#define MOUSE_EVENT_ROWS                                                                      \
    {control_events::kMouseDownDeclaration, 0}, {control_events::kMouseDragDeclaration, 0}, { \
        control_events::kMouseUpDeclaration, 0                                                \
    }

// Calls the handler of a parameterless event, when the application has one.
void firePlainEvent(ControlInstance* instance, const EventDefinition& event);

// Each reads the bounds and calls the handler of a mouse event with
// (x - left, y - top). A Boolean event ("... As Boolean") answers the
// handler's result, false without a handler; a plain one answers nothing.
bool fireBooleanMouseEvent(ControlInstance* instance, const EventDefinition& event, int32_t x, int32_t y);
void firePlainMouseEvent(ControlInstance* instance, const EventDefinition& event, int32_t x, int32_t y);

// The three mouse events of a class that declares them: MouseDown is
// Boolean, MouseDrag and MouseUp are plain.
bool forwardMouseDown(ControlInstance* instance, const ControlDefinition& definition, int32_t x, int32_t y);
void forwardMouseDrag(ControlInstance* instance, const ControlDefinition& definition, int32_t x, int32_t y);
void forwardMouseUp(ControlInstance* instance, const ControlDefinition& definition, int32_t x, int32_t y);

// The mouse callbacks of a class that hands the mouse to the application
// (popup arrow, placard; the image well's drag and release), for its
// callback table: each fires the class's own event.
template <const ControlDefinition& kDefinition>
struct MouseForwarding {
    static HostBoolean mouseDown(ControlInstance* instance, int32_t x, int32_t y) {
        return forwardMouseDown(instance, kDefinition, x, y);
    }
    static void mouseDrag(ControlInstance* instance, int32_t x, int32_t y) {
        forwardMouseDrag(instance, kDefinition, x, y);
    }
    static void mouseUp(ControlInstance* instance, int32_t x, int32_t y) {
        forwardMouseUp(instance, kDefinition, x, y);
    }
};

}  // namespace control_events
