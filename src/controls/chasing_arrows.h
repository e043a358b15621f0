// ChasingArrows: a 16 x 16 busy indicator, two black arrows chasing each
// other clockwise. Each idle call on a visible control advances one of
// eight frames and paints it at once.
#pragma once

#include <cstddef>
#include <cstdint>

#include <windows.h>

#include "plugin_interface.h"

namespace chasing_arrows {

constexpr int32_t kFrameCount = 8;

struct InstanceData {
    int32_t reserved0;
    int32_t frameIndex;  // the frame shown, 0 to 7
    int32_t reserved8;
};

#if defined(__i386__)
static_assert(sizeof(InstanceData) == 12 && offsetof(InstanceData, frameIndex) == 4, "the host's layout");
#endif

// Everything a paint depends on besides the device context and the bounds.
struct ArrowsLook {
    int32_t frame;          // outside 0 to 7 nothing is painted
    COLORREF background;    // fills the square first
    bool parentBackground;  // then the parent's themed background over it
    HWND window;            // whose parent background is painted
};

// Paints one frame in the 16 x 16 square anchored at the bounds' top-left
// corner.
void paintFrame(HDC dc, const HostRect& bounds, const ArrowsLook& look);

void construct(ControlInstance* instance);
void destruct(ControlInstance* instance);
void draw(ControlInstance* instance, HostGraphics graphics);  // also the drawOffscreen slot
void idle(ControlInstance* instance);

}  // namespace chasing_arrows

extern ControlDefinition gChasingArrowsDefinition;
