// The little arrows' mouse as the soak expects it: a press fires Up or Down,
// a held half repeats on the published timing, the themed arrows repaint on
// moves and the exit.
#include "expectations.h"

namespace soak {
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

// The half under the pointer: none at or past L+13 or T+23, nor left of or
// above least (the drag's published 0), or L and T where departures.h says so.
int32_t partAt(const HostRect& b, int64_t x, int64_t y, int64_t least) {
    const bool fromLeftTop = departs(Departure::ArrowsAreaFromLeftTop);
    if (x < (fromLeftTop ? b.left : least) || y < (fromLeftTop ? b.top : least)) return 0;
    if (x >= b.left + kArrowsWidth || y >= b.top + kArrowsHeight) return 0;
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

bool press(World& w, const Step& s, Model& m, const HostRect& b) {
    const int32_t part = w.seenEnabled(m) ? partAt(b, s.n[0], s.n[1], INT64_MIN) : 0;
    if (part == 0) return false;
    m.pressTick = (w.spy.tick >> kTick16Shift);
    w.event(m, part == 1 ? "Up" : "Down");
    if (World::stopped(m)) return false;
    m.pressedPart = part;
    return true;
}

void drag(World& w, const Step& s, Model& m, const HostRect& b) {
    const int32_t part = partAt(b, s.n[0], s.n[1], 0);
    if (part != 0 && part == m.pressedPart) {
        const int e = m.pressedPart == 1 ? 0 : 1;
        if (repeatDue(w, m, w.lastFire[e])) w.event(m, e == 0 ? "Up" : "Down");
    }
}

void release(World&, const Step&, Model& m, const HostRect&) { m.pressedPart = 0; }

void hover(World& w, const Step& s, Model& m) {
    if (s.op != Op::Enter && m.themed) w.invalidated(m);
}

}  // namespace

const Mouse kLittleArrowsMouse = {press, drag, release, hover};

}  // namespace soak
