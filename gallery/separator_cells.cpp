#include "gallery.h"

void addSeparatorCells(Gallery& gallery) {
    gallery.section("Separator");
    gallery.cell("horizontal 64x4", "Separator", 64, 4);
    gallery.cell("vertical 4x64", "Separator", 4, 64);
    gallery.cell("square 10x10", "Separator", 10, 10);
    gallery.cell("one pixel high", "Separator", 64, 1);
    gallery.cell("empty", "Separator", 0, 0);
}
