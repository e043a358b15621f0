#include "executor.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include <windows.h>

#include "departures.h"
#include "expected_text.h"
#include "generator.h"
#include "system_spy.h"
#include "plugin_host.h"

namespace soak {

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

namespace {

using pluginhost::Host;
using pluginhost::Instance;

constexpr UINT kFirstMenuItemId = 1000;
constexpr UINT kPopupFlags = TPM_NONOTIFY | TPM_RETURNCMD;
// LittleArrows' published timing: the first repeat once the 16-ms tick is
// more than kRepeatDelayTicks past the press, then at most one per event
// while GetTickCount is more than kRepeatSpacingMs past its last repeat.
constexpr uint32_t kTick16Shift = 4;
constexpr uint32_t kTick16Mask = 0xFFFFFFFFu >> kTick16Shift;
constexpr uint32_t kRepeatDelayTicks = 25;
constexpr uint32_t kRepeatSpacingMs = 15;
constexpr int32_t kArrowsWidth = 13;
constexpr int32_t kArrowsHeight = 23;
constexpr int32_t kArrowsDownTop = 12;
// A modal loop in a handler ends on the first tick of a timer of the
// shortest period Windows keeps; the rounds posted before it run first.
constexpr UINT kModalLoopTimerMs = USER_TIMER_MINIMUM;
constexpr UINT kModalRoundMessage = WM_APP + 1;
constexpr UINT_PTR kModalLoopTimer = 1;
constexpr wchar_t kModalWindowClass[] = L"SoakModalLoop";

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

struct EventRecord {
    std::string name;
    std::vector<int32_t> args;
    const void* receiver = nullptr;
};

// The device-context state a style number stands for; 0 leaves the host's.
void applySurfaceStyle(HDC dc, uint32_t style) {
    if (style == 0) return;
    Random r(style);
    const int pens[] = {BLACK_PEN, WHITE_PEN, NULL_PEN, DC_PEN};
    const int brushes[] = {WHITE_BRUSH, LTGRAY_BRUSH, GRAY_BRUSH, BLACK_BRUSH, NULL_BRUSH, DC_BRUSH};
    SelectObject(dc, GetStockObject(pens[r.below(4)]));
    SelectObject(dc, GetStockObject(brushes[r.below(6)]));
    SetTextColor(dc, static_cast<COLORREF>(r.next() & 0xFFFFFF));
    SetBkColor(dc, static_cast<COLORREF>(r.next() & 0xFFFFFF));
    SetBkMode(dc, r.percent(50) ? OPAQUE : TRANSPARENT);
    const UINT aligns[] = {TA_LEFT | TA_TOP, TA_CENTER | TA_BASELINE, TA_RIGHT | TA_BOTTOM};
    SetTextAlign(dc, aligns[r.below(3)]);
    const int mixes[] = {R2_COPYPEN, R2_XORPEN, R2_NOT, R2_MASKPEN};
    SetROP2(dc, mixes[r.below(4)]);
    SetPolyFillMode(dc, r.percent(50) ? ALTERNATE : WINDING);
    SetStretchBltMode(dc, r.percent(50) ? COLORONCOLOR : HALFTONE);
    SetTextCharacterExtra(dc, static_cast<int>(r.below(3)));
    const uint32_t clip = r.below(3);
    if (clip > 0) {
        const int left = static_cast<int>(r.below(60)), top = static_cast<int>(r.below(40));
        HRGN region = CreateRectRgn(left, top, left + 1 + static_cast<int>(r.below(200)),
                                    top + 1 + static_cast<int>(r.below(200)));
        if (clip == 2) {
            HRGN second = CreateRectRgn(0, 0, 5, 5);
            CombineRgn(region, region, second, RGN_OR);
            DeleteObject(second);
        }
        SelectClipRgn(dc, region);
        DeleteObject(region);
    }
}

pluginhost::WindowsVersion versionNamed(const std::string& name) {
    if (name == "98") return pluginhost::kWindows98;
    if (name == "7") return pluginhost::kWindows7;
    return pluginhost::kWindowsXP;
}

std::string describe(const std::vector<EventRecord>& events, const Host& host) {
    std::string text;
    for (const EventRecord& e : events) {
        text += e.name + "(";
        for (size_t i = 0; i < e.args.size(); ++i) text += (i ? "," : "") + std::to_string(e.args[i]);
        if (e.receiver) text += host.nameOf(e.receiver);
        text += ") ";
    }
    return text.empty() ? "none" : text;
}

class Executor {
public:
    Executor(const Script& script, const RunOptions& options) : script_(script), options_(options) {}

    RunResult run() {
        const Config& c = script_.config;
        host_.poisonReleasedStrings();
        // Blocks of destroyed instances are kept and checked after every
        // step: a late write is found at the call that made it.
        host_.keepDestroyedBlocks = true;
        host_.defaultCaption = c.defaultCaption;
        host_.defaultFont = c.defaultFont;
        host_.defaultFontSize = c.defaultFontSize;
        host_.win32Charset = c.charset;
        for (const std::string& name : c.withheld) {
            host_.withhold(name);
            withheld_.insert(name);
        }
        if (!host_.load(options_.plugin)) {
            fail("host", "the plug-in did not load: " + host_.lastError());
            return result_;
        }
        spy_ = std::make_unique<pluginhost::SystemSpy>(host_);
        spy_->version = versionNamed(c.system);
        spy_->language = c.language;
        spy_->tick = c.clock;
        spy_->uxthemeMissing = c.uxtheme == "missing";
        spy_->openThemeAnswersNull = c.uxtheme == "nothemes";
        spy_->trackPopupMenu = [this](const pluginhost::PopupMenuCall& call) { return trackMenu(call); };
        host_.onPerformAction = [this](HostObject) { react(reactingSlot_, "PerformAction"); };
        host_.surfaceSetup = [this](HDC dc) { applySurfaceStyle(dc, surfaceStyle_); };
        isNT_ = c.system != "98";
        themesPossible_ = c.system == "xp" && c.uxtheme != "missing";
        stringLocks_ = !withheld_.count("ZOKALockString");
        objectLocks_ = !withheld_.count("ZOKALockObject");
        descriptionLocks_ = !withheld_.count("lockPictureDescription");
        for (const std::string& missing : spy_->unhooked()) {
            // Only what the plug-in imports can be watched. Without these the
            // soak could neither script the system nor see what is acquired;
            // a release it does not import shows as a leak.
            if (missing == "GetVersionExA" || missing == "GetTickCount" || missing == "GetKeyState" ||
                missing == "TrackPopupMenu" || missing == "CreatePopupMenu" || missing == "LoadLibraryA" ||
                missing == "GetUserDefaultLangID") {
                fail("host", "the plug-in does not import " + missing + ", which the soak scripts");
                return result_;
            }
        }
        modalWindow_ = makeModalWindow();
        baseFaults_ = host_.faults().size();
        if (options_.trace)
            std::fprintf(options_.trace, "run %llu %lld system %s language %u uxtheme %s withheld %zu\n",
                         static_cast<unsigned long long>(c.seed), static_cast<long long>(c.run), c.system.c_str(),
                         static_cast<unsigned>(c.language), c.uxtheme.c_str(), c.withheld.size());
        if (!c.withheld.empty()) result_.coverage.withheld = 1;

        const int64_t count = static_cast<int64_t>(script_.steps.size());
        for (step_ = 0; step_ < count && !result_.faulted; ++step_) {
            if (options_.progress) options_.progress->step = step_;
            const Step& s = script_.steps[static_cast<size_t>(step_)];
            currentClass_ = modelOf(s.slot) ? modelOf(s.slot)->className : std::string();
            perform(s);
            check();
            trace(s);
            ++result_.steps;
        }
        // The run ends as a host closes a window: every instance destroyed.
        while (!result_.faulted && !models_.empty()) {
            if (options_.progress) options_.progress->step = step_;
            Step s;
            s.op = Op::Destroy;
            s.slot = models_.begin()->first;
            currentClass_ = models_.begin()->second.className;
            perform(s);
            check();
            trace(s);
            ++step_;
        }
        traceVerdict();
        // After a fault the rest goes unchecked, but under the spy still:
        // the plug-in keeps what the spy handed it.
        while (!models_.empty()) {
            if (!models_.begin()->second.destroyed) host_.destroy(models_.begin()->second.instance);
            models_.erase(models_.begin());
        }
        spy_.reset();
        if (modalWindow_) DestroyWindow(modalWindow_);
        return result_;
    }

private:
    const Script& script_;
    RunOptions options_;
    Host host_;
    std::unique_ptr<pluginhost::SystemSpy> spy_;
    std::set<std::string> withheld_;
    std::map<std::string, void*> handles_;  // by ref, once made
    std::set<std::string> dropped_;         // refs whose host reference is gone
    std::set<const void*> strings_;         // string handles whose locks are checked
    std::set<const void*> objects_;         // picture and receiver handles likewise
    std::map<int32_t, Model> models_;
    uint32_t lastFire_[2] = {0, 0};
    uint32_t surfaceStyle_ = 0;
    bool isNT_ = true;
    bool themesPossible_ = false;
    bool stringLocks_ = true, objectLocks_ = true, descriptionLocks_ = true;
    size_t baseFaults_ = 0;
    int64_t step_ = 0;
    std::string currentClass_;
    RunResult result_;
    // During a step.
    std::string mismatch_;
    std::string stepMismatch_;  // the step's first difference from the model, checked after the host's faults
    std::vector<EventRecord> expectedEvents_;
    size_t eventsBefore_ = 0;
    std::map<const Instance*, int> invalidationsBefore_;
    std::map<const Instance*, int> acceleratorsBefore_;  // raised by one for every call expected
    int32_t reactingSlot_ = -1;                          // the instance whose receivers a PerformAction belongs to
    int64_t nextRegistration_ = 0;
    // Each string or picture setter's replacement, for the order of its locks.
    struct Replacement {
        const void* old = nullptr;
        const void* replacement = nullptr;
        bool picture = false;
        size_t logFrom = 0;
    };
    std::vector<Replacement> replacements_;
    // LittleArrows destroyed without a theme, whose uxtheme.dll reference the
    // published destruct keeps.
    int keptThemeReferences_ = 0;
    HWND modalWindow_ = nullptr;
    // The modal loop that runs: the slot whose handler runs it, and whether
    // its timer has ended it.
    int32_t modalSlot_ = -1;
    bool modalEnded_ = false;

