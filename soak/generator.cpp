// The random host's run: the instances it makes and drives (their bounds,
// the points of mouse calls, gestures), the small controls' steps, and the
// choice of every next step; the steps of a gesture come in order, now and
// then with something else between them.
#include "builder.h"

#include <algorithm>

#include "plugin_host.h"

namespace soak {

uint64_t Random::next() {
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

namespace {

constexpr int kMaxLiveInstances = 10;
constexpr int kMaxHeldHandles = 24;
constexpr int kVkMenu = 0x12;  // VK_MENU, Alt

const char* const kClasses[] = {"BevelButton",  "BevelButton",   "BevelButton", "DisclosureTriangle",
                                "LittleArrows", "ChasingArrows", "ImageWell",   "PopupArrow",
                                "Placard",      "Separator"};

}  // namespace

Builder::Builder(uint64_t seed, int64_t run) : r_(seed ^ (0xD1B54A32D192ED03ull * static_cast<uint64_t>(run + 1))) {
    script_.config.seed = seed;
    script_.config.run = run;
}

Script Builder::build(int steps) {
    makeConfig(steps);
    while (static_cast<int>(script_.steps.size()) < steps) {
        const int index = static_cast<int>(script_.steps.size());
        auto late = lateSupplies_.find(index);
        if (late != lateSupplies_.end()) {
            push(Step(Op::Supply, -1, late->second));
            continue;
        }
        if (!pending_.empty()) {
            // Now and then the host does something else in the middle of a gesture.
            if (r_.percent(8)) {
                randomStep(true);
            } else {
                push(pending_.front());
                pending_.pop_front();
            }
            continue;
        }
        randomStep(false);
    }
    script_.steps.resize(static_cast<size_t>(steps));
    return script_;
}

// --- instances -----------------------------------------------------------------------------

std::vector<int> Builder::live(const char* className) const {
    std::vector<int> found;
    for (size_t i = 0; i < slots_.size(); ++i)
        if (slots_[i].alive && (!className || slots_[i].className == className)) found.push_back(int(i));
    return found;
}

void Builder::bounds(const std::string& className, int64_t b[4]) {
    const uint32_t kind = r_.below(100);
    if (kind < 72) {
        const int64_t left = r_.between(0, 560), top = r_.between(0, 420);
        int64_t width = r_.between(1, 120), height = r_.between(1, 80);
        if (r_.percent(50)) {
            const int64_t defaults[][2] = {{60, 22}, {12, 12}, {13, 23}, {16, 16},
                                           {32, 32}, {10, 10}, {64, 64}, {64, 4}};
            const auto& d = defaults[r_.below(8)];
            width = d[0];
            height = d[1];
        }
        if (className == "Separator" && r_.percent(50)) std::swap(width, height);
        b[0] = left, b[1] = top, b[2] = left + width, b[3] = top + height;
    } else if (kind < 80) {
        const int64_t left = r_.between(0, 600), top = r_.between(0, 440);
        b[0] = left, b[1] = top, b[2] = left + (r_.percent(50) ? 0 : r_.between(0, 30)), b[3] = top;
        if (r_.percent(50)) std::swap(b[2], b[3]);
    } else if (kind < 87) {
        const int64_t left = r_.between(0, 600), top = r_.between(0, 440);
        b[0] = left, b[1] = top, b[2] = left - r_.between(1, 50), b[3] = top - r_.between(0, 50);
    } else if (kind < 93) {
        const int64_t left = r_.between(-200, -1), top = r_.between(-200, 20);
        b[0] = left, b[1] = top, b[2] = left + r_.between(1, 300), b[3] = top + r_.between(1, 300);
    } else if (kind < 97) {
        b[0] = -32768, b[1] = -32768, b[2] = 32767, b[3] = 32767;
    } else {
        for (int i = 0; i < 4; ++i) b[i] = r_.between(-32768, 32767);
    }
}

void Builder::create() {
    const std::string className = pickFrom(r_, kClasses);
    Step s(Op::Create, static_cast<int32_t>(slots_.size()), className);
    bounds(className, s.n);
    s.n[4] = r_.percent(15) ? 1 : 0;
    Slot slot;
    slot.className = className;
    slot.alive = true;
    slot.left = s.n[0], slot.top = s.n[1], slot.right = s.n[2], slot.bottom = s.n[3];
    slot.caption = script_.config.defaultCaption;
    slots_.push_back(slot);
    push(s);
    // Most applications handle some of the events.
    for (const std::string& event : eventsOf(className)) {
        if (!r_.percent(60)) continue;
        Step h(Op::Handler, s.slot, event);
        h.n[0] = r_.percent(25) ? 1 : 0;
        push(h);
    }
}

std::vector<std::string> Builder::eventsOf(const std::string& className) {
    if (className == "BevelButton") return {"MouseUp", "MouseDown", "Action"};
    if (className == "DisclosureTriangle") return {"Action"};
    if (className == "LittleArrows") return {"Up", "Down"};
    if (className == "ImageWell" || className == "PopupArrow" || className == "Placard")
        return {"MouseDown", "MouseDrag", "MouseUp"};
    return {};
}

// --- the mouse -----------------------------------------------------------------------------

// A point for a mouse call: mostly inside, often on or just past an edge.
void Builder::point(const Slot& slot, int64_t& x, int64_t& y) {
    int64_t left = slot.left, top = slot.top, right = slot.right, bottom = slot.bottom;
    if (slot.className == "LittleArrows") right = left + 13, bottom = top + 23;
    if (slot.className == "DisclosureTriangle" && r_.percent(50)) right = left + 11, bottom = top + 11;
    const uint32_t kind = r_.below(100);
    auto clampToInt16 = [](int64_t v) { return v < -32768 ? -32768 : v > 32767 ? 32767 : v; };
    if (kind < 60) {
        x = r_.between(std::min(left, right), std::max(left, right));
        y = r_.between(std::min(top, bottom), std::max(top, bottom));
    } else if (kind < 80) {
        const int64_t xs[] = {left - 1, left, right - 1, right, right + 1};
        const int64_t ys[] = {top - 1, top, bottom - 1, bottom, bottom + 1};
        x = pickFrom(r_, xs);
        y = pickFrom(r_, ys);
        if (slot.className == "LittleArrows" && r_.percent(50)) y = top + (r_.percent(50) ? 11 : 12);
    } else if (kind < 92) {
        x = r_.between(left - 20, right + 20);
        y = r_.between(top - 20, bottom + 20);
    } else {
        x = r_.between(-32768, 32767);
        y = r_.between(-32768, 32767);
    }
    x = clampToInt16(x);
    y = clampToInt16(y);
}

// A press, drags and a release; Alt and a key held at the press in
// altPercent of them, mostly the caption's accelerator.
void Builder::gesture(int slotIndex, uint32_t altPercent) {
    Slot& slot = slots_[static_cast<size_t>(slotIndex)];
    Step down(Op::Down, slotIndex);
    point(slot, down.n[0], down.n[1]);
    if (r_.percent(altPercent)) {
        const char key = pluginhost::acceleratorChar(slot.caption);
        down.keys.push_back(kVkMenu);
        down.keys.push_back(key != 0 && r_.percent(70) ? static_cast<unsigned char>(key)
                                                       : static_cast<int>('A' + r_.below(26)));
    }
    down.pick = r_.percent(30) ? kNoChoice : static_cast<int32_t>(r_.below(1000));
    down.redraw = r_.percent(25) ? static_cast<int32_t>(1 + r_.below(2)) : 0;
    pending_.push_back(down);
    const bool holds = slot.className == "LittleArrows";
    const uint32_t drags = r_.below(holds ? 12 : 6);
    for (uint32_t i = 0; i < drags; ++i) {
        Step tick(Op::Tick);
        tick.n[0] = holds ? r_.between(0, 250) : r_.between(0, 60);
        pending_.push_back(tick);
        Step drag(Op::Drag, slotIndex);
        if (r_.percent(60)) {
            drag.n[0] = down.n[0];
            drag.n[1] = down.n[1];
        } else {
            point(slot, drag.n[0], drag.n[1]);
        }
        pending_.push_back(drag);
        if (r_.percent(10)) pending_.push_back(Step(Op::Draw, slotIndex));
    }
    Step up(Op::Up, slotIndex);
    if (r_.percent(60) && drags > 0) {
        up.n[0] = pending_.back().op == Op::Drag ? pending_.back().n[0] : down.n[0];
        up.n[1] = pending_.back().op == Op::Drag ? pending_.back().n[1] : down.n[1];
    } else {
        point(slot, up.n[0], up.n[1]);
    }
    if (!r_.percent(3)) pending_.push_back(up);  // now and then the release never comes
}

// --- the next step ---------------------------------------------------------------------

void Builder::smallControlStep(int slotIndex) {
    const Slot& slot = slots_[static_cast<size_t>(slotIndex)];
    const std::string& c = slot.className;
    Step s;
    s.slot = slotIndex;
    if (!eventsOf(c).empty() && r_.percent(3)) return lifetimeReaction(slotIndex);
    const uint32_t kind = r_.below(100);
    if (kind < 35 && c != "ChasingArrows" && c != "Separator") return gesture(slotIndex);
    if (kind < 50) {
        if (c == "DisclosureTriangle" || c == "Placard") {
            s.op = r_.percent(80) ? Op::SetInteger : Op::GetInteger;
            s.word = c == "DisclosureTriangle" && r_.percent(40) ? "Facing" : "Value";
            s.n[0] = integerFor(s.word, 0);
        } else if (c == "PopupArrow") {
            s.op = r_.percent(80) ? Op::SetInteger : Op::GetInteger;
            s.word = "Facing";
            s.n[0] = integerFor(s.word, 0);
        } else if (c == "ImageWell") {
            s.op = r_.percent(80) ? Op::SetPicture : Op::GetPicture;
            s.word = "Image";
            if (s.op == Op::SetPicture) s.ref = anyPicture();
        } else if (c == "ChasingArrows") {
            s.op = Op::Idle;
        } else {
            s.op = Op::Draw;
        }
    } else if (kind < 62 && c == "LittleArrows") {
        s.op = r_.percent(75) ? Op::Move : Op::Exit;
        point(slot, s.n[0], s.n[1]);
    } else if (kind < 70 && c == "ChasingArrows") {
        s.op = Op::Idle;
    } else {
        const Op others[] = {Op::Draw,         Op::DrawOffscreen, Op::Draw,   Op::Open, Op::Close,
                             Op::StateChanged, Op::HandleQuery,   Op::Action, Op::Idle};
        s.op = pickFrom(r_, others);
        s.n[0] = static_cast<int32_t>(r_.next());
    }
    push(s);
    if (s.op == Op::SetPicture) maybeReleaseAfterUse(s.ref);
}

// One step, or the start of a gesture. During a gesture nothing that
// would end it (no destroy) is chosen.
void Builder::randomStep(bool duringGesture) {
    const std::vector<int> alive = live();
    const uint32_t kind = r_.below(1000);
    if (alive.empty() || (!duringGesture && kind < 40 && alive.size() < kMaxLiveInstances)) {
        // A gesture goes on with a control whose handler may destroy
        // every control: the rest of it comes first.
        if (!duringGesture) create();
        return;
    }
    if (!duringGesture && kind < 52) {
        const int victim = alive[r_.below(static_cast<uint32_t>(alive.size()))];
        slots_[static_cast<size_t>(victim)].alive = false;
        push(Step(Op::Destroy, victim));
        return;
    }
    if (kind < 70) {
        const size_t held = strings_.size() + pictures_.size() + receivers_.size();
        if (held == 0) return;
        std::vector<std::string>* lists[] = {&strings_, &pictures_, &receivers_};
        std::vector<std::string>& list = *lists[r_.below(3)];
        if (!list.empty()) release(list, r_.below(static_cast<uint32_t>(list.size())));
        return;
    }
    const int slotIndex = alive[r_.below(static_cast<uint32_t>(alive.size()))];
    Slot& slot = slots_[static_cast<size_t>(slotIndex)];
    Step s;
    s.slot = slotIndex;
    if (kind < 85) {
        const Op toggles[] = {Op::Enable, Op::Enable, Op::Visible, Op::TabVisible};
        s.op = pickFrom(r_, toggles);
        s.n[0] = r_.percent(70) ? 1 : 0;
    } else if (kind < 92) {
        s.op = Op::Bounds;
        bounds(slot.className, s.n);
        slot.left = s.n[0], slot.top = s.n[1], slot.right = s.n[2], slot.bottom = s.n[3];
    } else if (kind < 100) {
        s = Step(Op::Surface);
        s.n[0] = static_cast<int64_t>(r_.below(1u << 20));
    } else if (kind < 110) {
        s = Step(Op::Tick);
        s.n[0] = r_.percent(90) ? r_.between(0, 100) : r_.between(0, 100000);
    } else if (kind < 125) {
        const std::vector<std::string> events = eventsOf(slot.className);
        if (events.empty()) return;
        s.word = events[r_.below(static_cast<uint32_t>(events.size()))];
        s.op = r_.percent(80) ? Op::Handler : Op::NoHandler;
        s.n[0] = r_.percent(30) ? 1 : 0;
    } else if (duringGesture && !pending_.empty()) {
        // Repaints and property changes are what a host does meanwhile.
        s.op = r_.percent(60) ? Op::Draw : Op::DrawOffscreen;
    } else {
        if (strings_.size() + pictures_.size() + receivers_.size() > kMaxHeldHandles) {
            std::vector<std::string>& list = strings_.size() > pictures_.size() ? strings_ : pictures_;
            if (!list.empty()) release(list, 0);
        }
        if (slot.className == "BevelButton") return bevelButtonStep(slotIndex);
        return smallControlStep(slotIndex);
    }
    push(s);
}

Script generateRun(uint64_t seed, int64_t run, int steps) { return Builder(seed, run).build(steps); }

}  // namespace soak
