// The disclosure triangle's mouse as the soak expects it: a press inside
// shows it pressed, the drag follows the pointer, and a release inside flips
// Value and fires Action; a disabled triangle takes the press and does
// nothing with it.
#include "departures.h"
#include "expectations.h"

namespace soak {
namespace disclosure_triangle {

namespace {

// The press and the release test the host's point: the low 16 bits of each
// coordinate.
bool insideAsHostPoint(const HostRect& b, int64_t x, int64_t y) {
    return inside(b, static_cast<int16_t>(x), static_cast<int16_t>(y));
}

}  // namespace

bool press(World& w, Model& m, const HostRect& b, int64_t x, int64_t y) {
    if (!w.seenEnabled(m)) return true;
    if (!insideAsHostPoint(b, x, y)) return false;
    m.pressed = true;
    return true;
}

void drag(World& w, Model& m, const HostRect& b, int64_t x, int64_t y) {
    if (w.seenEnabled(m)) m.pressed = inside(b, x, y);
}

void release(World& w, Model& m, const HostRect& b, int64_t x, int64_t y) {
    if (w.seenEnabled(m) && insideAsHostPoint(b, x, y)) {
        m.value = m.value == 0 ? 1 : 0;
        m.pressed = false;
        w.invalidated(m);
        w.event(m, "Action");
    } else if (m.pressed && departs(Departure::TriangleReleaseOutside)) {
        m.pressed = false;
        w.invalidated(m);
    }
}

}  // namespace disclosure_triangle
}  // namespace soak
