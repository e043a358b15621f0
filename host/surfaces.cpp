// Drawing surfaces lent to the plug-in and the window image they end up in.
#include <algorithm>
#include <cstring>

#include "host_internal.h"

namespace pluginhost {

// The largest side of a control-sized surface (a HostRect can span 65535
// pixels; a surface that size would not fit in memory).
constexpr long long kLargestSurfaceSide = 2048;

DcState captureDcState(HDC dc) {
    HostGdiWork work;
    DcState state;
    state.pen = GetCurrentObject(dc, OBJ_PEN);
    state.brush = GetCurrentObject(dc, OBJ_BRUSH);
    state.font = GetCurrentObject(dc, OBJ_FONT);
    state.bitmap = GetCurrentObject(dc, OBJ_BITMAP);
    state.textColour = GetTextColor(dc);
    state.backColour = GetBkColor(dc);
    state.backMode = GetBkMode(dc);
    state.textAlign = GetTextAlign(dc);
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    state.clipped = GetClipRgn(dc, region) == 1;
    if (state.clipped) {
        GetRgnBox(region, &state.clipBox);
        const DWORD size = GetRegionData(region, 0, nullptr);
        state.clipData.resize(size);
        if (size > 0) GetRegionData(region, size, reinterpret_cast<RGNDATA*>(state.clipData.data()));
    }
    DeleteObject(region);
    state.rop2 = GetROP2(dc);
    state.mapMode = GetMapMode(dc);
    state.polyFillMode = GetPolyFillMode(dc);
    state.stretchMode = GetStretchBltMode(dc);
    state.graphicsMode = GetGraphicsMode(dc);
    state.textCharExtra = GetTextCharacterExtra(dc);
    GetWindowOrgEx(dc, &state.windowOrigin);
    GetViewportOrgEx(dc, &state.viewportOrigin);
    return state;
}

static std::string hex(uint32_t value) {
    char text[16];
    snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(value));
    return text;
}

static std::string rectText(const RECT& r) {
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + ")";
}

std::string compareDcState(const DcState& before, const DcState& after) {
    std::string problems;
    auto add = [&](const std::string& text) { problems += (problems.empty() ? "" : "; ") + text; };
    if (after.pen != before.pen) add("a different pen is selected");
    if (after.brush != before.brush) add("a different brush is selected");
    if (after.font != before.font) add("a different font is selected");
    if (after.bitmap != before.bitmap) add("a different bitmap is selected");
    if (after.textColour != before.textColour)
        add("text colour " + hex(after.textColour) + " instead of " + hex(before.textColour));
    if (after.backColour != before.backColour)
        add("background colour " + hex(after.backColour) + " instead of " + hex(before.backColour));
    if (after.backMode != before.backMode)
        add("background mode " + std::to_string(after.backMode) + " instead of " + std::to_string(before.backMode));
    if (after.textAlign != before.textAlign)
        add("text alignment " + std::to_string(after.textAlign) + " instead of " + std::to_string(before.textAlign));
    if (after.clipped != before.clipped)
        add(after.clipped ? "a clip region " + rectText(after.clipBox) + " is left" : "the clip region is gone");
    else if (after.clipped && !EqualRect(&after.clipBox, &before.clipBox))
        add("clip region " + rectText(after.clipBox) + " instead of " + rectText(before.clipBox));
    else if (after.clipData != before.clipData)
        add("a clip region of another shape within " + rectText(after.clipBox));
    auto compare = [&](int was, int is, const char* what) {
        if (was != is) add(std::string(what) + " " + std::to_string(is) + " instead of " + std::to_string(was));
    };
    compare(before.rop2, after.rop2, "mix mode");
    compare(before.mapMode, after.mapMode, "mapping mode");
    compare(before.polyFillMode, after.polyFillMode, "polygon fill mode");
    compare(before.stretchMode, after.stretchMode, "stretch mode");
    compare(before.graphicsMode, after.graphicsMode, "graphics mode");
    compare(before.textCharExtra, after.textCharExtra, "character spacing");
    auto point = [](POINT p) { return "(" + std::to_string(p.x) + "," + std::to_string(p.y) + ")"; };
    if (after.windowOrigin.x != before.windowOrigin.x || after.windowOrigin.y != before.windowOrigin.y)
        add("window origin " + point(after.windowOrigin) + " instead of " + point(before.windowOrigin));
    if (after.viewportOrigin.x != before.viewportOrigin.x || after.viewportOrigin.y != before.viewportOrigin.y)
        add("viewport origin " + point(after.viewportOrigin) + " instead of " + point(before.viewportOrigin));
    return problems;
}

