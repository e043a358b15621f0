// Bevel button look: everything a paint depends on besides the device
// context and the bounds, gathered from the block and from the host in the
// order the host sees it asked: the caption, then the surface, then the
// enabled state, the windows behind a themed parent background and the
// character set. The painting callbacks live here, as they do the gathering.
#pragma once

#include <cstdint>

#include <windows.h>

#include "base/string.h"
#include "base/theme_api.h"
#include "controls/bevel_button/layout.h"
#include "controls/bevel_button/model.h"
#include "host_services/surface.h"
#include "plugin_interface.h"

namespace bevel_button {

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

// The caption with a constant reference resolved, tagged with the host's
// encoding for it; empty for a nil caption. Asked before the surface.
PluginString captionText(const InstanceData& data);

// The rest of the look, asked once the surface is there: the enabled state,
// the parent background's windows (a normal themed button only) and the
// character set for the font.
ButtonLook gatherLook(ControlInstance* control, const InstanceData& data, const PluginString& caption,
                      const HostRect& bounds, Surface surface);

// The caption, the surface (graphics, or when it is null the control's own,
// borrowed and given back), the rest of the look, then the paint. The
// caller has cleaned up Bevel first.
void paintBevelButton(ControlInstance* control, HostGraphics graphics, const InstanceData& data, const HostRect& bounds,
                      Surface surface);

// The draw and drawOffscreen callbacks.
void draw(ControlInstance* control, HostGraphics graphics);
void drawOffscreen(ControlInstance* control, HostGraphics graphics);

}  // namespace bevel_button
