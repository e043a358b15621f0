// Bevel button painter: frame and bevel rings or the themed toolbar-button
// background, the face, the caption, the icon and the menu arrow, in one
// pass, from the look and the layout. Under high contrast the fixed colours
// take their system colours (base/high_contrast.h); a themed background that
// the theme cannot draw gives way to the classic look. GDI only: it calls no
// host service but the host's own picture drawing, and changes no state.
// Every GDI object it makes is gone and the device context is as it was when
// it returns.
#pragma once

#include <windows.h>

#include "controls/bevel_button/look.h"
#include "plugin_interface.h"

namespace bevel_button {

// Paints look within bounds (window coordinates) on dc.
void paintButton(HDC dc, const HostRect& bounds, const ButtonLook& look);

}  // namespace bevel_button
