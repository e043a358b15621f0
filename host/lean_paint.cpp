// Lean paints for timing: counting entry points, lean answers, lasting surfaces.
#include "lean_paint.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "plugin_entry_table.h"
#include "host_internal.h"

namespace pluginhost {

namespace {

constexpr int index(HostEntryPoint entry) { return static_cast<int>(entry); }

// What the plug-in has called, and the host's own function behind each
// counting entry point. Both outlive the LeanPainter: the plug-in keeps the
// counting functions it was given.
int gCalls[kHostEntryPointCount];
void* gHostFunctions[kHostEntryPointCount];

template <HostEntryPoint E>
typename HostEntryType<E>::type hostFunction() {
    return reinterpret_cast<typename HostEntryType<E>::type>(gHostFunctions[index(E)]);
}

// A picture's bitmap kept selected in a memory DC of its own for the run.
struct PictureSource {
    HostObject picture = nullptr;
    HDC dc = nullptr;
    HGDIOBJ kept = nullptr;
    int width = 0;
    int height = 0;
};

struct LentString {
    HostString string = nullptr;
    int locks = 0;
};

// A lasting top-down DIB in a memory DC.
struct LeanSurface {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ kept = nullptr;
    uint32_t* bits = nullptr;
    int width = 0;
    int height = 0;

