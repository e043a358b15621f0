#include "departures.h"

namespace soak {
namespace {

// clang-format off
const DepartureRow kDepartures[] = {
    {Departure::NewLockBeforeOld, "new-lock-first",
     "a setter that replaces a held string or picture (Caption, TextFont, Icon, Image) gives back the old "
     "handle before it locks the new one",
     "locks the new handle first, then gives back the old one",
     "storing the handle already held would drop its last reference in between and then lock a released handle"},
    {Departure::ThemeReferenceWithoutTheme, "theme-reference-without-theme",
     "LittleArrows' destruct releases uxtheme.dll only when its Spin theme opened",
     "gives back the reference its construct took whether or not a theme opened",
     "every little arrows made while visual styles are off would keep uxtheme.dll loaded for good"},
    {Departure::TriangleReleaseOutside, "triangle-release-outside",
     "a release outside the disclosure triangle, or on a disabled one, does nothing",
     "clears the pressed look and asks for a repaint",
     "without a drag out first, or when the triangle was disabled meanwhile, the pressed look would stay"},
    {Departure::ArrowsAreaFromLeftTop, "arrows-area-from-left-top",
     "LittleArrows refuses a press only at or past L+13 or T+23; while dragging it compares x and y with 0 "
     "on the left and top (left open)",
     "the control's area begins at L and T for the press and the drag alike",
     "a press far left of or above the control would fire Up"},
    {Departure::ElapsedTicksWrap, "elapsed-ticks-wrap",
     "LittleArrows repeats once TickCount16 > pressTick + 25 (signed) and GetTickCount > the last repeat + 15 "
     "(unsigned)",
     "compares the time elapsed since the press and since the last repeat, as differences that wrap with "
     "the counters",
     "the published comparisons stop the repeat, or repeat at once, when GetTickCount wraps during a hold"},
    {Departure::AcceleratorKeyAsByte, "accelerator-key-as-byte",
     "the accelerator character, a byte above 127 taken as a negative value, is the virtual-key code asked "
     "of GetKeyState",
     "asks for the byte as a code from 0 to 255",
     "virtual-key codes are 0 to 255: a negative code names no key, so such an accelerator could never work"},
    {Departure::DestroyedCallerStops, "destroyed-caller-stops",
     "open: the rules go on with the control after a handler, a receiver or the menu's loop returns "
     "(the other receivers, Action, the press, mouseDown's answer), also when it destroyed the control",
     "touches nothing more of a control destroyed meanwhile; the mouseDown of a class with a destruct "
     "(BevelButton, LittleArrows, ImageWell) then answers false",
     "the control's block and lists are gone; false tells the host to track no press of a control that is gone"},
    {Departure::BoundsZeroWithoutEntryPoint, "bounds-zero-without-entry-point",
     "open: without GetControlBounds the rectangle is not defined",
     "reads the bounds as all zeros",
     "every caller starts from a cleared rectangle"},
};
// clang-format on

constexpr int kRows = static_cast<int>(sizeof kDepartures / sizeof kDepartures[0]);

bool gPublished[kRows] = {};

}  // namespace

const DepartureRow* departureTable(int& count) {
    count = kRows;
    return kDepartures;
}

bool departs(Departure departure) {
    for (int i = 0; i < kRows; ++i)
        if (kDepartures[i].departure == departure) return !gPublished[i];
    return false;
}

bool followPublished(const std::string& name) {
    bool found = false;
    for (int i = 0; i < kRows; ++i) {
        if (name != "all" && name != kDepartures[i].name) continue;
        gPublished[i] = true;
        found = true;
    }
    return found;
}

}  // namespace soak
