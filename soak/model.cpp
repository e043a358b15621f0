#include "model.h"

#include "generator.h"

namespace soak {

// --- the bench ------------------------------------------------------------------------------

namespace {

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

}  // namespace

bool Bench::start() {
    const Config& c = script.config;
    host.poisonReleasedStrings();
    // Blocks of destroyed instances are kept and checked after every
    // step: a late write is found at the call that made it.
    host.keepDestroyedBlocks = true;
    host.defaultCaption = c.defaultCaption;
    host.defaultFont = c.defaultFont;
    host.defaultFontSize = c.defaultFontSize;
    host.win32Charset = c.charset;
    for (const std::string& name : c.withheld) host.withhold(name);
    if (!host.load(options.plugin)) {
        fail("host", "the plug-in did not load: " + host.lastError());
        return false;
    }
    spy = std::make_unique<pluginhost::SystemSpy>(host);
    spy->version = versionNamed(c.system);
    spy->language = c.language;
    spy->tick = c.clock;
    spy->uxthemeMissing = c.uxtheme == "missing";
    spy->openThemeAnswersNull = c.uxtheme == "nothemes";
    host.surfaceSetup = [this](HDC dc) { applySurfaceStyle(dc, surfaceStyle); };
    for (const std::string& missing : spy->unhooked()) {
        // Only what the plug-in imports can be watched. Without these the
        // soak could neither script the system nor see what is acquired;
        // a release it does not import shows as a leak.
        if (missing == "GetVersionExA" || missing == "GetTickCount" || missing == "GetKeyState" ||
            missing == "TrackPopupMenu" || missing == "CreatePopupMenu" || missing == "LoadLibraryA" ||
            missing == "GetUserDefaultLangID") {
            fail("host", "the plug-in does not import " + missing + ", which the soak scripts");
            return false;
        }
    }
    return true;
}

void Bench::fail(const std::string& category, const std::string& message) {
    if (result.faulted) return;
    result.faulted = true;
    result.fault.category = category;
    result.fault.message = message;
    result.fault.step = step;
    result.fault.className = currentClass;
    if (options.onFault) options.onFault(result.fault);
}

bool Bench::resolve(const std::string& ref, void*& handle) {
    handle = nullptr;
    if (ref.empty() || ref == "nil") return true;
    if (dropped.count(ref)) return false;
    auto made = handles.find(ref);
    if (made != handles.end()) {
        handle = made->second;
        return true;
    }
    if (auto s = script.strings.find(ref); s != script.strings.end()) {
        handle = host.makeString(s->second.bytes, s->second.encoding);
        strings.insert(handle);
    } else if (auto p = script.pictures.find(ref); p != script.pictures.end()) {
        const PictureDef& d = p->second;
        handle = d.odd ? host.makeOddPicture(d.width, d.height, d.flag)
                       : host.makePicture(
                             d.width, d.height, [](int x, int y) { return RGB(7 * x, 9 * y, 99); }, d.flag);
        objects.insert(handle);
    } else if (std::find(script.receivers.begin(), script.receivers.end(), ref) != script.receivers.end()) {
        handle = host.makeReceiver();
        objects.insert(handle);
    } else {
        return false;
    }
    handles[ref] = handle;
    return true;
}

// --- the model ------------------------------------------------------------------------------

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

// Fires a plain or mouse event as the model expects it; the handler's answer.
bool World::event(Model& m, const char* name, std::vector<int32_t> args) {
    if (stopped(m) || !supplied("GetEventInstance") || m.handlers.count(name) == 0) return false;
    expectedEvents.push_back(EventRecord{name, std::move(args), nullptr});
    const bool answer = m.handlers.at(name);
    expectReaction(m, name);
    return answer;
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
