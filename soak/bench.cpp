#include "bench.h"

#include <algorithm>

#include "generator.h"

namespace soak {

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

void Bench::call(int n) {
    result.calls += n;
    if (options.progress) options.progress->calls = options.progress->calls + n;
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

}  // namespace soak
