// Bevel button interaction: push, toggle and sticky clicks, the keyboard
// accelerator, the popup menu built from the rows, hot tracking of themed
// buttons, and the action that tells the receivers and then the application.
#pragma once

#include <cstdint>

#include "controls/bevel_button/model.h"
#include "plugin_interface.h"

namespace bevel_button {

// Positions in the class's event table.
constexpr int32_t kMouseUpEvent = 0;
constexpr int32_t kMouseDownEvent = 1;
constexpr int32_t kActionEvent = 2;

// Popup menu items carry identifiers from this value on, one per row.
constexpr UINT kFirstMenuItemId = 1000;

// Every receiver's "PerformAction", most recently registered first, then the
// application's Action handler. False when one of them destroyed the button,
// which then touched nothing more of it.
bool fireAction(ControlInstance* control);

HostBoolean mouseDown(ControlInstance* control, int32_t x, int32_t y);
void mouseDrag(ControlInstance* control, int32_t x, int32_t y);
void mouseUp(ControlInstance* control, int32_t x, int32_t y);
// Hot tracking, on themed buttons only.
void mouseEnter(ControlInstance* control);
void mouseExit(ControlInstance* control);
// The host's request to act: runs fireAction; the argument is not read.
void action(ControlInstance* control, int32_t ignored);

}  // namespace bevel_button
