#include "gallery.h"
#include "visual_styles.h"

namespace {

using pluginhost::Host;
using pluginhost::Instance;

constexpr int kWidth = 13;
constexpr int kHeight = 23;
// Points on each half, from the anchor.
constexpr int kInsideX = 6;
constexpr int kUpY = 5;
constexpr int kDownY = 17;

CellSetup press(int dy) {
    return [dy](Host& host, Instance* a) { host.mouseDown(a, a->bounds.left + kInsideX, a->bounds.top + dy); };
}

CellSetup hover(int dy) {
    return [dy](Host& host, Instance* a) { host.mouseMove(a, a->bounds.left + kInsideX, a->bounds.top + dy); };
}

void addStates(Gallery& gallery, const char* look, CellSetup (*wrap)(CellSetup)) {
    const std::string prefix = std::string(look) + " ";
    pluginhost::InstanceOptions disabled;
    disabled.enabled = false;
    gallery.cell(prefix + "normal", "LittleArrows", kWidth, kHeight, wrap({}));
    gallery.cell(prefix + "up pressed", "LittleArrows", kWidth, kHeight, wrap(press(kUpY)));
    gallery.cell(prefix + "down pressed", "LittleArrows", kWidth, kHeight, wrap(press(kDownY)));
    gallery.cell(prefix + "up hot", "LittleArrows", kWidth, kHeight, wrap(hover(kUpY)));
    gallery.cell(prefix + "down hot", "LittleArrows", kWidth, kHeight, wrap(hover(kDownY)));
    gallery.cell(prefix + "disabled", "LittleArrows", kWidth, kHeight, wrap({}), disabled);
}

CellSetup classic(CellSetup setup) { return setup; }

}  // namespace

void addLittleArrowsCells(Gallery& gallery) {
    useVisualStyles(gallery);
    gallery.section("LittleArrows");
    addStates(gallery, "classic", classic);
    addStates(gallery, "themed", themed);
}
