#include "controls/chasing_arrows.h"

#include "base/high_contrast.h"
#include "base/theme_api.h"
#include "host_services/instance_data.h"
#include "host_services/records.h"
#include "host_services/resolver.h"
#include "host_services/surface.h"

namespace chasing_arrows {

static InstanceData& dataOf(ControlInstance* instance) {
    return *InstanceDataOf<InstanceData>(instance, gChasingArrowsDefinition);
}

// ---- geometry: frames as points from the square's top-left corner ---------------

constexpr int32_t kSquareSize = 16;
// A half turn about the square's centre maps (x, y) to (kTurnSum - x, kTurnSum - y).
constexpr int32_t kTurnSum = kSquareSize - 1;
// Pairs 1 to 3 of a frame are the arrowhead; the rest is the tail.
constexpr int32_t kHeadPairs = 3;

// Eight frames back to back, as (x, y) pairs from the square's top-left.
static constexpr uint8_t kChasingFrames[] = {
    11, 7,  15, 7,  14, 9,  5,  3,  6,  2,  9,  2,  11, 3,  13, 6,  13, 9,         // frame 0
    11, 8,  14, 9,  12, 11, 7,  2,  9,  2,  11, 3,  13, 6,  12, 11,                // frame 1
    11, 10, 13, 12, 10, 12, 9,  2,  11, 3,  13, 6,  12, 11, 10, 12,                // frame 2
    9,  11, 11, 14, 8,  13, 11, 3,  13, 6,  12, 11, 10, 12, 8,  13,                // frame 3
    8,  11, 8,  15, 6,  13, 12, 5,  13, 6,  12, 11, 10, 12, 8,  13, 6,  13,        // frame 4
    6,  14, 7,  11, 4,  12, 13, 7,  12, 11, 10, 12, 8,  13, 6,  13, 4,  12,        // frame 5
    3,  13, 5,  11, 3,  10, 12, 11, 10, 12, 8,  13, 6,  13, 4,  12, 3,  10,        // frame 6
    1,  11, 4,  9,  2,  8,  12, 11, 10, 12, 8,  13, 6,  13, 4,  12, 3,  10, 2, 8,  // frame 7
};
static constexpr int32_t kFramePairs[kFrameCount] = {9, 8, 8, 8, 9, 9, 9, 10};
static_assert(sizeof(kChasingFrames) == 2 * (9 + 8 + 8 + 8 + 9 + 9 + 9 + 10), "kChasingFrames");

static const uint8_t* framePairs(int32_t frame) {
    const uint8_t* pairs = kChasingFrames;
    for (int32_t i = 0; i < frame; ++i) pairs += 2 * kFramePairs[i];
    return pairs;
}

// Pair k of the frame at (left, top), turned half a turn when asked.
static POINT framePoint(const uint8_t* pairs, int32_t k, int32_t left, int32_t top, bool turned) {
    const int32_t x = pairs[2 * k];
    const int32_t y = pairs[2 * k + 1];
    if (turned) return POINT{left + kTurnSum - x, top + kTurnSum - y};
    return POINT{left + x, top + y};
}

// ---- look ----------------------------------------------------------------------------

// The frame shown, on the background the host names; the parent's themed
// background goes by the system version alone.
static ArrowsLook lookOf(ControlInstance* instance) {
    ArrowsLook look{dataOf(instance).frameIndex, 0, false, nullptr};
    // A host without ZOKASetSpecialBackground leaves the button face. The
    // system colour is asked only then: the query is a call into the system,
    // some 80 ns, a thirtieth of the whole frame.
    uint32_t colour = 0;
    look.background = host::ZOKASetSpecialBackground(instance, &colour) ? colour : GetSysColor(COLOR_BTNFACE);
    if (IsWindowsXP()) {
        look.parentBackground = true;
        look.window = host::ZOKAGetControlHandle(instance);
    }
    return look;
}

// ---- painter ---------------------------------------------------------------------------

static void paintArrow(HDC dc, int32_t left, int32_t top, int32_t frame, bool turned, const Palette& palette) {
    const uint8_t* pairs = framePairs(frame);
    // The head's vertices go pair 1, pair 3, pair 2.
    const POINT head[kHeadPairs] = {framePoint(pairs, 0, left, top, turned), framePoint(pairs, 2, left, top, turned),
                                    framePoint(pairs, 1, left, top, turned)};
    HGDIOBJ keptBrush = SelectObject(dc, palette.brush(Element::kArrow));
    Polygon(dc, head, kHeadPairs);
    SelectObject(dc, keptBrush);

    const POINT start = framePoint(pairs, kHeadPairs, left, top, turned);
    MoveToEx(dc, start.x, start.y, nullptr);
    for (int32_t k = kHeadPairs + 1; k < kFramePairs[frame]; ++k) {
        const POINT point = framePoint(pairs, k, left, top, turned);
        LineTo(dc, point.x, point.y);
    }
}

void paintFrame(HDC dc, const HostRect& bounds, const ArrowsLook& look) {
    if (look.frame < 0 || look.frame >= kFrameCount) return;
    const int32_t left = bounds.left;
    const int32_t top = bounds.top;
    const RECT square{left, top, left + kSquareSize, top + kSquareSize};
    HBRUSH background = CreateSolidBrush(look.background);
    FillRect(dc, &square, background);
    DeleteObject(background);
    if (look.parentBackground) ThemeDrawParentBackground(look.window, dc, &square);
    const Palette palette = Palette::ofSetting();
    PaintOutlined(dc, palette, [&] {
        paintArrow(dc, left, top, look.frame, false, palette);
        paintArrow(dc, left, top, look.frame, true, palette);
    });
}

// ---- callbacks -------------------------------------------------------------------------

void construct(ControlInstance*) { AcquireControlTheme(nullptr); }

void destruct(ControlInstance*) { ReleaseControlTheme(nullptr); }

// The background is asked of the host while the frame is painted, once the
// device context is there: the host sees the order in which painting a frame
// asks for it.
static void paintOn(ControlInstance* instance, HostGraphics graphics, const HostRect& bounds) {
    PaintOn(graphics, [&](HDC dc) { paintFrame(dc, bounds, lookOf(instance)); });
}

void draw(ControlInstance* instance, HostGraphics graphics) {
    HostRect bounds{};
    host::GetControlBounds(instance, &bounds);
    paintOn(instance, graphics, bounds);
}

void idle(ControlInstance* instance) {
    if (host::GetControlVisible(instance) == 0 || host::GetTabPanelVisible(instance) == 0) return;
    HostRect bounds{};
    host::GetControlBounds(instance, &bounds);
    InstanceData& data = dataOf(instance);
    data.frameIndex = (data.frameIndex + 1) & (kFrameCount - 1);
    RepaintNow(instance, [&](HDC dc) { paintFrame(dc, bounds, lookOf(instance)); });
}

static void open(ControlInstance*) {}

// ---- record ----------------------------------------------------------------------------

// clang-format off
static constexpr ControlCallbacks kCallbacks =
    records::Slots().construct(construct).destruct(destruct).draw(draw).open(open).idle(idle).drawOffscreen(draw);

}  // namespace chasing_arrows

ControlDefinition gChasingArrowsDefinition =
    records::ClassRecord("ChasingArrows", sizeof(chasing_arrows::InstanceData), 0xD0, 178, 16, 16)
        .callbacks(chasing_arrows::kCallbacks);
// clang-format on
