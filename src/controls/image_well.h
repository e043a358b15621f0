// ImageWell: a sunken frame with a black border and a white interior showing
// one picture, centred when it fits and anchored top-left and cut off when it
// does not. Mouse input goes to the application's handlers.
#pragma once

#include <cstddef>
#include <cstdint>

#include <windows.h>

#include "host_services/surface.h"
#include "plugin_interface.h"

namespace image_well {

struct InstanceData {
    int32_t reserved0;
    PictureDescription description;  // locked for as long as image is held
    HostObject image;                // Image; nil when the well is empty
};

#if defined(__i386__)
static_assert(sizeof(InstanceData) == 32, "InstanceData");
static_assert(offsetof(InstanceData, description) == 4, "description");
static_assert(offsetof(InstanceData, image) == 28, "image");
#endif

// The white interior: the bounds inset by 2 on every side.
RECT interiorOf(const HostRect& bounds);

// Where a picture of the given size goes in the interior: centred in each
// direction it fits, else starting at the interior's edge (an odd spare pixel
// goes right or down). False when nothing of it can show: an empty interior,
// a width or height that is not positive, or a far edge beyond the host's
// 16-bit coordinates.
bool placePicture(const RECT& interior, int32_t width, int32_t height, RECT* picture);

// Everything a paint depends on besides the device context and the bounds.
struct WellLook {
    HostObject image;  // nil: an empty well
    int32_t width;     // the picture's size, from its description
    int32_t height;
    Surface surface;  // where the clip region's origin lies
};

// Paints the well; the picture (when there is one) through the host's
// drawPicturePrimitive, clipped to the interior from its top-left corner on.
void paintWell(HDC dc, const HostRect& bounds, const WellLook& look);

void destruct(ControlInstance* instance);
void draw(ControlInstance* instance, HostGraphics graphics);
void drawOffscreen(ControlInstance* instance, HostGraphics graphics);
// Refuses the press while disabled; otherwise hands it on. Drag and release
// go to the application whatever the state (control_events::MouseForwarding).
HostBoolean mouseDown(ControlInstance* instance, int32_t x, int32_t y);

// The Image setter: takes the new picture and its description, gives back
// the old ones, and asks for a redraw.
void setImage(ControlInstance* instance, int32_t param, void* picture);

}  // namespace image_well

extern ControlDefinition gImageWellDefinition;
