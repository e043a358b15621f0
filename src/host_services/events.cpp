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

void firePlainEvent(ControlInstance* instance, const EventDefinition& event) {
    auto handler = reinterpret_cast<PlainEventHandler>(handlerOf(instance, event));
    if (handler) handler(instance);
}

bool fireBooleanMouseEvent(ControlInstance* instance, const EventDefinition& event, int32_t x, int32_t y) {
    const HostPoint origin = controlOrigin(instance);
    auto handler = reinterpret_cast<BooleanMouseEventHandler>(handlerOf(instance, event));
    return handler ? handler(instance, x - origin.h, y - origin.v) != 0 : false;
}

void firePlainMouseEvent(ControlInstance* instance, const EventDefinition& event, int32_t x, int32_t y) {
    const HostPoint origin = controlOrigin(instance);
    auto handler = reinterpret_cast<MouseEventHandler>(handlerOf(instance, event));
    if (handler) handler(instance, x - origin.h, y - origin.v);
}

bool forwardMouseDown(ControlInstance* instance, const ControlDefinition& definition, int32_t x, int32_t y) {
    return fireBooleanMouseEvent(instance, definition.events[kMouseDownEvent], x, y);
}

void forwardMouseDrag(ControlInstance* instance, const ControlDefinition& definition, int32_t x, int32_t y) {
    firePlainMouseEvent(instance, definition.events[kMouseDragEvent], x, y);
}

void forwardMouseUp(ControlInstance* instance, const ControlDefinition& definition, int32_t x, int32_t y) {
    firePlainMouseEvent(instance, definition.events[kMouseUpEvent], x, y);
}

}  // namespace control_events
