// Layout of the gallery's cells and their rendering, one window image (page)
// at a time, into one tall picture.
#include "gallery.h"
#include "png/png.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

using pluginhost::Host;

constexpr int kPageWidth = Host::kWindowWidth;
constexpr int kPageHeight = Host::kWindowHeight;
constexpr int kMargin = 8;       // around the picture and between rows
constexpr int kCellPadding = 6;  // around a cell's control and label
constexpr int kLabelGap = 4;     // between a control and its label
constexpr int kHeadingGap = 4;   // under a heading's rule
constexpr COLORREF kLabelColour = RGB(0, 0, 0);
constexpr COLORREF kMarkColour = RGB(0, 120, 215);
constexpr int kMarkLength = 3;  // of the corner marks around a control's bounds
constexpr int kZoom = 2;        // the PNG shows every pixel as kZoom x kZoom

struct PlacedCell {
    const GalleryCell* cell = nullptr;
    RECT box{};      // the whole cell, picture coordinates
    RECT control{};  // where the instance goes
    RECT label{};
};

struct Row {
    std::vector<PlacedCell> cells;
    int height = 0;
    int top = 0;
};

struct TextMeasure {
    HDC dc;
    HGDIOBJ previousFont;
    TextMeasure() : dc(CreateCompatibleDC(nullptr)), previousFont(SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT))) {}
    ~TextMeasure() {
        SelectObject(dc, previousFont);
        DeleteDC(dc);
    }
    TextMeasure(const TextMeasure&) = delete;
    TextMeasure& operator=(const TextMeasure&) = delete;
    SIZE size(const std::string& text) const {
        SIZE s{0, 0};
        GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &s);
        return s;
    }
};

void moveRect(RECT& r, int dx, int dy) { OffsetRect(&r, dx, dy); }

// Rows of cells from left to right; a heading always has a row of its own.
std::vector<Row> layoutRows(const std::vector<GalleryCell>& cells) {
    TextMeasure measure;
    const int labelHeight = measure.size("Ag").cy;
    std::vector<Row> rows;
    int x = kPageWidth;  // forces a first row
    for (const GalleryCell& cell : cells) {
        PlacedCell placed;
        placed.cell = &cell;
        if (cell.className.empty()) {
            Row heading;
            placed.box = RECT{kMargin, 0, kPageWidth - kMargin, labelHeight + kHeadingGap};
            placed.label = placed.box;
            heading.cells.push_back(placed);
            heading.height = placed.box.bottom;
            rows.push_back(heading);
            x = kPageWidth;
            continue;
        }
        const int width = std::max<int>(cell.width, measure.size(cell.label).cx) + 2 * kCellPadding;
        const int height = cell.height + kLabelGap + labelHeight + 2 * kCellPadding;
        if (x + width > kPageWidth - kMargin || rows.empty() || rows.back().cells.front().cell->className.empty()) {
            rows.push_back(Row{});
            x = kMargin;
        }
        placed.box = RECT{x, 0, x + width, height};
        const int controlLeft = x + (width - cell.width) / 2;
        placed.control = RECT{controlLeft, kCellPadding, controlLeft + cell.width, kCellPadding + cell.height};
        placed.label = RECT{x, 0, x + width, labelHeight};  // moved to the row's foot below
        rows.back().cells.push_back(placed);
        rows.back().height = std::max(rows.back().height, height);
        x += width;
    }
    // Rows go down the picture; a row never straddles two pages.
    int y = kMargin;
    for (Row& row : rows) {
        const int pageTop = y / kPageHeight * kPageHeight;
        if (y + row.height > pageTop + kPageHeight && row.height <= kPageHeight) y = pageTop + kPageHeight;
        row.top = y;
        for (PlacedCell& placed : row.cells) {
            moveRect(placed.box, 0, y);
            moveRect(placed.control, 0, y);
            const bool heading = placed.cell->className.empty();
            // The labels of a row share one line at its foot.
            moveRect(placed.label, 0, heading ? y : y + row.height - kCellPadding - placed.label.bottom);
        }
        y += row.height + kMargin;
    }
    return rows;
}

// The window's colour and the labels', from the scheme or the system.
struct PageColours {
    COLORREF window;
    COLORREF label;
};

