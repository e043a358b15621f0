#include "gallery.h"

namespace {

using pluginhost::Host;
using pluginhost::Instance;

constexpr int kSize = 32;
constexpr int kInterior = kSize - 4;

// A picture with a dark edge and a diagonal, so that its placement and
// clipping show.
CellSetup withPicture(int width, int height) {
    return [width, height](Host& host, Instance* well) {
        HostObject picture = host.makePicture(width, height, [width, height](int x, int y) {
            if (x == 0 || y == 0 || x == width - 1 || y == height - 1) return RGB(0, 70, 140);
            return x == y ? RGB(240, 200, 0) : RGB(90, 160, 230);
        });
        host.setPicture(well, "Image", picture);
        host.releaseObject(picture);
    };
}

}  // namespace

void addImageWellCells(Gallery& gallery) {
    gallery.section("ImageWell");
    gallery.cell("empty", "ImageWell", kSize, kSize);
    gallery.cell("fits 16x12", "ImageWell", kSize, kSize, withPicture(16, 12));
    gallery.cell("interior size", "ImageWell", kSize, kSize, withPicture(kInterior, kInterior));
    gallery.cell("too wide", "ImageWell", kSize, kSize, withPicture(40, 12));
    gallery.cell("too large", "ImageWell", kSize, kSize, withPicture(40, 40));
    pluginhost::InstanceOptions disabled;
    disabled.enabled = false;
    gallery.cell("disabled", "ImageWell", kSize, kSize, withPicture(16, 12), disabled);
}
