// The model of a run, on the bench every room acts through (the host and its
// spy as the script's system, the handles, the calls, the first fault): what
// every instance should be as far as a host can tell, what the published
// behaviour makes of its state, and what the step under way should bring.
// Where the plug-in departs from it on purpose, it follows departures.h.
#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "departures.h"
#include "run.h"
#include "script.h"
#include "system_spy.h"
#include "plugin_host.h"

namespace soak {

using pluginhost::Instance;

struct Bench {
    Bench(const Script& script, const RunOptions& options) : script(script), options(options) {}

    // The host as the script's system; false, with the fault, when the
    // plug-in does not load or the spy cannot watch it.
    bool start();

    const Script& script;
    RunOptions options;
    pluginhost::Host host;
    std::unique_ptr<pluginhost::SystemSpy> spy;
    uint32_t surfaceStyle = 0;
    size_t baseFaults = 0;  // faults the host reported before the first step
    RunResult result;
    int64_t step = 0;
    std::string currentClass;
    std::map<std::string, void*> handles;  // by ref, once made
    std::set<std::string> dropped;         // refs whose host reference is gone
    std::set<const void*> strings;         // string handles whose locks are checked
    std::set<const void*> objects;         // picture and receiver handles likewise

    // The run's first fault, at the step under way; later ones are not kept.
    void fail(const std::string& category, const std::string& message);
    // The handle a ref names, made on first use; false when the host has let
    // it go (a script that uses a handle after that is not a host's).
    bool resolve(const std::string& ref, void*& handle);
};

struct Row {
    HostString text = nullptr;
    bool separator = false;
};

// One registration of a receiver; the same receiver may be registered twice.
struct Registration {
    int64_t id = 0;
    HostObject receiver = nullptr;
};

// What one instance should be, as far as a host can tell.
struct Model {
    std::string className;
    Instance* instance = nullptr;  // only while the host has not destroyed it
    // What the host set, as the plug-in should see it.
    HostRect bounds{};
    bool enabled = true, visible = true, tabPanelVisible = true;
    std::map<std::string, bool> handlers;  // event: the handler's answer
    bool themed = false;                   // opened a theme at construct
    // Destroyed by the application's code during the step: gone as the model
    // expects it, destroyed once the host has done it.
    bool gone = false, destroyed = false;
    // BevelButton
    HostString caption = nullptr;
    HostString textFont = nullptr;
    int32_t captionAlign = 0, captionPlacement = 0, captionDelta = 0, iconAlign = 0, iconDX = 0, iconDY = 0;
    int32_t bevel = 0, hasMenu = 0, buttonType = 0, textSize = 0;
    uint8_t value = 0, bold = 0, italic = 0, underline = 0;
    int16_t menuValue = 0;
    HostObject icon = nullptr;
    std::vector<Row> rows;
    std::vector<Registration> receivers;    // most recent first
    std::map<std::string, Step> reactions;  // event: what the application's code then does
    bool pressed = false, hot = false, mouseDownHandled = false;
    // DisclosureTriangle, PopupArrow (facing, value, pressed as above)
    int32_t facing = 0;
    // LittleArrows
    int32_t pressedPart = 0;
    uint32_t pressTick = 0;
    // ChasingArrows
    int32_t frame = 0;
    // ImageWell
    HostObject image = nullptr;
};

// A bevel button's Integer and Boolean property that the host may read or
// write at its field, and the model's field: a 32-bit one or a byte.
struct BevelField {
    const char* name;
    int32_t Model::*integer;
    uint8_t Model::*byte;
};

// In the order the fields are compared after every step.
constexpr BevelField kBevelFields[] = {
    {"CaptionAlign", &Model::captionAlign, nullptr},
    {"CaptionPlacement", &Model::captionPlacement, nullptr},
    {"CaptionDelta", &Model::captionDelta, nullptr},
    {"IconAlign", &Model::iconAlign, nullptr},
    {"IconDX", &Model::iconDX, nullptr},
    {"IconDY", &Model::iconDY, nullptr},
    {"Bevel", &Model::bevel, nullptr},
    {"HasMenu", &Model::hasMenu, nullptr},
    {"Value", nullptr, &Model::value},
    {"ButtonType", &Model::buttonType, nullptr},
    {"TextSize", &Model::textSize, nullptr},
    {"Bold", nullptr, &Model::bold},
    {"Italic", nullptr, &Model::italic},
    {"Underline", nullptr, &Model::underline},
};

struct EventRecord {
    std::string name;
    std::vector<int32_t> args;
    const void* receiver = nullptr;
};

// A Down step's menu, as the model expects it (bevel_button.cpp).
struct MenuPlan {
    Model* model = nullptr;
    const Step* step = nullptr;
    std::vector<pluginhost::MenuItemSnapshot> items;
    std::vector<bool> textKnown;
    int x = 0, y = 0;
    HWND owner = nullptr;
    UINT choice = 0;
    int calls = 0;
};

// A string or picture setter's replacement, for the order of its locks.
struct Replacement {
    const void* old = nullptr;
    const void* replacement = nullptr;
    bool picture = false;
    size_t logFrom = 0;
};

// Right and bottom exclusive.
inline bool inside(const HostRect& b, int64_t x, int64_t y) {
    return b.left <= x && x < b.right && b.top <= y && y < b.bottom;
}

class World {
public:
    // After the plug-in has loaded under the spy.
    explicit World(Bench& bench);