// Draws one page of controls through the host and copies it into the picture.
void renderPage(Host& host, const std::vector<Row>& rows, int pageTop, uint32_t* picture, int pictureHeight,
                const pluginhost::ColourScheme* scheme, const PageColours& colours) {
    host.fillImage(colours.window);
    std::vector<pluginhost::Instance*> instances;
    for (const Row& row : rows) {
        if (row.top < pageTop || row.top >= pageTop + kPageHeight) continue;
        for (const PlacedCell& placed : row.cells) {
            const GalleryCell& cell = *placed.cell;
            if (cell.className.empty()) continue;
            const RECT& r = placed.control;
            pluginhost::InstanceOptions options = cell.options;
            // What the host names as the colour behind a control.
            if (scheme) options.background = colours.window;
            pluginhost::Instance* instance =
                host.create(cell.className, r.left, r.top - pageTop, r.right, r.bottom - pageTop, options);
            if (!instance) continue;
            if (cell.setup) cell.setup(host, instance);
            host.draw(instance);
            instances.push_back(instance);
        }
    }
    const uint32_t* image = host.imageBits();
    const int rowsToCopy = std::min(kPageHeight, pictureHeight - pageTop);
    for (int y = 0; y < rowsToCopy; ++y)
        std::memcpy(picture + size_t(pageTop + y) * kPageWidth, image + size_t(y) * kPageWidth,
                    kPageWidth * sizeof(uint32_t));
    for (pluginhost::Instance* instance : instances) host.destroy(instance);
}

// Marks at the four corners just outside a control's bounds.
void drawCornerMarks(HDC dc, const RECT& c) {
    const POINT corners[4] = {
        {c.left - 1, c.top - 1}, {c.right, c.top - 1}, {c.left - 1, c.bottom}, {c.right, c.bottom}};
    for (const POINT& p : corners) {
        const int dx = p.x < c.right ? -1 : 1;
        const int dy = p.y < c.bottom ? -1 : 1;
        MoveToEx(dc, p.x - dx * (kMarkLength - 1), p.y, nullptr);
        LineTo(dc, p.x + dx, p.y);
        MoveToEx(dc, p.x, p.y - dy * (kMarkLength - 1), nullptr);
        LineTo(dc, p.x, p.y + dy);
    }
}

// Labels, headings and corner marks around every control's bounds.
void annotate(HDC dc, const std::vector<Row>& rows, COLORREF labelColour) {
    HPEN markPen = CreatePen(PS_SOLID, 1, kMarkColour);
    HPEN rulePen = CreatePen(PS_SOLID, 1, labelColour);
    HGDIOBJ previousPen = SelectObject(dc, markPen);
    HGDIOBJ previousFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    const int previousMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF previousColour = SetTextColor(dc, labelColour);
    for (const Row& row : rows) {
        for (const PlacedCell& placed : row.cells) {
            RECT label = placed.label;
            const GalleryCell& cell = *placed.cell;
            if (cell.className.empty()) {
                DrawTextA(dc, cell.label.c_str(), -1, &label, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
                SelectObject(dc, rulePen);
                MoveToEx(dc, placed.box.left, placed.box.bottom - 2, nullptr);
                LineTo(dc, placed.box.right, placed.box.bottom - 2);
                SelectObject(dc, markPen);
                continue;
            }
            DrawTextA(dc, cell.label.c_str(), -1, &label, DT_CENTER | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
            drawCornerMarks(dc, placed.control);
        }
    }
    SetTextColor(dc, previousColour);
    SetBkMode(dc, previousMode);
    SelectObject(dc, previousFont);
    SelectObject(dc, previousPen);
    DeleteObject(rulePen);
    DeleteObject(markPen);
}

// Every pixel as a kZoom x kZoom square, so that small controls can be read.
std::vector<uint32_t> zoom(const uint32_t* pixels, int width, int height) {
    std::vector<uint32_t> zoomed(size_t(width) * kZoom * size_t(height) * kZoom);
    for (int y = 0; y < height * kZoom; ++y)
        for (int x = 0; x < width * kZoom; ++x)
            zoomed[size_t(y) * width * kZoom + x] = pixels[size_t(y / kZoom) * width + x / kZoom];
    return zoomed;
}

constexpr uint32_t kChangedPixel = 0x00FF0000;

// A pixel three quarters of the way to white, so that changes stand out.
uint32_t faded(uint32_t pixel) {
    uint32_t result = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const uint32_t channel = (pixel >> shift) & 0xFF;
        result |= (channel + 3 * (0xFF - channel) / 4) << shift;
    }
    return result;
}

}  // namespace

