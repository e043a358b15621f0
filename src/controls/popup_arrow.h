// PopupArrow: a small solid black triangle in one of eight shapes, which
// hands all mouse input to the application. Its triangle painter is shared
// with the bevel button's classic menu arrow.
#pragma once

#include <cstddef>
#include <cstdint>

#include <windows.h>

#include "base/high_contrast.h"
#include "plugin_interface.h"

namespace popup_arrow {

// Facing values, in the order of the property's enumeration.
enum Facing : int32_t {
    kRightLarge = 0,
    kLeftLarge = 1,
    kUpLarge = 2,
    kDownLarge = 3,
    kRightSmall = 4,
    kLeftSmall = 5,
    kUpSmall = 6,
    kDownSmall = 7,
};
constexpr int32_t kFacingCount = 8;

struct InstanceData {
    int32_t reserved0;
    int32_t facing;  // Facing, 0 to 7; the host writes it directly
    int32_t reserved8;
};

#if defined(__i386__)
static_assert(sizeof(InstanceData) == 12 && offsetof(InstanceData, facing) == 4, "the host's layout");
#endif

// Everything a paint depends on besides the device context and the bounds.
struct ArrowLook {
    int32_t facing;
};

// Paints the triangle of the look's facing anchored at the anchor
// rectangle's top-left corner (its right and bottom are not used), in the
// colours of the high-contrast setting as it is now.
void paintArrowShape(HDC dc, const HostRect& anchor, const ArrowLook& look);

// The triangle itself, anchored at (left, top): filled with the stock black
// brush and outlined with the device context's current pen, or under high
// contrast both in the arrow's system colour. The bevel button's menu arrows
// use it too. A facing outside 0 to 7 paints nothing.
void paintArrowTriangle(HDC dc, int32_t left, int32_t top, int32_t facing, const Palette& palette);

// The mouse callbacks are control_events::MouseForwarding's.
void draw(ControlInstance* instance, HostGraphics graphics);  // also the drawOffscreen slot

}  // namespace popup_arrow

extern ControlDefinition gPopupArrowDefinition;
