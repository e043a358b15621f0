// The random host: from a seed and a run number, the system a run meets and
// the calls it makes. The same seed and run always give the same script, on
// either architecture, without running anything, so that a run that crashed
// can be made again up to the step that crashed it.
#pragma once

#include <cstdint>

#include "script.h"

namespace soak {

// splitmix64: small, and the same numbers everywhere.
struct Random {
    uint64_t state;
    explicit Random(uint64_t seed) : state(seed) {}
    uint64_t next();
    uint32_t below(uint32_t n) { return n == 0 ? 0 : static_cast<uint32_t>(next() % n); }  // 0 to n - 1
    bool percent(uint32_t p) { return below(100) < p; }
    int64_t between(int64_t low, int64_t high) {  // low to high, both included
        return high <= low ? low : low + static_cast<int64_t>(next() % static_cast<uint64_t>(high - low + 1));
    }
};

Script generateRun(uint64_t seed, int64_t run, int steps);

}  // namespace soak
