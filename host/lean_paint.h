// Lean paints: a plug-in's draw, drawOffscreen and idle repeated for timing,
// with the host's own share of each paint kept small and counted.
//
// Host::draw() makes a fresh surface for every paint, checks the device
// context afterwards, names the callback and looks for GDI objects left
// behind: right for tests, but it costs more than most paints do. A
// LeanPainter keeps one surface of each kind for the instance it paints,
// lifts the host's GDI accounting hooks while it does, and answers the entry
// points a paint calls from what it holds. It counts every entry-point call
// the plug-in makes and can time its own answers, so that the host's share
// can be reported beside the paint.
//
// Make it before Host::load(): a plug-in keeps the entry points it is given
// first, and with a LeanPainter alive those are counting ones that pass the
// call on to the host whenever no lean paint runs. Everything done through
// the Host (draw, checks, faults) works as before meanwhile. One LeanPainter
// at a time, for the one Host.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include <windows.h>

#include "plugin_entry_table.h"

#include "plugin_interface.h"
#include "plugin_host.h"

namespace pluginhost {

class LeanPainter {
public:
    explicit LeanPainter(Host& host);
    ~LeanPainter();  // ends a lean run still going
    LeanPainter(const LeanPainter&) = delete;
    LeanPainter& operator=(const LeanPainter&) = delete;

    // Starts lean paints of instance, ending those of any other. Its bounds,
    // enabled and visible states, background and window are read now and
    // answered from then on; the GDI accounting hooks are lifted until end().
    // Lifting them puts the plug-in's GDI import slots back as the loader
    // left them, so no other hook may lie over those (a CallRecorder on
    // GDI32.dll) during a run. False when a surface cannot be made.
    bool begin(Instance* instance);
    void end();
    bool running() const;

    // The instance's callbacks, on lasting surfaces: draw on a control-sized
    // surface in window coordinates as Host::draw gives, drawOffscreen on one
    // the size of the window image as Host::drawOffscreen gives, idle with
    // ZOKAGetControlGraphics lending the control-sized surface. Nothing is
    // checked and nothing is composed into the host's window image.
    void draw();
    void drawOffscreen();
    void idle();

    // Both surfaces filled with one colour.
    void fill(COLORREF colour);
    // Top-down 0x00RRGGBB rows (the top byte is whatever GDI left there).
    // The control surface is the control's size, its first pixel the
    // control's top-left corner; the off-screen one is Host::kWindowWidth
    // wide and Host::kWindowHeight high, in window coordinates.
    const uint32_t* controlPixels() const;
    const uint32_t* offscreenPixels() const;
    int controlWidth() const;
    int controlHeight() const;

    // Entry-point calls the plug-in made since the last resetCounts(), lean
    // or not, by entry point.
    int calls(HostEntryPoint entry) const;
    int totalCalls() const;
    void resetCounts();
    // Locks that lean answers lent (graphics, interpreted strings) and were
    // not given back; 0 after every well-behaved paint.
    int lentLocks() const;

    // Nanoseconds one call of each entry point's lean answer takes, the best
    // of rounds runs of calls calls, with the running instance's arguments
    // (drawPicturePrimitive with an empty destination, so the answer's own
    // work without a picture's pixels). Negative for entry points that the
    // lean path does not time. Needs a lean run.
    std::array<double, kHostEntryPointCount> callCosts(int calls, int rounds);

private:
    Host& host_;
};

}  // namespace pluginhost