void Gallery::section(const std::string& title) {
    GalleryCell heading;
    heading.label = title;
    cells.push_back(heading);
}

void Gallery::cell(const std::string& label, const std::string& className, int width, int height, CellSetup setup,
                   const pluginhost::InstanceOptions& options) {
    GalleryCell c;
    c.label = label;
    c.className = className;
    c.width = std::max(width, 0);
    c.height = std::max(height, 0);
    c.setup = std::move(setup);
    c.options = options;
    cells.push_back(c);
}

bool Gallery::render(GalleryPicture* picture, std::vector<std::string>& faults) const {
    Host host;
    if (!host.load(pluginhost::besideProgram("ClassicControls.dll"))) {
        faults.push_back(host.lastError());
        return false;
    }
    std::unique_ptr<pluginhost::SchemeSpy> schemeSpy;
    if (scheme) schemeSpy = std::make_unique<pluginhost::SchemeSpy>(host, *scheme);
    const PageColours colours = scheme ? PageColours{scheme->colours[COLOR_BTNFACE], scheme->colours[COLOR_BTNTEXT]}
                                       : PageColours{GetSysColor(COLOR_BTNFACE), kLabelColour};
    std::vector<std::shared_ptr<void>> prepared;
    for (const HostPreparation& prepare : preparations) prepared.push_back(prepare(host));
    const std::vector<Row> rows = layoutRows(cells);
    const int height = rows.empty() ? 2 * kMargin : rows.back().top + rows.back().height + kMargin;

    uint32_t* pixels = nullptr;
    HBITMAP page = pluginhost::makeTopDownDib(kPageWidth, height, &pixels);
    if (!page) {
        faults.push_back("could not make a picture of " + std::to_string(height) + " rows");
        return false;
    }
    for (int pageTop = 0; pageTop < height; pageTop += kPageHeight)
        renderPage(host, rows, pageTop, pixels, height, scheme, colours);

    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, page);
    annotate(dc, rows, colours.label);
    GdiFlush();
    SelectObject(dc, previous);
    DeleteDC(dc);

    for (const std::string& fault : host.finish()) faults.push_back(fault);
    picture->width = kPageWidth * kZoom;
    picture->height = height * kZoom;
    picture->pixels = zoom(pixels, kPageWidth, height);
    picture->background = pluginhost::imageColour(colours.window) & 0x00FFFFFF;
    // Themed parts may leave alpha in the top byte, which the PNG does not keep.
    for (uint32_t& p : picture->pixels) p &= 0x00FFFFFF;
    DeleteObject(page);

    picture->cells.clear();
    picture->sections.clear();
    std::string section;
    const auto zoomed = [](const RECT& r) {
        return RECT{r.left * kZoom, r.top * kZoom, r.right * kZoom, r.bottom * kZoom};
    };
    RECT sectionArea{};
    const auto endSection = [&] {
        if (!section.empty()) picture->sections.push_back(CellArea{section, zoomed(sectionArea)});
    };
    for (const Row& row : rows) {
        for (const PlacedCell& placed : row.cells) {
            if (placed.cell->className.empty()) {
                endSection();
                section = placed.cell->label;
                sectionArea = RECT{0, row.top - kMargin, 0, row.top + row.height + kMargin};
                continue;
            }
            const RECT& b = placed.box;
            picture->cells.push_back(CellArea{section + " / " + placed.cell->label, zoomed(b), zoomed(placed.control)});
            sectionArea.right = std::max<LONG>(sectionArea.right, b.right + kMargin);
            sectionArea.bottom = row.top + row.height + kMargin;
        }
    }
    endSection();
    return true;
}

