#include "controls/bevel_button/painter.h"

#include <cstring>
#include <iterator>

#include "controls/popup_arrow.h"
#include "frame/definitions.h"
#include "frame/helpers.h"
#include "frame/host_services.h"
#include "frame/instance_data.h"
#include "support/TextEncodingUtil.h"
#include "support/pool.h"
#include "support/string.h"
#include "support/theme_api.h"

namespace bevel_button {

// ---- values with a meaning of their own ----------------------------------------

// Bevel: 0 to 2 are classic ring counts less one; 4 asks for the themed look;
// 3, 5 and 6 are retired and read back 0; 7 also turns the button into a
// toggle button.
constexpr int32_t kBevelThemed = 4;
constexpr int32_t kBevelRetiredToggle = 7;
constexpr int32_t kButtonTypeToggle = 1;

constexpr COLORREF kPressedEdgeColour = RGB(85, 85, 85);
constexpr COLORREF kPressedCaptionColour = RGB(255, 255, 255);
constexpr int kEdgePenWidth = 1;

// Toolbar class of the visual styles: the button part and its states.
constexpr int32_t kToolbarButtonPart = 1;  // TP_BUTTON
constexpr int32_t kToolbarNormal = 1;      // TS_NORMAL
constexpr int32_t kToolbarHot = 2;         // TS_HOT
constexpr int32_t kToolbarPressed = 3;     // TS_PRESSED
constexpr int32_t kToolbarChecked = 5;     // TS_CHECKED
constexpr int32_t kToolbarHotChecked = 6;  // TS_HOTCHECKED

// Single line from the rectangle's top-left corner; prefix ampersands are
// left to the system.
constexpr UINT kCaptionFormat = DT_NOCLIP | DT_SINGLELINE;

// The caption's gap below or above a vertically placed icon.
constexpr int64_t kIconCaptionGap = 2;

// Font sizes: the pixel rule's default height, the point rule's default size
// and its divisor.
constexpr int32_t kDefaultPixelHeight = 12;
constexpr int32_t kDefaultPointSize = 8;
constexpr double kPointRuleDivisor = 1.5;
constexpr int kPointsPerInch = 72;
// Heights beyond any caption font only make GDI render enormous glyphs; they
// are held to this many pixels either way.
constexpr int64_t kLargestFontHeight = 2048;

// HostRect coordinates are 16-bit; far-off layout results are pinned to that
// range rather than wrapped into view.
constexpr int64_t kCoordinateMin = INT16_MIN;
constexpr int64_t kCoordinateMax = INT16_MAX;

constexpr DWORD kVersionRecordSize = 148;
static_assert(sizeof(OSVERSIONINFOA) == kVersionRecordSize, "OSVERSIONINFOA");

// ---- tables ------------------------------------------------------------------------

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

// ---- small helpers ---------------------------------------------------------------

static int64_t pinned(int64_t value) {
    return value < kCoordinateMin ? kCoordinateMin : (value > kCoordinateMax ? kCoordinateMax : value);
}

// Also true for a face turned inside out by more rings than fit: filling or
// clipping to such a rectangle would reach past the button.
static bool isEmptyFace(const RECT& face) { return face.left >= face.right || face.top >= face.bottom; }

static bool isPushedIn(const InstanceData& data) { return data.pressed != 0 || data.value != 0; }

// A pool block freed when it goes out of scope.
struct PoolBlock {
    explicit PoolBlock(int32_t bytes) : size(bytes), block(poolAllocate(bytes)) {}
    ~PoolBlock() { poolFree(block, size); }
    PoolBlock(const PoolBlock&) = delete;
    PoolBlock& operator=(const PoolBlock&) = delete;
    int32_t size;
    void* block;
};

// Text bytes or 16-bit units copied into a block of their own with room for
// a terminator, so that wide units are read from an aligned address (a
// string's text begins one byte into its buffer).
template <typename Unit>
struct TextCopy {
    explicit TextCopy(const PluginString& s)
        : units(s.length() / static_cast<int32_t>(sizeof(Unit))),
          storage((units + 1) * static_cast<int32_t>(sizeof(Unit))) {
        if (storage.block == nullptr) {
            units = 0;
            return;
        }
        copyBytes(storage.block, s.text(), units * static_cast<int32_t>(sizeof(Unit)));
        text()[units] = 0;
    }
    Unit* text() const { return static_cast<Unit*>(storage.block); }
    int32_t units;
    PoolBlock storage;
};

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

bool isWindowsNT() {
    static bool tested = false;
    static bool isNT = false;
    if (!tested) {
        tested = true;
        OSVERSIONINFOA version;
        std::memset(&version, 0, sizeof(version));
        version.dwOSVersionInfoSize = kVersionRecordSize;
        GetVersionExA(&version);
        isNT = version.dwPlatformId == VER_PLATFORM_WIN32_NT;
    }
    return isNT;
}

// ---- state clean-up and text -------------------------------------------------------

// Retired bevel values become 0 for good; 7 also makes the button a toggle.
static void cleanUpBevel(InstanceData& data) {
    switch (data.bevel) {
        case 3:
        case 5:
        case 6:
            data.bevel = 0;
            break;
        case kBevelRetiredToggle:
            data.bevel = 0;
            data.buttonType = kButtonTypeToggle;
            break;
        default:
            break;
    }
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

static void textExtent(HDC dc, const wchar_t* text, int32_t count, SIZE* size) {
    GetTextExtentPoint32W(dc, text, count, size);
}

static void textExtent(HDC dc, const char* text, int32_t count, SIZE* size) {
    GetTextExtentPoint32A(dc, text, count, size);
}

// Width of the caption as the system shows it, prefix ampersands left out.
template <typename Unit>
static int32_t strippedWidth(HDC dc, const PluginString& converted) {
    TextCopy<Unit> copy(converted);
    if (copy.text() == nullptr) return 0;
    SIZE size{0, 0};
    textExtent(dc, copy.text(), stripAmpersands(copy.text(), copy.units, copy.text()), &size);
    return size.cx;
}

static int32_t captionWidth(HDC dc, const PluginString& caption) {
    return isWindowsNT() ? strippedWidth<wchar_t>(dc, ToUtf16(caption))
                         : strippedWidth<char>(dc, ToUserDefaultEncoding(caption));
}

static void drawCaption(HDC dc, const PluginString& caption, RECT at) {
    if (isWindowsNT()) {
        TextCopy<wchar_t> wide(ToUtf16(caption));
        if (wide.units > 0) DrawTextW(dc, wide.text(), wide.units, &at, kCaptionFormat);
    } else {
        PluginString narrow = ToUserDefaultEncoding(caption);
        if (narrow.length() > 0) DrawTextA(dc, narrow.text(), narrow.length(), &at, kCaptionFormat);
    }
}

// ---- font --------------------------------------------------------------------------

struct FontRequest {
    int height;
    int weight;
    DWORD italic;
    DWORD underline;
    const char* faceName;  // valid while the font name string is held
};

static FontRequest chooseFont(HDC dc, const InstanceData& data, const PluginString& fontName) {
    const FontMapping* mapping = nullptr;
    for (const FontMapping& candidate : kFontMappings) {
        PluginString name = MakePluginString(candidate.textFont, CStringLength(candidate.textFont), EncodingAscii);
        if (CompareStrings(fontName, name) == 0) {
            mapping = &candidate;
            break;
        }
    }

    int64_t height;
    if (mapping != nullptr && mapping->rule == SizeRule::kPoints) {
        int32_t points =
            data.textSize == 0 ? kDefaultPointSize : static_cast<int32_t>(data.textSize / kPointRuleDivisor);
        height = -static_cast<int64_t>(MulDiv(points, GetDeviceCaps(dc, LOGPIXELSY), kPointsPerInch));
    } else {
        height = data.textSize == 0 ? -kDefaultPixelHeight : -static_cast<int64_t>(data.textSize);
    }
    if (height > kLargestFontHeight) height = kLargestFontHeight;
    if (height < -kLargestFontHeight) height = -kLargestFontHeight;

    FontRequest request;
    request.height = static_cast<int>(height);
    request.weight = data.bold != 0 ? FW_BOLD : FW_NORMAL;
    request.italic = data.italic != 0 ? 1 : 0;
    request.underline = data.underline != 0 ? 1 : 0;
    request.faceName = mapping != nullptr ? mapping->faceName : fontName.text();
    return request;
}

// ---- layout ------------------------------------------------------------------------

struct Layout {
    HostRect iconDestination;  // unused without an icon
    RECT captionRect;
};

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

// Icon and caption positions within the face, for a caption tw wide in a font
// with the given metrics.
static Layout layOut(const InstanceData& data, const RECT& outer, const RECT& face, int32_t tw,
                     const TEXTMETRICA& metrics) {
    const int64_t L = face.left, T = face.top, R = face.right, B = face.bottom;
    const int64_t a = metrics.tmAscent, d = metrics.tmDescent, e = metrics.tmExternalLeading;
    const bool hasIcon = data.icon != nullptr;
    const int64_t w = data.iconDescription.width, h = data.iconDescription.height;

    Layout layout{};
    int64_t ix = 0, iy = 0;
    if (hasIcon) {
        const IconAlignment& alignment =
            data.iconAlign >= 0 && data.iconAlign < static_cast<int32_t>(std::size(kIconAlignments))
                ? kIconAlignments[data.iconAlign]
                : kIconCentred;
        ix = anchored(alignment.horizontal, L, R, w, data.iconDX);
        iy = anchored(alignment.vertical, T, B, h, data.iconDY);
        const int64_t shift = data.pressed != 0 ? 1 : 0;
        layout.iconDestination.top = static_cast<int16_t>(pinned(iy + shift));
        layout.iconDestination.left = static_cast<int16_t>(pinned(ix + shift));
        layout.iconDestination.bottom = static_cast<int16_t>(pinned(iy + h + shift));
        layout.iconDestination.right = static_cast<int16_t>(pinned(ix + w + shift));
    }

    int64_t x = L + (R - L - tw) / 2;
    int64_t y = T + (B - T - a - d - e) / 2;
    bool besideIcon = false;
    if (hasIcon) {
        switch (data.captionPlacement) {
            case kPlaceRightOfIcon:
                x = ix + w + data.captionDelta;
                besideIcon = true;
                break;
            case kPlaceLeftOfIcon:
                x = ix - tw - data.captionDelta;
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
    if (!besideIcon && data.captionAlign >= 0 &&
        data.captionAlign < static_cast<int32_t>(std::size(kCaptionAlignments))) {
        Anchor anchor = kCaptionAlignments[data.captionAlign];
        if (anchor != Anchor::kCentre) x = anchored(anchor, L, R, tw, data.captionDelta);
    }
    layout.captionRect = RECT{static_cast<LONG>(pinned(x)), static_cast<LONG>(pinned(y)), outer.right, outer.bottom};
    return layout;
}

// ---- background -----------------------------------------------------------------

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

// rings + 1 rings from the outside in, face shrinking by one on every side
// after each. A ring whose rectangle has turned inside out (more rings than
// the button is wide or high) would reach past the bounds: the rings stop there.
static void paintRings(HDC dc, RECT& face, int32_t rings, bool pushedIn) {
    for (int64_t ring = 0; ring <= rings; ++ring) {
        if (face.left > face.right || face.top > face.bottom) break;
        paintRing(dc, face, pushedIn);
        InflateRect(&face, -1, -1);
    }
}

static int32_t toolbarState(const InstanceData& data) {
    if (data.pressed != 0) return kToolbarPressed;
    if (data.value != 0 && data.hot != 0) return kToolbarHotChecked;
    if (data.value != 0) return kToolbarChecked;
    if (data.hot != 0) return kToolbarHot;
    return kToolbarNormal;
}

// The parent's background under a normal themed button; inside a tab control
// it is the tab control's own, at its place in the host window.
static void paintParentBackground(ControlInstance* control, HDC dc, const RECT& outer) {
    HWND window = host::ZOKAGetControlHandle(control);
    HWND tabControl = FindTabControlAncestor(window);
    if (tabControl == nullptr) {
        ThemeDrawParentBackground(window, dc, nullptr);
        return;
    }
    RECT area;
    GetWindowRect(tabControl, &area);
    HWND hostWindow = host::ZOKAGetWindowHandle(host::getControlWindow(control));
    POINT topLeft{area.left, area.top};
    POINT bottomRight{area.right, area.bottom};
    ScreenToClient(hostWindow, &topLeft);
    ScreenToClient(hostWindow, &bottomRight);
    area = RECT{topLeft.x, topLeft.y, topLeft.x + (outer.right - outer.left), topLeft.y + (outer.bottom - outer.top)};
    ThemeDrawParentBackground(window, dc, &area);
}

static void paintThemedBackground(ControlInstance* control, HDC dc, const InstanceData& data, const RECT& outer,
                                  const RECT& face) {
    int32_t state = toolbarState(data);
    if (state == kToolbarNormal) paintParentBackground(control, dc, outer);
    ThemeDrawBackground(data.themeHandle, dc, kToolbarButtonPart, state, &face, nullptr);
}

static void paintMenuArrow(ControlInstance* control, HostGraphics graphics, HDC dc, const InstanceData& data,
                           bool themed, const RECT& face) {
    if (data.hasMenu < 1 || data.hasMenu > static_cast<int32_t>(std::size(kClassicArrows))) return;
    if (themed) {
        const ArrowPlacement& arrow = kThemedArrows[data.hasMenu - 1];
        const LONG middle = face.top + (face.bottom - face.top) / 2;
        popup_arrow::paintArrowTriangle(dc, face.right - arrow.fromRight, middle + arrow.fromRow, arrow.facing);
    } else {
        const ArrowPlacement& arrow = kClassicArrows[data.hasMenu - 1];
        HostRect anchor{};
        anchor.top = static_cast<int16_t>(pinned(face.bottom + arrow.fromRow));
        anchor.left = static_cast<int16_t>(pinned(face.right - arrow.fromRight));
        anchor.bottom = anchor.top;
        anchor.right = anchor.left;
        popup_arrow::paintArrowShape(control, graphics, anchor, arrow.facing);
    }
}

// ---- the painter ----------------------------------------------------------------

void paintBevelButton(ControlInstance* control, HostGraphics graphics, InstanceData& data, const HostRect& bounds,
                      bool offscreen) {
    cleanUpBevel(data);
    PluginString caption = captionText(data);
    const int32_t iconFlag = data.icon != nullptr ? static_cast<int32_t>(data.iconDescription.drawFlag) : 0;

    const bool borrowed = graphics == nullptr;
    if (borrowed) graphics = host::ZOKAGetControlGraphics(control);
    HDC dc = host::ZOKAGraphicsDC(graphics);
    if (dc == nullptr) {
        if (borrowed) host::ZOKAUnlockObject(graphics);
        return;
    }

    const int32_t rings = data.bevel == kBevelThemed ? 0 : data.bevel;
    const bool themed = data.themeHandle != nullptr && data.bevel == kBevelThemed;
    const bool enabled = host::ZOKAGetControlEnabled(control);

    RECT outer;
    SetRect(&outer, bounds.left, bounds.top, bounds.right, bounds.bottom);
    HBRUSH faceBrush = CreateSolidBrush(GetSysColor(isPushedIn(data) ? COLOR_BTNSHADOW : COLOR_BTNFACE));
    RECT face = outer;
    InflateRect(&face, -1, -1);

    if (!themed) {
        FrameRect(dc, &outer, static_cast<HBRUSH>(GetStockObject(enabled ? BLACK_BRUSH : DKGRAY_BRUSH)));
        if (enabled) paintRings(dc, face, rings, isPushedIn(data));
        if (!isEmptyFace(face)) FillRect(dc, &face, faceBrush);
    } else if (enabled) {
        paintThemedBackground(control, dc, data, outer, face);
    }

    // Everything up to the caption stays on the face. The region replaces the
    // host's clip region for that time and is in device coordinates.
    HRGN savedClip = CreateRectRgn(0, 0, 0, 0);
    const bool hadClip = GetClipRgn(dc, savedClip) > 0;
    RECT clip = face;
    if (isEmptyFace(face))
        SetRect(&clip, 0, 0, 0, 0);
    else if (!offscreen)
        OffsetRect(&clip, -bounds.left, -bounds.top);
    HRGN faceClip = CreateRectRgn(clip.left, clip.top, clip.right, clip.bottom);
    SelectClipRgn(dc, faceClip);

    PluginString fontName =
        MakePluginString(HostStringText(data.textFont), CStringLength(HostStringText(data.textFont)), EncodingAscii);
    const FontRequest request = chooseFont(dc, data, fontName);
    HFONT font = CreateFontA(request.height, 0, 0, 0, request.weight, request.italic, request.underline, 0,
                             static_cast<DWORD>(host::ZOKAGetWin32Charset()), 0, 0, 0, 0, request.faceName);
    HGDIOBJ keptFont = SelectObject(dc, font);
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);

    const int32_t tw = captionWidth(dc, caption);
    const Layout layout = layOut(data, outer, face, tw, metrics);
    if (data.icon != nullptr) host::drawPicturePrimitive(dc, data.icon, &layout.iconDestination, iconFlag);

    const int keptMode = SetBkMode(dc, TRANSPARENT);
    const UINT keptAlign = SetTextAlign(dc, 0);
    RECT at = layout.captionRect;
    COLORREF keptColour;
    if (!enabled) {
        keptColour = SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
        RECT highlight = at;
        ++highlight.left;
        ++highlight.top;
        drawCaption(dc, caption, highlight);
        SetTextColor(dc, GetSysColor(COLOR_BTNSHADOW));
    } else {
        keptColour = SetTextColor(dc, data.pressed != 0 && !themed ? kPressedCaptionColour : GetSysColor(COLOR_BTNTEXT));
    }
    if (data.pressed != 0) OffsetRect(&at, 1, 1);
    drawCaption(dc, caption, at);
    SetTextAlign(dc, keptAlign);
    SetBkMode(dc, keptMode);
    SetTextColor(dc, keptColour);

    SelectClipRgn(dc, hadClip ? savedClip : nullptr);
    DeleteObject(faceClip);
    DeleteObject(savedClip);

    paintMenuArrow(control, graphics, dc, data, themed, face);

    DeleteObject(faceBrush);
    SelectObject(dc, keptFont);
    DeleteObject(font);
    if (borrowed) host::ZOKAUnlockObject(graphics);
}

void draw(ControlInstance* control, HostGraphics graphics) {
    HostRect bounds{};
    host::GetControlBounds(control, &bounds);
    paintBevelButton(control, graphics, *InstanceDataOf<InstanceData>(control, gBevelButtonDefinition), bounds, false);
}

void drawOffscreen(ControlInstance* control, HostGraphics graphics) {
    HostRect bounds{};
    host::GetControlBounds(control, &bounds);
    paintBevelButton(control, graphics, *InstanceDataOf<InstanceData>(control, gBevelButtonDefinition), bounds, true);
}

}  // namespace bevel_button