    // A Down step's menu, as the model expects it.
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
    MenuPlan menu_;

    // --- bookkeeping ---------------------------------------------------------------

    void fail(const std::string& category, const std::string& message) {
        if (result_.faulted) return;
        result_.faulted = true;
        result_.fault.category = category;
        result_.fault.message = message;
        result_.fault.step = step_;
        result_.fault.className = currentClass_;
        if (options_.onFault) options_.onFault(result_.fault);
    }

    void differ(const std::string& message) {
        if (mismatch_.empty()) mismatch_ = message;
    }

    Model* modelOf(int32_t slot) {
        auto it = models_.find(slot);
        return it == models_.end() ? nullptr : &it->second;
    }

    bool supplied(const char* entryPoint) const { return withheld_.count(entryPoint) == 0; }

    void call(int n = 1) {
        result_.calls += n;
        if (options_.progress) options_.progress->calls = options_.progress->calls + n;
    }

    // The handle a ref names, made on first use; false when the host has let
    // it go (a script that uses a handle after that is not a host's).
    bool resolve(const std::string& ref, void*& handle) {
        handle = nullptr;
        if (ref.empty() || ref == "nil") return true;
        if (dropped_.count(ref)) return false;
        auto made = handles_.find(ref);
        if (made != handles_.end()) {
            handle = made->second;
            return true;
        }
        if (auto s = script_.strings.find(ref); s != script_.strings.end()) {
            handle = host_.makeString(s->second.bytes, s->second.encoding);
            strings_.insert(handle);
        } else if (auto p = script_.pictures.find(ref); p != script_.pictures.end()) {
            const PictureDef& d = p->second;
            handle = d.odd ? host_.makeOddPicture(d.width, d.height, d.flag)
                           : host_.makePicture(
                                 d.width, d.height, [](int x, int y) { return RGB(7 * x, 9 * y, 99); }, d.flag);
            objects_.insert(handle);
        } else if (std::find(script_.receivers.begin(), script_.receivers.end(), ref) != script_.receivers.end()) {
            handle = host_.makeReceiver();
            objects_.insert(handle);
        } else {
            return false;
        }
        handles_[ref] = handle;
        return true;
    }

    std::string textOf(HostString s) const { return s ? host_.text(s) : std::string(); }

    // The text as the plug-in reads it: up to the first NUL.
    std::string cText(HostString s) const {
        const std::string t = textOf(s);
        return t.substr(0, std::min(t.find('\0'), t.size()));
    }

    HostRect seenBounds(const Model& m) const {
        if (supplied("GetControlBounds") || !departs(Departure::BoundsZeroWithoutEntryPoint)) return m.bounds;
        return HostRect{0, 0, 0, 0};
    }

    bool seenEnabled(const Model& m) const { return supplied("ZOKAGetControlEnabled") && m.enabled; }

    // The application destroyed the control during the call that is being
    // modelled: the plug-in goes no further with it.
    static bool stopped(const Model& m) { return m.gone && departs(Departure::DestroyedCallerStops); }

    void invalidated(const Model& m) {
        if (supplied("ZOKAInvalidateControl")) ++invalidationsBefore_[m.instance];  // expected one more
    }

    bool handled(const Model& m, const char* event) const {
        return supplied("GetEventInstance") && m.handlers.count(event) != 0;
    }

    // Fires a plain or mouse event as the model expects it; the handler's answer.
    bool event(Model& m, const char* name, std::vector<int32_t> args = {}) {
        if (stopped(m) || !handled(m, name)) return false;
        expectedEvents_.push_back(EventRecord{name, std::move(args), nullptr});
        const bool answer = m.handlers.at(name);
        expectReaction(m, name);
        return answer;
    }

    bool mouseEvent(Model& m, const char* name, int64_t x, int64_t y) {
        const HostRect b = seenBounds(m);
        return event(m, name, {static_cast<int32_t>(x - b.left), static_cast<int32_t>(y - b.top)});
    }

    // Every receiver registered when the notification starts, most recent
    // first, unless the application's code has unregistered it meanwhile;
    // receivers registered meanwhile wait for the next notification.
    void fireAction(Model& m) {
        if (supplied("GetInterfaceRoutine")) {
            const std::vector<Registration> registered = m.receivers;
            for (const Registration& r : registered) {
                if (stopped(m)) return;
                const bool still = std::any_of(m.receivers.begin(), m.receivers.end(),
                                               [&](const Registration& now) { return now.id == r.id; });
                if (!still) continue;
                expectedEvents_.push_back(EventRecord{"PerformAction", {}, r.receiver});
                expectReaction(m, "PerformAction");
            }
        }
        event(m, "Action");
    }

    // --- the application's code in event handlers -------------------------------------

    // The model's side of a reaction.
    void expectReaction(Model& m, const std::string& event) {
        auto it = m.reactions.find(event);
        if (it == m.reactions.end()) return;
        const Step& r = it->second;
        void* handle = nullptr;
        if (!resolve(r.ref, handle)) return;
        if (r.reaction == kRemoveReceiver) {
            removeRegistration(m, static_cast<HostObject>(handle));
        } else if (r.reaction == kAddReceiver) {
            if (handle)
                m.receivers.insert(m.receivers.begin(),
                                   Registration{++nextRegistration_, static_cast<HostObject>(handle)});
        } else if (r.reaction == kDeleteRows) {
            m.rows.clear();
        } else if (r.reaction == kAddRow) {
            m.rows.push_back(Row{static_cast<HostString>(handle), false});
        } else if (r.reaction == kSetCaption) {
            m.caption = static_cast<HostString>(handle);
            expectCaptionApplied(m);
        } else if (r.reaction == kDestroySelf) {
            expectDestroyed(m);
        } else if (r.reaction == kDestroyOther) {
            if (Model* other = modelOf(static_cast<int32_t>(r.n[0]))) expectDestroyed(*other);
        } else if (r.reaction == kDestroyAll) {
            for (auto& entry : models_) expectDestroyed(entry.second);
        } else if (r.reaction == kModalLoop) {
            expectModalLoop(m, r.n[0]);
        }
    }

    // The host's side: the call the application's code makes, from inside
    // the plug-in's notification.
    void react(int32_t slot, const std::string& event) {
        Model* m = modelOf(slot);
        if (!m || m->destroyed) return;
        auto it = m->reactions.find(event);
        if (it == m->reactions.end()) return;
        const Step& r = it->second;
        void* handle = nullptr;
        if (!resolve(r.ref, handle)) return;
        const intptr_t argument = reinterpret_cast<intptr_t>(handle);
        if (r.reaction == kDestroySelf) return destroyFromHandler(slot);
        if (r.reaction == kDestroyOther) return destroyFromHandler(static_cast<int32_t>(r.n[0]));
        if (r.reaction == kDestroyAll) {
            for (auto& entry : models_) destroyFromHandler(entry.first);
            return;
        }
        if (r.reaction == kModalLoop) return runModalLoop(slot, r.n[0]);
        call();
        if (r.reaction == kRemoveReceiver)
            host_.call(m->instance, "removeActionNotificationReceiver", {argument});
        else if (r.reaction == kAddReceiver)
            host_.call(m->instance, "addActionNotificationReceiver", {argument});
        else if (r.reaction == kDeleteRows)
            host_.call(m->instance, "DeleteAllRows");
        else if (r.reaction == kAddRow)
            host_.call(m->instance, "AddRow", {argument});
        else if (r.reaction == kSetCaption)
            host_.setString(m->instance, "Caption", static_cast<HostString>(handle));
    }

