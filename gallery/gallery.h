// The gallery: every control in a few states, drawn by the plug-in through the
// test host, labelled and saved as one picture. Each control adds its cells
// in its own gallery/<control>_cells.cpp through an add...Cells function.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "test_host.h"

// Prepares a cell's instance after construct and before draw: set
// properties, call methods, send mouse events.
using CellSetup = std::function<void(testhost::Host&, testhost::Instance*)>;

struct GalleryCell {
    std::string label;
    std::string className;  // empty for a section heading
    int width = 0;
    int height = 0;
    CellSetup setup;
    testhost::InstanceOptions options;
};

// Runs once right after the plug-in is loaded, before any cell is created.
// What it returns is kept until the plug-in is unloaded: hooks on the
// plug-in's imports, for instance.
using HostPreparation = std::function<std::shared_ptr<void>(testhost::Host&)>;

struct Gallery {
    std::vector<GalleryCell> cells;
    std::vector<HostPreparation> preparations;

    // Starts a new row headed by title.
    void section(const std::string& title);
    // One instance of className, width x height pixels, labelled underneath.
    void cell(const std::string& label, const std::string& className, int width, int height, CellSetup setup = {},
              const testhost::InstanceOptions& options = {});

    // Draws every cell and writes the picture as a PNG file. Host faults are
    // added to faults. False when the plug-in cannot be loaded or the file
    // cannot be written.
    bool render(const std::string& pngPath, std::vector<std::string>& faults) const;
};

void addSeparatorCells(Gallery& gallery);
void addBevelButtonCells(Gallery& gallery);
void addDisclosureTriangleCells(Gallery& gallery);
void addPopupArrowCells(Gallery& gallery);
void addImageWellCells(Gallery& gallery);
void addPlacardCells(Gallery& gallery);
void addLittleArrowsCells(Gallery& gallery);
void addChasingArrowsCells(Gallery& gallery);
