#include "controls/bevel_button/paint.h"

#include <vsstyle.h>

#include "base/TextEncodingUtil.h"
#include "base/ampersands.h"
#include "base/high_contrast.h"
#include "controls/popup_arrow.h"
#include "host_services/resolver.h"

namespace bevel_button {

// Font sizes: the pixel rule's default height, the point rule's default size
// and its divisor.
constexpr int32_t kDefaultPixelHeight = 12;
constexpr int32_t kDefaultPointSize = 8;
constexpr double kPointRuleDivisor = 1.5;
constexpr int kPointsPerInch = 72;
// Heights beyond any caption font only make GDI render enormous glyphs; they
// are held to this many pixels either way.
constexpr int64_t kLargestFontHeight = 2048;

// ---- painter ----------------------------------------------------------------------

constexpr int kEdgePenWidth = 1;

// Single line from the rectangle's top-left corner; prefix ampersands are
// left to the system.
constexpr UINT kCaptionFormat = DT_NOCLIP | DT_SINGLELINE;

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
static void paintRing(HDC dc, const RECT& face, bool pushedIn, const Palette& palette) {
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
        HPEN grey = CreatePen(PS_SOLID, kEdgePenWidth, palette.colour(Element::kPushedInEdge));
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
// (themed, enabled only). False when the theme reports that it could not
// draw: a theme handle opened before visual styles were turned off (as
// turning high contrast on does) is stale, and the button is then drawn the
// classic way instead.
static bool paintBackground(HDC dc, const ButtonLook& look, const ButtonShape& shape, const ButtonLayout& layout,
                            HBRUSH faceBrush, const Palette& palette) {
    if (shape.themed) {
        if (!shape.enabled) return true;
        if (look.parent.painted) {
            ThemeDrawParentBackground(look.parent.window, dc, look.parent.hasArea ? &look.parent.area : nullptr);
        }
        return !FAILED(ThemeDrawBackground(look.theme, dc, TP_BUTTON, look.toolbarState, &layout.face, nullptr));
    }
    FrameRect(dc, &layout.outer, palette.brush(shape.enabled ? Element::kFrame : Element::kDisabledFrame));
    for (int32_t ring = 0; ring < layout.rings; ++ring) {
        RECT edge = layout.outer;
        InflateRect(&edge, -(ring + 1), -(ring + 1));
        paintRing(dc, edge, look.pushedIn, palette);
    }
    if (!isEmptyFace(layout.face)) FillRect(dc, &layout.face, faceBrush);
    return true;
}

// Drawn twice when disabled: in the highlight colour one pixel right and
// down, then in the shadow colour in place.
static void paintCaption(HDC dc, const ButtonLook& look, const ButtonShape& shape, const ButtonLayout& layout,
                         const Palette& palette) {
    const int keptMode = SetBkMode(dc, TRANSPARENT);
    const UINT keptAlign = SetTextAlign(dc, 0);
    RECT at = layout.caption;
    COLORREF keptColour;
    if (!shape.enabled) {
        keptColour = SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
        RECT highlight = at;
        ++highlight.left;
        ++highlight.top;
        drawCaption(dc, look, highlight);
        SetTextColor(dc, GetSysColor(COLOR_BTNSHADOW));
    } else {
        const bool pressedClassic = shape.pressed && !shape.themed;
        keptColour =
            SetTextColor(dc, pressedClassic ? palette.colour(Element::kPressedCaption) : GetSysColor(COLOR_BTNTEXT));
    }
    if (shape.pressed) OffsetRect(&at, 1, 1);
    drawCaption(dc, look, at);
    SetTextAlign(dc, keptAlign);
    SetBkMode(dc, keptMode);
    SetTextColor(dc, keptColour);
}

// The GDI calls come in the control's published order: face brush,
// background, the face's clip, the font and the caption's extent within it,
// icon and caption, clip restored, menu arrow, clean-up.
void paintButton(HDC dc, const HostRect& bounds, const ButtonLook& look) {
    const Palette palette = Palette::ofSetting();
    ButtonShape shape = look.shape;
    ButtonLayout layout = layOutButton(bounds, shape);
    HBRUSH faceBrush = CreateSolidBrush(GetSysColor(look.pushedIn ? COLOR_BTNSHADOW : COLOR_BTNFACE));
    if (!paintBackground(dc, look, shape, layout, faceBrush, palette)) {
        shape.themed = false;
        layout = layOutButton(bounds, shape);
        paintBackground(dc, look, shape, layout, faceBrush, palette);
    }

    const FontRequest& request = look.font;
    HFONT font = nullptr;
    HGDIOBJ keptFont = nullptr;
    // Icon and caption stay on the face.
    PaintClipped(dc, layout.face, bounds, look.surface, [&] {
        font = CreateFontA(fontHeight(dc, request), 0, 0, 0, request.weight, request.italic, request.underline, 0,
                           request.charset, 0, 0, 0, 0,
                           request.mappedFace != nullptr ? request.mappedFace : request.name.text());
        keptFont = SelectObject(dc, font);
        placeContent(shape, measureCaption(dc, look), &layout);
        if (look.icon != nullptr) host::drawPicturePrimitive(dc, look.icon, &layout.icon, look.iconFlag);
        paintCaption(dc, look, shape, layout, palette);
    });
    if (layout.hasArrow) {
        popup_arrow::paintArrowTriangle(dc, layout.arrow.x, layout.arrow.y, layout.arrowFacing, palette);
    }

    DeleteObject(faceBrush);
    SelectObject(dc, keptFont);
    DeleteObject(font);
}

}  // namespace bevel_button
