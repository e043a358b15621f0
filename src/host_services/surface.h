// Painting on the host's surfaces: on the graphics object a draw callback is
// given, or at once on the control's own surface, borrowed for the purpose
// and given back. The painters themselves get a device context and call no
// host service.
#pragma once

#include <windows.h>

#include "host_services/resolver.h"
#include "plugin_interface.h"

// Where a surface's device origin lies, which only clip regions follow (they
// are in device coordinates; drawing uses the bounds' coordinates on every
// surface): at the control's top-left corner on the on-screen surfaces (draw
// and a borrowed one), at the window's on off-screen ones (drawOffscreen).
enum class Surface { kOnScreen, kOffScreen };

// paint(dc) on the device context of graphics; nothing when it has none.
template <typename Painter>
void PaintOn(HostGraphics graphics, Painter&& paint) {
    if (HDC dc = host::ZOKAGraphicsDC(graphics)) paint(dc);
}

// Immediate feedback outside draw (mouse tracking, animation): paint(dc) on
// the control's own surface (ZOKAGetControlGraphics), which is given back
// with ZOKAUnlockObject; nothing when the host lends none.
template <typename Painter>
void RepaintNow(ControlInstance* instance, Painter&& paint) {
    HostGraphics graphics = host::ZOKAGetControlGraphics(instance);
    if (graphics == nullptr) return;
    PaintOn(graphics, paint);
    host::ZOKAUnlockObject(graphics);
}

// paint() with dc clipped to rect (window coordinates) in place of the host's
// clip region, which is selected again afterwards. The region replaces the
// host's rather than being intersected with it; an empty rect clips
// everything away.
template <typename Painter>
void PaintClipped(HDC dc, RECT rect, const HostRect& bounds, Surface surface, Painter&& paint) {
    HRGN saved = CreateRectRgn(0, 0, 0, 0);
    const bool hadClip = GetClipRgn(dc, saved) > 0;
    // CreateRectRgn would turn an inside-out rectangle the right way round.
    if (rect.left >= rect.right || rect.top >= rect.bottom) {
        SetRect(&rect, 0, 0, 0, 0);
    } else if (surface == Surface::kOnScreen) {
        OffsetRect(&rect, -bounds.left, -bounds.top);
    }
    HRGN clip = CreateRectRgn(rect.left, rect.top, rect.right, rect.bottom);
    SelectClipRgn(dc, clip);
    paint();
    SelectClipRgn(dc, hadClip ? saved : nullptr);
    DeleteObject(clip);
    DeleteObject(saved);
}
