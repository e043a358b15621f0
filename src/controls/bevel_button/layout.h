// Bevel button layout: where frame, rings, face, icon, caption, menu arrow
// and the popup menu's anchor go, from the block's values and the caption's
// extent. Pure: no host, system or GDI calls, so every placement rule can be
// checked on its own.
#pragma once

#include <cstdint>

#include <windows.h>

#include "controls/bevel_button/model.h"
#include "plugin_interface.h"

namespace bevel_button {

// What the layout reads of a button: the block's values and whether it is
// enabled and themed.
struct ButtonShape {
    bool enabled;
    bool themed;
    bool pressed;
    int32_t rings;  // Bevel, with the themed value counted as 0
    bool hasIcon;
    int32_t iconWidth;
    int32_t iconHeight;
    int32_t iconAlign;
    int32_t iconDX;
    int32_t iconDY;
    int32_t captionPlacement;
    int32_t captionAlign;
    int32_t captionDelta;
    int32_t hasMenu;
};

// The shape of a button from its block.
ButtonShape shapeOf(const InstanceData& data, bool enabled);

// The caption as measured in its font: the width as shown (prefix
// ampersands left out) and the font's metrics.
struct CaptionExtent {
    int32_t width;
    int32_t ascent;
    int32_t descent;
    int32_t leading;
};

// Where everything goes, in the bounds' coordinates.
struct ButtonLayout {
    RECT outer;           // the bounds
    RECT face;            // inside the frame and the rings; inside out when they do not fit
    int32_t rings;        // classic rings drawn, from the outside in
    HostRect icon;        // placeContent: the icon's destination, one right and down while pressed
    RECT caption;         // placeContent: from the caption's top-left corner to the bounds' bottom-right
    bool hasArrow;        // the menu arrow, HasMenu 1 or 2 only
    POINT arrow;          // its anchor
    int32_t arrowFacing;  // its popup arrow shape
    POINT menuAnchor;     // where the popup menu opens
};

// Lays out frame, face, rings, menu arrow and the menu's anchor. The
// interaction takes the menu's anchor from it.
ButtonLayout layOutButton(const HostRect& bounds, const ButtonShape& shape);
// Places icon and caption within the layout's face, once the caption has been
// measured in its font.
void placeContent(const ButtonShape& shape, const CaptionExtent& caption, ButtonLayout* layout);

// True when the face has turned inside out (more rings than fit): filling or
// clipping to it would reach past the button.
bool isEmptyFace(const RECT& face);

}  // namespace bevel_button
