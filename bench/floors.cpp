// The floors: the GDI, USER and uxtheme calls each of the plug-in's paints is
// made of, in the order the plug-in makes them, with everything the plug-in
// works out (layout, colours chosen by state, text conversions, host entry
// points) already known. What a paint costs beyond its floor is the plug-in's
// own work.
#include "bench.h"

#include <uxtheme.h>

namespace bench {

namespace {

constexpr int kPenWidth = 1;
constexpr UINT kCaptionFormat = DT_NOCLIP | DT_SINGLELINE;
constexpr int kCaptionFontHeight = -12;  // "System" at TextSize 12
constexpr char kCaptionFace[] = "MS Sans Serif";
constexpr int kIconSize = 16;
constexpr int kToolbarButton = 1;  // TP_BUTTON
constexpr int kToolbarNormal = 1;  // TS_NORMAL
constexpr int kToolbarHot = 2;     // TS_HOT
constexpr int kSpinUp = 1;         // SPNP_UP
constexpr int kSpinDown = 2;       // SPNP_DOWN
constexpr int kSpinNormal = 1;     // UPS_NORMAL, DNS_NORMAL
// Where ChasingArrows keeps its frame in InstanceData: after one unused word.
constexpr int32_t kFrameIndexOffset = 4;
constexpr int kFrameCount = 8;
constexpr COLORREF kWellShadow = RGB(153, 153, 153);
constexpr int kPictureWidth = 16;
constexpr int kPictureHeight = 12;

HostRect boundsOf(const CaseContext& c) { return c.instance->bounds; }

HGDIOBJ stock(int object) { return GetStockObject(object); }

void polyline(HDC dc, const POINT (&points)[3]) {
    MoveToEx(dc, points[0].x, points[0].y, nullptr);
    LineTo(dc, points[1].x, points[1].y);
    LineTo(dc, points[2].x, points[2].y);
}

void triangle(HDC dc, const POINT (&points)[3], HGDIOBJ brush) {
    HGDIOBJ kept = SelectObject(dc, brush);
    Polygon(dc, points, 3);
    SelectObject(dc, kept);
}

// A picture's bitmap in a DC of its own, drawn as the host's
// drawPicturePrimitive draws it on the lean path.
class PictureSource {
public:
    PictureSource(int width, int height, COLORREF (*paint)(int, int))
        : width_(width), height_(height), bitmap_(makeBitmap(width, height, paint)), dc_(CreateCompatibleDC(nullptr)) {
        kept_ = SelectObject(dc_, bitmap_);
    }
    ~PictureSource() {
        SelectObject(dc_, kept_);
        DeleteDC(dc_);
        DeleteObject(bitmap_);
    }
    PictureSource(const PictureSource&) = delete;
    PictureSource& operator=(const PictureSource&) = delete;
    void draw(HDC dc, int left, int top) const {
        const int mode = SetStretchBltMode(dc, COLORONCOLOR);
        StretchBlt(dc, left, top, width_, height_, dc_, 0, 0, width_, height_, SRCCOPY);
        SetStretchBltMode(dc, mode);
    }

private:
    int width_;
    int height_;
    HBITMAP bitmap_;
    HDC dc_;
    HGDIOBJ kept_ = nullptr;
};

// --- BevelButton --------------------------------------------------------------------

class BevelFloor : public Painter {
public:
    BevelFloor(const CaseContext& c, const BevelFloorLook& look)
        : look_(look), bounds_(boundsOf(c)), window_(c.instance->window), captionLength_(lstrlenW(look.caption)) {
        if (look.themed) theme_ = OpenThemeData(nullptr, L"Toolbar");
        if (look.icon) icon_ = std::make_unique<PictureSource>(kIconSize, kIconSize, iconPixel);
    }
    ~BevelFloor() override {
        if (theme_) CloseThemeData(theme_);
    }