    // --- controls destroyed by the application ---------------------------------------

    // What the published destruct leaves behind that a host can count: the
    // little arrows' uxtheme.dll reference when no theme opened.
    void destructed(const Model& m) {
        if (m.className == "LittleArrows" && themesPossible_ && !m.themed) ++keptThemeReferences_;
    }

    // The model's side of the host destroying a control while the
    // application's code runs: the plug-in gives back all it held, and the
    // control fires nothing more.
    void expectDestroyed(Model& m) {
        if (m.gone) return;
        m.gone = true;
        destructed(m);
        m.caption = m.textFont = nullptr;
        m.icon = m.image = nullptr;
        m.rows.clear();
        m.receivers.clear();
        m.pressed = false;
    }

    void destroyFromHandler(int32_t slot) {
        Model* m = modelOf(slot);
        if (!m || m->destroyed) return;
        if (m->instance->definition->callbacks->destruct) call();
        host_.destroy(m->instance);
        ++result_.coverage.destroyedInHandlers;
        m->destroyed = true;
        m->instance = nullptr;
    }

    // After the step: the model and the host agree on what is gone, and the
    // model forgets it.
    void forgetDestroyed() {
        for (auto it = models_.begin(); it != models_.end();) {
            const Model& m = it->second;
            if (m.gone != m.destroyed)
                differ(m.className + (m.gone ? " was not destroyed, though its handler should have run"
                                             : " was destroyed by a handler the model did not expect"));
            it = m.destroyed ? models_.erase(it) : std::next(it);
        }
    }

    // --- a modal loop of the application's own ------------------------------------

    // A message box or a dialog in a handler: the host goes on dispatching
    // messages, and its paint messages and idle timer reach the controls.
    // Each round repaints the control whose handler runs the loop and gives
    // every control its idle call; the rounds are posted before the timer
    // that ends the loop, so all of them run first.
    void expectModalLoop(Model& caller, int64_t rounds) {
        for (int64_t k = 0; k < rounds; ++k) {
            if (!caller.gone && caller.className == "BevelButton") bevelPainted(caller);
            for (auto& entry : models_)
                if (!entry.second.gone) idled(entry.second);
        }
    }