    bool make(int w, int h) {
        width = std::max(w, 1);
        height = std::max(h, 1);
        bitmap = makeTopDownDib(width, height, &bits);
        dc = bitmap ? CreateCompatibleDC(nullptr) : nullptr;
        if (dc) kept = SelectObject(dc, bitmap);
        return dc != nullptr;
    }
    void free() {
        if (dc) {
            SelectObject(dc, kept);
            DeleteDC(dc);
        }
        if (bitmap) DeleteObject(bitmap);
        *this = LeanSurface{};
    }
};

// The instance being painted lean and what the lean answers give for it.
struct LeanRun {
    bool active = false;
    Instance* instance = nullptr;
    ControlInstance* control = nullptr;
    HostRect bounds{};
    HostBoolean enabled = 0;
    int32_t visible = 0;
    int32_t tabPanelVisible = 0;
    uint32_t background = 0;
    HWND window = nullptr;
    LeanSurface onScreen;   // the control's size, window coordinates
    LeanSurface offScreen;  // the window image's size
    int lentLocks = 0;
    std::vector<LentString> strings;
    std::vector<PictureSource> pictures;
    // The last string whose encoding was asked: a host string keeps its tag.
    HostString encodingOf = nullptr;
    TextEncoding encoding = 0;
};

LeanRun gRun;
LeanPainter* gPainter = nullptr;

// The lean graphics objects: addresses the plug-in only hands back.
char gOnScreenTag;
char gOffScreenTag;
HostGraphics onScreenGraphics() { return reinterpret_cast<HostGraphics>(&gOnScreenTag); }
HostGraphics offScreenGraphics() { return reinterpret_cast<HostGraphics>(&gOffScreenTag); }

bool ours(ControlInstance* control) { return gRun.active && control == gRun.control; }

// --- counting entry points ------------------------------------------------------

template <HostEntryPoint E, typename F = typename HostEntryType<E>::type>
struct Forward;

template <HostEntryPoint E, typename R, typename... A>
struct Forward<E, R (*)(A...)> {
    static R call(A... arguments) {
        ++gCalls[index(E)];
        return hostFunction<E>()(arguments...);
    }
};

// --- lean answers, each passing on what is not the running instance's -------------

void leanGetControlBounds(ControlInstance* control, HostRect* bounds) {
    ++gCalls[index(HostEntryPoint::GetControlBounds)];
    if (ours(control) && bounds) {
        *bounds = gRun.bounds;
        return;
    }
    hostFunction<HostEntryPoint::GetControlBounds>()(control, bounds);
}

HostBoolean leanZOKAGetControlEnabled(ControlInstance* control) {
    ++gCalls[index(HostEntryPoint::ZOKAGetControlEnabled)];
    if (ours(control)) return gRun.enabled;
    return hostFunction<HostEntryPoint::ZOKAGetControlEnabled>()(control);
}

int32_t leanGetControlVisible(ControlInstance* control) {
    ++gCalls[index(HostEntryPoint::GetControlVisible)];
    if (ours(control)) return gRun.visible;
    return hostFunction<HostEntryPoint::GetControlVisible>()(control);
}

int32_t leanGetTabPanelVisible(ControlInstance* control) {
    ++gCalls[index(HostEntryPoint::GetTabPanelVisible)];
    if (ours(control)) return gRun.tabPanelVisible;
    return hostFunction<HostEntryPoint::GetTabPanelVisible>()(control);
}

void leanZOKASetSpecialBackground(ControlInstance* control, uint32_t* colour) {
    ++gCalls[index(HostEntryPoint::ZOKASetSpecialBackground)];
    if (ours(control) && colour) {
        *colour = gRun.background;
        return;
    }
    hostFunction<HostEntryPoint::ZOKASetSpecialBackground>()(control, colour);
}

HWND leanZOKAGetControlHandle(ControlInstance* control) {
    ++gCalls[index(HostEntryPoint::ZOKAGetControlHandle)];
    if (ours(control)) return gRun.window;
    return hostFunction<HostEntryPoint::ZOKAGetControlHandle>()(control);
}

HostGraphics leanZOKAGetControlGraphics(ControlInstance* control) {
    ++gCalls[index(HostEntryPoint::ZOKAGetControlGraphics)];
    if (ours(control)) {
        ++gRun.lentLocks;
        return onScreenGraphics();
    }
    return hostFunction<HostEntryPoint::ZOKAGetControlGraphics>()(control);
}

HDC leanZOKAGraphicsDC(HostGraphics graphics) {
    ++gCalls[index(HostEntryPoint::ZOKAGraphicsDC)];
    if (gRun.active) {
        if (graphics == onScreenGraphics()) return gRun.onScreen.dc;
        if (graphics == offScreenGraphics()) return gRun.offScreen.dc;
    }
    return hostFunction<HostEntryPoint::ZOKAGraphicsDC>()(graphics);
}

void leanZOKAUnlockObject(HostObject object) {
    ++gCalls[index(HostEntryPoint::ZOKAUnlockObject)];
    if (gRun.active && object == onScreenGraphics()) {
        --gRun.lentLocks;
        return;
    }
    hostFunction<HostEntryPoint::ZOKAUnlockObject>()(object);
}

// The host answers with the same string and one more lock for the caller.
HostString leanPluginInterpretConstantValue(HostString string) {
    ++gCalls[index(HostEntryPoint::PluginInterpretConstantValue)];
    if (!gRun.active || !string) return hostFunction<HostEntryPoint::PluginInterpretConstantValue>()(string);
    for (LentString& lent : gRun.strings) {
        if (lent.string != string) continue;
        ++lent.locks;
        ++gRun.lentLocks;
        return string;
    }
    gRun.strings.push_back(LentString{string, 1});
    ++gRun.lentLocks;
    return string;
}

void leanZOKAUnlockString(HostString string) {
    ++gCalls[index(HostEntryPoint::ZOKAUnlockString)];
    if (gRun.active) {
        for (LentString& lent : gRun.strings) {
            if (lent.string != string || lent.locks == 0) continue;
            --lent.locks;
            --gRun.lentLocks;
            return;
        }
    }
    hostFunction<HostEntryPoint::ZOKAUnlockString>()(string);
}

TextEncoding leanZOKAGetStringEncoding(HostString string) {
    ++gCalls[index(HostEntryPoint::ZOKAGetStringEncoding)];
    if (gRun.active && string && string == gRun.encodingOf) return gRun.encoding;
    const TextEncoding encoding = hostFunction<HostEntryPoint::ZOKAGetStringEncoding>()(string);
    if (gRun.active) {
        gRun.encodingOf = string;
        gRun.encoding = encoding;
    }
    return encoding;
}

PictureSource* pictureSource(HostObject picture) {
    for (PictureSource& source : gRun.pictures)
        if (source.picture == picture) return &source;
    Host::Impl* impl = currentImpl();
    Handle* h = impl ? impl->findHandle(picture) : nullptr;
    if (!h || h->kind != HandleKind::Picture || h->released || !h->bitmap) return nullptr;
    PictureSource source;
    source.picture = picture;
    source.dc = CreateCompatibleDC(nullptr);
    if (!source.dc) return nullptr;
    source.kept = SelectObject(source.dc, h->bitmap);
    source.width = h->width;
    source.height = h->height;
    gRun.pictures.push_back(source);
    return &gRun.pictures.back();
}

// The same stretch the host's answer makes, from a DC that lasts the run.
void leandrawPicturePrimitive(HDC dc, HostObject picture, const HostRect* destination, int32_t flag) {
    ++gCalls[index(HostEntryPoint::drawPicturePrimitive)];
    PictureSource* source = gRun.active && destination ? pictureSource(picture) : nullptr;
    if (!source) {
        hostFunction<HostEntryPoint::drawPicturePrimitive>()(dc, picture, destination, flag);
        return;
    }
    const int width = destination->right - destination->left;
    const int height = destination->bottom - destination->top;
    if (width <= 0 || height <= 0) return;
    const int previousMode = SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, destination->left, destination->top, width, height, source->dc, 0, 0, source->width, source->height,
               SRCCOPY);
    SetStretchBltMode(dc, previousMode);
}

// --- the table the resolver hands out ------------------------------------------------

template <HostEntryPoint E>
void* wrapperOf() {
    return reinterpret_cast<void*>(&Forward<E>::call);
}

#define LEAN_ANSWER(name)                                                           \
    template <>                                                                     \
    void* wrapperOf<HostEntryPoint::name>() {                                       \
        return reinterpret_cast<void*>(static_cast<HostEntry_##name>(&lean##name)); \
    }
LEAN_ANSWER(GetControlBounds)
LEAN_ANSWER(ZOKAGetControlEnabled)
LEAN_ANSWER(GetControlVisible)
LEAN_ANSWER(GetTabPanelVisible)
LEAN_ANSWER(ZOKASetSpecialBackground)
LEAN_ANSWER(ZOKAGetControlHandle)
LEAN_ANSWER(ZOKAGetControlGraphics)
LEAN_ANSWER(ZOKAGraphicsDC)
LEAN_ANSWER(ZOKAUnlockObject)
LEAN_ANSWER(PluginInterpretConstantValue)
LEAN_ANSWER(ZOKAUnlockString)
LEAN_ANSWER(ZOKAGetStringEncoding)
LEAN_ANSWER(drawPicturePrimitive)
#undef LEAN_ANSWER

void* const* wrappers() {
    static void* const table[kHostEntryPointCount] = {
#define WRAPPER(name, result, parameters) wrapperOf<HostEntryPoint::name>(),
        PLUGIN_HOST_ENTRY_POINTS(WRAPPER)
#undef WRAPPER
    };
    return table;
}

void* countingEntryPoint(const char* name, void* hostFunction) {
    for (int i = 0; i < kHostEntryPointCount; ++i) {
        if (std::strcmp(kHostEntryPointNames[i], name) != 0) continue;
        gHostFunctions[i] = hostFunction;
        return wrappers()[i];
    }
    return hostFunction;
}

template <HostEntryPoint E>
typename HostEntryType<E>::type counted() {
    return reinterpret_cast<typename HostEntryType<E>::type>(wrappers()[index(E)]);
}

double secondsPerTick() {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1.0 / static_cast<double>(frequency.QuadPart);
}

int64_t now() {
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return counter.QuadPart;
}

}  // namespace

LeanPainter::LeanPainter(Host& host) : host_(host) {
    if (gPainter != nullptr) {
        std::fprintf(stderr, "pluginhost: a second LeanPainter was made while another is alive; one at a time\n");
        std::abort();
    }
    gPainter = this;
    gResolveFilter = &countingEntryPoint;
}

LeanPainter::~LeanPainter() {
    end();
    gResolveFilter = nullptr;
    gPainter = nullptr;
}

bool LeanPainter::begin(Instance* instance) {
    end();
    Host::Impl* impl = currentImpl();
    if (!impl || !instance || !host_.instanceOf(instance->control)) return false;
    const HostRect& b = instance->bounds;
    if (!gRun.onScreen.make(b.right - b.left, b.bottom - b.top) ||
        !gRun.offScreen.make(Host::kWindowWidth, Host::kWindowHeight)) {
        gRun.onScreen.free();
        gRun.offScreen.free();
        return false;
    }
    // Logical coordinates are window coordinates, as on the host's surface.
    SetWindowOrgEx(gRun.onScreen.dc, b.left, b.top, nullptr);
    gRun.instance = instance;
    gRun.control = instance->control;
    gRun.bounds = b;
    gRun.enabled = instance->enabled ? 1 : 0;
    gRun.visible = instance->visible ? 1 : 0;
    gRun.tabPanelVisible = instance->tabPanelVisible ? 1 : 0;
    gRun.background = instance->background;
    gRun.window = instance->window;
    gRun.lentLocks = 0;
    // Restores the plug-in's import slots; end() hooks them again.
    impl->gdiHooks.clear();
    gRun.active = true;
    return true;
}

void LeanPainter::end() {
    if (!gRun.active) return;
    gRun.active = false;
    for (PictureSource& source : gRun.pictures) {
        SelectObject(source.dc, source.kept);
        DeleteDC(source.dc);
    }
    gRun.onScreen.free();
    gRun.offScreen.free();
    gRun = LeanRun{};
    Host::Impl* impl = currentImpl();
    if (impl && impl->module) installGdiHooks(*impl, impl->module);
}

bool LeanPainter::running() const { return gRun.active; }

void LeanPainter::draw() {
    if (!gRun.active) return;
    const ControlCallbacks* c = gRun.instance->definition->callbacks;
    if (c && c->draw) c->draw(gRun.control, onScreenGraphics());
}

void LeanPainter::drawOffscreen() {
    if (!gRun.active) return;
    const ControlCallbacks* c = gRun.instance->definition->callbacks;
    if (c && c->drawOffscreen) c->drawOffscreen(gRun.control, offScreenGraphics());
}

void LeanPainter::idle() {
    if (!gRun.active) return;
    const ControlCallbacks* c = gRun.instance->definition->callbacks;
    if (c && c->idle) c->idle(gRun.control);
}

void LeanPainter::fill(COLORREF colour) {
    if (!gRun.active) return;
    GdiFlush();
    const uint32_t pixel = imageColour(colour);
    for (const LeanSurface* s : {&gRun.onScreen, &gRun.offScreen})
        std::fill(s->bits, s->bits + size_t(s->width) * size_t(s->height), pixel);
}

const uint32_t* LeanPainter::controlPixels() const {
    GdiFlush();
    return gRun.onScreen.bits;
}

const uint32_t* LeanPainter::offscreenPixels() const {
    GdiFlush();
    return gRun.offScreen.bits;
}

int LeanPainter::controlWidth() const { return gRun.onScreen.width; }

int LeanPainter::controlHeight() const { return gRun.onScreen.height; }

int LeanPainter::calls(HostEntryPoint entry) const { return gCalls[index(entry)]; }

int LeanPainter::totalCalls() const {
    int total = 0;
    for (int count : gCalls) total += count;
    return total;
}

void LeanPainter::resetCounts() { std::fill(std::begin(gCalls), std::end(gCalls), 0); }

int LeanPainter::lentLocks() const { return gRun.lentLocks; }

std::array<double, kHostEntryPointCount> LeanPainter::callCosts(int calls, int rounds) {
    std::array<double, kHostEntryPointCount> costs;
    costs.fill(-1);
    if (!gRun.active || calls <= 0 || rounds <= 0) return costs;
    int saved[kHostEntryPointCount];
    std::copy(std::begin(gCalls), std::end(gCalls), saved);

    HostString caption = host_.makeString("OK");
    HostObject picture = host_.makePicture(1, 1, nullptr);
    ControlInstance* control = gRun.control;
    HostRect bounds{};
    uint32_t colour = 0;
    const HostRect empty{};
    const double tick = secondsPerTick();

    // Best time of one call of body, which makes `per` calls.
    auto best = [&](int per, auto body) {
        double fastest = 0;
        for (int round = 0; round < rounds; ++round) {
            const int64_t start = now();
            for (int i = 0; i < calls; ++i) body();
            const double ns = double(now() - start) * tick * 1e9 / double(calls) / per;
            if (round == 0 || ns < fastest) fastest = ns;
        }
        return fastest;
    };
    using E = HostEntryPoint;
    // Only what the plug-in was handed is timed: a call of another would
    // reach a host function that was never looked up.
    auto time = [&](E entry, int per, auto body) {
        if (gHostFunctions[index(entry)]) costs[index(entry)] = best(per, body);
    };
    time(E::GetControlBounds, 1, [&] { counted<E::GetControlBounds>()(control, &bounds); });
    time(E::ZOKAGetControlEnabled, 1, [&] { counted<E::ZOKAGetControlEnabled>()(control); });
    time(E::GetControlVisible, 1, [&] { counted<E::GetControlVisible>()(control); });
    time(E::GetTabPanelVisible, 1, [&] { counted<E::GetTabPanelVisible>()(control); });
    time(E::ZOKASetSpecialBackground, 1, [&] { counted<E::ZOKASetSpecialBackground>()(control, &colour); });
    time(E::ZOKAGetControlHandle, 1, [&] { counted<E::ZOKAGetControlHandle>()(control); });
    time(E::ZOKAGraphicsDC, 1, [&] { counted<E::ZOKAGraphicsDC>()(onScreenGraphics()); });
    // Lending and giving back come in pairs; each is given half.
    time(E::ZOKAGetControlGraphics, 2,
         [&] { counted<E::ZOKAUnlockObject>()(counted<E::ZOKAGetControlGraphics>()(control)); });
    costs[index(E::ZOKAUnlockObject)] = costs[index(E::ZOKAGetControlGraphics)];
    time(E::PluginInterpretConstantValue, 2,
         [&] { counted<E::ZOKAUnlockString>()(counted<E::PluginInterpretConstantValue>()(caption)); });
    costs[index(E::ZOKAUnlockString)] = costs[index(E::PluginInterpretConstantValue)];
    time(E::ZOKAGetStringEncoding, 1, [&] { counted<E::ZOKAGetStringEncoding>()(caption); });
    time(E::ZOKAGetWin32Charset, 1, [&] { counted<E::ZOKAGetWin32Charset>()(); });
    time(E::drawPicturePrimitive, 1, [&] { counted<E::drawPicturePrimitive>()(gRun.onScreen.dc, picture, &empty, 0); });

    // The picture's DC goes before the picture does.
    for (auto it = gRun.pictures.begin(); it != gRun.pictures.end(); ++it) {
        if (it->picture != picture) continue;
        SelectObject(it->dc, it->kept);
        DeleteDC(it->dc);
        gRun.pictures.erase(it);
        break;
    }
    gRun.strings.erase(std::remove_if(gRun.strings.begin(), gRun.strings.end(),
                                      [&](const LentString& lent) { return lent.string == caption; }),
                       gRun.strings.end());
    if (gRun.encodingOf == caption) gRun.encodingOf = nullptr;
    host_.releaseObject(picture);
    host_.releaseString(caption);
    std::copy(std::begin(saved), std::end(saved), gCalls);
    return costs;
}

}  // namespace pluginhost
