// Small questions the controls ask of Windows itself.
#pragma once

#include <cstdint>

#include <windows.h>

// GetTickCount in units of 16 ms; wraps with the tick count.
uint32_t TickCount16();

// The nearest ancestor of window (the window itself is never tested) whose
// class name is "SysTabControl32" in any letter case, or null.
HWND FindTabControlAncestor(HWND window);
