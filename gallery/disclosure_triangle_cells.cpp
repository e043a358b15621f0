#include <cstddef>

#include "controls/disclosure_triangle.h"
#include "gallery.h"

namespace {

using pluginhost::Host;
using pluginhost::Instance;

constexpr int kSize = 12;

CellSetup withFacingAndValue(int32_t facing, int32_t value) {
    return [facing, value](Host& host, Instance* t) {
        host.setInteger(t, "Facing", facing);
        host.setInteger(t, "Value", value);
    };
}

}  // namespace

void addDisclosureTriangleCells(Gallery& gallery) {
    gallery.section("DisclosureTriangle");
    gallery.cell("right", "DisclosureTriangle", kSize, kSize, withFacingAndValue(0, 0));
    gallery.cell("left", "DisclosureTriangle", kSize, kSize, withFacingAndValue(1, 0));
    gallery.cell("expanded", "DisclosureTriangle", kSize, kSize, withFacingAndValue(0, 1));
    // Pressed is what a press inside shows until the release.
    gallery.cell("pressed", "DisclosureTriangle", kSize, kSize,
                 [](Host&, Instance* t) { t->at<uint8_t>(offsetof(disclosure_triangle::InstanceData, pressed)) = 1; });
    pluginhost::InstanceOptions disabled;
    disabled.enabled = false;
    gallery.cell("disabled", "DisclosureTriangle", kSize, kSize, {}, disabled);
}
