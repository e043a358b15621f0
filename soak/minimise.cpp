#include "minimise.h"

#include <algorithm>

namespace soak {
namespace {

Script withSteps(const Script& base, const std::vector<Step>& steps) {
    Script s = base;
    s.steps = steps;
    return s;
}

}  // namespace

Script minimise(const Script& failing, const Fault& want, const Replay& replay, int* replays) {
    int count = 0;
    auto fails = [&](const std::vector<Step>& steps) {
        ++count;
        const RunResult r = replay(withSteps(failing, steps));
        return r.faulted && r.fault.signature() == want.signature();
    };
    std::vector<Step> current = failing.steps;
    // Nothing after the failing step matters.
    if (want.step >= 0 && want.step + 1 < static_cast<int64_t>(current.size()))
        current.resize(static_cast<size_t>(want.step + 1));
    size_t parts = 2;
    while (current.size() >= 2) {
        const size_t size = current.size();
        parts = std::min(parts, size);
        bool reduced = false;
        // Complements first: they shrink by one part at a time and keep what
        // several parts together need.
        for (size_t k = 0; k < parts && !reduced; ++k) {
            const size_t begin = size * k / parts, end = size * (k + 1) / parts;
            std::vector<Step> complement(current.begin(), current.begin() + static_cast<std::ptrdiff_t>(begin));
            complement.insert(complement.end(), current.begin() + static_cast<std::ptrdiff_t>(end), current.end());
            if (!complement.empty() && fails(complement)) {
                current = complement;
                parts = std::max<size_t>(parts - 1, 2);
                reduced = true;
            }
        }
        for (size_t k = 0; k < parts && !reduced && parts > 2; ++k) {
            const size_t begin = size * k / parts, end = size * (k + 1) / parts;
            std::vector<Step> part(current.begin() + static_cast<std::ptrdiff_t>(begin),
                                   current.begin() + static_cast<std::ptrdiff_t>(end));
            if (fails(part)) {
                current = part;
                parts = 2;
                reduced = true;
            }
        }
        if (reduced) continue;
        if (parts >= size) break;
        parts = std::min(parts * 2, size);
    }
    if (replays) *replays = count;
    Script result = withSteps(failing, current);
    // Keep only the handles the remaining steps use.
    Script trimmed = result;
    trimmed.strings.clear();
    trimmed.pictures.clear();
    trimmed.receivers.clear();
    for (const Step& s : current) {
        if (s.ref.empty()) continue;
        if (auto it = failing.strings.find(s.ref); it != failing.strings.end()) trimmed.strings[s.ref] = it->second;
        if (auto it = failing.pictures.find(s.ref); it != failing.pictures.end()) trimmed.pictures[s.ref] = it->second;
        if (std::count(failing.receivers.begin(), failing.receivers.end(), s.ref) &&
            !std::count(trimmed.receivers.begin(), trimmed.receivers.end(), s.ref))
            trimmed.receivers.push_back(s.ref);
    }
    return trimmed;
}

}  // namespace soak