    // In the painter's order: the face brush, the background, the face's
    // clip, then the font and the caption's measure, icon and caption.
    void paint(HDC dc) override {
        RECT outer;
        SetRect(&outer, bounds_.left, bounds_.top, bounds_.right, bounds_.bottom);
        RECT face = outer;
        InflateRect(&face, look_.themed ? -1 : -1 - look_.rings, look_.themed ? -1 : -1 - look_.rings);

        HBRUSH faceBrush = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
        if (look_.themed) {
            if (!look_.hot) DrawThemeParentBackground(window_, dc, nullptr);
            DrawThemeBackground(theme_, dc, kToolbarButton, look_.hot ? kToolbarHot : kToolbarNormal, &face, nullptr);
        } else {
            FrameRect(dc, &outer, static_cast<HBRUSH>(stock(BLACK_BRUSH)));
            for (int ring = 0; ring < look_.rings; ++ring) {
                RECT edge = outer;
                InflateRect(&edge, -(ring + 1), -(ring + 1));
                paintRing(dc, edge);
            }
            FillRect(dc, &face, faceBrush);
        }

        HRGN savedClip = CreateRectRgn(0, 0, 0, 0);
        const bool hadClip = GetClipRgn(dc, savedClip) > 0;
        RECT clip = face;
        OffsetRect(&clip, -bounds_.left, -bounds_.top);
        HRGN faceClip = CreateRectRgn(clip.left, clip.top, clip.right, clip.bottom);
        SelectClipRgn(dc, faceClip);

        HFONT font =
            CreateFontA(kCaptionFontHeight, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, kCaptionFace);
        HGDIOBJ keptFont = SelectObject(dc, font);
        TEXTMETRICA metrics{};
        GetTextMetricsA(dc, &metrics);
        SIZE extent{0, 0};
        GetTextExtentPoint32W(dc, look_.caption, captionLength_, &extent);

        // The layout of these cases: a centred caption, or a vertically
        // centred icon at IconDX with the caption to its right.
        const LONG textHeight = metrics.tmAscent + metrics.tmDescent + metrics.tmExternalLeading;
        LONG x = face.left + (face.right - face.left - extent.cx) / 2;
        const LONG y = face.top + (face.bottom - face.top - textHeight) / 2;
        if (icon_) {
            const LONG ix = face.left + look_.iconDX;
            const LONG iy = face.top + (face.bottom - face.top - kIconSize) / 2;
            icon_->draw(dc, ix, iy);
            x = ix + kIconSize + look_.captionDelta;
        }
        const int keptMode = SetBkMode(dc, TRANSPARENT);
        const UINT keptAlign = SetTextAlign(dc, 0);
        const COLORREF keptColour = SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
        RECT at{x, y, outer.right, outer.bottom};
        if (captionLength_ > 0) DrawTextW(dc, look_.caption, captionLength_, &at, kCaptionFormat);
        SetTextAlign(dc, keptAlign);
        SetBkMode(dc, keptMode);
        SetTextColor(dc, keptColour);
        SelectClipRgn(dc, hadClip ? savedClip : nullptr);
        DeleteObject(faceClip);
        DeleteObject(savedClip);

        if (look_.hasMenu == 1) {
            if (look_.themed) {
                // The small down arrow, centred on the face's height.
                const LONG left = face.right - 10;
                const LONG top = face.top + (face.bottom - face.top) / 2 - 1;
                const POINT arrow[3] = {{left, top}, {left + 4, top}, {left + 2, top + 2}};
                triangle(dc, arrow, stock(BLACK_BRUSH));
            } else {
                const LONG left = face.right - 10;
                const LONG top = face.bottom - 6;
                const POINT arrow[3] = {{left, top}, {left + 8, top}, {left + 4, top + 4}};
                triangle(dc, arrow, stock(BLACK_BRUSH));
            }
        }

        DeleteObject(faceBrush);
        SelectObject(dc, keptFont);
        DeleteObject(font);
    }

private:
    // A released ring: light top-left, dark bottom-right.
    static void paintRing(HDC dc, const RECT& face) {
        const LONG l = face.left, t = face.top, rr = face.right, b = face.bottom;
        HPEN light = CreatePen(PS_SOLID, kPenWidth, GetSysColor(COLOR_BTNHIGHLIGHT));
        HGDIOBJ kept = SelectObject(dc, light);
        MoveToEx(dc, l, b - 1, nullptr);
        LineTo(dc, l, t);
        LineTo(dc, rr, t);
        SelectObject(dc, kept);
        DeleteObject(light);
        HPEN dark = CreatePen(PS_SOLID, kPenWidth, GetSysColor(COLOR_BTNSHADOW));
        kept = SelectObject(dc, dark);
        MoveToEx(dc, l + 1, b - 1, nullptr);
        LineTo(dc, rr - 1, b - 1);
        LineTo(dc, rr - 1, t);
        SelectObject(dc, kept);
        DeleteObject(dark);
    }

