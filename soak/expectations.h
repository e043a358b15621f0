// What each step makes the model expect, for the run loop, which makes the
// host's call around it, and the comparisons of what the host saw with it.
// What a paint, an idle call or a destroy makes of any control, the chasing
// arrows' frame among them, is the model's (model.h).
#pragma once

#include "model.h"

namespace soak {

// properties.cpp: the defaults a construct leaves, and the steps that set or
// read properties, call methods or read and write rows (false for others).
void constructed(World& w, Model& m);
bool propertyStep(World& w, const Step& s, Model& m);

// A family's mouse: each function changes the model as the published
// behaviour has it and notes what the host should see; press answers what
// mouseDown should, hover (if any) takes Move, Enter and Exit.
struct Mouse {
    bool (*press)(World& w, const Step& s, Model& m, const HostRect& b);
    void (*drag)(World& w, const Step& s, Model& m, const HostRect& b);
    void (*release)(World& w, const Step& s, Model& m, const HostRect& b);
    void (*hover)(World& w, const Step& s, Model& m);
};

// The families (the last: ImageWell, PopupArrow and Placard); the bevel
// button's press plans the menu (World::menu) if it opens.
extern const Mouse kBevelButtonMouse, kLittleArrowsMouse, kDisclosureTriangleMouse, kForwardedMouse;
// The bevel button's scripted TrackPopupMenu: compares the menu with the
// plan, repaints if the step says so, and answers the step's choice.
UINT menuShown(World& w, const pluginhost::PopupMenuCall& popup);
void menuClosed(World& w, Model& m);  // once mouseDown has returned

// comparisons.cpp: after the calls of a step, the differences from the model
// go to w.mismatch; after every step, check's first fault goes to w.bench.
void compareStep(World& w);
void check(World& w);
// The events the host saw during the step, and any list of events as text.
std::vector<EventRecord> eventsSeen(const World& w);
std::string describe(const std::vector<EventRecord>& events, const pluginhost::Host& host);

}  // namespace soak