HBITMAP makeTopDownDib(int width, int height, uint32_t** bits) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* p = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &p, nullptr, 0);
    *bits = static_cast<uint32_t*>(p);
    return bitmap;
}

// Copies the part of area that lies inside the window image, inside limit
// and inside the surface (surfaceWidth by surfaceHeight from area's top-left
// corner) between the image and the surface; toImage chooses the direction.
static void copyArea(uint32_t* image, uint32_t* surface, int surfaceWidth, int surfaceHeight, const RECT& area,
                     const RECT& limit, bool toImage) {
    GdiFlush();
    const long long surfaceRight = static_cast<long long>(area.left) + surfaceWidth;
    const long long surfaceBottom = static_cast<long long>(area.top) + surfaceHeight;
    const int left = std::max<int>({area.left, limit.left, 0});
    const int right =
        static_cast<int>(std::min<long long>({area.right, limit.right, Host::kWindowWidth, surfaceRight}));
    const int top = std::max<int>({area.top, limit.top, 0});
    const int bottom =
        static_cast<int>(std::min<long long>({area.bottom, limit.bottom, Host::kWindowHeight, surfaceBottom}));
    if (left >= right || top >= bottom) return;
    for (int y = top; y < bottom; ++y) {
        uint32_t* imageRow = image + y * Host::kWindowWidth + left;
        uint32_t* surfaceRow = surface + (y - area.top) * surfaceWidth + (left - area.left);
        const size_t bytes = size_t(right - left) * sizeof(uint32_t);
        if (toImage)
            std::memcpy(imageRow, surfaceRow, bytes);
        else
            std::memcpy(surfaceRow, imageRow, bytes);
    }
}

// Composes every surface still lent out into the window image, so that a new
// surface starts from what the screen would show.
static void composeOpenSurfaces(Host::Impl& impl) {
    for (auto& entry : impl.handles) {
        Handle& open = *entry.second;
        if (open.dc && open.composeOnRelease)
            copyArea(impl.imageBits, open.surfaceBits, open.surfaceWidth, open.surfaceHeight, open.area, open.area,
                     true);
    }
}

HostGraphics makeControlSurface(Host::Impl& impl, const RECT& area, const std::string& purpose) {
    HostGdiWork work;
    composeOpenSurfaces(impl);
    // An empty control still gets a one-pixel surface; nothing of it is
    // composed. A control larger than any screen gets a surface of the
    // largest side: what it paints beyond is lost, as off a screen's edge.
    const int width = std::clamp<long long>((long long)area.right - area.left, 1, kLargestSurfaceSide);
    const int height = std::clamp<long long>((long long)area.bottom - area.top, 1, kLargestSurfaceSide);
    uint32_t* bits = nullptr;
    HBITMAP surface = makeTopDownDib(width, height, &bits);
    HDC dc = surface ? CreateCompatibleDC(nullptr) : nullptr;
    if (!dc) {
        if (surface) DeleteObject(surface);
        impl.fault("could not make a drawing surface for " + purpose);
        return nullptr;
    }
    Handle& h = impl.newHandle(HandleKind::Graphics);
    h.dc = dc;
    h.surface = surface;
    h.surfaceBits = bits;
    h.surfaceWidth = width;
    h.surfaceHeight = height;
    h.previousBitmap = SelectObject(dc, surface);
    h.area = area;
    h.composeOnRelease = true;
    h.purpose = purpose;
    copyArea(impl.imageBits, bits, width, height, area, area, false);
    // Logical coordinates are window coordinates; the device origin is the
    // control's top-left corner.
    SetWindowOrgEx(dc, area.left, area.top, nullptr);
    if (impl.owner->surfaceSetup) impl.owner->surfaceSetup(dc);
    h.initialState = captureDcState(dc);
    return reinterpret_cast<HostGraphics>(&h);
}

