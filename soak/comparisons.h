// The comparisons of what the host saw with the model. After the calls of a
// step: the events with their arguments, the repaints asked for, the
// accelerator calls and the order of a setter's locks. After every step,
// once the host's own faults and the guard bytes are clean: the fields the
// host reads directly, the locks every handle carries, the system objects
// (uxtheme references, theme handles, menus, GDI objects) and the output.
#pragma once

#include <string>
#include <vector>

#include "model.h"

namespace soak {

void compareStep(World& w);  // the model's differences go to w.mismatch
void check(World& w);        // the first fault goes to w.bench

// The category of a fault message of the host or the system spy.
std::string categoryOf(const std::string& message);

// The events the host saw during the step, and any list of events as text.
std::vector<EventRecord> eventsSeen(const World& w);
std::string describe(const std::vector<EventRecord>& events, const pluginhost::Host& host);

}  // namespace soak
