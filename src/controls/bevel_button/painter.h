// Bevel button painter: frame and bevel rings or the themed toolbar-button
// background, the face, the caption, the icon and the menu arrow, in one pass
// and three steps. The look gathers the block's values and the host's
// answers; the layout places everything from the look and the caption's
// extent; the painter paints look and layout on a device context, calls no
// host service but the host's own picture drawing, and changes no state.
// Every GDI object it makes is gone and the device context is as it was when
// it returns.
#pragma once

#include <cstdint>

#include <windows.h>

#include "controls/bevel_button/model.h"
#include "frame/surface.h"
#include "plugin_interface.h"
#include "support/string.h"
#include "support/theme_api.h"

namespace bevel_button {

// ---- geometry ---------------------------------------------------------------------

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

// The shape of a button from its block; asks the host nothing.
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

// Lays out frame, face, rings, menu arrow and the menu's anchor; pure. The
// interaction takes the menu's anchor from it.
ButtonLayout layOutButton(const HostRect& bounds, const ButtonShape& shape);
// Places icon and caption within the layout's face, once the caption has been
// measured in its font; pure.
void placeContent(const ButtonShape& shape, const CaptionExtent& caption, ButtonLayout* layout);

// ---- look -------------------------------------------------------------------------

// The caption's font as CreateFontA is asked for it.
struct FontRequest {
    PluginString name;       // TextFont, tagged EncodingAscii
    const char* mappedFace;  // the table's face for name, or null: name itself
    bool pointRule;          // TextSize is scaled and taken as points (SmallSystem)
    int32_t textSize;
    int weight;
    DWORD italic;
    DWORD underline;
    DWORD charset;  // from the host
};

// The parent's themed background under a normal themed button.
struct ParentBackground {
    bool painted;
    HWND window;   // the control's own window
    bool hasArea;  // inside a tab control: the tab control's area, else none
    RECT area;
};

// Everything a paint depends on besides the device context and the bounds.
struct ButtonLook {
    ButtonShape shape;
    PluginString caption;  // the caption with a constant reference resolved, tagged with its encoding
    bool wideText;         // text goes to the W functions (NT), else to the A ones
    bool pushedIn;         // pressed or Value: the shadow face and the pushed-in rings
    ThemeHandle theme;
    int32_t toolbarState;  // the themed background's state
    ParentBackground parent;
    FontRequest font;
    HostObject icon;
    int32_t iconFlag;  // the description's flag byte, passed on to drawPicturePrimitive
    Surface surface;   // where the clip region's origin lies
};

// Gathers the look: the block's values and the host's answers (the caption,
// enabled, the character set, the windows behind the parent background).
ButtonLook gatherLook(ControlInstance* control, const InstanceData& data, const HostRect& bounds, Surface surface);

// ---- painter ----------------------------------------------------------------------

// Paints look within bounds (window coordinates) on dc.
void paintButton(HDC dc, const HostRect& bounds, const ButtonLook& look);

// The three steps on graphics, or, when it is null, on the control's own
// surface, borrowed and given back. The caller has cleaned up Bevel first.
void paintBevelButton(ControlInstance* control, HostGraphics graphics, const InstanceData& data, const HostRect& bounds,
                      Surface surface);

// True on NT-family systems: text goes to the wide (W) functions there and
// to the narrow (A) ones elsewhere. Asked of the system once per process.
bool isWindowsNT();

// Copies n units of src and its terminator into dst (room for n + 1 units),
// dropping prefix ampersands: "&&" becomes "&", a single "&" vanishes.
// Only the n units are read; dst may be src. Answers the number of units
// written, the terminator not counted.
int32_t stripAmpersands(const char* src, int32_t n, char* dst);
int32_t stripAmpersands(const wchar_t* src, int32_t n, wchar_t* dst);

// ---- callbacks --------------------------------------------------------------------

// The draw and drawOffscreen callbacks.
void draw(ControlInstance* control, HostGraphics graphics);
void drawOffscreen(ControlInstance* control, HostGraphics graphics);

}  // namespace bevel_button
