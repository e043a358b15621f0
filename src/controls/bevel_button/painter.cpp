#include "controls/bevel_button/painter.h"

#include <iterator>

#include <vsstyle.h>

#include "controls/popup_arrow.h"
#include "frame/definitions.h"
#include "frame/helpers.h"
#include "frame/host_services.h"
#include "frame/instance_data.h"
#include "support/TextEncodingUtil.h"
#include "support/windows_version.h"

namespace bevel_button {

// ---- geometry ---------------------------------------------------------------------

// The caption's gap below or above a vertically placed icon.
constexpr int64_t kIconCaptionGap = 2;

// HostRect coordinates are 16-bit; far-off layout results are pinned to that
// range rather than wrapped into view.
constexpr int64_t kCoordinateMin = INT16_MIN;
constexpr int64_t kCoordinateMax = INT16_MAX;

// Where the icon sits along one axis of the face: against the near edge
// (left or top) by the offset, centred, or against the far edge by the offset.
enum class Anchor { kNear, kCentre, kFar };

struct IconAlignment {
    Anchor horizontal;
    Anchor vertical;
};

// By IconAlign; any other value centres the icon.
// clang-format off
static constexpr IconAlignment kIconAlignments[] = {
    {Anchor::kNear, Anchor::kCentre},    // 0
    {Anchor::kCentre, Anchor::kCentre},  // 1
    {Anchor::kNear, Anchor::kCentre},    // 2
    {Anchor::kFar, Anchor::kCentre},     // 3
    {Anchor::kCentre, Anchor::kNear},    // 4
    {Anchor::kCentre, Anchor::kFar},     // 5
    {Anchor::kNear, Anchor::kNear},      // 6
    {Anchor::kNear, Anchor::kFar},       // 7
    {Anchor::kFar, Anchor::kNear},       // 8
    {Anchor::kFar, Anchor::kFar},        // 9
};
// clang-format on
static constexpr IconAlignment kIconCentred = {Anchor::kCentre, Anchor::kCentre};

// CaptionPlacement relative to an icon.
enum CaptionPlacement : int32_t {
    kPlaceRightOfIcon = 2,
    kPlaceLeftOfIcon = 3,
    kPlaceBelowIcon = 4,
    kPlaceAboveIcon = 5,
};

// By CaptionAlign; any other value keeps the centred position.
static constexpr Anchor kCaptionAlignments[] = {Anchor::kNear, Anchor::kFar, Anchor::kNear, Anchor::kCentre};

// Menu arrows by HasMenu (1 below, 2 to the right): the triangle's anchor
// from the face's right edge and from its vertical middle (themed) or its
// bottom edge (classic), and the popup arrow's shape.
struct ArrowPlacement {
    int32_t fromRight;
    int32_t fromRow;
    int32_t facing;
};

// clang-format off
static constexpr ArrowPlacement kThemedArrows[] = {
    {10, -1, popup_arrow::kDownSmall},
    {8, -2, popup_arrow::kRightSmall},
};
static constexpr ArrowPlacement kClassicArrows[] = {
    {10, -6, popup_arrow::kDownLarge},
    {6, -10, popup_arrow::kRightLarge},
};
// clang-format on

static int64_t pinned(int64_t value) {
    return value < kCoordinateMin ? kCoordinateMin : (value > kCoordinateMax ? kCoordinateMax : value);
}

// Also true for a face turned inside out by more rings than fit: filling or
// clipping to such a rectangle would reach past the button.
static bool isEmptyFace(const RECT& face) { return face.left >= face.right || face.top >= face.bottom; }

ButtonShape shapeOf(const InstanceData& data, bool enabled) {
    ButtonShape shape{};
    shape.enabled = enabled;
    shape.themed = isThemed(data);
    shape.pressed = data.pressed != 0;
    shape.rings = data.bevel == kBevelThemed ? 0 : data.bevel;
    shape.hasIcon = data.icon != nullptr;
    shape.iconWidth = data.iconDescription.width;
    shape.iconHeight = data.iconDescription.height;
    shape.iconAlign = data.iconAlign;
    shape.iconDX = data.iconDX;
    shape.iconDY = data.iconDY;
    shape.captionPlacement = data.captionPlacement;
    shape.captionAlign = data.captionAlign;
    shape.captionDelta = data.captionDelta;
    shape.hasMenu = data.hasMenu;
    return shape;
}

static int64_t anchored(Anchor anchor, int64_t nearEdge, int64_t farEdge, int64_t size, int64_t offset) {
    switch (anchor) {
        case Anchor::kNear:
            return nearEdge + offset;
        case Anchor::kFar:
            return farEdge - size - offset;
        case Anchor::kCentre:
            break;
    }
    return nearEdge + (farEdge - nearEdge - size) / 2;
}

// The enabled classic button's rings + 1 rings, from the outside in, each
// shrinking the face by one on every side. A ring whose rectangle has turned
// inside out (more rings than the button is wide or high) would reach past
// the bounds: the rings stop there.
static void layOutRings(const ButtonShape& shape, ButtonLayout& layout) {
    if (shape.themed || !shape.enabled) return;
    for (int64_t ring = 0; ring <= shape.rings; ++ring) {
        if (layout.face.left > layout.face.right || layout.face.top > layout.face.bottom) break;
        ++layout.rings;
        InflateRect(&layout.face, -1, -1);
    }
}

// Icon and caption within the face.
static void layOutContent(const ButtonShape& shape, const CaptionExtent& caption, ButtonLayout& layout) {
    const int64_t L = layout.face.left, T = layout.face.top, R = layout.face.right, B = layout.face.bottom;
    const int64_t tw = caption.width;
    const int64_t a = caption.ascent, d = caption.descent, e = caption.leading;
    const int64_t w = shape.iconWidth, h = shape.iconHeight;

    int64_t ix = 0, iy = 0;
    if (shape.hasIcon) {
        const IconAlignment& alignment =
            shape.iconAlign >= 0 && shape.iconAlign < static_cast<int32_t>(std::size(kIconAlignments))
                ? kIconAlignments[shape.iconAlign]
                : kIconCentred;
        ix = anchored(alignment.horizontal, L, R, w, shape.iconDX);
        iy = anchored(alignment.vertical, T, B, h, shape.iconDY);
        const int64_t shift = shape.pressed ? 1 : 0;
        layout.icon.top = static_cast<int16_t>(pinned(iy + shift));
        layout.icon.left = static_cast<int16_t>(pinned(ix + shift));
        layout.icon.bottom = static_cast<int16_t>(pinned(iy + h + shift));
        layout.icon.right = static_cast<int16_t>(pinned(ix + w + shift));
    }

    int64_t x = L + (R - L - tw) / 2;
    int64_t y = T + (B - T - a - d - e) / 2;
    bool besideIcon = false;
    if (shape.hasIcon) {
        switch (shape.captionPlacement) {
            case kPlaceRightOfIcon:
                x = ix + w + shape.captionDelta;
                besideIcon = true;
                break;
            case kPlaceLeftOfIcon:
                x = ix - tw - shape.captionDelta;
                besideIcon = true;
                break;
            case kPlaceBelowIcon:
                y = iy + h + kIconCaptionGap;
                break;
            case kPlaceAboveIcon:
                y = iy - d - e - a - kIconCaptionGap;
                break;
            default:
                break;
        }
    }
    if (!besideIcon && shape.captionAlign >= 0 &&
        shape.captionAlign < static_cast<int32_t>(std::size(kCaptionAlignments))) {
        Anchor anchor = kCaptionAlignments[shape.captionAlign];
        if (anchor != Anchor::kCentre) x = anchored(anchor, L, R, tw, shape.captionDelta);
    }
    layout.caption =
        RECT{static_cast<LONG>(pinned(x)), static_cast<LONG>(pinned(y)), layout.outer.right, layout.outer.bottom};
}

// The menu arrow in the face's corner: small and vertically centred when
// themed, large in the bottom-right corner (in host coordinates) when classic.
static void layOutArrow(const ButtonShape& shape, ButtonLayout& layout) {
    if (shape.hasMenu < kMenuBelow || shape.hasMenu > static_cast<int32_t>(std::size(kClassicArrows))) return;
    const RECT& face = layout.face;
    layout.hasArrow = true;
    if (shape.themed) {
        const ArrowPlacement& arrow = kThemedArrows[shape.hasMenu - 1];
        const LONG middle = face.top + (face.bottom - face.top) / 2;
        layout.arrow = POINT{face.right - arrow.fromRight, middle + arrow.fromRow};
        layout.arrowFacing = arrow.facing;
    } else {
        const ArrowPlacement& arrow = kClassicArrows[shape.hasMenu - 1];
        layout.arrow = POINT{static_cast<LONG>(pinned(face.right - arrow.fromRight)),
                             static_cast<LONG>(pinned(face.bottom + arrow.fromRow))};
        layout.arrowFacing = arrow.facing;
    }
}

ButtonLayout layOutButton(const HostRect& bounds, const ButtonShape& shape) {
    ButtonLayout layout{};
    SetRect(&layout.outer, bounds.left, bounds.top, bounds.right, bounds.bottom);
    layout.face = layout.outer;
    InflateRect(&layout.face, -1, -1);
    layOutRings(shape, layout);
    layOutArrow(shape, layout);
    // The menu opens at the bottom-left corner (HasMenu 1) or the top-right one.
    layout.menuAnchor =
        shape.hasMenu == kMenuBelow ? POINT{bounds.left, bounds.bottom} : POINT{bounds.right, bounds.top};
    return layout;
}

void placeContent(const ButtonShape& shape, const CaptionExtent& caption, ButtonLayout* layout) {
    layOutContent(shape, caption, *layout);
}

// ---- look -------------------------------------------------------------------------

// Font sizes: the pixel rule's default height, the point rule's default size
// and its divisor.
constexpr int32_t kDefaultPixelHeight = 12;
constexpr int32_t kDefaultPointSize = 8;
constexpr double kPointRuleDivisor = 1.5;
constexpr int kPointsPerInch = 72;
// Heights beyond any caption font only make GDI render enormous glyphs; they
// are held to this many pixels either way.
constexpr int64_t kLargestFontHeight = 2048;

enum class SizeRule { kPixels, kPoints };

struct FontMapping {
    const char* textFont;
    const char* faceName;
    SizeRule rule;
};

// Tried in order; the first name that matches (in any letter case) decides.
// clang-format off
static constexpr FontMapping kFontMappings[] = {
    {"System", "MS Sans Serif", SizeRule::kPixels},
    {"Application", "MS Sans Serif", SizeRule::kPixels},
    {"Geneva", "MS Sans Serif", SizeRule::kPixels},
    {"SmallSystem", "Times New Roman", SizeRule::kPoints},
    {"Courier", "Courier New", SizeRule::kPixels},
    {"Times", "Times New Roman", SizeRule::kPixels},
    {"Helvetica", "Arial", SizeRule::kPixels},
    {"Osaka", "MS UI Gothic", SizeRule::kPixels},
};
// clang-format on

static PluginString asciiString(const char* text) { return MakePluginString(text, CStringLength(text), EncodingAscii); }

static FontRequest fontOf(const InstanceData& data) {
    FontRequest font{};
    font.name = asciiString(HostStringText(data.textFont));
    for (const FontMapping& candidate : kFontMappings) {
        if (CompareStrings(font.name, asciiString(candidate.textFont)) == 0) {
            font.mappedFace = candidate.faceName;
            font.pointRule = candidate.rule == SizeRule::kPoints;
            break;
        }
    }
    font.textSize = data.textSize;
    font.weight = data.bold != 0 ? FW_BOLD : FW_NORMAL;
    font.italic = data.italic != 0 ? 1 : 0;
    font.underline = data.underline != 0 ? 1 : 0;
    return font;
}

// The caption with a constant reference resolved, tagged with the host's
// encoding for it; empty for a nil caption.
static PluginString captionText(const InstanceData& data) {
    if (data.caption == nullptr) return PluginString();
    HostString interpreted = host::PluginInterpretConstantValue(data.caption);
    const char* bytes = HostStringText(interpreted);
    PluginString caption = MakePluginString(bytes, CStringLength(bytes), host::ZOKAGetStringEncoding(interpreted));
    host::ZOKAUnlockString(interpreted);
    return caption;
}

// The Toolbar state, by its <vsstyle.h> name.
static int32_t toolbarStateOf(const InstanceData& data) {
    if (data.pressed != 0) return TS_PRESSED;
    if (data.value != 0 && data.hot != 0) return TS_HOTCHECKED;
    if (data.value != 0) return TS_CHECKED;
    if (data.hot != 0) return TS_HOT;
    return TS_NORMAL;
}

// The parent's background under a normal themed button; inside a tab control
// it is the tab control's own, at its place in the host window.
static ParentBackground parentBackgroundOf(ControlInstance* control, const HostRect& bounds) {
    ParentBackground parent{};
    parent.painted = true;
    parent.window = host::ZOKAGetControlHandle(control);
    HWND tabControl = FindTabControlAncestor(parent.window);
    if (tabControl == nullptr) return parent;
    RECT area;
    GetWindowRect(tabControl, &area);
    HWND hostWindow = host::ZOKAGetWindowHandle(host::getControlWindow(control));
    POINT topLeft{area.left, area.top};
    POINT bottomRight{area.right, area.bottom};
    ScreenToClient(hostWindow, &topLeft);
    ScreenToClient(hostWindow, &bottomRight);
    parent.hasArea = true;
    parent.area =
        RECT{topLeft.x, topLeft.y, topLeft.x + (bounds.right - bounds.left), topLeft.y + (bounds.bottom - bounds.top)};
    return parent;
}

ButtonLook gatherLook(ControlInstance* control, const InstanceData& data, const HostRect& bounds, Surface surface) {
    ButtonLook look{};
    look.caption = captionText(data);
    look.shape = shapeOf(data, host::ZOKAGetControlEnabled(control));
    look.wideText = isWindowsNT();
    look.pushedIn = data.pressed != 0 || data.value != 0;
    look.theme = data.themeHandle;
    look.toolbarState = toolbarStateOf(data);
    if (look.shape.themed && look.shape.enabled && look.toolbarState == TS_NORMAL) {
        look.parent = parentBackgroundOf(control, bounds);
    }
    look.font = fontOf(data);
    look.font.charset = static_cast<DWORD>(host::ZOKAGetWin32Charset());
    look.icon = data.icon;
    look.iconFlag = data.icon != nullptr ? static_cast<int32_t>(data.iconDescription.drawFlag) : 0;
    look.surface = surface;
    return look;
}

// ---- painter ----------------------------------------------------------------------

constexpr COLORREF kPressedEdgeColour = RGB(85, 85, 85);
constexpr COLORREF kPressedCaptionColour = RGB(255, 255, 255);
constexpr int kEdgePenWidth = 1;

// Single line from the rectangle's top-left corner; prefix ampersands are
// left to the system.
constexpr UINT kCaptionFormat = DT_NOCLIP | DT_SINGLELINE;

template <typename Unit>
static int32_t stripAmpersandUnits(const Unit* src, int32_t n, Unit* dst) {
    constexpr Unit kAmpersand = static_cast<Unit>('&');
    int32_t written = 0;
    // Only the n units are read: a string's terminator is not always a whole
    // unit, so the one written here comes from this loop, not from src.
    for (int32_t j = 0; j < n; ++j) {
        if (src[j] == kAmpersand) {
            if (j + 1 < n && src[j + 1] == kAmpersand) {
                dst[written++] = kAmpersand;
                ++j;
            }
            continue;
        }
        dst[written++] = src[j];
    }
    dst[written] = 0;
    return written;
}

int32_t stripAmpersands(const char* src, int32_t n, char* dst) { return stripAmpersandUnits(src, n, dst); }

int32_t stripAmpersands(const wchar_t* src, int32_t n, wchar_t* dst) { return stripAmpersandUnits(src, n, dst); }

static uint8_t gNTTestPending = 1;
static uint8_t gIsNT = 0;

bool isWindowsNT() {
    if (gNTTestPending != 0) {
        gNTTestPending = 0;
        // The basic record only, and its answer is not tested: a refused
        // query leaves the record zeroed, which is not NT.
        OSVERSIONINFOEXA version;
        ProbeWindowsVersion(kBasicVersionRecordSize, &version);
        gIsNT = version.dwPlatformId == VER_PLATFORM_WIN32_NT ? 1 : 0;
    }
    return gIsNT != 0;
}

static void textExtent(HDC dc, const wchar_t* text, int32_t count, SIZE* size) {
    GetTextExtentPoint32W(dc, text, count, size);
}

static void textExtent(HDC dc, const char* text, int32_t count, SIZE* size) {
    GetTextExtentPoint32A(dc, text, count, size);
}

// Width of the caption as the system shows it, prefix ampersands left out.
template <typename Unit>
static int32_t strippedWidth(HDC dc, const TextUnits<Unit>& copy) {
    if (copy.units() == nullptr) return 0;
    SIZE size{0, 0};
    textExtent(dc, copy.units(), stripAmpersands(copy.units(), copy.count(), copy.units()), &size);
    return size.cx;
}

static CaptionExtent measureCaption(HDC dc, const ButtonLook& look) {
    CaptionExtent extent{};
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    extent.ascent = metrics.tmAscent;
    extent.descent = metrics.tmDescent;
    extent.leading = metrics.tmExternalLeading;
    extent.width = look.wideText ? strippedWidth(dc, ToUtf16(look.caption).wideCopy())
                                 : strippedWidth(dc, ToUserDefaultEncoding(look.caption).byteCopy());
    return extent;
}

static void drawCaption(HDC dc, const ButtonLook& look, RECT at) {
    if (look.wideText) {
        const TextUnits<wchar_t> wide = ToUtf16(look.caption).wideCopy();
        if (wide.count() > 0) DrawTextW(dc, wide.units(), wide.count(), &at, kCaptionFormat);
    } else {
        PluginString narrow = ToUserDefaultEncoding(look.caption);
        if (narrow.length() > 0) DrawTextA(dc, narrow.text(), narrow.length(), &at, kCaptionFormat);
    }
}

static int fontHeight(HDC dc, const FontRequest& font) {
    int64_t height;
    if (font.pointRule) {
        int32_t points =
            font.textSize == 0 ? kDefaultPointSize : static_cast<int32_t>(font.textSize / kPointRuleDivisor);
        height = -static_cast<int64_t>(MulDiv(points, GetDeviceCaps(dc, LOGPIXELSY), kPointsPerInch));
    } else {
        height = font.textSize == 0 ? -kDefaultPixelHeight : -static_cast<int64_t>(font.textSize);
    }
    if (height > kLargestFontHeight) height = kLargestFontHeight;
    if (height < -kLargestFontHeight) height = -kLargestFontHeight;
    return static_cast<int>(height);
}

// One classic ring on the edge of face: light top-left and dark bottom-right
// lines, or the pushed-in colours with a dark grey top-left line over them.
static void paintRing(HDC dc, const RECT& face, bool pushedIn) {
    const LONG l = face.left, t = face.top, rr = face.right, b = face.bottom;

    HPEN light = CreatePen(PS_SOLID, kEdgePenWidth, GetSysColor(pushedIn ? COLOR_BTNSHADOW : COLOR_BTNHIGHLIGHT));
    HGDIOBJ kept = SelectObject(dc, light);
    MoveToEx(dc, l, b - 1, nullptr);
    LineTo(dc, l, t);
    LineTo(dc, rr, t);
    SelectObject(dc, kept);
    DeleteObject(light);

    HPEN dark = CreatePen(PS_SOLID, kEdgePenWidth, GetSysColor(pushedIn ? COLOR_BTNFACE : COLOR_BTNSHADOW));
    kept = SelectObject(dc, dark);
    MoveToEx(dc, l + 1, b - 1, nullptr);
    LineTo(dc, rr - 1, b - 1);
    LineTo(dc, rr - 1, t);
    if (pushedIn) {
        HPEN grey = CreatePen(PS_SOLID, kEdgePenWidth, kPressedEdgeColour);
        SelectObject(dc, grey);
        MoveToEx(dc, l, b, nullptr);
        LineTo(dc, l, t);
        LineTo(dc, rr, t);
        SelectObject(dc, dark);
        DeleteObject(grey);
    }
    SelectObject(dc, kept);
    DeleteObject(dark);
}

// Frame, rings and face (classic) or the toolbar button's background
// (themed, enabled only).
static void paintBackground(HDC dc, const ButtonLook& look, const ButtonLayout& layout, HBRUSH faceBrush) {
    if (look.shape.themed) {
        if (!look.shape.enabled) return;
        if (look.parent.painted) {
            ThemeDrawParentBackground(look.parent.window, dc, look.parent.hasArea ? &look.parent.area : nullptr);
        }
        ThemeDrawBackground(look.theme, dc, TP_BUTTON, look.toolbarState, &layout.face, nullptr);
        return;
    }
    FrameRect(dc, &layout.outer, static_cast<HBRUSH>(GetStockObject(look.shape.enabled ? BLACK_BRUSH : DKGRAY_BRUSH)));
    for (int32_t ring = 0; ring < layout.rings; ++ring) {
        RECT edge = layout.outer;
        InflateRect(&edge, -(ring + 1), -(ring + 1));
        paintRing(dc, edge, look.pushedIn);
    }
    if (!isEmptyFace(layout.face)) FillRect(dc, &layout.face, faceBrush);
}

// Drawn twice when disabled: in the highlight colour one pixel right and
// down, then in the shadow colour in place.
static void paintCaption(HDC dc, const ButtonLook& look, const ButtonLayout& layout) {
    const int keptMode = SetBkMode(dc, TRANSPARENT);
    const UINT keptAlign = SetTextAlign(dc, 0);
    RECT at = layout.caption;
    COLORREF keptColour;
    if (!look.shape.enabled) {
        keptColour = SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
        RECT highlight = at;
        ++highlight.left;
        ++highlight.top;
        drawCaption(dc, look, highlight);
        SetTextColor(dc, GetSysColor(COLOR_BTNSHADOW));
    } else {
        const bool white = look.shape.pressed && !look.shape.themed;
        keptColour = SetTextColor(dc, white ? kPressedCaptionColour : GetSysColor(COLOR_BTNTEXT));
    }
    if (look.shape.pressed) OffsetRect(&at, 1, 1);
    drawCaption(dc, look, at);
    SetTextAlign(dc, keptAlign);
    SetBkMode(dc, keptMode);
    SetTextColor(dc, keptColour);
}

// The GDI calls come in the control's published order: face brush,
// background, the face's clip, the font and the caption's extent within it,
// icon and caption, clip restored, menu arrow, clean-up.
void paintButton(HDC dc, const HostRect& bounds, const ButtonLook& look) {
    ButtonLayout layout = layOutButton(bounds, look.shape);
    HBRUSH faceBrush = CreateSolidBrush(GetSysColor(look.pushedIn ? COLOR_BTNSHADOW : COLOR_BTNFACE));
    paintBackground(dc, look, layout, faceBrush);

    const FontRequest& request = look.font;
    HFONT font = nullptr;
    HGDIOBJ keptFont = nullptr;
    // Icon and caption stay on the face.
    PaintClipped(dc, layout.face, bounds, look.surface, [&] {
        font = CreateFontA(fontHeight(dc, request), 0, 0, 0, request.weight, request.italic, request.underline, 0,
                           request.charset, 0, 0, 0, 0,
                           request.mappedFace != nullptr ? request.mappedFace : request.name.text());
        keptFont = SelectObject(dc, font);
        placeContent(look.shape, measureCaption(dc, look), &layout);
        if (look.icon != nullptr) host::drawPicturePrimitive(dc, look.icon, &layout.icon, look.iconFlag);
        paintCaption(dc, look, layout);
    });
    if (layout.hasArrow) popup_arrow::paintArrowTriangle(dc, layout.arrow.x, layout.arrow.y, layout.arrowFacing);

    DeleteObject(faceBrush);
    SelectObject(dc, keptFont);
    DeleteObject(font);
}

void paintBevelButton(ControlInstance* control, HostGraphics graphics, const InstanceData& data, const HostRect& bounds,
                      Surface surface) {
    const ButtonLook look = gatherLook(control, data, bounds, surface);
    const auto paint = [&](HDC dc) { paintButton(dc, bounds, look); };
    if (graphics != nullptr) {
        PaintOn(graphics, paint);
    } else {
        RepaintNow(control, paint);
    }
}

// ---- callbacks --------------------------------------------------------------------

static void drawOn(ControlInstance* control, HostGraphics graphics, Surface surface) {
    HostRect bounds{};
    host::GetControlBounds(control, &bounds);
    InstanceData& data = dataOf(control);
    cleanUpBevel(data);
    paintBevelButton(control, graphics, data, bounds, surface);
}

void draw(ControlInstance* control, HostGraphics graphics) { drawOn(control, graphics, Surface::kOnScreen); }

void drawOffscreen(ControlInstance* control, HostGraphics graphics) { drawOn(control, graphics, Surface::kOffScreen); }

}  // namespace bevel_button
