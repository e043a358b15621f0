// Bevel button painter: frame and bevel rings or the themed toolbar-button
// background, the face, the caption, the icon and the menu arrow, in one pass.
// Painting reads the InstanceData and writes only Bevel and ButtonType (the
// clean-up of retired bevel values); every GDI object it makes is gone and
// the device context is as it was when it returns.
#pragma once

#include <cstdint>

#include <windows.h>

#include "controls/bevel_button/model.h"
#include "plugin_interface.h"

namespace bevel_button {

// Paints the whole button within bounds (window coordinates). With a null
// graphics object it borrows the control's own surface and gives it back.
// Off-screen surfaces share the bounds' coordinates; on-screen ones have
// their origin at the control's top-left corner, which only the clip region
// has to follow.
void paintBevelButton(ControlInstance* control, HostGraphics graphics, InstanceData& data, const HostRect& bounds,
                      bool offscreen);

// The draw and drawOffscreen callbacks.
void draw(ControlInstance* control, HostGraphics graphics);
void drawOffscreen(ControlInstance* control, HostGraphics graphics);

// True on NT-family systems: text goes to the wide (W) functions there and
// to the narrow (A) ones elsewhere. Asked of the system once per process.
bool isWindowsNT();

// Copies n units of src and its terminator into dst (room for n + 1 units),
// dropping prefix ampersands: "&&" becomes "&", a single "&" vanishes.
// Only the n units are read; dst may be src. Answers the number of units
// written, the terminator not counted.
int32_t stripAmpersands(const char* src, int32_t n, char* dst);
int32_t stripAmpersands(const wchar_t* src, int32_t n, wchar_t* dst);

}  // namespace bevel_button
