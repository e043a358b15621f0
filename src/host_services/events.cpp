#include "host_services/events.h"

#include "host_services/resolver.h"

namespace control_events {

// The bounds' top-left corner, which mouse positions are made relative to.
static HostPoint controlOrigin(ControlInstance* instance) {
    HostRect bounds{};
    host::GetControlBounds(instance, &bounds);
    return HostPoint{bounds.top, bounds.left};
}

static void* handlerOf(ControlInstance* instance, const EventDefinition& event) {
    return host::GetEventInstance(instance, event.hostEventId);
}

Survival* Survival::innermost_ = nullptr;

void Survival::destroyed(ControlInstance* instance) {
    for (Survival* survival = innermost_; survival != nullptr; survival = survival->outer_) {
        if (survival->instance_ == instance) survival->instance_ = nullptr;
    }
}

Fired firePlainEvent(ControlInstance* instance, const EventDefinition& event) {
    auto handler = reinterpret_cast<PlainEventHandler>(handlerOf(instance, event));
    if (!handler) return Fired{false, true};
    Survival survival(instance);
    handler(instance);
    return Fired{false, survival.survived()};
}

Fired fireBooleanMouseEvent(ControlInstance* instance, const EventDefinition& event, int32_t x, int32_t y) {
    const HostPoint origin = controlOrigin(instance);
    auto handler = reinterpret_cast<BooleanMouseEventHandler>(handlerOf(instance, event));
    if (!handler) return Fired{false, true};
    Survival survival(instance);
    const bool answer = handler(instance, x - origin.h, y - origin.v) != 0;
    return Fired{answer, survival.survived()};
}

Fired firePlainMouseEvent(ControlInstance* instance, const EventDefinition& event, int32_t x, int32_t y) {
    const HostPoint origin = controlOrigin(instance);
    auto handler = reinterpret_cast<MouseEventHandler>(handlerOf(instance, event));
    if (!handler) return Fired{false, true};
    Survival survival(instance);
    handler(instance, x - origin.h, y - origin.v);
    return Fired{false, survival.survived()};
}

bool forwardMouseDown(ControlInstance* instance, const ControlDefinition& definition, int32_t x, int32_t y) {
    const Fired fired = fireBooleanMouseEvent(instance, definition.events[kMouseDownEvent], x, y);
    return fired.survived && fired.answer;
}

void forwardMouseDrag(ControlInstance* instance, const ControlDefinition& definition, int32_t x, int32_t y) {
    firePlainMouseEvent(instance, definition.events[kMouseDragEvent], x, y);
}

void forwardMouseUp(ControlInstance* instance, const ControlDefinition& definition, int32_t x, int32_t y) {
    firePlainMouseEvent(instance, definition.events[kMouseUpEvent], x, y);
}

}  // namespace control_events
