// The gallery: every control in a few states, drawn by the plug-in through the
// host component, labelled and saved as one picture. Each control adds its cells
// in its own gallery/<control>_cells.cpp through an add...Cells function.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "colour_scheme.h"
#include "plugin_host.h"

// Prepares a cell's instance after construct and before draw: set
// properties, call methods, send mouse events.
using CellSetup = std::function<void(pluginhost::Host&, pluginhost::Instance*)>;

struct GalleryCell {
    std::string label;
    std::string className;  // empty for a section heading
    int width = 0;
    int height = 0;
    CellSetup setup;
    pluginhost::InstanceOptions options;
};

// Runs once right after the plug-in is loaded, before any cell is created.
// What it returns is kept until the plug-in is unloaded: hooks on the
// plug-in's imports, for instance.
using HostPreparation = std::function<std::shared_ptr<void>(pluginhost::Host&)>;

// Where a cell lies in the rendered picture, named "section / label".
struct CellArea {
    std::string name;
    RECT box{};
    RECT control{};  // the instance's bounds
};

struct GalleryPicture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;  // top-down 0x00RRGGBB rows
    uint32_t background = 0;       // the window's colour behind the controls
    std::vector<CellArea> cells;
    // Each section, named by its title: its heading and rows with the
    // margin around them, as wide as its widest row.
    std::vector<CellArea> sections;
};

// The cells where two pictures of the same gallery differ, and a difference
// picture: unchanged pixels faded, changed ones in red. Pictures of different
// sizes differ everywhere.
struct GalleryDifference {
    int pixels = 0;  // changed pixels
    std::vector<std::string> cells;
    GalleryPicture picture;
};
GalleryDifference compareGalleries(const GalleryPicture& rendered, const GalleryPicture& expected);

// A scheme's colours with its face and window colours replaced by colours
// of their own: drawn in it, the pixels of a cell that the plug-in paints in
// one of the two surface colours show as such (kProbeSurfaces).
pluginhost::ColourScheme surfaceProbe(const pluginhost::ColourScheme& scheme);
extern const uint32_t kProbeSurfaces[2];

// How each cell's elements show in a scheme. The elements are the pixels of
// the control that stand out from the window behind it in the standard
// scheme; one is visible in the scheme's picture when it differs from the
// window behind it there too, or when it is part of a surface (painted in
// the face or window colour, as the probe picture shows, like the image
// well's interior) that visible pixels enclose.
struct CellVisibility {
    std::string name;
    int elements = 0;
    int visible = 0;
};
std::vector<CellVisibility> cellVisibility(const GalleryPicture& standard, const GalleryPicture& scheme,
                                           const GalleryPicture& probe);

struct Gallery {
    std::vector<GalleryCell> cells;
    std::vector<HostPreparation> preparations;
    // The colour scheme to draw in: the plug-in gets its system colours and
    // high-contrast setting, the window and the labels take its face and
    // text colours. Null: the system's own colours.
    const pluginhost::ColourScheme* scheme = nullptr;

    // Starts a new row headed by title.
    void section(const std::string& title);
    // One instance of className, width x height pixels, labelled underneath.
    void cell(const std::string& label, const std::string& className, int width, int height, CellSetup setup = {},
              const pluginhost::InstanceOptions& options = {});

    // Draws every cell into one picture. Host faults are added to faults.
    // False when the plug-in cannot be loaded.
    bool render(GalleryPicture* picture, std::vector<std::string>& faults) const;
};

void addSeparatorCells(Gallery& gallery);
void addBevelButtonCells(Gallery& gallery);
void addDisclosureTriangleCells(Gallery& gallery);
void addPopupArrowCells(Gallery& gallery);
void addImageWellCells(Gallery& gallery);
void addPlacardCells(Gallery& gallery);
void addLittleArrowsCells(Gallery& gallery);
void addChasingArrowsCells(Gallery& gallery);
// Every control's cells, in the gallery's order.
void addAllCells(Gallery& gallery);
