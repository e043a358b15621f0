// Small helpers on the host's own types, shared by the controls.
#pragma once

#include <cstdint>

#include "plugin_interface.h"

// Which of a rectangle's far edges (right and bottom) count as inside.
enum class FarEdges { kOutside, kInside };

// The one rectangle test: true when left <= x < right and top <= y < bottom
// (with FarEdges::kInside also x == right and y == bottom). Compared in 32
// bits, so a far-off mouse position never wraps into the rectangle.
bool PointInHostRect(int32_t x, int32_t y, const HostRect& rect, FarEdges farEdges = FarEdges::kOutside);
// The same for the host's own point, whose fields are 16 bits wide.
inline bool PointInHostRect(HostPoint point, const HostRect& rect) { return PointInHostRect(point.h, point.v, rect); }
// The host point of a mouse position: its low 16 bits, as the host's point
// record holds it.
inline HostPoint HostPointOf(int32_t x, int32_t y) {
    return HostPoint{static_cast<int16_t>(static_cast<uint16_t>(y)), static_cast<int16_t>(static_cast<uint16_t>(x))};
}

// The text of a host string: one byte past the start of its storage, or an
// empty text for a null string.
const char* HostStringText(HostString string);