    BevelFloorLook look_;
    HostRect bounds_;
    HWND window_;
    int captionLength_;
    HTHEME theme_ = nullptr;
    std::unique_ptr<PictureSource> icon_;
};

// --- the small controls ------------------------------------------------------------

void line(HDC dc, COLORREF colour, POINT from, POINT to) {
    HPEN pen = CreatePen(PS_SOLID, kPenWidth, colour);
    HGDIOBJ kept = SelectObject(dc, pen);
    MoveToEx(dc, from.x, from.y, nullptr);
    LineTo(dc, to.x, to.y);
    SelectObject(dc, kept);
    DeleteObject(pen);
}

// Collapsed, pointing right, enabled, not pressed.
class TriangleFloor : public Painter {
public:
    explicit TriangleFloor(const CaseContext& c) : l_(c.instance->bounds.left), t_(c.instance->bounds.top) {}
    void paint(HDC dc) override {
        HBRUSH brush = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
        const POINT points[3] = {{l_ + 2, t_}, {l_ + 7, t_ + 5}, {l_ + 2, t_ + 10}};
        triangle(dc, points, brush);
        DeleteObject(brush);
        line(dc, GetSysColor(COLOR_BTNHIGHLIGHT), {l_ + 3, t_ + 2}, {l_ + 3, t_ + 9});
        line(dc, GetSysColor(COLOR_BTNSHADOW), {l_ + 6, t_ + 5}, {l_ + 3, t_ + 8});
    }

private:
    LONG l_, t_;
};

// Enabled, nothing pressed or hot.
class LittleArrowsFloor : public Painter {
public:
    LittleArrowsFloor(const CaseContext& c, bool themed) : l_(c.instance->bounds.left), t_(c.instance->bounds.top) {
        if (themed) theme_ = OpenThemeData(nullptr, L"Spin");
    }
    ~LittleArrowsFloor() override {
        if (theme_) CloseThemeData(theme_);
    }
    void paint(HDC dc) override {
        if (theme_) {
            const RECT up{l_, t_, l_ + 13, t_ + 11};
            const RECT down{l_, t_ + 12, l_ + 13, t_ + 23};
            DrawThemeBackground(theme_, dc, kSpinUp, kSpinNormal, &up, nullptr);
            DrawThemeBackground(theme_, dc, kSpinDown, kSpinNormal, &down, nullptr);
            return;
        }
        const RECT outline{l_, t_, l_ + 13, t_ + 23};
        FrameRect(dc, &outline, static_cast<HBRUSH>(stock(BLACK_BRUSH)));
        MoveToEx(dc, l_, t_ + 11, nullptr);
        LineTo(dc, l_ + 12, t_ + 11);
        half(dc, RECT{l_ + 1, t_ + 1, l_ + 12, t_ + 11}, {{l_ + 1, t_ + 9}, {l_ + 1, t_ + 1}, {l_ + 11, t_ + 1}},
             {{l_ + 2, t_ + 10}, {l_ + 11, t_ + 10}, {l_ + 11, t_ + 1}},
             {{l_ + 3, t_ + 7}, {l_ + 6, t_ + 4}, {l_ + 9, t_ + 7}});
        half(dc, RECT{l_ + 1, t_ + 12, l_ + 12, t_ + 22}, {{l_ + 1, t_ + 20}, {l_ + 1, t_ + 12}, {l_ + 10, t_ + 12}},
             {{l_ + 2, t_ + 21}, {l_ + 11, t_ + 21}, {l_ + 11, t_ + 13}},
             {{l_ + 3, t_ + 15}, {l_ + 6, t_ + 18}, {l_ + 9, t_ + 15}});
    }

private:
    static void half(HDC dc, const RECT& face, const POINT (&light)[3], const POINT (&dark)[3],
                     const POINT (&arrow)[3]) {
        HBRUSH brush = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
        HPEN lightPen = CreatePen(PS_SOLID, kPenWidth, GetSysColor(COLOR_BTNHIGHLIGHT));
        HPEN darkPen = CreatePen(PS_SOLID, kPenWidth, GetSysColor(COLOR_BTNSHADOW));
        FillRect(dc, &face, brush);
        HGDIOBJ kept = SelectObject(dc, lightPen);
        polyline(dc, light);
        SelectObject(dc, darkPen);
        polyline(dc, dark);
        SelectObject(dc, kept);
        triangle(dc, arrow, stock(BLACK_BRUSH));
        DeleteObject(brush);
        DeleteObject(lightPen);
        DeleteObject(darkPen);
    }

