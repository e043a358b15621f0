// Renders every control's gallery cells into the PNG file named by the
// first argument.
#include <cstdio>
#include <string>
#include <vector>

#include "gallery.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: gallery <output.png>\n");
        return 2;
    }
    Gallery gallery;
    addSeparatorCells(gallery);
    addBevelButtonCells(gallery);
    addDisclosureTriangleCells(gallery);
    addPopupArrowCells(gallery);
    addImageWellCells(gallery);
    addPlacardCells(gallery);
    addLittleArrowsCells(gallery);
    addChasingArrowsCells(gallery);

    std::vector<std::string> faults;
    const bool written = gallery.render(argv[1], faults);
    for (const std::string& fault : faults) std::fprintf(stderr, "gallery: %s\n", fault.c_str());
    if (!written) return 2;
    std::printf("gallery: %zu cells written to %s\n", gallery.cells.size(), argv[1]);
    // Faults are real defects of the plug-in: the picture is kept for
    // inspection, but the run fails.
    return faults.empty() ? 0 : 1;
}
