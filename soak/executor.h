// Runs a script against the real plug-in through the host component and
// checks, after every step, everything a host can see: faults the host and
// the system spy report (locks, released handles, GDI objects, device
// contexts, menus, uxtheme), guard bytes, the locks each handle should carry,
// what the plug-in printed, and behaviour against a model of the eight
// controls (property values, rows through List, menu contents, events with
// their local coordinates, answers, invalidations, accelerators). Its rooms
// use the model (model.h); this one, the run loop, uses them all.
#pragma once

#include "run.h"
#include "script.h"

namespace soak {

RunResult runScript(const Script& script, const RunOptions& options);

}  // namespace soak
