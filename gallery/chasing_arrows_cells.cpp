#include <string>

#include "gallery.h"
#include "visual_styles.h"

namespace {

using pluginhost::Host;
using pluginhost::Instance;

constexpr int kSize = 16;
constexpr int kFrames = 8;

// Frame n is what n idle calls show.
CellSetup advance(int frames) {
    return [frames](Host& host, Instance* a) {
        for (int i = 0; i < frames; ++i) host.idle(a);
    };
}

}  // namespace

void addChasingArrowsCells(Gallery& gallery) {
    useVisualStyles(gallery);
    gallery.section("ChasingArrows");
    for (int frame = 0; frame < kFrames; ++frame) {
        gallery.cell("frame " + std::to_string(frame), "ChasingArrows", kSize, kSize, advance(frame));
    }
    pluginhost::InstanceOptions inTab;
    inTab.insideTabControl = true;
    for (int frame = 0; frame < kFrames; ++frame) {
        gallery.cell("themed in tab " + std::to_string(frame), "ChasingArrows", kSize, kSize, themed(advance(frame)),
                     inTab);
    }
}
