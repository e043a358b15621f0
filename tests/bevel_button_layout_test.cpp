// The bevel button's layout on its own, without GDI: rings and face, icon and
// caption placement, the menu arrow and the menu's anchor, row by row as the
// placement rules give them.
#include <string>

#include <gtest/gtest.h>

#include "controls/bevel_button/layout.h"
#include "controls/popup_arrow.h"

namespace {

using bevel_button::ButtonLayout;
using bevel_button::ButtonShape;
using bevel_button::CaptionExtent;

constexpr HostRect kBounds = {0, 0, 22, 60};  // top, left, bottom, right

std::string Text(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

ButtonShape Classic(int32_t bevel = 0) {
    ButtonShape shape{};
    shape.enabled = true;
    shape.rings = bevel;
    shape.captionPlacement = 1;
    shape.captionAlign = 3;
    return shape;
}

ButtonShape WithIcon(int32_t align, int32_t dx, int32_t dy) {
    ButtonShape shape = Classic();
    shape.hasIcon = true;
    shape.iconWidth = 16;
    shape.iconHeight = 16;
    shape.iconAlign = align;
    shape.iconDX = dx;
    shape.iconDY = dy;
    return shape;
}

TEST(BevelLayout, RingsAndFace) {
    struct Row {
        const char* name;
        ButtonShape shape;
        int32_t rings;
        const char* face;
        HostRect bounds = kBounds;
    } rows[] = {
        {"Bevel 2: three rings", Classic(2), 3, "4,4,56,18"},
        {"Bevel 0: one ring", Classic(0), 1, "2,2,58,20"},
        {"negative Bevel: none", Classic(-1), 0, "1,1,59,21"},
        {"disabled: no rings",
         [] {
             ButtonShape s = Classic(2);
             s.enabled = false;
             return s;
         }(),
         0, "1,1,59,21"},
        {"themed: no rings",
         [] {
             ButtonShape s = Classic(0);
             s.themed = true;
             return s;
         }(),
         0, "1,1,59,21"},
        // A face worn down to no width or height still takes its ring; one
        // turned inside out takes none.
        {"6 wide: the last ring on a face 0 wide", Classic(2), 3, "4,4,2,18", {0, 0, 22, 6}},
        {"4 wide: the face turns inside out", Classic(2), 2, "3,3,1,19", {0, 0, 22, 4}},
        {"6 high: the last ring on a face 0 high", Classic(2), 3, "4,4,56,2", {0, 0, 6, 60}},
        {"4 high: the face turns inside out", Classic(2), 2, "3,3,57,1", {0, 0, 4, 60}},
    };
    for (const Row& row : rows) {
        const ButtonLayout layout = bevel_button::layOutButton(row.bounds, row.shape);
        EXPECT_EQ(layout.rings, row.rings) << row.name;
        EXPECT_EQ(Text(layout.face), row.face) << row.name;
        EXPECT_EQ(Text(layout.outer), Text(RECT{row.bounds.left, row.bounds.top, row.bounds.right, row.bounds.bottom}))
            << row.name;
    }
}

// Face (2, 2, 58, 20), a 16 x 16 icon, IconDX 2, IconDY 3: x0 = 2 + (56 - 16)
// / 2 = 22, y0 = 2 + (18 - 16) / 2 = 3; against the far edges 58 - 16 - 2 = 40
// and 20 - 16 - 3 = 1.
TEST(BevelLayout, IconPlacementByIconAlign) {
    struct Row {
        int32_t align;
        int16_t x, y;
    } rows[] = {
        {0, 4, 3}, {1, 22, 3}, {2, 4, 3},  {3, 40, 3}, {4, 22, 5},  {5, 22, 1},
        {6, 4, 5}, {7, 4, 1},  {8, 40, 5}, {9, 40, 1}, {10, 22, 3}, {-1, 22, 3},
    };
    const CaptionExtent caption{0, 10, 3, 1};
    for (const Row& row : rows) {
        ButtonShape shape = WithIcon(row.align, 2, 3);
        ButtonLayout layout = bevel_button::layOutButton(kBounds, shape);
        bevel_button::placeContent(shape, caption, &layout);
        EXPECT_EQ(layout.icon.left, row.x) << "IconAlign " << row.align;
        EXPECT_EQ(layout.icon.top, row.y) << "IconAlign " << row.align;
        EXPECT_EQ(layout.icon.right - layout.icon.left, 16);
        EXPECT_EQ(layout.icon.bottom - layout.icon.top, 16);
        // Pressed, the destination moves one right and down.
        shape.pressed = true;
        layout = bevel_button::layOutButton(kBounds, shape);
        bevel_button::placeContent(shape, caption, &layout);
        EXPECT_EQ(layout.icon.left, row.x + 1) << "IconAlign " << row.align << " pressed";
        EXPECT_EQ(layout.icon.top, row.y + 1) << "IconAlign " << row.align << " pressed";
    }
}

// A caption 20 wide, ascent 10, descent 3, leading 1: centred at x = 2 + 36 / 2
// = 20, y = 2 + (18 - 14) / 2 = 4. The icon (IconAlign 0, IconDX 2) sits at
// (4, 3); CaptionDelta is 5.
TEST(BevelLayout, CaptionPlacementAndAlignment) {
    struct Row {
        bool icon;
        int32_t placement;
        int32_t align;
        LONG x, y;
    } rows[] = {
        {false, 1, 3, 20, 4}, {false, 2, 3, 20, 4}, {false, 4, 0, 7, 4},  {false, 1, 1, 33, 4},
        {false, 1, 2, 7, 4},  {false, 1, 9, 20, 4}, {true, 0, 3, 20, 4},  {true, 2, 0, 25, 4},
        {true, 3, 1, -21, 4}, {true, 4, 3, 20, 21}, {true, 4, 1, 33, 21}, {true, 5, 0, 7, -13},
        // One past each enumeration's ends: CaptionAlign centres, CaptionPlacement leaves it.
        {false, 1, 4, 20, 4}, {false, 1, -1, 20, 4}, {true, 6, 0, 7, 4},  {true, -1, 0, 7, 4},
    };
    const CaptionExtent caption{20, 10, 3, 1};
    for (const Row& row : rows) {
        ButtonShape shape = row.icon ? WithIcon(0, 2, 0) : Classic();
        shape.captionPlacement = row.placement;
        shape.captionAlign = row.align;
        shape.captionDelta = 5;
        ButtonLayout layout = bevel_button::layOutButton(kBounds, shape);
        bevel_button::placeContent(shape, caption, &layout);
        EXPECT_EQ(layout.caption.left, row.x)
            << "icon " << row.icon << " placement " << row.placement << " align " << row.align;
        EXPECT_EQ(layout.caption.top, row.y)
            << "icon " << row.icon << " placement " << row.placement << " align " << row.align;
        EXPECT_EQ(layout.caption.right, 60);
        EXPECT_EQ(layout.caption.bottom, 22);
    }
}

// Face (2, 2, 58, 20): R 58, B 20, M = 2 + 18 / 2 = 11. The themed face is
// (1, 1, 59, 21): R 59, M = 1 + 20 / 2 = 11.
TEST(BevelLayout, MenuArrowAndMenuAnchor) {
    struct Row {
        bool themed;
        int32_t hasMenu;
        bool arrow;
        LONG x, y;
        int32_t facing;
        LONG anchorX, anchorY;
    } rows[] = {
        {false, 1, true, 48, 14, popup_arrow::kDownLarge, 0, 22},
        {false, 2, true, 52, 10, popup_arrow::kRightLarge, 60, 0},
        {true, 1, true, 49, 10, popup_arrow::kDownSmall, 0, 22},
        {true, 2, true, 51, 9, popup_arrow::kRightSmall, 60, 0},
        {false, 3, false, 0, 0, 0, 60, 0},
        {false, 0, false, 0, 0, 0, 60, 0},
        {false, -1, false, 0, 0, 0, 60, 0},
        {true, 3, false, 0, 0, 0, 60, 0},
    };
    for (const Row& row : rows) {
        ButtonShape shape = Classic();
        shape.themed = row.themed;
        shape.hasMenu = row.hasMenu;
        const ButtonLayout layout = bevel_button::layOutButton(kBounds, shape);
        EXPECT_EQ(layout.hasArrow, row.arrow) << "themed " << row.themed << " HasMenu " << row.hasMenu;
        if (row.arrow) {
            EXPECT_EQ(layout.arrow.x, row.x) << "themed " << row.themed << " HasMenu " << row.hasMenu;
            EXPECT_EQ(layout.arrow.y, row.y) << "themed " << row.themed << " HasMenu " << row.hasMenu;
            EXPECT_EQ(layout.arrowFacing, row.facing) << "themed " << row.themed << " HasMenu " << row.hasMenu;
        }
        EXPECT_EQ(layout.menuAnchor.x, row.anchorX) << "HasMenu " << row.hasMenu;
        EXPECT_EQ(layout.menuAnchor.y, row.anchorY) << "HasMenu " << row.hasMenu;
    }
}

}  // namespace