    void runModalLoop(int32_t slot, int64_t rounds) {
        if (!modalWindow_) return;
        ++result_.coverage.modalLoops;
        const int32_t outerSlot = modalSlot_;
        const bool outerEnded = modalEnded_;
        modalSlot_ = slot;
        modalEnded_ = false;
        for (int64_t k = 0; k < rounds; ++k) PostMessageW(modalWindow_, kModalRoundMessage, 0, 0);
        SetTimer(modalWindow_, kModalLoopTimer, kModalLoopTimerMs, nullptr);
        MSG message;
        while (!modalEnded_ && GetMessageW(&message, nullptr, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        KillTimer(modalWindow_, kModalLoopTimer);
        modalSlot_ = outerSlot;
        modalEnded_ = outerEnded;
    }

    void modalRound() {
        Model* caller = modelOf(modalSlot_);
        if (caller && !caller->destroyed) {
            call();
            host_.draw(caller->instance);
        }
        for (auto& entry : models_) {
            if (entry.second.destroyed) continue;
            if (entry.second.instance->definition->callbacks->idle) call();
            host_.idle(entry.second.instance);
        }
    }

    static LRESULT CALLBACK modalWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<Executor*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self && message == kModalRoundMessage) {
            self->modalRound();
            return 0;
        }
        if (self && message == WM_TIMER && wParam == kModalLoopTimer) {
            self->modalEnded_ = true;
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    HWND makeModalWindow() {
        static bool registered = false;
        if (!registered) {
            WNDCLASSW windowClass{};
            windowClass.lpfnWndProc = modalWindowProcedure;
            windowClass.hInstance = GetModuleHandleW(nullptr);
            windowClass.lpszClassName = kModalWindowClass;
            registered = RegisterClassW(&windowClass) != 0;
        }
        HWND window = CreateWindowExW(0, kModalWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                      GetModuleHandleW(nullptr), nullptr);
        if (!window) {
            fail("host", "the soak could not make the window of its modal loops");
            return nullptr;
        }
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        return window;
    }

    // A ChasingArrows' idle call as the published behaviour has it.
    void idled(Model& m) {
        if (m.className == "ChasingArrows" && supplied("GetControlVisible") && m.visible &&
            supplied("GetTabPanelVisible") && m.tabPanelVisible)
            m.frame = (m.frame + 1) & 7;
    }

    static void removeRegistration(Model& m, HostObject receiver) {
        auto it = std::find_if(m.receivers.begin(), m.receivers.end(),
                               [&](const Registration& r) { return r.receiver == receiver; });
        if (it != m.receivers.end()) m.receivers.erase(it);
    }

    static void bevelPainted(Model& m) {
        if (m.bevel == 3 || m.bevel == 5 || m.bevel == 6) {
            m.bevel = 0;
        } else if (m.bevel == 7) {
            m.bevel = 0;
            m.buttonType = 1;
        }
    }

    const PropertyDefinition* property(const Model& m, const std::string& name) const {
        return host_.property(m.instance, name);
    }

    int32_t paramOf(const Model& m, const char* name) const {
        const PropertyDefinition* p = property(m, name);
        return p ? p->param : 0;
    }

    // Fields without a direct getter, at their place in the published layout.
    int32_t captionOffset(const Model& m) const {
        return paramOf(m, "HasMenu") - 4 - static_cast<int32_t>(sizeof(void*));
    }
    int32_t menuValueOffset(const Model& m) const { return paramOf(m, "CaptionPlacement") + 4; }

    // --- the steps ---------------------------------------------------------------------

    void perform(const Step& s) {
        mismatch_.clear();
        stepMismatch_.clear();
        expectedEvents_.clear();
        eventsBefore_ = host_.events.size();
        invalidationsBefore_.clear();
        acceleratorsBefore_.clear();
        replacements_.clear();
        for (auto& entry : models_) {
            invalidationsBefore_[entry.second.instance] = entry.second.instance->invalidations;
            acceleratorsBefore_[entry.second.instance] = entry.second.instance->acceleratorCalls;
        }
        Model* m = modelOf(s.slot);
        switch (s.op) {
            case Op::Create:
                create(s);
                break;
            case Op::Tick:
                spy_->tick += static_cast<uint32_t>(s.n[0]);
                break;
            case Op::Supply:
                withheld_.erase(s.word);
                host_.supply(s.word);
                break;
            case Op::Release:
                releaseRef(s.ref);
                break;
            case Op::Surface:
                surfaceStyle_ = static_cast<uint32_t>(s.n[0]);
                break;
            default:
                if (m) instanceStep(s, *m);
                break;
        }
        compareEvents();
        compareInvalidations();
        compareAccelerators();
        compareReplacements();
        forgetDestroyed();
        if (!mismatch_.empty()) stepMismatch_ = std::string(opName(s.op)) + ": " + mismatch_;
    }

    void releaseRef(const std::string& ref) {
        auto made = handles_.find(ref);
        if (made == handles_.end() || dropped_.count(ref)) return;
        // A host that lends no lock entry points cannot know when the plug-in
        // is done with a handle: it keeps its own reference.
        if (strings_.count(made->second) ? !stringLocks_ : !objectLocks_) return;
        dropped_.insert(ref);
        if (strings_.count(made->second))
            host_.releaseString(static_cast<HostString>(made->second));
        else
            host_.releaseObject(static_cast<HostObject>(made->second));
    }

    void create(const Step& s) {
        if (models_.count(s.slot)) return;
        if (!host_.definition(s.word)) {
            fail("host", "no class " + s.word + " is registered");
            return;
        }
        pluginhost::InstanceOptions options;
        options.insideTabControl = s.n[4] != 0;
        const int themesBefore = spy_->themesOpened();
        Model m;
        m.className = s.word;
        m.instance = host_.create(s.word, static_cast<int>(s.n[0]), static_cast<int>(s.n[1]), static_cast<int>(s.n[2]),
                                  static_cast<int>(s.n[3]), options);
        if (!m.instance) {
            fail("host", "could not create a " + s.word);
            return;
        }
        const ControlCallbacks* callbacks = m.instance->definition->callbacks;
        if (callbacks && callbacks->construct) call();
        m.themed = spy_->themesOpened() > themesBefore;
        if (m.themed) ++result_.coverage.themed;
        m.bounds = m.instance->bounds;
        if (m.className == "BevelButton") {
            m.caption = m.instance->at<HostString>(captionOffset(m));
            m.textFont = m.instance->at<HostString>(paramOf(m, "TextFont"));
            learnDefault(m.caption, "PluginDefaultControlCaption", host_.defaultCaption, "caption");
            learnDefault(m.textFont, "PluginDefaultControlFont", host_.defaultFont, "font");
            m.captionPlacement = 1;
            m.captionAlign = 3;
            m.textSize = supplied("PluginDefaultControlFontSize") ? host_.defaultFontSize : 0;
        }
        models_[s.slot] = m;
        invalidationsBefore_[m.instance] = m.instance->invalidations;
        acceleratorsBefore_[m.instance] = m.instance->acceleratorCalls;
    }

    // A string the host made for the plug-in: it must carry the default text
    // and, from now on, exactly the locks the model gives it.
    void learnDefault(HostString s, const char* entryPoint, const std::string& text, const char* what) {
        if (!supplied(entryPoint)) {
            if (s) differ(std::string("the default ") + what + " is not nil without " + entryPoint);
            return;
        }
        if (!s || textOf(s) != text) {
            differ(std::string("the default ") + what + " reads \"" + textOf(s) + "\", not \"" + text + "\"");
            return;
        }
        strings_.insert(s);
    }

    void instanceStep(const Step& s, Model& m) {
        Instance* i = m.instance;
        reactingSlot_ = s.slot;
        const ControlCallbacks& c = *i->definition->callbacks;
        switch (s.op) {
            case Op::Destroy:
                if (c.destruct) call();
                destructed(m);
                host_.destroy(i);
                models_.erase(s.slot);
                break;
            case Op::Bounds:
                host_.setBounds(i, static_cast<int>(s.n[0]), static_cast<int>(s.n[1]), static_cast<int>(s.n[2]),
                                static_cast<int>(s.n[3]));
                m.bounds = i->bounds;
                break;
            case Op::Enable:
                i->enabled = m.enabled = s.n[0] != 0;
                break;
            case Op::Visible:
                i->visible = m.visible = s.n[0] != 0;
                break;
            case Op::TabVisible:
                i->tabPanelVisible = m.tabPanelVisible = s.n[0] != 0;
                break;
            case Op::Handler: {
                const bool answer = s.n[0] != 0;
                const int32_t slot = s.slot;
                host_.on(i, s.word, [this, answer, slot](const pluginhost::EventCall& e) {
                    react(slot, e.name);
                    return answer;
                });
                m.handlers[s.word] = answer;
                break;
            }
            case Op::NoHandler:
                host_.off(i, s.word);
                m.handlers.erase(s.word);
                break;
            case Op::React:
                if (s.reaction.empty() || s.reaction == "none")
                    m.reactions.erase(s.word);
                else
                    m.reactions[s.word] = s;
                break;
            case Op::SetInteger:
                setInteger(s, m);
                break;
            case Op::GetInteger:
                getInteger(s, m);
                break;
            case Op::SetString:
            case Op::SetPicture:
                setHandle(s, m);
                break;
            case Op::GetString:
                getString(s, m);
                break;
            case Op::GetPicture:
                getPicture(s, m);
                break;
            case Op::Call:
                method(s, m);
                break;
            case Op::Assign:
                assignRow(s, m);
                break;
            case Op::Rows:
                checkRows(m);
                break;
            case Op::Draw:
            case Op::DrawOffscreen:
                if (s.op == Op::Draw ? c.draw != nullptr : c.drawOffscreen != nullptr) call();
                if (m.className == "BevelButton") bevelPainted(m);
                if (s.op == Op::Draw)
                    host_.draw(i);
                else
                    host_.drawOffscreen(i);
                break;
            case Op::Down:
                mouseDown(s, m);
                break;
            case Op::Drag:
                if (c.mouseDrag) call();
                mouseDrag(s, m);
                break;
            case Op::Up:
                if (c.mouseUp) call();
                mouseUp(s, m);
                break;
            case Op::Move:
                if (c.mouseMove) call();
                if (m.className == "LittleArrows" && m.themed) invalidated(m);
                host_.mouseMove(i, static_cast<int>(s.n[0]), static_cast<int>(s.n[1]));
                break;
            case Op::Enter:
            case Op::Exit:
                enterOrExit(s, m);
                break;
            case Op::Idle:
                if (c.idle) call();
                idled(m);
                host_.idle(i);
                break;
            case Op::Open:
                if (c.open) call();
                host_.open(i);
                break;
            case Op::Close:
                if (c.close) call();
                host_.close(i);
                break;
            case Op::StateChanged:
                if (c.stateChanged) call();
                host_.stateChanged(i);
                break;
            case Op::HandleQuery:
                if (c.handleQuery) call();
                if (const int32_t answer = host_.handleQuery(i); answer != 0)
                    differ("handleQuery answered " + std::to_string(answer));
                break;
            case Op::Action:
                if (c.action) call();
                if (m.className == "BevelButton") fireAction(m);
                if (m.className == "DisclosureTriangle") event(m, "Action");
                host_.action(i, static_cast<int32_t>(s.n[0]));
                break;
            case Op::ConstantChanged:
                if (c.constantChanged) call();
                if (m.className == "BevelButton") expectCaptionApplied(m);
                host_.constantChanged(i);
                break;
            case Op::DefaultsReset:
                defaultsReset(m);
                break;
            default:
                break;
        }
    }

    // --- properties -----------------------------------------------------------------

    void expectCaptionApplied(Model& m) {
        invalidated(m);
        if (supplied("ZOKASetAccelerator")) ++acceleratorsBefore_[m.instance];
    }

    // The host is handed the caption's text after every caption change.
    void compareAccelerators() {
        for (auto& entry : models_) {
            const Model& m = entry.second;
            if (m.destroyed) continue;
            auto before = acceleratorsBefore_.find(m.instance);
            if (before == acceleratorsBefore_.end()) continue;
            if (m.instance->acceleratorCalls != before->second)
                differ("ZOKASetAccelerator was called " + std::to_string(m.instance->acceleratorCalls) +
                       " time(s) in all, expected " + std::to_string(before->second));
            else if (m.className == "BevelButton" && m.instance->acceleratorCalls > 0 &&
                     m.instance->accelerator != textOf(m.caption))
                differ("the accelerator text is \"" + m.instance->accelerator + "\", not the caption's \"" +
                       textOf(m.caption) + "\"");
        }
    }

    // A replaced string or picture: its old lock given back and the new one
    // taken, in the order the departures table says.
    void compareReplacements() {
        const bool newFirst = departs(Departure::NewLockBeforeOld);
        for (const Replacement& r : replacements_) {
            const std::string kind = r.picture ? "Object " : "String ";
            const std::string unlock = "ZOKAUnlock" + kind + host_.nameOf(r.old);
            const std::string lock = "ZOKALock" + kind + host_.nameOf(r.replacement);
            size_t unlockAt = SIZE_MAX, lockAt = SIZE_MAX;
            for (size_t k = r.logFrom; k < host_.lockLog.size(); ++k) {
                if (unlockAt == SIZE_MAX && host_.lockLog[k] == unlock) unlockAt = k;
                if (lockAt == SIZE_MAX && host_.lockLog[k] == lock) lockAt = k;
            }
            // Without both there is no order; the counts of locks are checked apart.
            if (unlockAt == SIZE_MAX || lockAt == SIZE_MAX) continue;
            if ((lockAt < unlockAt) != newFirst)
                differ("the setter locked " + host_.nameOf(r.replacement) + (newFirst ? " after" : " before") +
                       " giving back " + host_.nameOf(r.old));
        }
    }

    void setInteger(const Step& s, Model& m) {
        const PropertyDefinition* p = property(m, s.word);
        if (!p) return;
        const int32_t v = static_cast<int32_t>(s.n[0]);
        const bool bySetter = p->setter != PLUGIN_DIRECT_ACCESS;
        if (bySetter) call();
        const std::string& n = s.word;
        if (m.className == "BevelButton") {
            int32_t* field = n == "CaptionAlign"       ? &m.captionAlign
                             : n == "CaptionPlacement" ? &m.captionPlacement
                             : n == "CaptionDelta"     ? &m.captionDelta
                             : n == "IconAlign"        ? &m.iconAlign
                             : n == "IconDX"           ? &m.iconDX
                             : n == "IconDY"           ? &m.iconDY
                             : n == "Bevel"            ? &m.bevel
                             : n == "HasMenu"          ? &m.hasMenu
                             : n == "ButtonType"       ? &m.buttonType
                             : n == "TextSize"         ? &m.textSize
                                                       : nullptr;
            uint8_t* byte = n == "Value"       ? &m.value
                            : n == "Bold"      ? &m.bold
                            : n == "Italic"    ? &m.italic
                            : n == "Underline" ? &m.underline
                                               : nullptr;
            if (field) *field = v;
            if (byte) *byte = static_cast<uint8_t>(v);
            if (n == "MenuValue") m.menuValue = static_cast<int16_t>(static_cast<uint16_t>(v));
            if (bySetter && n != "MenuValue") invalidated(m);
        } else if (n == "Value") {
            m.value = static_cast<uint8_t>(v);
            invalidated(m);
        } else if (n == "Facing") {
            m.facing = v;
        }
        host_.setInteger(m.instance, s.word, v);
    }

    void getInteger(const Step& s, Model& m) {
        const PropertyDefinition* p = property(m, s.word);
        if (!p) return;
        if (p->getter != PLUGIN_DIRECT_ACCESS) call();
        const int32_t actual = host_.getInteger(m.instance, s.word);
        int64_t expected = actual;
        if (s.word == "MenuValue") expected = m.menuValue;
        if (!fieldValue(m, s.word, expected)) return;
        if (actual != expected)
            differ(s.word + " reads " + std::to_string(actual) + ", expected " + std::to_string(expected));
    }

    // The model's value of an Integer or Boolean property; false for others.
    static bool fieldValue(const Model& m, const std::string& n, int64_t& value) {
        if (m.className == "BevelButton") {
            const std::pair<const char*, int64_t> fields[] = {{"CaptionAlign", m.captionAlign},
                                                              {"CaptionPlacement", m.captionPlacement},
                                                              {"CaptionDelta", m.captionDelta},
                                                              {"IconAlign", m.iconAlign},
                                                              {"IconDX", m.iconDX},
                                                              {"IconDY", m.iconDY},
                                                              {"Bevel", m.bevel},
                                                              {"HasMenu", m.hasMenu},
                                                              {"ButtonType", m.buttonType},
                                                              {"TextSize", m.textSize},
                                                              {"Value", m.value},
                                                              {"Bold", m.bold},
                                                              {"Italic", m.italic},
                                                              {"Underline", m.underline},
                                                              {"MenuValue", m.menuValue}};
            for (const auto& f : fields)
                if (n == f.first) return value = f.second, true;
            return false;
        }
        if (n == "Value") return value = m.value, true;
        if (n == "Facing") return value = m.facing, true;
        return false;
    }

    void setHandle(const Step& s, Model& m) {
        void* handle = nullptr;
        if (!resolve(s.ref, handle)) return;
        const PropertyDefinition* p = property(m, s.word);
        if (!p) return;
        if (p->setter != PLUGIN_DIRECT_ACCESS) call();
        const void* old = s.word == "Caption"    ? static_cast<const void*>(m.caption)
                          : s.word == "TextFont" ? static_cast<const void*>(m.textFont)
                          : s.word == "Icon"     ? static_cast<const void*>(m.icon)
                                                 : static_cast<const void*>(m.image);
        const bool picture = s.op == Op::SetPicture;
        if (picture ? objectLocks_ : stringLocks_)
            replacements_.push_back(Replacement{old, handle, picture, host_.lockLog.size()});
        if (s.word == "Caption") {
            m.caption = static_cast<HostString>(handle);
            expectCaptionApplied(m);
        } else if (s.word == "TextFont") {
            m.textFont = static_cast<HostString>(handle);
        } else if (s.word == "Icon") {
            m.icon = static_cast<HostObject>(handle);
            invalidated(m);
        } else if (s.word == "Image") {
            m.image = static_cast<HostObject>(handle);
            invalidated(m);
        }
        if (s.op == Op::SetString)
            host_.setString(m.instance, s.word, static_cast<HostString>(handle));
        else
            host_.setPicture(m.instance, s.word, static_cast<HostObject>(handle));
    }

    void getString(const Step& s, Model& m) {
        const PropertyDefinition* p = property(m, s.word);
        if (!p) return;
        // The host takes a getter's answer as locked once; without the lock
        // entry points it would drop a reference it does not hold.
        if (p->getter != PLUGIN_DIRECT_ACCESS && !stringLocks_) return;
        if (p->getter != PLUGIN_DIRECT_ACCESS) call();
        const std::string actual = host_.getString(m.instance, s.word);
        const HostString expected = s.word == "Caption" ? m.caption : s.word == "TextFont" ? m.textFont : nullptr;
        if (actual != textOf(expected))
            differ(s.word + " reads \"" + actual + "\", expected \"" + textOf(expected) + "\"");
    }

    void getPicture(const Step& s, Model& m) {
        const PropertyDefinition* p = property(m, s.word);
        if (!p) return;
        if (p->getter != PLUGIN_DIRECT_ACCESS) call();
        const HostObject actual = host_.getPicture(m.instance, s.word);
        const HostObject expected = s.word == "Icon" ? m.icon : m.image;
        if (actual != expected)
            differ(s.word + " reads " + host_.nameOf(actual) + ", expected " + host_.nameOf(expected));
    }

    void defaultsReset(Model& m) {
        const ControlCallbacks& c = *m.instance->definition->callbacks;
        if (!c.defaultsReset) return;
        call();
        host_.defaultsReset(m.instance);
        m.textFont = m.instance->at<HostString>(paramOf(m, "TextFont"));
        learnDefault(m.textFont, "PluginDefaultControlFont", host_.defaultFont, "font");
        m.textSize = supplied("PluginDefaultControlFontSize") ? host_.defaultFontSize : 0;
    }

    // --- rows -----------------------------------------------------------------------

    void method(const Step& s, Model& m) {
        if (m.className != "BevelButton") return;
        void* handle = nullptr;
        const bool needsHandle = s.word == "AddRow" || s.word == "InsertRow" ||
                                 s.word == "addActionNotificationReceiver" ||
                                 s.word == "removeActionNotificationReceiver";
        if (needsHandle && !resolve(s.ref, handle)) return;
        const int32_t row = static_cast<int32_t>(s.n[0]);
        const intptr_t rowArgument = row;
        const intptr_t handleArgument = reinterpret_cast<intptr_t>(handle);
        const int32_t count = static_cast<int32_t>(m.rows.size());
        call();
        if (s.word == "DeleteAllRows") {
            m.rows.clear();
            host_.call(m.instance, s.word);
        } else if (s.word == "AddRow") {
            m.rows.push_back(Row{static_cast<HostString>(handle), false});
            host_.call(m.instance, s.word, {handleArgument});
        } else if (s.word == "AddSeparator") {
            m.rows.push_back(Row{nullptr, true});
            host_.call(m.instance, s.word);
        } else if (s.word == "RemoveRow") {
            if (row >= 0 && row < count) m.rows.erase(m.rows.begin() + row);
            host_.call(m.instance, s.word, {rowArgument});
        } else if (s.word == "InsertRow") {
            const int32_t at = row <= 0 ? 0 : std::min(row, count);
            m.rows.insert(m.rows.begin() + at, Row{static_cast<HostString>(handle), false});
            host_.call(m.instance, s.word, {rowArgument, handleArgument});
        } else if (s.word == "List") {
            checkRow(m, row);
        } else if (s.word == "addActionNotificationReceiver") {
            if (handle)
                m.receivers.insert(m.receivers.begin(),
                                   Registration{++nextRegistration_, static_cast<HostObject>(handle)});
            host_.call(m.instance, s.word, {handleArgument});
        } else if (s.word == "removeActionNotificationReceiver") {
            removeRegistration(m, static_cast<HostObject>(handle));
            host_.call(m.instance, s.word, {handleArgument});
        }
    }

    // List(row) through the method, against the model's row.
    void checkRow(const Model& m, int32_t row) {
        const bool exists = row >= 0 && row < static_cast<int32_t>(m.rows.size());
        const HostString expected = exists ? m.rows[static_cast<size_t>(row)].text : nullptr;
        auto actual = reinterpret_cast<HostString>(host_.call(m.instance, "List", {static_cast<intptr_t>(row)}));
        if (actual != expected)
            differ("List(" + std::to_string(row) + ") answered " + host_.nameOf(actual) + " \"" + textOf(actual) +
                   "\", expected " + host_.nameOf(expected) + " \"" + textOf(expected) + "\"");
        // Without ZOKALockString the answer carries no lock to give back.
        if (actual && stringLocks_) host_.releaseString(actual);
    }

    void checkRows(const Model& m) {
        if (m.className != "BevelButton") return;
        const int32_t count = static_cast<int32_t>(m.rows.size());
        for (int32_t row = -1; row <= count && mismatch_.empty(); ++row) {
            call();
            checkRow(m, row);
        }
    }

    void assignRow(const Step& s, Model& m) {
        if (m.className != "BevelButton") return;
        void* handle = nullptr;
        if (!resolve(s.ref, handle)) return;
        const int32_t row = static_cast<int32_t>(s.n[0]);
        if (row >= 0 && row < static_cast<int32_t>(m.rows.size()))
            m.rows[static_cast<size_t>(row)].text = static_cast<HostString>(handle);
        call();
        host_.callSetter(m.instance, "List", {static_cast<intptr_t>(row), reinterpret_cast<intptr_t>(handle)});
    }

    // --- the mouse --------------------------------------------------------------------

    static bool inside(const HostRect& b, int64_t x, int64_t y) {
        return b.left <= x && x < b.right && b.top <= y && y < b.bottom;
    }

    // The disclosure triangle's press and release test the host's point: the
    // low 16 bits of each coordinate.
    static bool insideAsHostPoint(const HostRect& b, int64_t x, int64_t y) {
        return inside(b, static_cast<int16_t>(x), static_cast<int16_t>(y));
    }

    // LittleArrows' half under a press: refused at or past L+13 or T+23.
    static int32_t arrowsPressPart(const HostRect& b, int64_t x, int64_t y) {
        if (x >= b.left + kArrowsWidth || y >= b.top + kArrowsHeight) return 0;
        if (departs(Departure::ArrowsAreaFromLeftTop) && (x < b.left || y < b.top)) return 0;
        return y < b.top + kArrowsDownTop ? 1 : 2;
    }

    // The half under the pointer while dragging: compared with 0 on the left
    // and top unless the departures table says otherwise.
    static int32_t arrowsDragPart(const HostRect& b, int64_t x, int64_t y) {
        const int64_t left = departs(Departure::ArrowsAreaFromLeftTop) ? b.left : 0;
        const int64_t top = departs(Departure::ArrowsAreaFromLeftTop) ? b.top : 0;
        if (x < left || y < top || x >= b.left + kArrowsWidth || y >= b.top + kArrowsHeight) return 0;
        return y < b.top + kArrowsDownTop ? 1 : 2;
    }

    // Whether a held half repeats now, and the last repeat's tick updated if so.
    bool arrowsRepeatDue(const Model& m, uint32_t& lastFire) const {
        const uint32_t tick = spy_->tick;
        const uint32_t tick16 = tick >> kTick16Shift;
        const bool elapsed = departs(Departure::ElapsedTicksWrap);
        const bool delayed = elapsed
                                 ? ((tick16 - m.pressTick) & kTick16Mask) > kRepeatDelayTicks
                                 : static_cast<int32_t>(tick16) > static_cast<int32_t>(m.pressTick + kRepeatDelayTicks);
        if (!delayed) return false;
        const bool spaced = elapsed ? tick - lastFire > kRepeatSpacingMs : tick > lastFire + kRepeatSpacingMs;
        if (!spaced) return false;
        lastFire = tick;
        return true;
    }

    // The virtual key that GetKeyState is asked about for the accelerator.
    static int acceleratorKey(char character) {
        if (departs(Departure::AcceleratorKeyAsByte)) return static_cast<unsigned char>(character);
        return static_cast<signed char>(character);
    }

    void mouseDown(const Step& s, Model& m) {
        const ControlCallbacks& c = *m.instance->definition->callbacks;
        const int64_t x = s.n[0], y = s.n[1];
        spy_->keysDown = std::set<int>(s.keys.begin(), s.keys.end());
        const int popupsBefore = spy_->popupMenuCalls();
        bool expected = false;
        bool opensMenu = false;
        if (c.mouseDown) call();
        const HostRect b = seenBounds(m);
        const std::string& n = m.className;
        if (n == "BevelButton") {
            if (!seenEnabled(m)) {
                expected = true;
            } else {
                const char key = pluginhost::acceleratorChar(textOf(m.caption));
                const bool accelerated =
                    key != 0 && spy_->keysDown.count(VK_MENU) && spy_->keysDown.count(acceleratorKey(key));
                bool press = true;
                if (accelerated) {
                    m.mouseDownHandled = false;
                    if (m.hasMenu == 0) {
                        fireAction(m);
                        press = false;
                        expected = !stopped(m);
                        if (!stopped(m)) {
                            m.pressed = false;
                            invalidated(m);
                        }
                    }
                } else {
                    const bool taken = mouseEvent(m, "MouseDown", x, y);
                    if (stopped(m)) {
                        press = false;
                    } else {
                        m.mouseDownHandled = taken;
                        if (taken) {
                            m.pressed = false;
                            expected = true;
                            press = false;
                        }
                    }
                }
                if (press) {
                    m.pressed = true;
                    bevelPainted(m);
                    if (m.hasMenu == 0) {
                        expected = true;
                    } else {
                        opensMenu = true;
                        planMenu(s, m, b);
                    }
                }
            }
        } else if (n == "DisclosureTriangle") {
            if (!seenEnabled(m)) {
                expected = true;
            } else if (insideAsHostPoint(b, x, y)) {
                m.pressed = true;
                expected = true;
            }
        } else if (n == "LittleArrows") {
            const int32_t part = seenEnabled(m) ? arrowsPressPart(b, x, y) : 0;
            if (part != 0) {
                m.pressTick = (spy_->tick >> kTick16Shift);
                event(m, part == 1 ? "Up" : "Down");
                if (!stopped(m)) {
                    m.pressedPart = part;
                    expected = true;
                }
            }
        } else if (n == "ImageWell") {
            expected = seenEnabled(m) && mouseEvent(m, "MouseDown", x, y) && !stopped(m);
        } else if (n == "PopupArrow" || n == "Placard") {
            // Without a destruct in their published records these classes
            // cannot learn that a handler destroyed them: the handler's
            // answer stands.
            expected = mouseEvent(m, "MouseDown", x, y);
        }
        const bool actual = host_.mouseDown(m.instance, static_cast<int>(x), static_cast<int>(y));
        spy_->keysDown.clear();
        if (opensMenu) {
            if (menu_.calls != 1) differ("the popup menu opened " + std::to_string(menu_.calls) + " time(s), not once");
            if (!stopped(m)) {
                m.pressed = false;
                bevelPainted(m);
                if (menu_.choice >= kFirstMenuItemId) {
                    m.menuValue = static_cast<int16_t>(static_cast<uint16_t>(menu_.choice - kFirstMenuItemId));
                    fireAction(m);
                }
            }
            menu_ = MenuPlan{};
        } else if (spy_->popupMenuCalls() != popupsBefore) {
            differ("a popup menu opened");
        }
        if (c.mouseDown && actual != expected)
            differ(std::string("mouseDown answered ") + (actual ? "true" : "false") + ", expected " +
                   (expected ? "true" : "false"));
    }

    void planMenu(const Step& s, Model& m, const HostRect& b) {
        menu_ = MenuPlan{};
        menu_.model = &m;
        menu_.step = &s;
        UINT id = kFirstMenuItemId;
        std::vector<UINT> selectable;
        for (const Row& row : m.rows) {
            pluginhost::MenuItemSnapshot item;
            item.id = id;
            item.separator = row.separator;
            item.checked = !row.separator && static_cast<int32_t>(id - kFirstMenuItemId) == m.menuValue;
            bool known = true;
            if (!row.separator) {
                std::string bytes;
                uint32_t encoding = 0;
                if (row.text && supplied("StringGetCString")) {
                    bytes = cText(row.text);
                    encoding = supplied("ZOKAGetStringEncoding") ? stringEncoding(row.text) : 0;
                }
                known = expectedMenuText(bytes, encoding, isNT_, script_.config.language, item.text);
                selectable.push_back(id);
            }
            menu_.items.push_back(item);
            menu_.textKnown.push_back(known);
            ++id;
        }
        if (s.pick != kNoChoice && !selectable.empty())
            menu_.choice = selectable[static_cast<size_t>(s.pick) % selectable.size()];
        menu_.x = m.hasMenu == 1 ? b.left : b.right;
        menu_.y = m.hasMenu == 1 ? b.bottom : b.top;
        if (supplied("getControlWindow") && supplied("ZOKAGetWindowHandle")) menu_.owner = host_.topWindow();
    }

    uint32_t stringEncoding(HostString s) const {
        for (const auto& def : script_.strings) {
            auto made = handles_.find(def.first);
            if (made != handles_.end() && made->second == s) return def.second.encoding;
        }
        return pluginhost::kHostDefaultEncoding;  // the host's own strings
    }

    static std::string narrow(const std::wstring& text) {
        std::string out;
        for (wchar_t c : text) {
            char unit[8];
            if (c >= 0x20 && c < 0x7F && c != '\\')
                out += static_cast<char>(c);
            else
                std::snprintf(unit, sizeof unit, "\\u%04X", static_cast<unsigned>(c)), out += unit;
        }
        return out;
    }

    // Menus give control characters meanings of their own (a backspace
    // aligns right): the text is compared without them.
    static std::wstring printable(const std::wstring& text) {
        std::wstring out;
        for (wchar_t c : text)
            if (c >= 0x20) out += c;
        return out;
    }

    // The scripted TrackPopupMenu: compares the menu with the model, repaints
    // if the step says so, and answers the step's choice.
    UINT trackMenu(const pluginhost::PopupMenuCall& popup) {
        ++menu_.calls;
        if (!menu_.model) return 0;
        if (popup.flags != kPopupFlags) differ("TrackPopupMenu flags " + std::to_string(popup.flags));
        if (popup.x != menu_.x || popup.y != menu_.y)
            differ("the menu opened at (" + std::to_string(popup.x) + "," + std::to_string(popup.y) + "), expected (" +
                   std::to_string(menu_.x) + "," + std::to_string(menu_.y) + ")");
        if (popup.owner != menu_.owner) differ("the menu's owner window is not the host window's");
        if (popup.hasRect) differ("TrackPopupMenu was given a rectangle");
        if (!menu_.model->pressed) differ("the button is not pressed while its menu is open");
        const auto& actual = popup.items;
        const auto& expected = menu_.items;
        ++result_.coverage.menus;
        result_.coverage.menuItems += static_cast<int64_t>(expected.size());
        if (actual.size() != expected.size())
            differ("the menu has " + std::to_string(actual.size()) + " item(s), expected " +
                   std::to_string(expected.size()));
        for (size_t k = 0; k < std::min(actual.size(), expected.size()); ++k) {
            const auto& a = actual[k];
            const auto& e = expected[k];
            const std::string where = "menu item " + std::to_string(k);
            if (a.id != e.id) differ(where + " has id " + std::to_string(a.id) + ", expected " + std::to_string(e.id));
            if (a.separator != e.separator) differ(where + (e.separator ? " is not a separator" : " is a separator"));
            if (a.checked != e.checked) differ(where + (e.checked ? " is not checked" : " is checked"));
            const std::wstring shown = printable(a.text), meant = printable(e.text);
            if (!e.separator && menu_.textKnown[k] && shown != meant)
                differ(where + " reads \"" + narrow(a.text) + "\", expected \"" + narrow(e.text) + "\"");
        }
        if (menu_.step->redraw == 1 || menu_.step->redraw == 2) {
            Model& m = *menu_.model;
            const ControlCallbacks& c = *m.instance->definition->callbacks;
            if (menu_.step->redraw == 1 ? c.draw != nullptr : c.drawOffscreen != nullptr) call();
            bevelPainted(m);
            if (menu_.step->redraw == 1)
                host_.draw(m.instance);
            else
                host_.drawOffscreen(m.instance);
        }
        // The application's code while the menu's loop runs: the host may
        // dispatch a message that destroys the button, or any control.
        expectReaction(*menu_.model, kMenuLoop);
        react(menu_.step->slot, kMenuLoop);
        // The script picks among what the menu shows; the model did the same.
        std::vector<UINT> selectable;
        for (const auto& item : actual)
            if (!item.separator) selectable.push_back(item.id);
        if (menu_.step->pick == kNoChoice || selectable.empty()) return 0;
        return selectable[static_cast<size_t>(menu_.step->pick) % selectable.size()];
    }

    void mouseDrag(const Step& s, Model& m) {
        const int64_t x = s.n[0], y = s.n[1];
        const HostRect b = seenBounds(m);
        const std::string& n = m.className;
        if (n == "BevelButton") {
            if (m.hasMenu == 0 && seenEnabled(m) && !m.mouseDownHandled) {
                const bool in = inside(b, x, y);
                if (in != m.pressed) {
                    m.pressed = in;
                    bevelPainted(m);
                }
            }
        } else if (n == "DisclosureTriangle") {
            if (seenEnabled(m)) m.pressed = inside(b, x, y);
        } else if (n == "LittleArrows") {
            const int32_t part = arrowsDragPart(b, x, y);
            if (part != 0 && part == m.pressedPart) {
                const int e = m.pressedPart == 1 ? 0 : 1;
                if (arrowsRepeatDue(m, lastFire_[e])) event(m, e == 0 ? "Up" : "Down");
            }
        } else if (n == "ImageWell" || n == "PopupArrow" || n == "Placard") {
            mouseEvent(m, "MouseDrag", x, y);
        }
        host_.mouseDrag(m.instance, static_cast<int>(x), static_cast<int>(y));
    }

    void mouseUp(const Step& s, Model& m) {
        const int64_t x = s.n[0], y = s.n[1];
        const HostRect b = seenBounds(m);
        const std::string& n = m.className;
        if (n == "BevelButton") {
            if (seenEnabled(m)) {
                if (m.hasMenu != 0) {
                    m.pressed = false;
                    bevelPainted(m);
                } else {
                    if (m.pressed) {
                        m.pressed = false;
                        if (m.buttonType == 1) m.value = m.value != 0 ? 0 : 1;
                        if (m.buttonType == 2) m.value = 1;
                        bevelPainted(m);
                    }
                    if (m.mouseDownHandled) {
                        mouseEvent(m, "MouseUp", x, y);
                    } else if (b.left <= x && x <= b.right && b.top <= y && y <= b.bottom) {
                        fireAction(m);
                    }
                    m.mouseDownHandled = false;
                }
            }
        } else if (n == "DisclosureTriangle") {
            if (seenEnabled(m) && insideAsHostPoint(b, x, y)) {
                m.value = m.value == 0 ? 1 : 0;
                m.pressed = false;
                invalidated(m);
                event(m, "Action");
            } else if (m.pressed && departs(Departure::TriangleReleaseOutside)) {
                m.pressed = false;
                invalidated(m);
            }
        } else if (n == "LittleArrows") {
            m.pressedPart = 0;
        } else if (n == "ImageWell" || n == "PopupArrow" || n == "Placard") {
            mouseEvent(m, "MouseUp", x, y);
        }
        host_.mouseUp(m.instance, static_cast<int>(x), static_cast<int>(y));
    }

    void enterOrExit(const Step& s, Model& m) {
        const ControlCallbacks& c = *m.instance->definition->callbacks;
        const bool enter = s.op == Op::Enter;
        if (enter ? c.mouseEnter != nullptr : c.mouseExit != nullptr) call();
        if (m.className == "BevelButton" && m.themed && m.bevel == 4) {
            m.hot = enter;
            invalidated(m);
        }
        if (m.className == "LittleArrows" && m.themed && !enter) invalidated(m);
        if (enter)
            host_.mouseEnter(m.instance);
        else
            host_.mouseExit(m.instance);
    }

    // --- checks after every step -------------------------------------------------------

    void compareEvents() {
        std::vector<EventRecord> actual;
        for (size_t k = eventsBefore_; k < host_.events.size(); ++k) {
            const pluginhost::EventCall& e = host_.events[k];
            actual.push_back(EventRecord{e.name, e.args, e.receiver});
        }
        bool same = actual.size() == expectedEvents_.size();
        for (size_t k = 0; same && k < actual.size(); ++k)
            same = actual[k].name == expectedEvents_[k].name && actual[k].args == expectedEvents_[k].args &&
                   actual[k].receiver == expectedEvents_[k].receiver;
        result_.coverage.events += static_cast<int64_t>(actual.size());
        if (!same) differ("events " + describe(actual, host_) + "instead of " + describe(expectedEvents_, host_));
    }

    void compareInvalidations() {
        for (auto& entry : models_) {
            if (entry.second.destroyed) continue;  // what it asked for went with it
            const Instance* i = entry.second.instance;
            auto before = invalidationsBefore_.find(i);
            if (before == invalidationsBefore_.end()) continue;
            // invalidationsBefore_ was raised by one for every invalidation expected.
            if (i->invalidations != before->second)
                differ(entry.second.className + " asked for " + std::to_string(i->invalidations) +
                       " repaint(s) in all, expected " + std::to_string(before->second));
        }
    }

    void compareFields(const Model& m) {
        const std::string& n = m.className;
        const Instance* i = m.instance;
        if (n == "BevelButton") {
            static const char* const direct[] = {"CaptionAlign", "CaptionPlacement", "CaptionDelta", "IconAlign",
                                                 "IconDX",       "IconDY",           "Bevel",        "HasMenu",
                                                 "Value",        "ButtonType",       "TextSize",     "Bold",
                                                 "Italic",       "Underline"};
            for (const char* name : direct) {
                const PropertyDefinition* p = property(m, name);
                int64_t expected = 0;
                fieldValue(m, name, expected);
                const bool boolean = _stricmp(p->type, "Boolean") == 0;
                const int64_t actual = boolean ? i->at<uint8_t>(p->param) : i->at<int32_t>(p->param);
                if (actual != expected)
                    differ(std::string(name) + " holds " + std::to_string(actual) + ", expected " +
                           std::to_string(expected));
            }
            const int16_t menuValue = i->at<int16_t>(menuValueOffset(m));
            if (menuValue != m.menuValue)
                differ("MenuValue holds " + std::to_string(menuValue) + ", expected " + std::to_string(m.menuValue));
            auto handleAt = [&](int32_t offset) { return i->at<void*>(offset); };
            if (handleAt(captionOffset(m)) != m.caption) differ("Caption holds another string");
            if (handleAt(paramOf(m, "TextFont")) != m.textFont) differ("TextFont holds another string");
            if (handleAt(paramOf(m, "Icon")) != m.icon) differ("Icon holds another picture");
        } else if (n == "DisclosureTriangle" || n == "Placard") {
            if (i->at<uint8_t>(paramOf(m, "Value")) != m.value) differ("Value holds another byte");
            if (n == "DisclosureTriangle" && i->at<int32_t>(paramOf(m, "Facing")) != m.facing)
                differ("Facing holds another value");
        } else if (n == "PopupArrow") {
            if (i->at<int32_t>(paramOf(m, "Facing")) != m.facing) differ("Facing holds another value");
        } else if (n == "ImageWell") {
            if (i->at<void*>(paramOf(m, "Image")) != m.image) differ("Image holds another picture");
        } else if (n == "ChasingArrows") {
            const int32_t frame = i->at<int32_t>(4);
            if (frame != m.frame)
                differ("the frame is " + std::to_string(frame) + ", expected " + std::to_string(m.frame));
        }
    }

    // Every lock a handle should carry: one per field, row or registration
    // that holds it.
    void compareLocks() {
        std::map<const void*, int> expected;
        std::map<const void*, int> descriptions;
        for (const auto& entry : models_) {
            const Model& m = entry.second;
            if (stringLocks_) {
                if (m.caption) ++expected[m.caption];
                if (m.textFont) ++expected[m.textFont];
                for (const Row& row : m.rows)
                    if (row.text) ++expected[row.text];
            }
            for (HostObject picture : {m.icon, m.image}) {
                if (!picture) continue;
                if (objectLocks_) ++expected[picture];
                if (descriptionLocks_) ++descriptions[picture];
            }
            if (objectLocks_)
                for (const Registration& r : m.receivers) ++expected[r.receiver];
        }
        auto compare = [&](const std::set<const void*>& handles, bool counted) {
            if (!counted) return;
            for (const void* h : handles) {
                auto e = expected.find(h);
                const int want = e == expected.end() ? 0 : e->second;
                const int have = host_.pluginRefs(h);
                if (have != want)
                    fail("lock", "the plug-in holds " + std::to_string(have) + " lock(s) on " + host_.nameOf(h) +
                                     ", expected " + std::to_string(want));
            }
        };
        compare(strings_, stringLocks_);
        compare(objects_, objectLocks_);
        if (!descriptionLocks_) return;
        for (const void* h : objects_) {
            auto d = descriptions.find(h);
            const int want = d == descriptions.end() ? 0 : d->second;
            const int have = host_.descriptionLocks(static_cast<HostObject>(const_cast<void*>(h)));
            if (have != want)
                fail("lock", "the picture description of " + host_.nameOf(h) + " is locked " + std::to_string(have) +
                                 " time(s), expected " + std::to_string(want));
        }
    }

    void compareSystem() {
        int themeUsers = 0, themed = 0;
        for (const auto& entry : models_) {
            const std::string& n = entry.second.className;
            if (n == "BevelButton" || n == "LittleArrows" || n == "ChasingArrows") ++themeUsers;
            if (entry.second.themed) ++themed;
        }
        const int kept = departs(Departure::ThemeReferenceWithoutTheme) ? 0 : keptThemeReferences_;
        const int references = (themesPossible_ ? themeUsers : 0) + kept;
        if (spy_->uxthemeReferences() != references)
            fail("uxtheme", "the plug-in holds " + std::to_string(spy_->uxthemeReferences()) +
                                " reference(s) on uxtheme.dll, expected " + std::to_string(references));
        if (spy_->openThemes() != themed)
            fail("uxtheme",
                 std::to_string(spy_->openThemes()) + " theme handle(s) are open, expected " + std::to_string(themed));
        if (spy_->liveMenus() != 0) fail("menu", std::to_string(spy_->liveMenus()) + " menu(s) were not destroyed");
        if (host_.gdiLive() != 0) fail("gdi", std::to_string(host_.gdiLive()) + " GDI object(s) are not deleted");
    }

    void compareOutput() {
        if (!options_.checkOutput) return;
        std::fflush(stdout);
        std::fflush(stderr);
        for (DWORD which : {STD_OUTPUT_HANDLE, STD_ERROR_HANDLE}) {
            LARGE_INTEGER size{};
            HANDLE h = GetStdHandle(which);
            if (h && h != INVALID_HANDLE_VALUE && GetFileType(h) == FILE_TYPE_DISK && GetFileSizeEx(h, &size) &&
                size.QuadPart > 0)
                fail("printed", std::string("the plug-in wrote to ") +
                                    (which == STD_OUTPUT_HANDLE ? "standard output" : "standard error"));
        }
    }

    void check() {
        if (result_.faulted) return;
        host_.checkDestroyedBlocks();
        const std::vector<std::string> faults = host_.faults();
        if (faults.size() > baseFaults_) {
            fail(categoryOf(faults[baseFaults_]), faults[baseFaults_]);
            return;
        }
        for (const auto& entry : models_) {
            if (!host_.guardsIntact(entry.second.instance)) {
                fail("guard", entry.second.className + " wrote outside its InstanceData of " +
                                  std::to_string(entry.second.instance->definition->instanceDataSize) + " bytes");
                return;
            }
        }
        if (!stepMismatch_.empty()) {
            fail("behaviour", stepMismatch_);
            return;
        }
        mismatch_.clear();
        for (const auto& entry : models_) compareFields(entry.second);
        if (!mismatch_.empty()) {
            fail("behaviour", mismatch_);
            return;
        }
        compareSystem();
        compareLocks();
        if (!result_.faulted && models_.empty() && stringLocks_ && objectLocks_ && descriptionLocks_) {
            const std::vector<std::string> held = host_.lockImbalances();
            if (!held.empty()) fail("lock", "with no instance alive, " + held.front());
        }
        compareOutput();
    }

    // --- the trace ---------------------------------------------------------------------

    void trace(const Step& s) {
        if (!options_.trace) return;
        std::vector<EventRecord> seen;
        for (size_t k = eventsBefore_; k < host_.events.size(); ++k)
            seen.push_back(EventRecord{host_.events[k].name, host_.events[k].args, host_.events[k].receiver});
        std::string line = std::to_string(step_) + " " + formatStep(s) + " | calls " + std::to_string(result_.calls) +
                           " | events " + describe(seen, host_);
        if (const Model* m = modelOf(s.slot)) {
            char state[256];
            std::snprintf(state, sizeof state,
                          " | %s value %d pressed %d hot %d handled %d menu %d rows %zu receivers %zu bevel %d "
                          "type %d part %d frame %d facing %d repaints %d",
                          m->className.c_str(), m->value, m->pressed, m->hot, m->mouseDownHandled, m->menuValue,
                          m->rows.size(), m->receivers.size(), m->bevel, m->buttonType, m->pressedPart, m->frame,
                          m->facing, m->instance && !m->destroyed ? m->instance->invalidations : -1);
            line += state;
            line += " caption " + host_.nameOf(m->caption);
        }
        if (!stepMismatch_.empty()) line += " | differs: " + stepMismatch_;
        std::fprintf(options_.trace, "%s\n", line.c_str());
    }

    void traceVerdict() {
        if (!options_.trace) return;
        const Fault& f = result_.fault;
        const std::string verdict = result_.faulted ? f.category + " at step " + std::to_string(f.step) + " on " +
                                                          f.className + ": " + f.message
                                                    : "clean";
        const Coverage& c = result_.coverage;
        std::fprintf(
            options_.trace, "verdict %s after %lld steps, %lld calls; coverage %lld %lld %lld %lld %lld %lld %lld\n",
            verdict.c_str(), static_cast<long long>(result_.steps), static_cast<long long>(result_.calls),
            static_cast<long long>(c.menus), static_cast<long long>(c.menuItems), static_cast<long long>(c.events),
            static_cast<long long>(c.themed), static_cast<long long>(c.withheld),
            static_cast<long long>(c.destroyedInHandlers), static_cast<long long>(c.modalLoops));
        std::fflush(options_.trace);
    }
};

}  // namespace

RunResult runScript(const Script& script, const RunOptions& options) {
    Executor executor(script, options);
    return executor.run();
}

}  // namespace soak
