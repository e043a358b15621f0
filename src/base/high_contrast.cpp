#include "base/high_contrast.h"

#include <cassert>

// Each element takes the system colour of what it is: lines and arrows drawn
// on a face the text colour of that face, the well's interior and its border
// the window's colours, greys the shadow, face or grey-text colour of their
// role.
// clang-format off
constexpr ElementColour kElementColours[kElementCount] = {
    {Element::kFrame, "Frame: bevel button, little arrows, placard",
     RGB(0, 0, 0), BLACK_BRUSH, COLOR_BTNTEXT, "COLOR_BTNTEXT"},
    {Element::kOutline, "Edge of every arrow and triangle, the little arrows' divider, the chasing arrows' tails "
                        "(drawn with the host's pen)",
     RGB(0, 0, 0), kNoStockObject, COLOR_BTNTEXT, "COLOR_BTNTEXT"},
    {Element::kArrow, "Arrow and arrowhead: popup arrow, the bevel button's menu arrow, little arrows, chasing arrows",
     RGB(0, 0, 0), BLACK_BRUSH, COLOR_BTNTEXT, "COLOR_BTNTEXT"},
    {Element::kDisabledFrame, "Frame of a disabled bevel button or little arrows",
     RGB(64, 64, 64), DKGRAY_BRUSH, COLOR_GRAYTEXT, "COLOR_GRAYTEXT"},
    {Element::kDisabledArrow, "Arrows of disabled little arrows",
     RGB(192, 192, 192), LTGRAY_BRUSH, COLOR_GRAYTEXT, "COLOR_GRAYTEXT"},
    {Element::kPushedInEdge, "Dark top and left edge of a pushed-in bevel button",
     RGB(85, 85, 85), kNoStockObject, COLOR_3DDKSHADOW, "COLOR_3DDKSHADOW"},
    {Element::kPressedCaption, "Caption of a pressed bevel button (classic look)",
     RGB(255, 255, 255), kNoStockObject, COLOR_BTNTEXT, "COLOR_BTNTEXT"},
    {Element::kWellShadow, "Image well's outer bevel, top and left",
     RGB(153, 153, 153), kNoStockObject, COLOR_BTNSHADOW, "COLOR_BTNSHADOW"},
    {Element::kWellLight, "Image well's outer bevel, bottom and right",
     RGB(255, 255, 255), WHITE_PEN, COLOR_BTNHIGHLIGHT, "COLOR_BTNHIGHLIGHT"},
    {Element::kWellBorder, "Image well's inner border",
     RGB(0, 0, 0), BLACK_BRUSH, COLOR_WINDOWTEXT, "COLOR_WINDOWTEXT"},
    {Element::kWellInterior, "Image well's interior",
     RGB(255, 255, 255), WHITE_BRUSH, COLOR_WINDOW, "COLOR_WINDOW"},
    {Element::kDisabledPlacardFrame, "Disabled placard's frame",
     RGB(153, 153, 153), kNoStockObject, COLOR_GRAYTEXT, "COLOR_GRAYTEXT"},
    {Element::kDisabledPlacardFace, "Disabled placard's face",
     RGB(238, 238, 238), kNoStockObject, COLOR_BTNFACE, "COLOR_BTNFACE"},
};
// clang-format on

static constexpr bool inElementOrder() {
    for (int i = 0; i < kElementCount; ++i)
        if (static_cast<int>(kElementColours[i].element) != i) return false;
    return true;
}
static_assert(inElementOrder(), "kElementColours is in Element order");

static const ElementColour& rowOf(Element element) { return kElementColours[static_cast<int>(element)]; }

bool HighContrastOn() {
    HIGHCONTRASTA setting{};
    setting.cbSize = sizeof setting;
    if (!SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof setting, &setting, 0)) return false;
    // An answer in a structure of another size is not one this code can read.
    return setting.cbSize == sizeof setting && (setting.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

COLORREF Palette::colour(Element element) const {
    const ElementColour& row = rowOf(element);
    return highContrast_ ? GetSysColor(row.systemColour) : row.classic;
}

HBRUSH Palette::brush(Element element) const {
    const ElementColour& row = rowOf(element);
    if (highContrast_) return GetSysColorBrush(row.systemColour);
    assert(row.stockObject != kNoStockObject && "the classic look paints this element with a brush of its own");
    return static_cast<HBRUSH>(GetStockObject(row.stockObject));
}
