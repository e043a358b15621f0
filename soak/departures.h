// Where the plug-in departs on purpose from its published behaviour, and how
// it settles what the published behaviour leaves open. The soak's model of
// the controls (model.h) is written from the published behaviour; it
// follows the plug-in only where a row of this table says so, and copies no
// other choice of the implementation. With --published NAME (or all) the
// model follows the published rule of that row instead, which shows what the
// row is for: the soak then finds the plug-in's departure.
#pragma once

#include <string>

namespace soak {

enum class Departure {
    NewLockBeforeOld,
    ThemeReferenceWithoutTheme,
    TriangleReleaseOutside,
    ArrowsAreaFromLeftTop,
    ElapsedTicksWrap,
    AcceleratorKeyAsByte,
    DestroyedCallerStops,
    BoundsZeroWithoutEntryPoint,
};

struct DepartureRow {
    Departure departure;
    const char* name;       // as --published takes it
    const char* published;  // the published rule, or what it leaves open
    const char* plugin;     // what the plug-in does instead
    const char* reason;
};

// The table; count receives its number of rows.
const DepartureRow* departureTable(int& count);

// Whether the model follows the plug-in on this row (unless told otherwise).
bool departs(Departure departure);

// Makes the model follow the published rule of the named row, or of every
// row for "all"; false when no row has that name.
bool followPublished(const std::string& name);

}  // namespace soak
