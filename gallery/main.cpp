// Renders every control's gallery cells into a PNG file and, with --check,
// compares the picture with another rendering of the gallery:
//   gallery <output.png> [--check <expected.png> [--difference <difference.png>]]
// A difference names the cells that changed, writes the difference picture
// and fails the run.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "gallery.h"
#include "png/png.h"

namespace {

constexpr int kMaxCellsNamed = 40;

int usage() {
    std::fprintf(stderr, "usage: gallery <output.png> [--check <expected.png> [--difference <difference.png>]]\n");
    return 2;
}

// Compares the rendered gallery with the picture at expectedPath.
int check(const GalleryPicture& rendered, const std::string& expectedPath, const std::string& differencePath) {
    pluginhost::Picture expected;
    if (!pluginhost::readPng(expectedPath, &expected)) {
        std::fprintf(stderr, "gallery: cannot read %s\n", expectedPath.c_str());
        return 1;
    }
    GalleryPicture reference;
    reference.width = expected.width;
    reference.height = expected.height;
    reference.pixels = std::move(expected.pixels);
    const GalleryDifference difference = compareGalleries(rendered, reference);
    if (difference.pixels == 0) {
        std::printf("gallery: identical to %s\n", expectedPath.c_str());
        return 0;
    }
    std::fprintf(stderr, "gallery: %d pixels differ from %s", difference.pixels, expectedPath.c_str());
    if (rendered.width != reference.width || rendered.height != reference.height)
        std::fprintf(stderr, " (%dx%d against %dx%d)", rendered.width, rendered.height, reference.width,
                     reference.height);
    std::fprintf(stderr, "; %zu cells changed:\n", difference.cells.size());
    for (size_t i = 0; i < difference.cells.size() && i < size_t(kMaxCellsNamed); ++i)
        std::fprintf(stderr, "  %s\n", difference.cells[i].c_str());
    if (!differencePath.empty()) {
        const GalleryPicture& d = difference.picture;
        if (pluginhost::writePng(differencePath, d.pixels.data(), d.width, d.height))
            std::fprintf(stderr, "gallery: the difference is drawn in %s\n", differencePath.c_str());
    }
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argv[1][0] == '-') return usage();
    const std::string output = argv[1];
    std::string expected;
    std::string differencePath;
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--check") == 0 && i + 1 < argc) {
            expected = argv[++i];
        } else if (std::strcmp(argv[i], "--difference") == 0 && i + 1 < argc) {
            differencePath = argv[++i];
        } else {
            return usage();
        }
    }

    Gallery gallery;
    addAllCells(gallery);

    std::vector<std::string> faults;
    GalleryPicture picture;
    if (!gallery.render(&picture, faults)) {
        for (const std::string& fault : faults) std::fprintf(stderr, "gallery: %s\n", fault.c_str());
        return 2;
    }
    for (const std::string& fault : faults) std::fprintf(stderr, "gallery: %s\n", fault.c_str());
    if (!pluginhost::writePng(output, picture.pixels.data(), picture.width, picture.height)) {
        std::fprintf(stderr, "gallery: could not write %s\n", output.c_str());
        return 2;
    }
    std::printf("gallery: %zu cells written to %s\n", gallery.cells.size(), output.c_str());
    // Faults are real defects of the plug-in: the picture is kept for
    // inspection, but the run fails.
    int status = faults.empty() ? 0 : 1;
    if (!expected.empty() && check(picture, expected, differencePath) != 0) status = 1;
    return status;
}
