// ImageWell, PopupArrow and Placard as the soak expects them: they hand
// every press, drag and release to their application as MouseDown,
// MouseDrag and MouseUp, in the control's own coordinates.
#include "expectations.h"

namespace soak {
namespace {

// The handler's answer is mouseDown's. An ImageWell answers false when
// disabled, or when the handler destroyed it; without a destruct in their
// published records PopupArrow and Placard cannot learn that a handler
// destroyed them: the handler's answer stands.
bool press(World& w, const Step& s, Model& m, const HostRect&) {
    if (m.className == "ImageWell")
        return w.seenEnabled(m) && w.mouseEvent(m, "MouseDown", s.n[0], s.n[1]) && !World::stopped(m);
    return w.mouseEvent(m, "MouseDown", s.n[0], s.n[1]);
}

void drag(World& w, const Step& s, Model& m, const HostRect&) { w.mouseEvent(m, "MouseDrag", s.n[0], s.n[1]); }

void release(World& w, const Step& s, Model& m, const HostRect&) { w.mouseEvent(m, "MouseUp", s.n[0], s.n[1]); }

}  // namespace

const Mouse kForwardedMouse = {press, drag, release, nullptr};

}  // namespace soak
