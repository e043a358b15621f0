// LittleArrows: an up arrow over a down arrow, 13 x 23 pixels. A press fires
// "Up" or "Down" at once; holding it repeats the event after a delay. Drawn
// with the "Spin" theme class where visual styles are on, else with GDI.
#pragma once

#include <cstddef>
#include <cstdint>

#include <windows.h>

#include "plugin_interface.h"
#include "base/theme_api.h"

namespace little_arrows {

// Halves, as stored in pressedPart, drawnPart and hotPart.
enum Part : int32_t { kNoPart = 0, kUpPart = 1, kDownPart = 2 };

struct InstanceData {
    // The instance's "Spin" theme, opened by construct; null draws the
    // classic look. It lies where the host's layout has a word that nothing
    // else uses (on 64-bit systems the block widens for it).
    ThemeHandle spinTheme;
    int32_t pressedPart;  // the half the current press began on
    int32_t drawnPart;    // the half tracking last drew pressed
    uint32_t pressTick;   // TickCount16 at the press
    uint8_t hotPart;      // the half under the pointer, themed controls only
    uint8_t padding17[3];
};

#if defined(__i386__)
static_assert(sizeof(InstanceData) == 20 && offsetof(InstanceData, spinTheme) == 0 &&
                  offsetof(InstanceData, pressedPart) == 4 && offsetof(InstanceData, drawnPart) == 8 &&
                  offsetof(InstanceData, pressTick) == 12 && offsetof(InstanceData, hotPart) == 16,
              "the host's layout");
#endif

// The half under (x, y) for a control anchored at the bounds' top-left
// corner, or kNoPart when the point lies outside its 13 x 23 pixels. Only
// the anchor of the bounds counts. Read from the same table of halves that
// painting uses.
Part partAt(const HostRect& bounds, int32_t x, int32_t y);

// Everything a paint depends on besides the device context and the bounds.
struct ArrowsLook {
    int32_t pressedPart;
    bool enabled;
    ThemeHandle theme;  // null: classic drawing
    uint8_t hotPart;
};

// Paints both halves anchored at the bounds' top-left corner.
void paintArrows(HDC dc, const HostRect& bounds, const ArrowsLook& look);

void construct(ControlInstance* instance);
void destruct(ControlInstance* instance);
void draw(ControlInstance* instance, HostGraphics graphics);
void drawOffscreen(ControlInstance* instance, HostGraphics graphics);
HostBoolean mouseDown(ControlInstance* instance, int32_t x, int32_t y);
void mouseDrag(ControlInstance* instance, int32_t x, int32_t y);
void mouseUp(ControlInstance* instance, int32_t x, int32_t y);
void mouseMove(ControlInstance* instance, int32_t x, int32_t y);
void mouseExit(ControlInstance* instance);

}  // namespace little_arrows

extern ControlDefinition gLittleArrowsDefinition;
