#include "gallery.h"

namespace {

constexpr int kWidth = 48;
constexpr int kHeight = 24;

CellSetup withValue(int32_t value) {
    return [value](pluginhost::Host& host, pluginhost::Instance* p) { host.setInteger(p, "Value", value); };
}

}  // namespace

void addPlacardCells(Gallery& gallery) {
    pluginhost::InstanceOptions disabled;
    disabled.enabled = false;
    gallery.section("Placard");
    gallery.cell("off", "Placard", kWidth, kHeight, withValue(0));
    gallery.cell("on", "Placard", kWidth, kHeight, withValue(1));
    gallery.cell("disabled off", "Placard", kWidth, kHeight, withValue(0), disabled);
    gallery.cell("disabled on", "Placard", kWidth, kHeight, withValue(1), disabled);
}
