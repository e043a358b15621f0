// Placard: a black-framed panel, raised when Value is false and pushed in
// when it is true, drawn flat in fixed greys when disabled. Mouse input goes
// to the application's handlers.
#pragma once

#include <cstddef>
#include <cstdint>

#include <windows.h>

#include "plugin_interface.h"

namespace placard {

struct InstanceData {
    int32_t reserved0;
    uint8_t value;  // Value: 0 raised, any other byte pushed in
    uint8_t padding5[3];
};

#if defined(__i386__)
static_assert(sizeof(InstanceData) == 8, "InstanceData");
static_assert(offsetof(InstanceData, value) == 4, "value");
#endif

// Everything a paint depends on besides the device context and the bounds.
struct PlacardLook {
    bool value;  // pushed in
    bool enabled;
};

// Paints the placard over the whole bounds; nothing when they are empty.
void paintPlacard(HDC dc, const HostRect& bounds, const PlacardLook& look);

// The mouse callbacks are control_events::MouseForwarding's.
void draw(ControlInstance* instance, HostGraphics graphics);  // also the drawOffscreen slot

// The Value setter: stores the low byte and always asks for a redraw.
void setValue(ControlInstance* instance, int32_t param, int32_t value);

}  // namespace placard

extern ControlDefinition gPlacardDefinition;
