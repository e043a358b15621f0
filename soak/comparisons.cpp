// The comparisons of what the host saw with the model: after the calls of a
// step, the events, repaints, accelerator calls and a setter's lock order;
// after every step, once the host's own faults and the guard bytes are clean,
// the fields, the locks every handle carries, the system objects (uxtheme
// references, theme handles, menus, GDI objects) and the output.
#include "expectations.h"

namespace soak {
namespace {

// The category of a fault message of the host or the system spy.
std::string categoryOf(const std::string& m) {
    auto has = [&](const char* text) { return m.find(text) != std::string::npos; };
    if (has("written after its destruct")) return "late";
    // The plug-in only ever holds instances the host gave it: one the host
    // does not know is one it destroyed.
    if (has("an instance the host does not know")) return "gone";
    if (has("GDI object")) return "gdi";
    if (has("did not restore the device context")) return "dc";
    if (has("after its last release")) return "released";
    if (has("wrote outside its InstanceData")) return "guard";
    if (has("uxtheme") || has("theme ")) return "uxtheme";
    if (has("enu ") || has("Menu")) return "menu";
    if (has("OutputDebugString") || has("MessageBox")) return "printed";
    if (has("lock") || has("below zero") || has("more than it locked") || has("still locked")) return "lock";
    return "host";
}

void compareEvents(World& w) {
    const std::vector<EventRecord> actual = eventsSeen(w);
    bool same = actual.size() == w.expectedEvents.size();
    for (size_t k = 0; same && k < actual.size(); ++k)
        same = actual[k].name == w.expectedEvents[k].name && actual[k].args == w.expectedEvents[k].args &&
               actual[k].receiver == w.expectedEvents[k].receiver;
    w.bench.result.coverage.events += static_cast<int64_t>(actual.size());
    if (!same) w.differ("events " + describe(actual, w.host) + "instead of " + describe(w.expectedEvents, w.host));
}

void compareInvalidations(World& w) {
    for (auto& entry : w.models) {
        if (entry.second.destroyed) continue;  // what it asked for went with it
        const Instance* i = entry.second.instance;
        auto before = w.invalidationsBefore.find(i);
        if (before == w.invalidationsBefore.end()) continue;
        if (i->invalidations != before->second)
            w.differ(entry.second.className + " asked for " + std::to_string(i->invalidations) +
                     " repaint(s) in all, expected " + std::to_string(before->second));
    }
}

void compareAccelerators(World& w) {
    for (auto& entry : w.models) {
        const Model& m = entry.second;
        if (m.destroyed) continue;
        auto before = w.acceleratorsBefore.find(m.instance);
        if (before == w.acceleratorsBefore.end()) continue;
        if (m.instance->acceleratorCalls != before->second)
            w.differ("ZOKASetAccelerator was called " + std::to_string(m.instance->acceleratorCalls) +
                     " time(s) in all, expected " + std::to_string(before->second));
        else if (m.className == "BevelButton" && m.instance->acceleratorCalls > 0 &&
                 m.instance->accelerator != w.textOf(m.caption))
            w.differ("the accelerator text is \"" + m.instance->accelerator + "\", not the caption's \"" +
                     w.textOf(m.caption) + "\"");
    }
}

// A replaced string or picture: its old lock given back and the new one
// taken, in the order the departures table says.
void compareReplacements(World& w) {
    const bool newFirst = departs(Departure::NewLockBeforeOld);
    for (const Replacement& r : w.replacements) {
        const std::string kind = r.picture ? "Object " : "String ";
        const std::string unlock = "ZOKAUnlock" + kind + w.host.nameOf(r.old);
        const std::string lock = "ZOKALock" + kind + w.host.nameOf(r.replacement);
        size_t unlockAt = SIZE_MAX, lockAt = SIZE_MAX;
        for (size_t k = r.logFrom; k < w.host.lockLog.size(); ++k) {
            if (unlockAt == SIZE_MAX && w.host.lockLog[k] == unlock) unlockAt = k;
            if (lockAt == SIZE_MAX && w.host.lockLog[k] == lock) lockAt = k;
        }
        // Without both there is no order; the counts of locks are checked apart.
        if (unlockAt == SIZE_MAX || lockAt == SIZE_MAX) continue;
        if ((lockAt < unlockAt) != newFirst)
            w.differ("the setter locked " + w.host.nameOf(r.replacement) + (newFirst ? " after" : " before") +
                     " giving back " + w.host.nameOf(r.old));
    }
}

void compareFields(World& w, const Model& m) {
    const std::string& n = m.className;
    const Instance* i = m.instance;
    if (n == "BevelButton") {
        for (const BevelField& f : kBevelFields) {
            const char* name = f.name;
            const PropertyDefinition* p = w.host.property(m.instance, name);
            int64_t expected = 0;
            World::fieldValue(m, name, expected);
            const bool boolean = _stricmp(p->type, "Boolean") == 0;
            const int64_t actual = boolean ? i->at<uint8_t>(p->param) : i->at<int32_t>(p->param);
            if (actual != expected)
                w.differ(std::string(name) + " holds " + std::to_string(actual) + ", expected " +
                         std::to_string(expected));
        }
        const int16_t menuValue = i->at<int16_t>(w.menuValueOffset(m));
        if (menuValue != m.menuValue)
            w.differ("MenuValue holds " + std::to_string(menuValue) + ", expected " + std::to_string(m.menuValue));
        auto handleAt = [&](int32_t offset) { return i->at<void*>(offset); };
        if (handleAt(w.captionOffset(m)) != m.caption) w.differ("Caption holds another string");
        if (handleAt(w.paramOf(m, "TextFont")) != m.textFont) w.differ("TextFont holds another string");
        if (handleAt(w.paramOf(m, "Icon")) != m.icon) w.differ("Icon holds another picture");
    } else if (n == "DisclosureTriangle" || n == "Placard") {
        if (i->at<uint8_t>(w.paramOf(m, "Value")) != m.value) w.differ("Value holds another byte");
        if (n == "DisclosureTriangle" && i->at<int32_t>(w.paramOf(m, "Facing")) != m.facing)
            w.differ("Facing holds another value");
    } else if (n == "PopupArrow") {
        if (i->at<int32_t>(w.paramOf(m, "Facing")) != m.facing) w.differ("Facing holds another value");
    } else if (n == "ImageWell") {
        if (i->at<void*>(w.paramOf(m, "Image")) != m.image) w.differ("Image holds another picture");
    } else if (n == "ChasingArrows") {
        const int32_t frame = i->at<int32_t>(4);
        if (frame != m.frame)
            w.differ("the frame is " + std::to_string(frame) + ", expected " + std::to_string(m.frame));
    }
}

// Every lock a handle should carry: one per field, row or registration
// that holds it.
void compareLocks(World& w) {
    std::map<const void*, int> expected;
    std::map<const void*, int> descriptions;
    for (const auto& entry : w.models) {
        const Model& m = entry.second;
        if (w.stringLocks) {
            if (m.caption) ++expected[m.caption];
            if (m.textFont) ++expected[m.textFont];
            for (const Row& row : m.rows)
                if (row.text) ++expected[row.text];
        }
        for (HostObject picture : {m.icon, m.image}) {
            if (!picture) continue;
            if (w.objectLocks) ++expected[picture];
            if (w.descriptionLocks) ++descriptions[picture];
        }
        if (w.objectLocks)
            for (const Registration& r : m.receivers) ++expected[r.receiver];
    }
    auto compare = [&](const std::set<const void*>& handles) {
        for (const void* h : handles) {
            auto e = expected.find(h);
            const int want = e == expected.end() ? 0 : e->second;
            const int have = w.host.pluginRefs(h);
            if (have != want)
                w.bench.fail("lock", "the plug-in holds " + std::to_string(have) + " lock(s) on " + w.host.nameOf(h) +
                                         ", expected " + std::to_string(want));
        }
    };
    if (w.stringLocks) compare(w.bench.strings);
    if (w.objectLocks) compare(w.bench.objects);
    if (!w.descriptionLocks) return;
    for (const void* h : w.bench.objects) {
        auto d = descriptions.find(h);
        const int want = d == descriptions.end() ? 0 : d->second;
        const int have = w.host.descriptionLocks(static_cast<HostObject>(const_cast<void*>(h)));
        if (have != want)
            w.bench.fail("lock", "the picture description of " + w.host.nameOf(h) + " is locked " +
                                     std::to_string(have) + " time(s), expected " + std::to_string(want));
    }
}

void compareSystem(World& w) {
    int themeUsers = 0, themed = 0;
    for (const auto& entry : w.models) {
        const std::string& n = entry.second.className;
        if (n == "BevelButton" || n == "LittleArrows" || n == "ChasingArrows") ++themeUsers;
        if (entry.second.themed) ++themed;
    }
    const int kept = departs(Departure::ThemeReferenceWithoutTheme) ? 0 : w.keptThemeReferences;
    const int references = (w.themesPossible ? themeUsers : 0) + kept;
    if (w.spy.uxthemeReferences() != references)
        w.bench.fail("uxtheme", "the plug-in holds " + std::to_string(w.spy.uxthemeReferences()) +
                                    " reference(s) on uxtheme.dll, expected " + std::to_string(references));
    if (w.spy.openThemes() != themed)
        w.bench.fail("uxtheme", std::to_string(w.spy.openThemes()) + " theme handle(s) are open, expected " +
                                    std::to_string(themed));
    if (w.spy.liveMenus() != 0) w.bench.fail("menu", std::to_string(w.spy.liveMenus()) + " menu(s) were not destroyed");
    if (w.host.gdiLive() != 0) w.bench.fail("gdi", std::to_string(w.host.gdiLive()) + " GDI object(s) are not deleted");
}

void compareOutput(World& w) {
    if (!w.bench.options.checkOutput) return;
    std::fflush(stdout);
    std::fflush(stderr);
    for (DWORD which : {STD_OUTPUT_HANDLE, STD_ERROR_HANDLE}) {
        LARGE_INTEGER size{};
        HANDLE h = GetStdHandle(which);
        if (h && h != INVALID_HANDLE_VALUE && GetFileType(h) == FILE_TYPE_DISK && GetFileSizeEx(h, &size) &&
            size.QuadPart > 0)
            w.bench.fail("printed", std::string("the plug-in wrote to ") +
                                        (which == STD_OUTPUT_HANDLE ? "standard output" : "standard error"));
    }
}

}  // namespace

void compareStep(World& w) {
    compareEvents(w);
    compareInvalidations(w);
    compareAccelerators(w);
    compareReplacements(w);
}

void check(World& w) {
    Bench& bench = w.bench;
    if (bench.result.faulted) return;
    bench.host.checkDestroyedBlocks();
    const std::vector<std::string> faults = bench.host.faults();
    if (faults.size() > bench.baseFaults) {
        bench.fail(categoryOf(faults[bench.baseFaults]), faults[bench.baseFaults]);
        return;
    }
    for (const auto& entry : w.models) {
        if (!bench.host.guardsIntact(entry.second.instance)) {
            bench.fail("guard", entry.second.className + " wrote outside its InstanceData of " +
                                    std::to_string(entry.second.instance->definition->instanceDataSize) + " bytes");
            return;
        }
    }
    if (!w.stepMismatch.empty()) {
        bench.fail("behaviour", w.stepMismatch);
        return;
    }
    w.mismatch.clear();
    for (const auto& entry : w.models) compareFields(w, entry.second);
    if (!w.mismatch.empty()) {
        bench.fail("behaviour", w.mismatch);
        return;
    }
    compareSystem(w);
    compareLocks(w);
    if (!bench.result.faulted && w.models.empty() && w.stringLocks && w.objectLocks && w.descriptionLocks) {
        const std::vector<std::string> held = bench.host.lockImbalances();
        if (!held.empty()) bench.fail("lock", "with no instance alive, " + held.front());
    }
    compareOutput(w);
}

std::vector<EventRecord> eventsSeen(const World& w) {
    std::vector<EventRecord> seen;
    for (size_t k = w.eventsBefore; k < w.host.events.size(); ++k) {
        const pluginhost::EventCall& e = w.host.events[k];
        seen.push_back(EventRecord{e.name, e.args, e.receiver});
    }
    return seen;
}

std::string describe(const std::vector<EventRecord>& events, const pluginhost::Host& host) {
    std::string text;
    for (const EventRecord& e : events) {
        text += e.name + "(";
        for (size_t i = 0; i < e.args.size(); ++i) text += (i ? "," : "") + std::to_string(e.args[i]);
        if (e.receiver) text += host.nameOf(e.receiver);
        text += ") ";
    }
    return text.empty() ? "none" : text;
}

}  // namespace soak