GalleryDifference compareGalleries(const GalleryPicture& rendered, const GalleryPicture& expected) {
    GalleryDifference difference;
    GalleryPicture& d = difference.picture;
    d.width = rendered.width;
    d.height = rendered.height;
    d.pixels = rendered.pixels;
    const bool sameSize = rendered.width == expected.width && rendered.height == expected.height;
    std::vector<bool> changed(rendered.pixels.size(), !sameSize);
    for (size_t i = 0; sameSize && i < changed.size(); ++i) changed[i] = rendered.pixels[i] != expected.pixels[i];
    for (size_t i = 0; i < changed.size(); ++i) {
        if (changed[i]) {
            ++difference.pixels;
            d.pixels[i] = kChangedPixel;
        } else {
            d.pixels[i] = faded(d.pixels[i]);
        }
    }
    for (const CellArea& cell : rendered.cells) {
        bool any = false;
        for (int y = std::max<int>(cell.box.top, 0); !any && y < std::min<int>(cell.box.bottom, d.height); ++y)
            for (int x = std::max<int>(cell.box.left, 0); !any && x < std::min<int>(cell.box.right, d.width); ++x)
                any = changed[size_t(y) * d.width + x];
        if (any) difference.cells.push_back(cell.name);
    }
    return difference;
}

void addAllCells(Gallery& gallery) {
    addSeparatorCells(gallery);
    addBevelButtonCells(gallery);
    addDisclosureTriangleCells(gallery);
    addPopupArrowCells(gallery);
    addImageWellCells(gallery);
    addPlacardCells(gallery);
    addLittleArrowsCells(gallery);
    addChasingArrowsCells(gallery);
}

// Colours no scheme, label or picture of the gallery uses.
const uint32_t kProbeSurfaces[2] = {0x00010203, 0x00040506};

pluginhost::ColourScheme surfaceProbe(const pluginhost::ColourScheme& scheme) {
    pluginhost::ColourScheme probe = scheme;
    const auto colourOf = [](uint32_t pixel) { return RGB(pixel >> 16 & 0xFF, pixel >> 8 & 0xFF, pixel & 0xFF); };
    probe.colours[COLOR_BTNFACE] = colourOf(kProbeSurfaces[0]);
    probe.colours[COLOR_WINDOW] = colourOf(kProbeSurfaces[1]);
    return probe;
}

std::vector<CellVisibility> cellVisibility(const GalleryPicture& standard, const GalleryPicture& scheme,
                                           const GalleryPicture& probe) {
    std::vector<CellVisibility> result;
    if (standard.width != scheme.width || standard.height != scheme.height || probe.width != scheme.width ||
        probe.height != scheme.height || standard.cells.size() != scheme.cells.size())
        return result;
    for (const CellArea& cell : scheme.cells) {
        // One sample per pixel of the control, before the zoom.
        const int left = cell.control.left / kZoom, top = cell.control.top / kZoom;
        const int width = (cell.control.right - cell.control.left) / kZoom;
        const int height = (cell.control.bottom - cell.control.top) / kZoom;
        const auto at = [&](const GalleryPicture& picture, int x, int y) {
            return picture.pixels[size_t(top + y) * kZoom * picture.width + size_t(left + x) * kZoom];
        };
        // Pixels that take the colour behind them and can be reached from
        // outside the control through such pixels lie open to the window.
        std::vector<bool> open(size_t(width) * height, false);
        std::vector<std::pair<int, int>> reach;
        const auto visit = [&](int x, int y) {
            if (x < 0 || y < 0 || x >= width || y >= height) return;
            if (open[size_t(y) * width + x] || at(scheme, x, y) != scheme.background) return;
            open[size_t(y) * width + x] = true;
            reach.emplace_back(x, y);
        };
        for (int x = 0; x < width; ++x) visit(x, 0), visit(x, height - 1);
        for (int y = 0; y < height; ++y) visit(0, y), visit(width - 1, y);
        while (!reach.empty()) {
            const auto [x, y] = reach.back();
            reach.pop_back();
            visit(x + 1, y), visit(x - 1, y), visit(x, y + 1), visit(x, y - 1);
        }
        CellVisibility counts{cell.name, 0, 0};
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                if (at(standard, x, y) == standard.background) continue;
                ++counts.elements;
                const uint32_t painted = at(probe, x, y);
                const bool surface = painted == kProbeSurfaces[0] || painted == kProbeSurfaces[1];
                if (at(scheme, x, y) != scheme.background || (surface && !open[size_t(y) * width + x]))
                    ++counts.visible;
            }
        }
        result.push_back(counts);
    }
    return result;
}