    LONG l_, t_;
    HTHEME theme_ = nullptr;
};

// The frame as stored, as (x, y) pairs; the first three are the head.
struct ChasingFrame {
    int pairs;
    uint8_t points[20];
};

constexpr ChasingFrame kChasingFrames[kFrameCount] = {
    {9, {11, 7, 15, 7, 14, 9, 5, 3, 6, 2, 9, 2, 11, 3, 13, 6, 13, 9}},
    {8, {11, 8, 14, 9, 12, 11, 7, 2, 9, 2, 11, 3, 13, 6, 12, 11}},
    {8, {11, 10, 13, 12, 10, 12, 9, 2, 11, 3, 13, 6, 12, 11, 10, 12}},
    {8, {9, 11, 11, 14, 8, 13, 11, 3, 13, 6, 12, 11, 10, 12, 8, 13}},
    {9, {8, 11, 8, 15, 6, 13, 12, 5, 13, 6, 12, 11, 10, 12, 8, 13, 6, 13}},
    {9, {6, 14, 7, 11, 4, 12, 13, 7, 12, 11, 10, 12, 8, 13, 6, 13, 4, 12}},
    {9, {3, 13, 5, 11, 3, 10, 12, 11, 10, 12, 8, 13, 6, 13, 4, 12, 3, 10}},
    {10, {1, 11, 4, 9, 2, 8, 12, 11, 10, 12, 8, 13, 6, 13, 4, 12, 3, 10, 2, 8}},
};

POINT chasingPoint(const ChasingFrame& f, int k, int left, int top, bool turned) {
    const int x = f.points[2 * k], y = f.points[2 * k + 1];
    return turned ? POINT{left + 15 - x, top + 15 - y} : POINT{left + x, top + y};
}

void chasingArrow(HDC dc, const ChasingFrame& f, int left, int top, bool turned) {
    const POINT head[3] = {chasingPoint(f, 0, left, top, turned), chasingPoint(f, 2, left, top, turned),
                           chasingPoint(f, 1, left, top, turned)};
    triangle(dc, head, stock(BLACK_BRUSH));
    const POINT start = chasingPoint(f, 3, left, top, turned);
    MoveToEx(dc, start.x, start.y, nullptr);
    for (int k = 4; k < f.pairs; ++k) {
        const POINT p = chasingPoint(f, k, left, top, turned);
        LineTo(dc, p.x, p.y);
    }
}

void chasingFrame(HDC dc, int left, int top, int frame, COLORREF background, HWND parentOf) {
    RECT square{left, top, left + 16, top + 16};
    HBRUSH brush = CreateSolidBrush(background);
    FillRect(dc, &square, brush);
    DeleteObject(brush);
    if (parentOf) DrawThemeParentBackground(parentOf, dc, &square);
    chasingArrow(dc, kChasingFrames[frame], left, top, false);
    chasingArrow(dc, kChasingFrames[frame], left, top, true);
}

// A frame as draw shows it, or as each idle step advances and shows it.
class ChasingArrowsFloor : public Painter {
public:
    ChasingArrowsFloor(const CaseContext& c, bool xp, bool step)
        : l_(c.instance->bounds.left),
          t_(c.instance->bounds.top),
          background_(c.instance->background),
          window_(xp ? c.instance->window : nullptr),
          step_(step),
          frame_(c.instance->at<int32_t>(kFrameIndexOffset) & (kFrameCount - 1)) {}
    void paint(HDC dc) override {
        if (step_) frame_ = (frame_ + 1) & (kFrameCount - 1);
        chasingFrame(dc, l_, t_, frame_, background_, window_);
    }

private:
    LONG l_, t_;
    COLORREF background_;
    HWND window_;
    bool step_;
    int frame_;
};

// The well with a 16 x 12 picture centred in a 32 x 32 control, on screen.
class ImageWellFloor : public Painter {
public:
    explicit ImageWellFloor(const CaseContext& c)
        : b_(c.instance->bounds), picture_(kPictureWidth, kPictureHeight, picturePixel) {}
    void paint(HDC dc) override {
        const LONG L = b_.left, T = b_.top, R = b_.right, B = b_.bottom;
        HPEN shadow = CreatePen(PS_SOLID, kPenWidth, kWellShadow);
        HGDIOBJ kept = SelectObject(dc, shadow);
        MoveToEx(dc, L, B - 2, nullptr);
        LineTo(dc, L, T);
        LineTo(dc, R - 2, T);
        SelectObject(dc, stock(WHITE_PEN));
        MoveToEx(dc, R - 1, T, nullptr);
        LineTo(dc, R - 1, B - 1);
        LineTo(dc, L, B - 1);
        SelectObject(dc, kept);
        DeleteObject(shadow);
        const RECT border{L + 1, T + 1, R - 1, B - 1};
        FrameRect(dc, &border, static_cast<HBRUSH>(stock(BLACK_BRUSH)));
        const RECT interior{L + 2, T + 2, R - 2, B - 2};
        FillRect(dc, &interior, static_cast<HBRUSH>(stock(WHITE_BRUSH)));

        const LONG left = interior.left + (interior.right - interior.left - kPictureWidth) / 2;
        const LONG top = interior.top + (interior.bottom - interior.top - kPictureHeight) / 2;
        HRGN saved = CreateRectRgn(0, 0, 0, 0);
        const bool hadClip = GetClipRgn(dc, saved) > 0;
        RECT clip{left, top, interior.right, interior.bottom};
        OffsetRect(&clip, -L, -T);
        HRGN region = CreateRectRgnIndirect(&clip);
        SelectClipRgn(dc, region);
        picture_.draw(dc, left, top);
        SelectClipRgn(dc, hadClip ? saved : nullptr);
        DeleteObject(region);
        DeleteObject(saved);
    }

private:
    HostRect b_;
    PictureSource picture_;
};

class PopupArrowFloor : public Painter {
public:
    PopupArrowFloor(const CaseContext& c, int facing)
        : l_(c.instance->bounds.left), t_(c.instance->bounds.top), facing_(facing) {}
    void paint(HDC dc) override {
        // Facing 3, the large down arrow; the bench shows no other.
        const POINT points[3] = {{l_, t_}, {l_ + 8, t_}, {l_ + 4, t_ + 4}};
        if (facing_ == 3) triangle(dc, points, stock(BLACK_BRUSH));
    }

private:
    LONG l_, t_;
    int facing_;
};

// Enabled, Value false.
class PlacardFloor : public Painter {
public:
    explicit PlacardFloor(const CaseContext& c) : b_(c.instance->bounds) {}
    void paint(HDC dc) override {
        const RECT outer{b_.left, b_.top, b_.right, b_.bottom};
        RECT inner = outer;
        InflateRect(&inner, -1, -1);
        HBRUSH fill = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
        HPEN light = CreatePen(PS_SOLID, kPenWidth, GetSysColor(COLOR_BTNHIGHLIGHT));
        HPEN dark = CreatePen(PS_SOLID, kPenWidth, GetSysColor(COLOR_BTNSHADOW));
        FrameRect(dc, &outer, static_cast<HBRUSH>(stock(BLACK_BRUSH)));
        FillRect(dc, &inner, fill);
        HGDIOBJ kept = SelectObject(dc, light);
        MoveToEx(dc, inner.left, inner.bottom - 2, nullptr);
        LineTo(dc, inner.left, inner.top);
        LineTo(dc, inner.right - 1, inner.top);
        SelectObject(dc, dark);
        MoveToEx(dc, inner.right - 1, inner.top + 1, nullptr);
        LineTo(dc, inner.right - 1, inner.bottom - 1);
        LineTo(dc, inner.left, inner.bottom - 1);
        SelectObject(dc, kept);
        DeleteObject(fill);
        DeleteObject(light);
        DeleteObject(dark);
    }

private:
    HostRect b_;
};

// Wider than high: the horizontal line.
class SeparatorFloor : public Painter {
public:
    explicit SeparatorFloor(const CaseContext& c) : b_(c.instance->bounds) {}
    void paint(HDC dc) override {
        HPEN dark = CreatePen(PS_SOLID, kPenWidth, GetSysColor(COLOR_BTNSHADOW));
        HPEN light = CreatePen(PS_SOLID, kPenWidth, GetSysColor(COLOR_BTNHIGHLIGHT));
        HGDIOBJ kept = SelectObject(dc, dark);
        const LONG y = (b_.top + b_.bottom) / 2;
        MoveToEx(dc, b_.left, y, nullptr);
        LineTo(dc, b_.right, y);
        SelectObject(dc, light);
        MoveToEx(dc, b_.left, y + 1, nullptr);
        LineTo(dc, b_.right, y + 1);
        SelectObject(dc, kept);
        DeleteObject(dark);
        DeleteObject(light);
    }

private:
    HostRect b_;
};

}  // namespace

std::unique_ptr<Painter> bevelFloor(const CaseContext& c, const BevelFloorLook& look) {
    return std::make_unique<BevelFloor>(c, look);
}
std::unique_ptr<Painter> triangleFloor(const CaseContext& c) { return std::make_unique<TriangleFloor>(c); }
std::unique_ptr<Painter> littleArrowsFloor(const CaseContext& c, bool themed) {
    return std::make_unique<LittleArrowsFloor>(c, themed);
}
std::unique_ptr<Painter> chasingArrowsFloor(const CaseContext& c, bool xp, bool step) {
    return std::make_unique<ChasingArrowsFloor>(c, xp, step);
}
std::unique_ptr<Painter> imageWellFloor(const CaseContext& c) { return std::make_unique<ImageWellFloor>(c); }
std::unique_ptr<Painter> popupArrowFloor(const CaseContext& c, int facing) {
    return std::make_unique<PopupArrowFloor>(c, facing);
}
std::unique_ptr<Painter> placardFloor(const CaseContext& c) { return std::make_unique<PlacardFloor>(c); }
std::unique_ptr<Painter> separatorFloor(const CaseContext& c) { return std::make_unique<SeparatorFloor>(c); }

void paintChasingFrame(HDC dc, int left, int top, int frame, COLORREF background) {
    chasingFrame(dc, left, top, frame & (kFrameCount - 1), background, nullptr);
}

}  // namespace bench
