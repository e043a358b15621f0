// The elements the controls paint in fixed colours (black frames, outlines
// and arrows, the image well's white interior, a few greys) and the system
// colour each takes where the user has turned the high-contrast setting on.
//
// The standard controls draw with system colours and so follow the user's
// scheme; in High Contrast Black, where the button face is black, a black
// frame or arrow would vanish. Under high contrast each element of the table
// is painted in the system colour of its role instead. The setting is asked
// afresh at every paint, where the paint asks for its system colours; a
// query that fails, or that answers with a structure of another size, counts
// as high contrast off. With high contrast off every element keeps its fixed
// colour and is painted with the very calls it always was.
//
// Usage by a painter:
//   const Palette palette = Palette::ofSetting();
//   FrameRect(dc, &outer, palette.brush(Element::kFrame));   // BLACK_BRUSH, or COLOR_BTNTEXT's brush
//   PaintOutlined(dc, palette, [&] { Polygon(dc, points, 3); });
#pragma once

#include <cstdint>

#include <windows.h>

// The elements painted in fixed colours, in the order of kElementColours.
enum class Element : uint8_t {
    kFrame,
    kOutline,
    kArrow,
    kDisabledFrame,
    kDisabledArrow,
    kPushedInEdge,
    kPressedCaption,
    kWellShadow,
    kWellLight,
    kWellBorder,
    kWellInterior,
    kDisabledPlacardFrame,
    kDisabledPlacardFace,
};
constexpr int kElementCount = 13;

// No stock object paints the element in the classic look: a pen or brush is
// made of its colour, or (the outline) the host's own pen draws it.
constexpr int kNoStockObject = -1;

struct ElementColour {
    Element element;
    const char* what;      // the element and the controls that have it
    COLORREF classic;      // the colour the classic look gives it
    int stockObject;       // the stock brush or pen the classic look paints it with, or kNoStockObject
    int systemColour;      // COLOR_... under high contrast
    const char* roleName;  // that system colour's name
};

// The one table of the mapping, in Element order.
extern const ElementColour kElementColours[kElementCount];

// Whether the high-contrast setting is on (SystemParametersInfoA,
// SPI_GETHIGHCONTRAST). Asked afresh at every call.
bool HighContrastOn();

// The colours of one paint.
class Palette {
public:
    explicit constexpr Palette(bool highContrast) : highContrast_(highContrast) {}
    // The palette of the setting as it is now: one query.
    static Palette ofSetting() { return Palette(HighContrastOn()); }

    bool highContrast() const { return highContrast_; }
    // The element's classic colour, or under high contrast its system colour.
    COLORREF colour(Element element) const;
    // A brush of the element's colour that nobody deletes: the classic look's
    // stock brush, or under high contrast the system colour's own brush. For
    // the elements that the classic look paints with a stock brush.
    HBRUSH brush(Element element) const;

private:
    bool highContrast_;
};

// paint() draws its outlines and lines with the host's pen, as the classic
// look has them; under high contrast a pen of the outline's system colour
// is made, selected for paint() and deleted afterwards.
template <typename Painter>
void PaintOutlined(HDC dc, const Palette& palette, Painter&& paint) {
    if (!palette.highContrast()) {
        paint();
        return;
    }
    HPEN pen = CreatePen(PS_SOLID, 1, palette.colour(Element::kOutline));
    HGDIOBJ kept = SelectObject(dc, pen);
    paint();
    SelectObject(dc, kept);
    DeleteObject(pen);
}
