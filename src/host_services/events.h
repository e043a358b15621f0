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
// clang-format off
#define MOUSE_EVENT_ROWS \
    {control_events::kMouseDownDeclaration, 0}, {control_events::kMouseDragDeclaration, 0}, \
    {control_events::kMouseUpDeclaration, 0}
// clang-format on

// Surviving the application. Any call into it (an event handler, a
// receiver's PerformAction, the popup menu's modal loop) may destroy the
// control that made it, or others, or every control of the window. The
// caller holds a Survival of its control across the call; the control's
// destruct tells every Survival of it, and after the call the caller asks
// survived() before it touches anything of the control again: its block,
// a host call naming it, the lists that destruct frees. Survivals nest (a
// handler may click another control), each costs a push and a pop of a
// node on the caller's stack, and paints hold none.
class Survival {
public:
    explicit Survival(ControlInstance* instance) : instance_(instance), outer_(innermost_) { innermost_ = this; }
    ~Survival() { innermost_ = outer_; }
    Survival(const Survival&) = delete;
    Survival& operator=(const Survival&) = delete;

    bool survived() const { return instance_ != nullptr; }

    // Called by each class's destruct: every Survival of instance now says
    // it is gone.
    static void destroyed(ControlInstance* instance);

private:
    ControlInstance* instance_;
    Survival* outer_;
    static Survival* innermost_;
};

// What became of an event: the handler's answer (false without a handler,
// and for plain events) and whether the control outlived it.
struct Fired {
    bool answer;
    bool survived;
};

// Calls the handler of a parameterless event, when the application has one.
Fired firePlainEvent(ControlInstance* instance, const EventDefinition& event);

// Each reads the bounds and calls the handler of a mouse event with
// (x - left, y - top). A Boolean event ("... As Boolean") answers the
// handler's result, false without a handler; a plain one answers false.
Fired fireBooleanMouseEvent(ControlInstance* instance, const EventDefinition& event, int32_t x, int32_t y);
Fired firePlainMouseEvent(ControlInstance* instance, const EventDefinition& event, int32_t x, int32_t y);

// The three mouse events of a class that declares them: MouseDown is
// Boolean, MouseDrag and MouseUp are plain. They touch nothing of the control
// after the handler. A MouseDown that destroyed its control answers false, so
// that the host tracks no press on it, where the class learns of it: the
// image well, through its destruct. The popup arrow and the placard have no
// destruct and answer what the handler answered.
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