HostGraphics makeImageSurface(Host::Impl& impl, const std::string& purpose) {
    HostGdiWork work;
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) {
        impl.fault("could not make a drawing surface for " + purpose);
        return nullptr;
    }
    Handle& h = impl.newHandle(HandleKind::Graphics);
    h.dc = dc;
    h.previousBitmap = SelectObject(dc, impl.image);
    h.area = RECT{0, 0, Host::kWindowWidth, Host::kWindowHeight};
    h.purpose = purpose;
    if (impl.owner->surfaceSetup) impl.owner->surfaceSetup(dc);
    h.initialState = captureDcState(dc);
    return reinterpret_cast<HostGraphics>(&h);
}

HostGraphics makeDcSurface(Host::Impl& impl, HDC dc, const RECT& area, const std::string& purpose,
                           std::function<void(Handle&)> giveBack) {
    if (!dc) {
        impl.fault("no device context for a drawing surface for " + purpose);
        return nullptr;
    }
    Handle& h = impl.newHandle(HandleKind::Graphics);
    h.dc = dc;
    h.area = area;
    h.purpose = purpose;
    h.giveBack = giveBack ? std::move(giveBack) : [](Handle&) {};
    h.initialState = captureDcState(dc);
    return reinterpret_cast<HostGraphics>(&h);
}

void retireSurface(Host::Impl& impl, Handle& graphics) {
    if (!graphics.dc) return;
    HostGdiWork work;
    const std::string problems = compareDcState(graphics.initialState, captureDcState(graphics.dc));
    if (!problems.empty()) impl.fault(graphics.purpose + " did not restore the device context: " + problems);
    if (graphics.composeOnRelease) {
        copyArea(impl.imageBits, graphics.surfaceBits, graphics.surfaceWidth, graphics.surfaceHeight, graphics.area,
                 graphics.area, true);
        // Surfaces still lent out over the same place show the new pixels too,
        // as they would on one screen.
        for (auto& entry : impl.handles) {
            Handle& other = *entry.second;
            if (&other == &graphics || !other.dc || !other.composeOnRelease) continue;
            copyArea(impl.imageBits, other.surfaceBits, other.surfaceWidth, other.surfaceHeight, other.area,
                     graphics.area, false);
        }
    }
    if (graphics.giveBack) {
        const std::function<void(Handle&)> giveBack = std::move(graphics.giveBack);
        graphics.giveBack = nullptr;
        giveBack(graphics);
    } else {
        SelectObject(graphics.dc, graphics.previousBitmap);
        DeleteDC(graphics.dc);
        if (graphics.surface) DeleteObject(graphics.surface);
    }
    graphics.dc = nullptr;
    graphics.surface = nullptr;
    graphics.surfaceBits = nullptr;
    GdiFlush();
}

HBITMAP makeWindowImage(uint32_t** bits) {
    HostGdiWork work;
    return makeTopDownDib(Host::kWindowWidth, Host::kWindowHeight, bits);
}

// --- the window image -------------------------------------------------------

uint32_t imageColour(COLORREF colour) {
    return (uint32_t(GetRValue(colour)) << 16) | (uint32_t(GetGValue(colour)) << 8) | GetBValue(colour);
}

void Host::fillImage(COLORREF colour) {
    GdiFlush();
    std::fill(impl_->imageBits, impl_->imageBits + kWindowWidth * kWindowHeight, imageColour(colour));
}

COLORREF Host::pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= kWindowWidth || y >= kWindowHeight) return CLR_INVALID;
    GdiFlush();
    const uint32_t p = impl_->imageBits[y * kWindowWidth + x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

const uint32_t* Host::imageBits() const {
    GdiFlush();
    return impl_->imageBits;
}

// Draws a picture's bitmap stretched into destination on dc.
void drawPictureBitmap(Handle& picture, HDC dc, const HostRect& destination) {
    if (!picture.bitmap || !dc) return;
    HostGdiWork work;
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ previous = SelectObject(source, picture.bitmap);
    const int previousMode = SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, destination.left, destination.top, destination.right - destination.left,
               destination.bottom - destination.top, source, 0, 0, picture.bitmapWidth, picture.bitmapHeight, SRCCOPY);
    SetStretchBltMode(dc, previousMode);
    SelectObject(source, previous);
    DeleteDC(source);
}

}  // namespace pluginhost
