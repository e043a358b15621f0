// What each step makes the model expect, for the run loop: the properties,
// methods and rows (properties.cpp), and the mouse of each control family
// (bevel_button.cpp with the popup menu, little_arrows.cpp,
// disclosure_triangle.cpp, and mouse_forwarding.cpp for the three that hand
// the mouse to their application). A family's functions change the model as
// the published behaviour has it and note what the host should see; the run
// loop makes the host's call around them. What a paint, an idle call or a
// destroy makes of any control, the chasing arrows' frame among them, is the
// model's (model.h).
#pragma once

#include <cstdint>

#include "model.h"

namespace soak {

// Each step sets or reads through the host and compares what it reads.
void constructed(World& w, Model& m);  // after construct: the defaults it takes
void defaultsReset(World& w, Model& m);
void setInteger(World& w, const Step& s, Model& m);
void getInteger(World& w, const Step& s, Model& m);
void setHandle(World& w, const Step& s, Model& m);  // a string or a picture
void getString(World& w, const Step& s, Model& m);
void getPicture(World& w, const Step& s, Model& m);
void method(World& w, const Step& s, Model& m);
void checkRows(World& w, const Model& m);  // every row through List
void assignRow(World& w, const Step& s, Model& m);

// Each press answers what mouseDown should answer.
namespace bevel_button {
bool press(World& w, const Step& s, Model& m, const HostRect& b);  // plans the menu (World::menu) if it opens
// The scripted TrackPopupMenu: compares the menu with the plan, repaints if
// the step says so, and answers the step's choice.
UINT menuShown(World& w, const pluginhost::PopupMenuCall& popup);
void menuClosed(World& w, Model& m);  // once mouseDown has returned
void drag(World& w, Model& m, const HostRect& b, int64_t x, int64_t y);
void release(World& w, Model& m, const HostRect& b, int64_t x, int64_t y);
void hover(World& w, Model& m, bool enter);
}  // namespace bevel_button

namespace little_arrows {
bool press(World& w, Model& m, const HostRect& b, int64_t x, int64_t y);
void drag(World& w, Model& m, const HostRect& b, int64_t x, int64_t y);
void release(Model& m);
void hover(World& w, const Model& m);  // a move, or the exit
}  // namespace little_arrows

namespace disclosure_triangle {
bool press(World& w, Model& m, const HostRect& b, int64_t x, int64_t y);
void drag(World& w, Model& m, const HostRect& b, int64_t x, int64_t y);
void release(World& w, Model& m, const HostRect& b, int64_t x, int64_t y);
}  // namespace disclosure_triangle

// ImageWell, PopupArrow and Placard.
namespace mouse_forwarding {
bool forwards(const std::string& className);
bool press(World& w, Model& m, int64_t x, int64_t y);
void dragOrRelease(World& w, Model& m, const char* event, int64_t x, int64_t y);
}  // namespace mouse_forwarding

}  // namespace soak
