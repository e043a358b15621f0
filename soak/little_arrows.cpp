// The little arrows' mouse as the soak expects it: a press on either half
// fires Up or Down at once, a held half repeats on the published timing
// while the drag stays on it, and the themed arrows repaint on every move
// and on the exit.
#include "departures.h"
#include "expectations.h"

namespace soak {
namespace little_arrows {

namespace {

// The published timing: the first repeat once the 16-ms tick is more than
// kRepeatDelayTicks past the press, then at most one per event while
// GetTickCount is more than kRepeatSpacingMs past its last repeat.
constexpr uint32_t kTick16Shift = 4;
constexpr uint32_t kTick16Mask = 0xFFFFFFFFu >> kTick16Shift;
constexpr uint32_t kRepeatDelayTicks = 25;
constexpr uint32_t kRepeatSpacingMs = 15;
constexpr int32_t kArrowsWidth = 13;
constexpr int32_t kArrowsHeight = 23;
constexpr int32_t kArrowsDownTop = 12;

// The half under a press: refused at or past L+13 or T+23.
int32_t pressPart(const HostRect& b, int64_t x, int64_t y) {
    if (x >= b.left + kArrowsWidth || y >= b.top + kArrowsHeight) return 0;
    if (departs(Departure::ArrowsAreaFromLeftTop) && (x < b.left || y < b.top)) return 0;
    return y < b.top + kArrowsDownTop ? 1 : 2;
}

// The half under the pointer while dragging: compared with 0 on the left
// and top unless the departures table says otherwise.
int32_t dragPart(const HostRect& b, int64_t x, int64_t y) {
    const int64_t left = departs(Departure::ArrowsAreaFromLeftTop) ? b.left : 0;
    const int64_t top = departs(Departure::ArrowsAreaFromLeftTop) ? b.top : 0;
    if (x < left || y < top || x >= b.left + kArrowsWidth || y >= b.top + kArrowsHeight) return 0;
    return y < b.top + kArrowsDownTop ? 1 : 2;
}

// Whether a held half repeats now, and the last repeat's tick updated if so.
bool repeatDue(const World& w, const Model& m, uint32_t& lastFire) {
    const uint32_t tick = w.spy.tick;
    const uint32_t tick16 = tick >> kTick16Shift;
    const bool elapsed = departs(Departure::ElapsedTicksWrap);
    const bool delayed = elapsed ? ((tick16 - m.pressTick) & kTick16Mask) > kRepeatDelayTicks
                                 : static_cast<int32_t>(tick16) > static_cast<int32_t>(m.pressTick + kRepeatDelayTicks);
    if (!delayed) return false;
    const bool spaced = elapsed ? tick - lastFire > kRepeatSpacingMs : tick > lastFire + kRepeatSpacingMs;
    if (!spaced) return false;
    lastFire = tick;
    return true;
}

}  // namespace

bool press(World& w, Model& m, const HostRect& b, int64_t x, int64_t y) {
    const int32_t part = w.seenEnabled(m) ? pressPart(b, x, y) : 0;
    if (part == 0) return false;
    m.pressTick = (w.spy.tick >> kTick16Shift);
    w.event(m, part == 1 ? "Up" : "Down");
    if (World::stopped(m)) return false;
    m.pressedPart = part;
    return true;
}

void drag(World& w, Model& m, const HostRect& b, int64_t x, int64_t y) {
    const int32_t part = dragPart(b, x, y);
    if (part != 0 && part == m.pressedPart) {
        const int e = m.pressedPart == 1 ? 0 : 1;
        if (repeatDue(w, m, w.lastFire[e])) w.event(m, e == 0 ? "Up" : "Down");
    }
}

void release(Model& m) { m.pressedPart = 0; }

void hover(World& w, const Model& m) {
    if (m.themed) w.invalidated(m);
}

}  // namespace little_arrows
}  // namespace soak
