#include "host_services/resolver.h"

namespace {

// The entry points in the order of the interface's list, their names and
// their function pointer types.
enum class Entry {
#define ENTRY_ID(name, result, parameters) name,
    PLUGIN_HOST_ENTRY_POINTS(ENTRY_ID)
#undef ENTRY_ID
};
constexpr const char* kEntryNames[] = {
#define ENTRY_NAME(name, result, parameters) #name,
    PLUGIN_HOST_ENTRY_POINTS(ENTRY_NAME)
#undef ENTRY_NAME
};
constexpr int kEntryCount = static_cast<int>(sizeof kEntryNames / sizeof kEntryNames[0]);
template <Entry>
struct EntryType;
#define ENTRY_TYPE(name, result, parameters) \
    template <>                              \
    struct EntryType<Entry::name> {          \
        using type = HostEntry_##name;       \
    };
PLUGIN_HOST_ENTRY_POINTS(ENTRY_TYPE)
#undef ENTRY_TYPE

HostResolver gResolver = nullptr;
// One cache slot per entry point. A null answer is not final: the name is
// asked for again on the next call.
void* gSlots[kEntryCount] = {};

// The host's function for an entry point, or null.
template <Entry entry>
typename EntryType<entry>::type Resolve() {
    constexpr int slot = static_cast<int>(entry);
    if (gSlots[slot] == nullptr && gResolver != nullptr) {
        gSlots[slot] = gResolver(kEntryNames[slot]);
    }
    return reinterpret_cast<typename EntryType<entry>::type>(gSlots[slot]);
}

}  // namespace

void SetHostResolver(HostResolver resolver) { gResolver = resolver; }

namespace host {

void RegisterPluginVersion(int32_t version) {
    if (auto fn = Resolve<Entry::RegisterPluginVersion>()) fn(version);
}

void PluginRegisterControl(ControlDefinition* definition) {
    if (auto fn = Resolve<Entry::PluginRegisterControl>()) fn(definition);
}

const char* StringGetCString(HostString string) {
    auto fn = Resolve<Entry::StringGetCString>();
    return fn ? fn(string) : nullptr;
}

HostString PluginInterpretConstantValue(HostString string) {
    if (auto fn = Resolve<Entry::PluginInterpretConstantValue>()) return fn(string);
    // The caller unlocks what it gets back; hand over the argument with one more lock.
    ZOKALockString(string);
    return string;
}

HostString PluginDefaultControlFont() {
    auto fn = Resolve<Entry::PluginDefaultControlFont>();
    return fn ? fn() : nullptr;
}

HostString PluginDefaultControlCaption() {
    auto fn = Resolve<Entry::PluginDefaultControlCaption>();
    return fn ? fn() : nullptr;
}

int32_t PluginDefaultControlFontSize() {
    auto fn = Resolve<Entry::PluginDefaultControlFontSize>();
    return fn ? fn() : 0;
}

void ZOKALockObject(HostObject object) {
    if (auto fn = Resolve<Entry::ZOKALockObject>()) fn(object);
}

void ZOKAUnlockObject(HostObject object) {
    if (auto fn = Resolve<Entry::ZOKAUnlockObject>()) fn(object);
}

void ZOKALockString(HostString string) {
    if (auto fn = Resolve<Entry::ZOKALockString>()) fn(string);
}

void ZOKAUnlockString(HostString string) {
    if (auto fn = Resolve<Entry::ZOKAUnlockString>()) fn(string);
}

void* GetInterfaceRoutine(HostObject object, const char* interfaceName, const char* routineName) {
    auto fn = Resolve<Entry::GetInterfaceRoutine>();
    return fn ? fn(object, interfaceName, routineName) : nullptr;
}

void lockPictureDescription(HostObject picture, PictureDescription* description) {
    if (auto fn = Resolve<Entry::lockPictureDescription>()) {
        fn(picture, description);
    }
}

void unlockPictureDescription(HostObject picture) {
    if (auto fn = Resolve<Entry::unlockPictureDescription>()) fn(picture);
}

void drawPicturePrimitive(HDC dc, HostObject picture, const HostRect* destination, int32_t flag) {
    if (auto fn = Resolve<Entry::drawPicturePrimitive>()) {
        fn(dc, picture, destination, flag);
    }
}

void* GetEventInstance(ControlInstance* instance, int32_t hostEventId) {
    auto fn = Resolve<Entry::GetEventInstance>();
    return fn ? fn(instance, hostEventId) : nullptr;
}

void GetControlBounds(ControlInstance* instance, HostRect* bounds) {
    // Callers never set the rectangle beforehand; without the host it must
    // still hold something defined.
    *bounds = HostRect{};
    if (auto fn = Resolve<Entry::GetControlBounds>()) fn(instance, bounds);
}

int32_t GetControlVisible(ControlInstance* instance) {
    auto fn = Resolve<Entry::GetControlVisible>();
    return fn ? fn(instance) : 0;
}

bool ZOKAGetControlEnabled(ControlInstance* instance) {
    auto fn = Resolve<Entry::ZOKAGetControlEnabled>();
    return fn ? fn(instance) != 0 : false;
}

HostGraphics ZOKAGetControlGraphics(ControlInstance* instance) {
    auto fn = Resolve<Entry::ZOKAGetControlGraphics>();
    return fn ? fn(instance) : nullptr;
}

int32_t ZOKAGetWin32Charset() {
    auto fn = Resolve<Entry::ZOKAGetWin32Charset>();
    return fn ? fn() : 0;
}

HDC ZOKAGraphicsDC(HostGraphics graphics) {
    auto fn = Resolve<Entry::ZOKAGraphicsDC>();
    return fn ? fn(graphics) : nullptr;
}

void ZOKAInvalidateControl(ControlInstance* instance) {
    if (auto fn = Resolve<Entry::ZOKAInvalidateControl>()) fn(instance);
}

bool ZOKASetSpecialBackground(ControlInstance* instance, uint32_t* colour) {
    auto fn = Resolve<Entry::ZOKASetSpecialBackground>();
    if (fn) fn(instance, colour);
    return fn != nullptr;
}

HostWindow getControlWindow(ControlInstance* instance) {
    auto fn = Resolve<Entry::getControlWindow>();
    return fn ? fn(instance) : nullptr;
}

void ZOKASetAccelerator(ControlInstance* instance, HostString caption) {
    if (auto fn = Resolve<Entry::ZOKASetAccelerator>()) fn(instance, caption);
}

int32_t GetTabPanelVisible(ControlInstance* instance) {
    auto fn = Resolve<Entry::GetTabPanelVisible>();
    return fn ? fn(instance) : 0;
}

HWND ZOKAGetControlHandle(ControlInstance* instance) {
    auto fn = Resolve<Entry::ZOKAGetControlHandle>();
    return fn ? fn(instance) : nullptr;
}

HWND ZOKAGetWindowHandle(HostWindow window) {
    auto fn = Resolve<Entry::ZOKAGetWindowHandle>();
    return fn ? fn(window) : nullptr;
}

TextEncoding ZOKAGetStringEncoding(HostString string) {
    auto fn = Resolve<Entry::ZOKAGetStringEncoding>();
    return fn ? fn(string) : 0;
}

}  // namespace host
