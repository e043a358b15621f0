// Small helpers shared by the controls.
#pragma once

#include <array>
#include <cstdint>

#include <windows.h>

#include "plugin_interface.h"

// Which of a rectangle's far edges (right and bottom) count as inside.
enum class FarEdges { kOutside, kInside };

// The one rectangle test: true when left <= x < right and top <= y < bottom
// (with FarEdges::kInside also x == right and y == bottom). Compared in 32
// bits, so a far-off mouse position never wraps into the rectangle.
bool PointInHostRect(int32_t x, int32_t y, const HostRect& rect, FarEdges farEdges = FarEdges::kOutside);
// The same for the host's own point.
inline bool PointInHostRect(HostPoint point, const HostRect& rect) { return PointInHostRect(point.h, point.v, rect); }

// GetTickCount in units of 16 ms; wraps with the tick count.
uint32_t TickCount16();

// The nearest ancestor of window (the window itself is never tested) whose
// class name is "SysTabControl32" in any letter case, or null.
HWND FindTabControlAncestor(HWND window);

// The text of a host string: one byte past the start of its storage, or an
// empty text for a null string.
const char* HostStringText(HostString string);

int32_t CStringLength(const char* text);

// Case-insensitive comparisons through the Mac OS Roman upper-case table;
// each answers -1, 0 or 1. A null text orders before any other text.
int32_t CompareNoCase(const char* a, const char* b);
int32_t CompareNoCaseN(const unsigned char* a, int32_t lengthA, const unsigned char* b, int32_t lengthB);

// The upper-case form of every byte in Mac OS Roman.
extern const std::array<unsigned char, 256> kUpperCaseTable;
