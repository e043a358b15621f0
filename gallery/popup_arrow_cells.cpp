#include <string>

#include "gallery.h"

void addPopupArrowCells(Gallery& gallery) {
    static const char* const kFacingNames[] = {"right",       "left",       "up",       "down",
                                               "small right", "small left", "small up", "small down"};
    gallery.section("PopupArrow");
    for (int32_t facing = 0; facing < 8; ++facing) {
        gallery.cell(std::to_string(facing) + " " + kFacingNames[facing], "PopupArrow", 10, 10,
                     [facing](pluginhost::Host& host, pluginhost::Instance* a) { host.setInteger(a, "Facing", facing); });
    }
}
