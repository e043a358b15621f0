// DisclosureTriangle: a clickable triangle pointing sideways (collapsed) or
// down (expanded). A click released inside flips Value and fires "Action".
#pragma once

#include <cstddef>
#include <cstdint>

#include <windows.h>

#include "plugin_interface.h"

namespace disclosure_triangle {

struct InstanceData {
    int32_t reserved0;
    uint8_t value;  // Value: 0 collapsed, any other byte expanded
    uint8_t padding5[3];
    int32_t facing;  // Facing: 0 the collapsed triangle points right, else left
    int32_t reserved12;
    uint8_t pressed;  // 1 while the press is inside the bounds
    uint8_t padding17[3];
};

#if defined(__i386__)
static_assert(sizeof(InstanceData) == 20 && offsetof(InstanceData, value) == 4 && offsetof(InstanceData, facing) == 8 &&
                  offsetof(InstanceData, pressed) == 16,
              "the host's layout");
#endif

// Everything a paint depends on besides the device context and the bounds.
struct TriangleLook {
    int32_t facing;
    uint8_t value;
    bool enabled;
    bool pressed;
};

// Paints the triangle anchored at the bounds' top-left corner; it covers at
// most 11 x 11 pixels from there, whatever the size of the bounds.
void paintTriangle(HDC dc, const HostRect& bounds, const TriangleLook& look);

void construct(ControlInstance* instance);
void draw(ControlInstance* instance, HostGraphics graphics);  // also the drawOffscreen slot
HostBoolean mouseDown(ControlInstance* instance, int32_t x, int32_t y);
void mouseDrag(ControlInstance* instance, int32_t x, int32_t y);
void mouseUp(ControlInstance* instance, int32_t x, int32_t y);
void action(ControlInstance* instance, int32_t ignored);

// The Value setter: stores the low byte and asks for a redraw; fires nothing.
void setValue(ControlInstance* instance, int32_t param, int32_t value);

}  // namespace disclosure_triangle

extern ControlDefinition gDisclosureTriangleDefinition;
