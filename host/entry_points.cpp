// The host entry points the plug-in resolves by name, and the resolver.
#include <array>
#include <cstring>
#include <utility>

#include "plugin_entry_table.h"
#include "host_internal.h"

namespace pluginhost {

Host* gCurrentHost = nullptr;
void* (*gResolveFilter)(const char* name, void* hostFunction) = nullptr;

namespace {

Host::Impl* impl() { return currentImpl(); }

Instance* instanceFor(ControlInstance* control, const char* entryPoint) {
    Host::Impl* h = impl();
    return h ? h->find(control, entryPoint) : nullptr;
}

Handle* handleFor(const void* handle, HandleKind kind, const char* entryPoint) {
    Host::Impl* h = impl();
    if (!h || !handle) return nullptr;
    Handle* found = h->findHandle(handle);
    if (!found || found->kind != kind) {
        h->fault(std::string(entryPoint) + " given " + h->nameOf(handle) + h->context());
        return nullptr;
    }
    if (found->released && kind != HandleKind::Graphics) {
        h->fault(std::string(entryPoint) + " given " + h->nameOf(handle) + " after its last release" + h->context());
        return nullptr;
    }
    return found;
}

void RegisterPluginVersion(int32_t version) {
    if (gCurrentHost) gCurrentHost->versions.push_back(version);
}

// Where InstanceData starts in the instances of the index-th class: different
// for every class so that a control reading another class's offset shows.
constexpr int32_t kFirstDataOffset = 64;
constexpr int32_t kDataOffsetStep = 16;

void PluginRegisterControl(ControlDefinition* definition) {
    Host::Impl* h = impl();
    if (!h || !definition) return;
    const int32_t index = static_cast<int32_t>(gCurrentHost->registered.size());
    definition->dataOffset = kFirstDataOffset + kDataOffsetStep * index;
    for (int32_t i = 0; i < definition->eventCount && definition->events; ++i) {
        EventDefinition& event = definition->events[i];
        event.hostEventId = h->nextEventId++;
        Host::Impl::EventInfo info;
        info.definition = definition;
        const char* declaration = event.declaration ? event.declaration : "";
        const char* open = std::strchr(declaration, '(');
        info.name = open ? std::string(declaration, open) : std::string(declaration);
        const size_t space = info.name.find(' ');
        if (space != std::string::npos) info.name.resize(space);
        if (open) {
            const char* close = std::strchr(open, ')');
            std::string parameters(open + 1, close ? close : open + std::strlen(open));
            if (parameters.find_first_not_of(' ') != std::string::npos) {
                info.argumentCount = 1;
                for (char c : parameters) info.argumentCount += c == ',';
            }
        }
        h->eventIds[event.hostEventId] = info;
    }
    gCurrentHost->registered.push_back(definition);
}

const char* StringGetCString(HostString string) {
    Handle* h = handleFor(string, HandleKind::String, "StringGetCString");
    // The storage the plug-in reads directly too (poisoned at the last release).
    return h ? reinterpret_cast<const char*>(h->record.storage + 1) : nullptr;
}

HostString PluginInterpretConstantValue(HostString string) {
    Host::Impl* h = impl();
    if (!h) return nullptr;
    // No constants to resolve: the same string, with a lock for the caller.
    pluginLock(*h, string, "PluginInterpretConstantValue", 1);
    return string;
}

// A new string whose one lock is the plug-in's, logged under entryPoint.
HostString defaultString(const std::string Host::*setting, const char* entryPoint) {
    Host::Impl* h = impl();
    if (!h) return nullptr;
    HostString s = newPluginString(*h, gCurrentHost->*setting);
    gCurrentHost->lockLog.push_back(std::string(entryPoint) + " " + h->nameOf(s));
    return s;
}

HostString PluginDefaultControlFont() { return defaultString(&Host::defaultFont, "PluginDefaultControlFont"); }

HostString PluginDefaultControlCaption() { return defaultString(&Host::defaultCaption, "PluginDefaultControlCaption"); }

int32_t PluginDefaultControlFontSize() { return gCurrentHost ? gCurrentHost->defaultFontSize : 0; }

void ZOKALockObject(HostObject object) {
    if (Host::Impl* h = impl()) pluginLock(*h, object, "ZOKALockObject", 1);
}

void ZOKAUnlockObject(HostObject object) {
    if (Host::Impl* h = impl()) pluginLock(*h, object, "ZOKAUnlockObject", -1);
}

void ZOKALockString(HostString string) {
    if (Host::Impl* h = impl()) pluginLock(*h, string, "ZOKALockString", 1);
}

void ZOKAUnlockString(HostString string) {
    if (Host::Impl* h = impl()) pluginLock(*h, string, "ZOKAUnlockString", -1);
}

void recordPerformAction(HostObject receiver) {
    if (!gCurrentHost) return;
    EventCall call;
    call.name = "PerformAction";
    call.receiver = receiver;
    gCurrentHost->events.push_back(call);
    if (gCurrentHost->onRecord) gCurrentHost->onRecord(call);
    if (gCurrentHost->onPerformAction) gCurrentHost->onPerformAction(receiver);
}

void* GetInterfaceRoutine(HostObject object, const char* interfaceName, const char* routineName) {
    Handle* h = handleFor(object, HandleKind::Receiver, "GetInterfaceRoutine");
    if (!h || !interfaceName || !routineName) return nullptr;
    if (_stricmp(interfaceName, "actionNotificationReceiver") != 0 || _stricmp(routineName, "PerformAction") != 0)
        return nullptr;
    return reinterpret_cast<void*>(&recordPerformAction);
}

void lockPictureDescription(HostObject picture, PictureDescription* description) {
    Host::Impl* hi = impl();
    if (!hi) return;
    gCurrentHost->lockLog.push_back("lockPictureDescription " + hi->nameOf(picture));
    Handle* h = handleFor(picture, HandleKind::Picture, "lockPictureDescription");
    if (!h || !description) return;
    ++h->descriptionLocks;
    PictureDescription filled{};
    filled.hostWord0 = h->id;
    filled.width = h->width;
    filled.height = h->height;
    filled.drawFlag = h->drawFlag;
    *description = filled;
}

void unlockPictureDescription(HostObject picture) {
    Host::Impl* hi = impl();
    if (!hi) return;
    gCurrentHost->lockLog.push_back("unlockPictureDescription " + hi->nameOf(picture));
    Handle* h = handleFor(picture, HandleKind::Picture, "unlockPictureDescription");
    if (!h) return;
    if (h->descriptionLocks <= 0) {
        hi->fault("unlockPictureDescription of " + hi->nameOf(picture) + " without a lock" + hi->context());
        return;
    }
    --h->descriptionLocks;
}

void drawPicturePrimitive(HDC dc, HostObject picture, const HostRect* destination, int32_t flag) {
    if (!gCurrentHost) return;
    DrawPictureCall call;
    call.dc = dc;
    call.picture = picture;
    if (destination) call.destination = *destination;
    call.flag = flag;
    gCurrentHost->pictureDraws.push_back(call);
    Handle* h = handleFor(picture, HandleKind::Picture, "drawPicturePrimitive");
    if (h && destination) drawPictureBitmap(*h, dc, *destination);
}

// --- events ---------------------------------------------------------------------

constexpr int kEventThunkCount = 64;

intptr_t fireEvent(int32_t hostEventId, ControlInstance* control, const intptr_t* arguments) {
    Host::Impl* h = impl();
    if (!h) return 0;
    Instance* instance = h->find(control, "an event routine");
    auto info = h->eventIds.find(hostEventId);
    if (!instance || info == h->eventIds.end()) return 0;
    EventCall call;
    call.instance = control;
    call.name = info->second.name;
    for (int i = 0; i < info->second.argumentCount; ++i) call.args.push_back(static_cast<int32_t>(arguments[i]));
    gCurrentHost->events.push_back(call);
    if (gCurrentHost->onRecord) gCurrentHost->onRecord(call);
    auto found = instance->handlers.find(call.name);
    if (found == instance->handlers.end() || !found->second) return 0;
    // A copy runs: a handler may destroy its own instance, and its entry with it.
    const EventHandler handler = found->second;
    return handler(call) ? 1 : 0;
}

// Up to four event arguments; unused ones are whatever the registers hold.
template <int I>
intptr_t eventThunk(ControlInstance* control, intptr_t a, intptr_t b, intptr_t c, intptr_t d) {
    const intptr_t arguments[] = {a, b, c, d};
    return fireEvent(I, control, arguments);
}

template <size_t... I>
constexpr std::array<void*, sizeof...(I)> makeEventThunks(std::index_sequence<I...>) {
    return {{reinterpret_cast<void*>(&eventThunk<static_cast<int>(I)>)...}};
}

void* GetEventInstance(ControlInstance* control, int32_t hostEventId) {
    Host::Impl* h = impl();
    if (!h) return nullptr;
    Instance* instance = h->find(control, "GetEventInstance");
    if (!instance) return nullptr;
    auto info = h->eventIds.find(hostEventId);
    if (info == h->eventIds.end() || hostEventId < 0 || hostEventId >= kEventThunkCount) {
        h->fault("GetEventInstance with unknown event id " + std::to_string(hostEventId) + h->context());
        return nullptr;
    }
    if (info->second.definition != instance->definition) {
        h->fault("GetEventInstance with event id " + std::to_string(hostEventId) + " of another class on " +
                 instance->className + h->context());
        return nullptr;
    }
    if (instance->handlers.count(info->second.name) == 0) return nullptr;
    static const std::array<void*, kEventThunkCount> thunks =
        makeEventThunks(std::make_index_sequence<kEventThunkCount>());
    return thunks[hostEventId];
}

// --- instances --------------------------------------------------------------------

void GetControlBounds(ControlInstance* control, HostRect* bounds) {
    Instance* instance = instanceFor(control, "GetControlBounds");
    if (instance && bounds) *bounds = instance->bounds;
}

int32_t GetControlVisible(ControlInstance* control) {
    Instance* instance = instanceFor(control, "GetControlVisible");
    return instance && instance->visible ? 1 : 0;
}

HostBoolean ZOKAGetControlEnabled(ControlInstance* control) {
    Instance* instance = instanceFor(control, "ZOKAGetControlEnabled");
    return instance && instance->enabled ? 1 : 0;
}

HostGraphics ZOKAGetControlGraphics(ControlInstance* control) {
    Instance* instance = instanceFor(control, "ZOKAGetControlGraphics");
    if (!instance) return nullptr;
    Host::Impl& h = *impl();
    const RECT area{instance->bounds.left, instance->bounds.top, instance->bounds.right, instance->bounds.bottom};
    const std::string purpose = "the surface of ZOKAGetControlGraphics" + h.context();
    HostGraphics graphics =
        h.live ? h.live->controlGraphics(h, *instance, purpose) : makeControlSurface(h, area, purpose);
    if (Handle* g = h.findHandle(graphics)) g->refs = 1;  // the plug-in's
    return graphics;
}

int32_t ZOKAGetWin32Charset() { return gCurrentHost ? gCurrentHost->win32Charset : 0; }

HDC ZOKAGraphicsDC(HostGraphics graphics) {
    Handle* h = handleFor(graphics, HandleKind::Graphics, "ZOKAGraphicsDC");
    if (h && !h->dc) impl()->fault("ZOKAGraphicsDC of " + impl()->nameOf(graphics) + " after its release");
    return h ? h->dc : nullptr;
}

void ZOKAInvalidateControl(ControlInstance* control) {
    Instance* instance = instanceFor(control, "ZOKAInvalidateControl");
    if (!instance) return;
    ++instance->invalidations;
    if (impl()->live) impl()->live->invalidate(*instance);
}

void ZOKASetSpecialBackground(ControlInstance* control, uint32_t* colour) {
    Instance* instance = instanceFor(control, "ZOKASetSpecialBackground");
    if (instance && colour) *colour = instance->background;
}

HostWindow getControlWindow(ControlInstance* control) {
    return instanceFor(control, "getControlWindow") ? impl()->windowObject : nullptr;
}

void ZOKASetAccelerator(ControlInstance* control, HostString caption) {
    Instance* instance = instanceFor(control, "ZOKASetAccelerator");
    if (!instance) return;
    ++instance->acceleratorCalls;
    Handle* h = handleFor(caption, HandleKind::String, "ZOKASetAccelerator");
    instance->accelerator = h ? gCurrentHost->text(caption) : std::string();
}

int32_t GetTabPanelVisible(ControlInstance* control) {
    Instance* instance = instanceFor(control, "GetTabPanelVisible");
    return instance && instance->tabPanelVisible ? 1 : 0;
}

HWND ZOKAGetControlHandle(ControlInstance* control) {
    Instance* instance = instanceFor(control, "ZOKAGetControlHandle");
    return instance ? instance->window : nullptr;
}

HWND ZOKAGetWindowHandle(HostWindow window) {
    Host::Impl* h = impl();
    if (!h || !window) return nullptr;
    if (window != h->windowObject) {
        h->fault("ZOKAGetWindowHandle given " + h->nameOf(window) + h->context());
        return nullptr;
    }
    return h->topWindow;
}

TextEncoding ZOKAGetStringEncoding(HostString string) {
    Handle* h = handleFor(string, HandleKind::String, "ZOKAGetStringEncoding");
    return h ? h->encoding : 0;
}

struct EntryPoint {
    const char* name;
    void* function;  // what the resolver hands out: the host's own, noted
    void* answer;    // the host's own
};

const std::vector<EntryPoint>& entryPoints();

// What the resolver hands out for an entry point: while the host keeps its
// entry log, each call is noted by name, in order, before the host answers.
template <HostEntryPoint E, typename F = typename HostEntryType<E>::type>
struct Noted;
template <HostEntryPoint E, typename R, typename... A>
struct Noted<E, R (*)(A...)> {
    static R call(A... arguments) {
        if (gCurrentHost && gCurrentHost->logEntries) {
            gCurrentHost->entryLog.push_back(kHostEntryPointNames[static_cast<int>(E)]);
        }
        return reinterpret_cast<R (*)(A...)>(entryPoints()[static_cast<int>(E)].answer)(arguments...);
    }
};

// Every entry point of the interface, in its order, each checked against its
// published signature.
const std::vector<EntryPoint>& entryPoints() {
    static const std::vector<EntryPoint> table = {
#define HOST_ENTRY(name, result, parameters)                                                            \
    {#name, reinterpret_cast<void*>(static_cast<HostEntry_##name>(&Noted<HostEntryPoint::name>::call)), \
     reinterpret_cast<void*>(static_cast<HostEntry_##name>(&name))},
        PLUGIN_HOST_ENTRY_POINTS(HOST_ENTRY)
#undef HOST_ENTRY
    };
    return table;
}

}  // namespace

Host::Impl* currentImpl() { return gCurrentHost ? gCurrentHost->impl_.get() : nullptr; }

void* Host::resolve(const char* name) {
    Host::Impl* h = currentImpl();
    if (!h || !name) return nullptr;
    ++h->resolveCounts[name];
    if (h->withheld.count(name)) return nullptr;
    for (const EntryPoint& e : entryPoints())
        if (std::strcmp(e.name, name) == 0) return gResolveFilter ? gResolveFilter(e.name, e.function) : e.function;
    return nullptr;
}

void Host::withhold(const std::string& entryPoint) { impl_->withheld.insert(entryPoint); }

void Host::supply(const std::string& entryPoint) { impl_->withheld.erase(entryPoint); }

void Host::withholdAll() {
    for (const EntryPoint& e : entryPoints()) impl_->withheld.insert(e.name);
}

void Host::supplyAll() { impl_->withheld.clear(); }

int Host::resolveCount(const std::string& entryPoint) const {
    auto it = impl_->resolveCounts.find(entryPoint);
    return it == impl_->resolveCounts.end() ? 0 : it->second;
}

std::vector<std::string> hostEntryPointNames() {
    std::vector<std::string> names;
    for (const EntryPoint& e : entryPoints()) names.push_back(e.name);
    return names;
}

}  // namespace pluginhost
