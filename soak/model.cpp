#include "model.h"

#include <algorithm>

#include "departures.h"

namespace soak {

World::World(Bench& bench)
    : bench(bench),
      host(bench.host),
      spy(*bench.spy),
      withheld(bench.script.config.withheld.begin(), bench.script.config.withheld.end()) {
    const Config& c = bench.script.config;
    isNT = c.system != "98";
    themesPossible = c.system == "xp" && c.uxtheme != "missing";
    stringLocks = !withheld.count("ZOKALockString");
    objectLocks = !withheld.count("ZOKALockObject");
    descriptionLocks = !withheld.count("lockPictureDescription");
}

void World::beginStep() {
    mismatch.clear();
    stepMismatch.clear();
    expectedEvents.clear();
    eventsBefore = host.events.size();
    invalidationsBefore.clear();
    acceleratorsBefore.clear();
    replacements.clear();
    for (auto& entry : models) {
        invalidationsBefore[entry.second.instance] = entry.second.instance->invalidations;
        acceleratorsBefore[entry.second.instance] = entry.second.instance->acceleratorCalls;
    }
}

Model* World::modelOf(int32_t slot) {
    auto it = models.find(slot);
    return it == models.end() ? nullptr : &it->second;
}

// --- what the plug-in sees --------------------------------------------------------------

HostRect World::seenBounds(const Model& m) const {
    if (supplied("GetControlBounds") || !departs(Departure::BoundsZeroWithoutEntryPoint)) return m.bounds;
    return HostRect{0, 0, 0, 0};
}

bool World::stopped(const Model& m) { return m.gone && departs(Departure::DestroyedCallerStops); }

const PropertyDefinition* World::property(const Model& m, const std::string& name) const {
    return host.property(m.instance, name);
}

int32_t World::paramOf(const Model& m, const char* name) const {
    const PropertyDefinition* p = property(m, name);
    return p ? p->param : 0;
}

// Fields without a direct getter, at their place in the published layout.
int32_t World::captionOffset(const Model& m) const {
    return paramOf(m, "HasMenu") - 4 - static_cast<int32_t>(sizeof(void*));
}

int32_t World::menuValueOffset(const Model& m) const { return paramOf(m, "CaptionPlacement") + 4; }

bool World::fieldValue(const Model& m, const std::string& n, int64_t& value) {
    if (m.className == "BevelButton") {
        if (n == "MenuValue") return value = m.menuValue, true;
        for (const BevelField& f : kBevelFields)
            if (n == f.name) return value = f.integer ? m.*f.integer : m.*f.byte, true;
        return false;
    }
    if (n == "Value") return value = m.value, true;
    if (n == "Facing") return value = m.facing, true;
    return false;
}

// --- what the published behaviour makes of a state --------------------------------------

void World::invalidated(const Model& m) {
    if (supplied("ZOKAInvalidateControl")) ++invalidationsBefore[m.instance];  // expected one more
}

// A bevel button's caption changed: a repaint, and the host is handed the
// caption's text.
void World::captionApplied(Model& m) {
    invalidated(m);
    if (supplied("ZOKASetAccelerator")) ++acceleratorsBefore[m.instance];
}

// A bevel button painted: the one-shot bevels fall back to the plain one.
void World::painted(Model& m) {
    if (m.bevel == 3 || m.bevel == 5 || m.bevel == 6) {
        m.bevel = 0;
    } else if (m.bevel == 7) {
        m.bevel = 0;
        m.buttonType = 1;
    }
}

// A ChasingArrows' idle call as the published behaviour has it.
void World::idled(Model& m) {
    if (m.className == "ChasingArrows" && supplied("GetControlVisible") && m.visible &&
        supplied("GetTabPanelVisible") && m.tabPanelVisible)
        m.frame = (m.frame + 1) & 7;
}

// What the published destruct leaves behind that a host can count: the
// little arrows' uxtheme.dll reference when no theme opened.
void World::destructed(const Model& m) {
    if (m.className == "LittleArrows" && themesPossible && !m.themed) ++keptThemeReferences;
}

void World::registerReceiver(Model& m, HostObject receiver) {
    if (receiver) m.receivers.insert(m.receivers.begin(), Registration{++nextRegistration, receiver});
}

void World::removeRegistration(Model& m, HostObject receiver) {
    auto it = std::find_if(m.receivers.begin(), m.receivers.end(),
                           [&](const Registration& r) { return r.receiver == receiver; });
    if (it != m.receivers.end()) m.receivers.erase(it);
}

// --- events, receivers and the application's code -----------------------------------------

bool World::handled(const Model& m, const char* event) const {
    return supplied("GetEventInstance") && m.handlers.count(event) != 0;
}

// Fires a plain or mouse event as the model expects it; the handler's answer.
bool World::event(Model& m, const char* name, std::vector<int32_t> args) {
    if (stopped(m) || !handled(m, name)) return false;
    expectedEvents.push_back(EventRecord{name, std::move(args), nullptr});
    const bool answer = m.handlers.at(name);
    expectReaction(m, name);
    return answer;
}

bool World::mouseEvent(Model& m, const char* name, int64_t x, int64_t y) {
    const HostRect b = seenBounds(m);
    return event(m, name, {static_cast<int32_t>(x - b.left), static_cast<int32_t>(y - b.top)});
}

// Every receiver registered when the notification starts, most recent
// first, unless the application's code has unregistered it meanwhile;
// receivers registered meanwhile wait for the next notification.
void World::fireAction(Model& m) {
    if (supplied("GetInterfaceRoutine")) {
        const std::vector<Registration> registered = m.receivers;
        for (const Registration& r : registered) {
            if (stopped(m)) return;
            const bool still = std::any_of(m.receivers.begin(), m.receivers.end(),
                                           [&](const Registration& now) { return now.id == r.id; });
            if (!still) continue;
            expectedEvents.push_back(EventRecord{"PerformAction", {}, r.receiver});
            expectReaction(m, "PerformAction");
        }
    }
    event(m, "Action");
}

// The model's side of a reaction (the host's is the application's, application.cpp).
void World::expectReaction(Model& m, const std::string& event) {
    auto it = m.reactions.find(event);
    if (it == m.reactions.end()) return;
    const Step& r = it->second;
    void* handle = nullptr;
    if (!bench.resolve(r.ref, handle)) return;
    if (r.reaction == kRemoveReceiver) {
        removeRegistration(m, static_cast<HostObject>(handle));
    } else if (r.reaction == kAddReceiver) {
        registerReceiver(m, static_cast<HostObject>(handle));
    } else if (r.reaction == kDeleteRows) {
        m.rows.clear();
    } else if (r.reaction == kAddRow) {
        m.rows.push_back(Row{static_cast<HostString>(handle), false});
    } else if (r.reaction == kSetCaption) {
        m.caption = static_cast<HostString>(handle);
        captionApplied(m);
    } else if (r.reaction == kDestroySelf) {
        expectDestroyed(m);
    } else if (r.reaction == kDestroyOther) {
        if (Model* other = modelOf(static_cast<int32_t>(r.n[0]))) expectDestroyed(*other);
    } else if (r.reaction == kDestroyAll) {
        for (auto& entry : models) expectDestroyed(entry.second);
    } else if (r.reaction == kModalLoop) {
        expectModalLoop(m, r.n[0]);
    }
}

// The host destroying a control while the application's code runs: the
// plug-in gives back all it held, and the control fires nothing more.
void World::expectDestroyed(Model& m) {
    if (m.gone) return;
    m.gone = true;
    destructed(m);
    m.caption = m.textFont = nullptr;
    m.icon = m.image = nullptr;
    m.rows.clear();
    m.receivers.clear();
    m.pressed = false;
}

// A message box or a dialog in a handler: the host goes on dispatching
// messages, and its paint messages and idle timer reach the controls.
// Each round repaints the control whose handler runs the loop and gives
// every control its idle call; the rounds are posted before the timer
// that ends the loop, so all of them run first.
void World::expectModalLoop(Model& caller, int64_t rounds) {
    for (int64_t k = 0; k < rounds; ++k) {
        if (!caller.gone && caller.className == "BevelButton") painted(caller);
        for (auto& entry : models)
            if (!entry.second.gone) idled(entry.second);
    }
}

// After the step: the model and the host agree on what is gone, and the
// model forgets it.
void World::forgetDestroyed() {
    for (auto it = models.begin(); it != models.end();) {
        const Model& m = it->second;
        if (m.gone != m.destroyed)
            differ(m.className + (m.gone ? " was not destroyed, though its handler should have run"
                                         : " was destroyed by a handler the model did not expect"));
        it = m.destroyed ? models.erase(it) : std::next(it);
    }
}

}  // namespace soak
