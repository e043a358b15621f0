// The disclosure triangle's mouse as the soak expects it: a release inside
// flips Value and fires Action; a disabled one takes the press, no more.
#include "expectations.h"

namespace soak {
namespace {

// The press and the release test the host's point: the low 16 bits of each
// coordinate.
bool insideAsHostPoint(const HostRect& b, int64_t x, int64_t y) {
    return inside(b, static_cast<int16_t>(x), static_cast<int16_t>(y));
}

bool press(World& w, const Step& s, Model& m, const HostRect& b) {
    if (!w.seenEnabled(m)) return true;
    if (!insideAsHostPoint(b, s.n[0], s.n[1])) return false;
    m.pressed = true;
    return true;
}

void drag(World& w, const Step& s, Model& m, const HostRect& b) {
    if (w.seenEnabled(m)) m.pressed = inside(b, s.n[0], s.n[1]);
}

void release(World& w, const Step& s, Model& m, const HostRect& b) {
    if (w.seenEnabled(m) && insideAsHostPoint(b, s.n[0], s.n[1])) {
        m.value = m.value == 0 ? 1 : 0;
        m.pressed = false;
        w.invalidated(m);
        w.event(m, "Action");
    } else if (m.pressed && departs(Departure::TriangleReleaseOutside)) {
        m.pressed = false;
        w.invalidated(m);
    }
}

}  // namespace

const Mouse kDisclosureTriangleMouse = {press, drag, release, nullptr};

}  // namespace soak
