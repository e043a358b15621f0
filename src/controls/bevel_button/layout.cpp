#include "controls/bevel_button/layout.h"

#include <iterator>

#include "controls/popup_arrow.h"

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

bool isEmptyFace(const RECT& face) { return face.left >= face.right || face.top >= face.bottom; }

// The rectangle moved in by inset on every side.
static RECT insetBy(const RECT& rect, LONG inset) {
    return RECT{rect.left + inset, rect.top + inset, rect.right - inset, rect.bottom - inset};
}

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
        layout.face = insetBy(layout.face, 1);
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
    layout.outer = RECT{bounds.left, bounds.top, bounds.right, bounds.bottom};
    layout.face = insetBy(layout.outer, 1);
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

}  // namespace bevel_button
