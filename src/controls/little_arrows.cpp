#include "controls/little_arrows.h"

#include <vsstyle.h>

#include "base/high_contrast.h"
#include "base/win32.h"
#include "host_services/events.h"
#include "host_services/instance_data.h"
#include "host_services/records.h"
#include "host_services/resolver.h"
#include "host_services/surface.h"

namespace little_arrows {

static InstanceData& dataOf(ControlInstance* instance) {
    return *InstanceDataOf<InstanceData>(instance, gLittleArrowsDefinition);
}

// Repeat timing: the first repeat needs the 16-ms tick to have advanced by
// more than kRepeatDelayTicks since the press (401 to 416 ms); after that an
// event repeats at most once per kRepeatSpacingMs + 1 milliseconds.
constexpr uint32_t kRepeatDelayTicks = 25;
constexpr uint32_t kRepeatSpacingMs = 15;
// TickCount16 wraps with GetTickCount, after 2^28 units.
constexpr uint32_t kTick16Mask = 0x0FFFFFFF;

constexpr int32_t kUpEvent = 0;
constexpr int32_t kDownEvent = 1;

// Last repeated "Up" and "Down", GetTickCount milliseconds, shared by every
// instance: the spacing holds per event, not per control.
static uint32_t gLastFireTick[2] = {0, 0};

// ---- geometry: the control's area from its anchor -----------------------------------

// The up half is the rows above kDownHalfTop; the row above that divides the
// halves and answers to the up half.
constexpr int32_t kControlWidth = 13;
constexpr int32_t kControlHeight = 23;
constexpr int32_t kDownHalfTop = 12;

struct Offset {
    int32_t dx;
    int32_t dy;
};

// The "Spin" states of one half, by its own <vsstyle.h> names.
struct SpinStates {
    int32_t normal;
    int32_t hot;
    int32_t pressed;
    int32_t disabled;
};

// One half of the control, as offsets from the anchor: where it takes the
// mouse, and how it is painted themed and classically.
struct HalfShape {
    Part part;
    RECT hitArea;  // left, top, right, bottom
    int32_t themePart;
    SpinStates themeStates;
    RECT themeRect;
    RECT face;
    Offset lightEdge[3];
    Offset darkEdge[3];
    Offset arrow[3];
};

// clang-format off
static constexpr HalfShape kHalves[2] = {
    {kUpPart, {0, 0, kControlWidth, kDownHalfTop},
     SPNP_UP, {UPS_NORMAL, UPS_HOT, UPS_PRESSED, UPS_DISABLED}, {0, 0, kControlWidth, kDownHalfTop - 1},
     {1, 1, 12, 11}, {{1, 9}, {1, 1}, {11, 1}}, {{2, 10}, {11, 10}, {11, 1}}, {{3, 7}, {6, 4}, {9, 7}}},
    {kDownPart, {0, kDownHalfTop, kControlWidth, kControlHeight},
     SPNP_DOWN, {DNS_NORMAL, DNS_HOT, DNS_PRESSED, DNS_DISABLED}, {0, kDownHalfTop, kControlWidth, kControlHeight},
     {1, 12, 12, 22}, {{1, 20}, {1, 12}, {10, 12}}, {{2, 21}, {11, 21}, {11, 13}}, {{3, 15}, {6, 18}, {9, 15}}},
};
// clang-format on

static RECT offsetRect(const RECT& rect, int32_t left, int32_t top) {
    return RECT{left + rect.left, top + rect.top, left + rect.right, top + rect.bottom};
}

Part partAt(const HostRect& bounds, int32_t x, int32_t y) {
    // In window coordinates, 32 bits wide: a far-off pointer is outside.
    for (const HalfShape& half : kHalves) {
        const RECT area = offsetRect(half.hitArea, bounds.left, bounds.top);
        if (PtInRect(&area, POINT{x, y})) return half.part;
    }
    return kNoPart;
}

// ---- theme -----------------------------------------------------------------------------

// Each instance opens its own "Spin" theme in construct and keeps it in its
// block; without one it draws classically and tracks no hot half.
constexpr wchar_t kSpinThemeClass[] = L"Spin";

static ThemeHandle spinThemeOf(ControlInstance* instance) { return dataOf(instance).spinTheme; }

// ---- look ----------------------------------------------------------------------------

static ArrowsLook lookOf(ControlInstance* instance, int32_t pressedPart, bool enabled) {
    const InstanceData& data = dataOf(instance);
    return ArrowsLook{pressedPart, enabled, data.spinTheme, data.hotPart};
}

// ---- painter ---------------------------------------------------------------------------

static int32_t themeStateOf(const HalfShape& half, const ArrowsLook& look) {
    if (!look.enabled) return half.themeStates.disabled;
    if (look.pressedPart == half.part) return half.themeStates.pressed;
    return look.hotPart == half.part ? half.themeStates.hot : half.themeStates.normal;
}

// False as soon as the theme reports that it could not draw a half.
static bool paintThemed(HDC dc, int32_t left, int32_t top, const ArrowsLook& look) {
    for (const HalfShape& half : kHalves) {
        // While one half is pressed the other is left as it is.
        if (look.enabled && look.pressedPart != kNoPart && look.pressedPart != half.part) continue;
        const RECT rect = offsetRect(half.themeRect, left, top);
        if (FAILED(ThemeDrawBackground(look.theme, dc, half.themePart, themeStateOf(half, look), &rect, nullptr))) {
            return false;
        }
    }
    return true;
}

static void polyline(HDC dc, int32_t left, int32_t top, const Offset (&points)[3]) {
    MoveToEx(dc, left + points[0].dx, top + points[0].dy, nullptr);
    LineTo(dc, left + points[1].dx, top + points[1].dy);
    LineTo(dc, left + points[2].dx, top + points[2].dy);
}

static void paintClassicHalf(HDC dc, int32_t left, int32_t top, const HalfShape& half, const ArrowsLook& look,
                             const Palette& palette) {
    const bool pressed = look.enabled && look.pressedPart == half.part;
    int lightColour = COLOR_BTNHIGHLIGHT;
    int darkColour = COLOR_BTNSHADOW;
    if (!look.enabled) {
        lightColour = COLOR_BTNFACE;
        darkColour = COLOR_BTNFACE;
    } else if (pressed) {
        lightColour = COLOR_BTNSHADOW;
        darkColour = COLOR_BTNFACE;
    }
    // A pressed half looks sunken: its arrow moves one pixel right and down.
    const int32_t shift = pressed ? 1 : 0;

    HBRUSH face = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
    HPEN lightPen = CreatePen(PS_SOLID, 1, GetSysColor(lightColour));
    HPEN darkPen = CreatePen(PS_SOLID, 1, GetSysColor(darkColour));

    const RECT faceRect = offsetRect(half.face, left, top);
    FillRect(dc, &faceRect, face);
    HGDIOBJ keptPen = SelectObject(dc, lightPen);
    polyline(dc, left, top, half.lightEdge);
    SelectObject(dc, darkPen);
    polyline(dc, left, top, half.darkEdge);
    SelectObject(dc, keptPen);

    HGDIOBJ keptBrush = SelectObject(dc, palette.brush(look.enabled ? Element::kArrow : Element::kDisabledArrow));
    POINT arrow[3];
    for (int i = 0; i < 3; ++i) {
        arrow[i] = POINT{left + half.arrow[i].dx + shift, top + half.arrow[i].dy + shift};
    }
    Polygon(dc, arrow, 3);
    SelectObject(dc, keptBrush);

    DeleteObject(face);
    DeleteObject(lightPen);
    DeleteObject(darkPen);
}

// The divider and the arrows' edges are drawn with the outline's pen, which
// each half's edges select theirs over and give back.
static void paintClassic(HDC dc, int32_t left, int32_t top, const ArrowsLook& look) {
    const Palette palette = Palette::ofSetting();
    const RECT outline{left, top, left + kControlWidth, top + kControlHeight};
    FrameRect(dc, &outline, palette.brush(look.enabled ? Element::kFrame : Element::kDisabledFrame));
    PaintOutlined(dc, palette, [&] {
        MoveToEx(dc, left, top + kDownHalfTop - 1, nullptr);
        LineTo(dc, left + kControlWidth - 1, top + kDownHalfTop - 1);
        for (const HalfShape& half : kHalves) paintClassicHalf(dc, left, top, half, look, palette);
    });
}

// A theme handle opened before visual styles were turned off (as turning
// high contrast on does) is stale: where the theme cannot draw, the classic
// look is drawn over whatever it left.
void paintArrows(HDC dc, const HostRect& bounds, const ArrowsLook& look) {
    if (look.theme && paintThemed(dc, bounds.left, bounds.top, look)) return;
    paintClassic(dc, bounds.left, bounds.top, look);
}

// ---- callbacks -------------------------------------------------------------------------

// Immediate feedback while tracking: the enabled look with the given half
// pressed.
static void repaintNow(ControlInstance* instance, const HostRect& bounds, int32_t pressedPart) {
    const ArrowsLook look = lookOf(instance, pressedPart, true);
    RepaintNow(instance, [&](HDC dc) { paintArrows(dc, bounds, look); });
}

static void paintInDraw(ControlInstance* instance, HostGraphics graphics) {
    HostRect bounds{};
    host::GetControlBounds(instance, &bounds);
    const bool enabled = host::ZOKAGetControlEnabled(instance);
    const ArrowsLook look = lookOf(instance, dataOf(instance).pressedPart, enabled);
    PaintOn(graphics, [&](HDC dc) { paintArrows(dc, bounds, look); });
}

static int32_t eventIndexOf(int32_t part) { return part == kUpPart ? kUpEvent : kDownEvent; }

void construct(ControlInstance* instance) {
    InstanceData& data = dataOf(instance);
    data.hotPart = kNoPart;
    data.spinTheme = AcquireControlTheme(kSpinThemeClass);
}

// The library reference that construct took is given back also when no
// theme opened.
void destruct(ControlInstance* instance) {
    // An Up or Down handler may be destroying the control it was called from.
    control_events::Survival::destroyed(instance);
    InstanceData& data = dataOf(instance);
    ReleaseControlTheme(data.spinTheme);
    data.spinTheme = nullptr;
}

void draw(ControlInstance* instance, HostGraphics graphics) {
    paintInDraw(instance, graphics);
    InstanceData& data = dataOf(instance);
    data.drawnPart = data.pressedPart;
}

void drawOffscreen(ControlInstance* instance, HostGraphics graphics) { paintInDraw(instance, graphics); }

HostBoolean mouseDown(ControlInstance* instance, int32_t x, int32_t y) {
    if (!host::ZOKAGetControlEnabled(instance)) return false;
    HostRect bounds{};
    host::GetControlBounds(instance, &bounds);
    const Part part = partAt(bounds, x, y);
    if (part == kNoPart) return false;

    InstanceData& data = dataOf(instance);
    data.pressTick = TickCount16();
    // The press fires at once, before any delay.
    // A handler that destroys the control ends the press there: no press
    // for the host to track.
    if (!control_events::firePlainEvent(instance, gLittleArrowsDefinition.events[eventIndexOf(part)]).survived) {
        return false;
    }
    data.pressedPart = part;
    repaintNow(instance, bounds, data.pressedPart);
    data.drawnPart = data.pressedPart;
    return true;
}

// Fires the pressed half's event again once the delay since the press has
// passed and the event's last repeat is far enough back.
static void repeatIfDue(ControlInstance* instance, const InstanceData& data) {
    const uint32_t ticksSincePress = (TickCount16() - data.pressTick) & kTick16Mask;
    if (ticksSincePress <= kRepeatDelayTicks) return;
    const int32_t eventIndex = eventIndexOf(data.pressedPart);
    auto handler = reinterpret_cast<PlainEventHandler>(
        host::GetEventInstance(instance, gLittleArrowsDefinition.events[eventIndex].hostEventId));
    if (GetTickCount() - gLastFireTick[eventIndex] <= kRepeatSpacingMs) return;
    gLastFireTick[eventIndex] = GetTickCount();
    // Nothing of the control is touched after the handler, which may have
    // destroyed it.
    if (handler) handler(instance);
}

void mouseDrag(ControlInstance* instance, int32_t x, int32_t y) {
    HostRect bounds{};
    host::GetControlBounds(instance, &bounds);
    InstanceData& data = dataOf(instance);
    const Part part = partAt(bounds, x, y);
    const bool onPressedHalf = part != kNoPart && part == data.pressedPart;
    if (!onPressedHalf) {
        if (data.drawnPart != kNoPart) {
            repaintNow(instance, bounds, kNoPart);
            data.drawnPart = kNoPart;
        }
        return;
    }
    if (data.drawnPart != data.pressedPart) {
        repaintNow(instance, bounds, data.pressedPart);
        data.drawnPart = data.pressedPart;
    }
    repeatIfDue(instance, data);
}

void mouseUp(ControlInstance* instance, int32_t, int32_t) {
    HostRect bounds{};
    host::GetControlBounds(instance, &bounds);
    dataOf(instance).pressedPart = kNoPart;
    repaintNow(instance, bounds, kNoPart);
}

void mouseMove(ControlInstance* instance, int32_t x, int32_t y) {
    if (!spinThemeOf(instance)) return;
    HostRect bounds{};
    host::GetControlBounds(instance, &bounds);
    dataOf(instance).hotPart = static_cast<uint8_t>(partAt(bounds, x, y));
    host::ZOKAInvalidateControl(instance);
}

void mouseExit(ControlInstance* instance) {
    if (!spinThemeOf(instance)) return;
    dataOf(instance).hotPart = kNoPart;
    host::ZOKAInvalidateControl(instance);
}

static void open(ControlInstance*) {}

// ---- record ----------------------------------------------------------------------------

// clang-format off
static EventDefinition gEvents[] = {{"Up", 0}, {"Down", 0}};

static constexpr ControlCallbacks kCallbacks =
    records::Slots().construct(construct).destruct(destruct).draw(draw).mouseDown(mouseDown).mouseDrag(mouseDrag)
        .mouseUp(mouseUp).open(open).drawOffscreen(drawOffscreen).mouseExit(mouseExit).mouseMove(mouseMove);

}  // namespace little_arrows

ControlDefinition gLittleArrowsDefinition =
    records::ClassRecord("LittleArrows", sizeof(little_arrows::InstanceData), 0xD0, 176, 13, 23)
        .events(little_arrows::gEvents).callbacks(little_arrows::kCallbacks);
// clang-format on
