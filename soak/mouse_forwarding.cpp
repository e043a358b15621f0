// ImageWell, PopupArrow and Placard as the soak expects them: they hand
// every press, drag and release to their application as MouseDown,
// MouseDrag and MouseUp, in the control's own coordinates.
#include "expectations.h"

namespace soak {
namespace mouse_forwarding {

bool forwards(const std::string& className) {
    return className == "ImageWell" || className == "PopupArrow" || className == "Placard";
}

// The handler's answer is mouseDown's. An ImageWell answers false when
// disabled, or when the handler destroyed it; without a destruct in their
// published records PopupArrow and Placard cannot learn that a handler
// destroyed them: the handler's answer stands.
bool press(World& w, Model& m, int64_t x, int64_t y) {
    if (m.className == "ImageWell") return w.seenEnabled(m) && w.mouseEvent(m, "MouseDown", x, y) && !World::stopped(m);
    return w.mouseEvent(m, "MouseDown", x, y);
}

void dragOrRelease(World& w, Model& m, const char* event, int64_t x, int64_t y) { w.mouseEvent(m, event, x, y); }

}  // namespace mouse_forwarding
}  // namespace soak
