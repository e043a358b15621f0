// Runs a script against the real plug-in through the host component and
// checks, after every step, everything a host can see: faults the host and
// the system spy report (locks, released handles, GDI objects, device
// contexts, menus, uxtheme), guard bytes, the locks each handle should carry,
// what the plug-in printed, and behaviour against a model of the eight
// controls (property values, rows through List, menu contents, events with
// their local coordinates, answers, invalidations, accelerators).
//
// The rooms, each using only those before it: bench (the host, its spy, the
// handles and what the run found), model (every instance and what the
// published behaviour makes of its state), the expectations (properties,
// methods and rows; one room per control family), comparisons, the
// application's code in handlers, and executor.cpp, the run loop and its
// trace, which uses them all.
#pragma once

#include "run.h"
#include "script.h"

namespace soak {

RunResult runScript(const Script& script, const RunOptions& options);

}  // namespace soak
