#include "controls/control_events.h"

#include "frame/host_services.h"

namespace control_events {

static void* handlerOf(ControlInstance* instance, const ControlDefinition& definition, int32_t eventIndex) {
    return host::GetEventInstance(instance, definition.events[eventIndex].hostEventId);
}

// The bounds' top-left corner, which mouse positions are made relative to.
static HostPoint controlOrigin(ControlInstance* instance) {
    HostRect bounds{};
    host::GetControlBounds(instance, &bounds);
    return HostPoint{bounds.top, bounds.left};
}

static void forwardPlainMouseEvent(ControlInstance* instance, const ControlDefinition& definition, int32_t eventIndex,
                                   int32_t x, int32_t y) {
    const HostPoint origin = controlOrigin(instance);
    auto handler = reinterpret_cast<MouseEventHandler>(handlerOf(instance, definition, eventIndex));
    if (handler) handler(instance, x - origin.h, y - origin.v);
}

void firePlainEvent(ControlInstance* instance, const EventDefinition& event) {
    auto handler = reinterpret_cast<PlainEventHandler>(host::GetEventInstance(instance, event.hostEventId));
    if (handler) handler(instance);
}

bool forwardMouseDown(ControlInstance* instance, const ControlDefinition& definition, int32_t x, int32_t y) {
    const HostPoint origin = controlOrigin(instance);
    auto handler = reinterpret_cast<BooleanMouseEventHandler>(handlerOf(instance, definition, kMouseDownEvent));
    return handler ? handler(instance, x - origin.h, y - origin.v) != 0 : false;
}

void forwardMouseDrag(ControlInstance* instance, const ControlDefinition& definition, int32_t x, int32_t y) {
    forwardPlainMouseEvent(instance, definition, kMouseDragEvent, x, y);
}

void forwardMouseUp(ControlInstance* instance, const ControlDefinition& definition, int32_t x, int32_t y) {
    forwardPlainMouseEvent(instance, definition, kMouseUpEvent, x, y);
}

}  // namespace control_events
