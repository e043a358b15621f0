// Shrinks a failing script to a shortest sequence of its steps that still
// shows the same fault (delta debugging: ever smaller parts and complements
// are tried, each replayed from a fresh plug-in).
#pragma once

#include <functional>

#include "run.h"
#include "script.h"

namespace soak {

// Replays a candidate and answers the fault it shows (faulted false if none).
using Replay = std::function<RunResult(const Script&)>;

// The smallest script found whose replay fails with want's signature; the
// number of replays made goes to replays.
Script minimise(const Script& failing, const Fault& want, const Replay& replay, int* replays = nullptr);

}  // namespace soak