    Bench& bench;
    pluginhost::Host& host;
    pluginhost::SystemSpy& spy;
    std::set<std::string> withheld;                                        // the entry points the host lacks now
    bool isNT = true;                                                      // the wide Windows functions
    bool themesPossible = false;                                           // Windows XP with uxtheme.dll
    bool stringLocks = true, objectLocks = true, descriptionLocks = true;  // the lock entry points are there
    std::map<int32_t, Model> models;
    uint32_t lastFire[2] = {0, 0};  // LittleArrows' last repeat, Up and Down, for every instance
    // LittleArrows destroyed without a theme, whose uxtheme.dll reference the
    // published destruct keeps.
    int keptThemeReferences = 0;
    int64_t nextRegistration = 0;

    // During a step.
    std::string mismatch;      // the first difference from the model
    std::string stepMismatch;  // the step's first difference from the model, checked after the host's faults
    std::vector<EventRecord> expectedEvents;
    size_t eventsBefore = 0;
    std::map<const Instance*, int> invalidationsBefore;  // raised by one for every repaint expected
    std::map<const Instance*, int> acceleratorsBefore;   // raised by one for every call expected
    std::vector<Replacement> replacements;
    MenuPlan menu;

    void beginStep();
    void differ(const std::string& message) {
        if (mismatch.empty()) mismatch = message;
    }
    void call(int n = 1) {  // counts calls into the plug-in
        bench.result.calls += n;
        if (bench.options.progress) bench.options.progress->calls = bench.options.progress->calls + n;
    }
    std::string textOf(HostString s) const { return s ? host.text(s) : std::string(); }
    Model* modelOf(int32_t slot) {
        auto it = models.find(slot);
        return it == models.end() ? nullptr : &it->second;
    }
    bool supplied(const char* entryPoint) const { return withheld.count(entryPoint) == 0; }

    // --- what the plug-in sees ---------------------------------------------------------
    HostRect seenBounds(const Model& m) const {
        if (supplied("GetControlBounds") || !departs(Departure::BoundsZeroWithoutEntryPoint)) return m.bounds;
        return HostRect{0, 0, 0, 0};
    }
    bool seenEnabled(const Model& m) const { return supplied("ZOKAGetControlEnabled") && m.enabled; }
    // The application destroyed the control during the call that is being
    // modelled: the plug-in goes no further with it.
    static bool stopped(const Model& m) { return m.gone && departs(Departure::DestroyedCallerStops); }
    int32_t paramOf(const Model& m, const char* name) const {
        const PropertyDefinition* p = host.property(m.instance, name);
        return p ? p->param : 0;
    }
    // Fields without a direct getter, at their place in the published layout.
    int32_t captionOffset(const Model& m) const {
        return paramOf(m, "HasMenu") - 4 - static_cast<int32_t>(sizeof(void*));
    }
    int32_t menuValueOffset(const Model& m) const { return paramOf(m, "CaptionPlacement") + 4; }
    // The model's value of an Integer or Boolean property; false for others.
    static bool fieldValue(const Model& m, const std::string& n, int64_t& value);

    // --- what the published behaviour makes of a state -------------------------------
    void invalidated(const Model& m) {
        if (supplied("ZOKAInvalidateControl")) ++invalidationsBefore[m.instance];
    }
    // A bevel button's caption changed: a repaint, and the host is handed the
    // caption's text.
    void captionApplied(Model& m) {
        invalidated(m);
        if (supplied("ZOKASetAccelerator")) ++acceleratorsBefore[m.instance];
    }
    // A bevel button painted: the one-shot bevels fall back to the plain one.
    static void painted(Model& m) {
        if (m.bevel == 3 || m.bevel == 5 || m.bevel == 6) {
            m.bevel = 0;
        } else if (m.bevel == 7) {
            m.bevel = 0;
            m.buttonType = 1;
        }
    }
    // A ChasingArrows' idle call as the published behaviour has it.
    void idled(Model& m) {
        if (m.className == "ChasingArrows" && supplied("GetControlVisible") && m.visible &&
            supplied("GetTabPanelVisible") && m.tabPanelVisible)
            m.frame = (m.frame + 1) & 7;
    }
    // What the published destruct leaves behind that a host can count: the
    // little arrows' uxtheme.dll reference when no theme opened.
    void destructed(const Model& m) {
        if (m.className == "LittleArrows" && themesPossible && !m.themed) ++keptThemeReferences;
    }
    void registerReceiver(Model& m, HostObject receiver) {
        if (receiver) m.receivers.insert(m.receivers.begin(), Registration{++nextRegistration, receiver});
    }
    static void removeRegistration(Model& m, HostObject receiver) {
        auto it = std::find_if(m.receivers.begin(), m.receivers.end(),
                               [&](const Registration& r) { return r.receiver == receiver; });
        if (it != m.receivers.end()) m.receivers.erase(it);
    }

    // --- events, receivers and the application's code -----------------------------------
    bool event(Model& m, const char* name, std::vector<int32_t> args = {});
    bool mouseEvent(Model& m, const char* name, int64_t x, int64_t y) {
        const HostRect b = seenBounds(m);
        return event(m, name, {static_cast<int32_t>(x - b.left), static_cast<int32_t>(y - b.top)});
    }
    void fireAction(Model& m);
    void expectReaction(Model& m, const std::string& event);
    void expectDestroyed(Model& m);
    void expectModalLoop(Model& caller, int64_t rounds);
    void forgetDestroyed();
};

}  // namespace soak
