// The paint benchmark: every case paints one control three ways, timed side
// by side: the plug-in through the host component's lean path, the closest
// standard Windows control (the peer) and the bare GDI calls the plug-in's
// paint is made of (the floor).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <windows.h>

#include "plugin_host.h"

namespace bench {

// A top-down 32-bit DIB selected into a memory DC of its own.
class Dib {
public:
    Dib(int width, int height);
    ~Dib();
    Dib(const Dib&) = delete;
    Dib& operator=(const Dib&) = delete;
    bool valid() const { return dc_ != nullptr; }
    HDC dc() const { return dc_; }
    HBITMAP bitmap() const { return bitmap_; }
    int width() const { return width_; }
    int height() const { return height_; }
    void fill(COLORREF colour);
    // 0x00RRGGBB; the top byte that themed parts may leave is dropped.
    uint32_t pixel(int x, int y) const;

private:
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ kept_ = nullptr;
    uint32_t* bits_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};

// Something that paints a case once per call: a floor or a peer.
class Painter {
public:
    virtual ~Painter() = default;
    virtual void paint(HDC dc) = 0;
    // Paints what the last paint showed into dc: the same as paint, except
    // for a peer whose paint goes to its own window.
    virtual void show(HDC dc) { paint(dc); }
};

// What a case's floor and peer are made from: the instance the plug-in
// paints, after its setup.
struct CaseContext {
    pluginhost::Host& host;
    pluginhost::Instance* instance;
    HWND parent;  // the host's window, parent of the peers' windows
};

using PainterFactory = std::function<std::unique_ptr<Painter>(const CaseContext&)>;
using InstanceSetup = std::function<void(pluginhost::Host&, pluginhost::Instance*)>;

enum class Look { kClassic, kThemed };
// A paint is draw (and drawOffscreen); an idle step is one idle call, which
// advances the animation and paints at once on a borrowed surface.
enum class Work { kPaint, kIdleStep };

struct Case {
    std::string name;
    std::string className;
    Look look = Look::kClassic;
    Work work = Work::kPaint;
    int width = 0;
    int height = 0;
    InstanceSetup setup;
    std::string peerName;  // the standard control it is compared with
    PainterFactory peer;   // paints at (0, 0) of a DIB of the control's size
    PainterFactory floor;  // paints in window coordinates, as the plug-in's draw does
};

std::vector<Case> allCases();

// Where every instance goes in the host's window: away from its corner, so
// that window and surface coordinates differ.
constexpr int kLeft = 10;
constexpr int kTop = 8;

// The activation context of the version 6 common controls (comctl32 6.0),
// made from the program's manifest resource; null when it cannot be made.
HANDLE commonControls6();

// Peers (peers.cpp).
std::unique_ptr<Painter> userButtonPeer(const CaseContext& c, const wchar_t* caption);
std::unique_ptr<Painter> v6ButtonPeer(const CaseContext& c, const wchar_t* caption, DWORD style, bool themed, bool hot,
                                      HBITMAP icon);
std::unique_ptr<Painter> upDownPeer(const CaseContext& c, bool themed);
std::unique_ptr<Painter> animatePeer(const CaseContext& c, bool step);
std::unique_ptr<Painter> bitmapStaticPeer(const CaseContext& c, HBITMAP picture);
std::unique_ptr<Painter> functionPeer(std::function<void(HDC)> paint);

// The icons and pictures the cases show, made the same way each time.
HBITMAP makeBitmap(int width, int height, COLORREF (*paint)(int x, int y));
COLORREF iconPixel(int x, int y);     // 16 x 16
COLORREF picturePixel(int x, int y);  // 16 x 12

// Floors (floors.cpp).
struct BevelFloorLook {
    int rings = 1;  // Bevel + 1 classic rings; ignored when themed
    bool themed = false;
    bool hot = false;
    const wchar_t* caption = L"";
    bool icon = false;  // 16 x 16 at IconAlign 0, caption to its right
    int iconDX = 0;
    int captionDelta = 0;
    int hasMenu = 0;
};
std::unique_ptr<Painter> bevelFloor(const CaseContext& c, const BevelFloorLook& look);
std::unique_ptr<Painter> triangleFloor(const CaseContext& c);
std::unique_ptr<Painter> littleArrowsFloor(const CaseContext& c, bool themed);
std::unique_ptr<Painter> chasingArrowsFloor(const CaseContext& c, bool xp, bool step);
std::unique_ptr<Painter> imageWellFloor(const CaseContext& c);
std::unique_ptr<Painter> popupArrowFloor(const CaseContext& c, int facing);
std::unique_ptr<Painter> placardFloor(const CaseContext& c);
std::unique_ptr<Painter> separatorFloor(const CaseContext& c);

// Paints chasing-arrows frame (0 to 7) at (left, top) with the given
// background, as the plug-in does on a system that is not Windows XP.
void paintChasingFrame(HDC dc, int left, int top, int frame, COLORREF background);

}  // namespace bench
