// Renders every control's gallery cells into a PNG file and, with --check,
// compares the picture with another rendering of the gallery:
//   gallery <output.png> [--scheme <name>] [--visible] [--check <expected.png> [--difference <difference.png>]]
// A difference names the cells that changed, writes the difference picture
// and fails the run. --scheme draws in a colour scheme with its
// high-contrast setting (high-contrast-black, high-contrast-white); with
// --visible the gallery is drawn in the standard colours and in the scheme's
// surface probe too, every cell's elements are counted as they show in the
// scheme, and a cell where one does not show fails the run.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "gallery.h"
#include "png/png.h"

namespace {

constexpr int kMaxCellsNamed = 40;

int usage() {
    std::fprintf(stderr,
                 "usage: gallery <output.png> [--scheme <name>] [--visible] [--check <expected.png> [--difference "
                 "<difference.png>]]\n");
    return 2;
}

bool render(const pluginhost::ColourScheme* scheme, GalleryPicture* picture, std::vector<std::string>& faults) {
    Gallery gallery;
    addAllCells(gallery);
    gallery.scheme = scheme;
    return gallery.render(picture, faults);
}

// Every cell's elements as they show in the scheme's picture; 1 when one of
// them does not.
int checkVisible(const pluginhost::ColourScheme& scheme, const GalleryPicture& picture,
                 std::vector<std::string>& faults) {
    // The standard colours through the same answers, so that the controls
    // that paint the colour the host names behind them get the window's.
    GalleryPicture standard;
    GalleryPicture probe;
    const pluginhost::ColourScheme standardScheme = pluginhost::systemColourScheme();
    const pluginhost::ColourScheme probeScheme = surfaceProbe(scheme);
    if (!render(&standardScheme, &standard, faults) || !render(&probeScheme, &probe, faults)) return 2;
    const std::vector<CellVisibility> cells = cellVisibility(standard, picture, probe);
    if (cells.size() != picture.cells.size()) {
        std::fprintf(stderr, "gallery: the standard and the %s pictures do not match\n", scheme.name);
        return 2;
    }
    int failing = 0;
    for (const CellVisibility& cell : cells) {
        const bool shows = cell.visible == cell.elements;
        failing += shows ? 0 : 1;
        std::printf("%s %s: %d of %d pixels visible\n", shows ? "  " : "! ", cell.name.c_str(), cell.visible,
                    cell.elements);
    }
    if (failing == 0) {
        std::printf("gallery: every element of the %zu cells shows in %s\n", cells.size(), scheme.name);
        return 0;
    }
    std::fprintf(stderr, "gallery: %d of %zu cells lose elements in %s (marked !)\n", failing, cells.size(),
                 scheme.name);
    return 1;
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
    const pluginhost::ColourScheme* scheme = nullptr;
    bool visible = false;
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--scheme") == 0 && i + 1 < argc) {
            scheme = pluginhost::colourSchemeNamed(argv[++i]);
            if (!scheme) return usage();
        } else if (std::strcmp(argv[i], "--visible") == 0) {
            visible = true;
        } else if (std::strcmp(argv[i], "--check") == 0 && i + 1 < argc) {
            expected = argv[++i];
        } else if (std::strcmp(argv[i], "--difference") == 0 && i + 1 < argc) {
            differencePath = argv[++i];
        } else {
            return usage();
        }
    }

    if (visible && !scheme) return usage();

    std::vector<std::string> faults;
    GalleryPicture picture;
    if (!render(scheme, &picture, faults)) {
        for (const std::string& fault : faults) std::fprintf(stderr, "gallery: %s\n", fault.c_str());
        return 2;
    }
    for (const std::string& fault : faults) std::fprintf(stderr, "gallery: %s\n", fault.c_str());
    if (!pluginhost::writePng(output, picture.pixels.data(), picture.width, picture.height)) {
        std::fprintf(stderr, "gallery: could not write %s\n", output.c_str());
        return 2;
    }
    std::printf("gallery: %zu cells written to %s\n", picture.cells.size(), output.c_str());
    // Faults are real defects of the plug-in: the picture is kept for
    // inspection, but the run fails.
    int status = faults.empty() ? 0 : 1;
    if (!expected.empty() && check(picture, expected, differencePath) != 0) status = 1;
    if (visible) {
        std::vector<std::string> renderFaults;
        const int visibility = checkVisible(*scheme, picture, renderFaults);
        for (const std::string& fault : renderFaults) std::fprintf(stderr, "gallery: %s\n", fault.c_str());
        if (visibility != 0 || !renderFaults.empty()) status = std::max(status, visibility == 2 ? 2 : 1);
    }
    return status;
}
