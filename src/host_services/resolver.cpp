#include "host_services/resolver.h"

#include "plugin_entry_table.h"

namespace {

HostResolver gResolver = nullptr;
// One cache slot per entry point. A null answer is not final: the name is
// asked for again on the next call.
void* gSlots[kHostEntryPointCount] = {};

// The host's function for an entry point, or null.
template <HostEntryPoint entry>
typename HostEntryType<entry>::type Resolve() {
    constexpr int slot = static_cast<int>(entry);
    if (gSlots[slot] == nullptr && gResolver != nullptr) {
        gSlots[slot] = gResolver(kHostEntryPointNames[slot]);
    }
    return reinterpret_cast<typename HostEntryType<entry>::type>(gSlots[slot]);
}

}  // namespace

void SetHostResolver(HostResolver resolver) { gResolver = resolver; }

namespace host {

void RegisterPluginVersion(int32_t version) {
    if (auto fn = Resolve<HostEntryPoint::RegisterPluginVersion>()) fn(version);
}

void PluginRegisterControl(ControlDefinition* definition) {
    if (auto fn = Resolve<HostEntryPoint::PluginRegisterControl>()) fn(definition);
}

const char* StringGetCString(HostString string) {
    auto fn = Resolve<HostEntryPoint::StringGetCString>();
    return fn ? fn(string) : nullptr;
}

HostString PluginInterpretConstantValue(HostString string) {
    if (auto fn = Resolve<HostEntryPoint::PluginInterpretConstantValue>()) return fn(string);
    // The caller unlocks what it gets back; hand over the argument with one more lock.
    ZOKALockString(string);
    return string;
}

HostString PluginDefaultControlFont() {
    auto fn = Resolve<HostEntryPoint::PluginDefaultControlFont>();
    return fn ? fn() : nullptr;
}

HostString PluginDefaultControlCaption() {
    auto fn = Resolve<HostEntryPoint::PluginDefaultControlCaption>();
    return fn ? fn() : nullptr;
}

int32_t PluginDefaultControlFontSize() {
    auto fn = Resolve<HostEntryPoint::PluginDefaultControlFontSize>();
    return fn ? fn() : 0;
}

void ZOKALockObject(HostObject object) {
    if (auto fn = Resolve<HostEntryPoint::ZOKALockObject>()) fn(object);
}

void ZOKAUnlockObject(HostObject object) {
    if (auto fn = Resolve<HostEntryPoint::ZOKAUnlockObject>()) fn(object);
}

void ZOKALockString(HostString string) {
    if (auto fn = Resolve<HostEntryPoint::ZOKALockString>()) fn(string);
}

void ZOKAUnlockString(HostString string) {
    if (auto fn = Resolve<HostEntryPoint::ZOKAUnlockString>()) fn(string);
}

void* GetInterfaceRoutine(HostObject object, const char* interfaceName, const char* routineName) {
    auto fn = Resolve<HostEntryPoint::GetInterfaceRoutine>();
    return fn ? fn(object, interfaceName, routineName) : nullptr;
}

void lockPictureDescription(HostObject picture, PictureDescription* description) {
    if (auto fn = Resolve<HostEntryPoint::lockPictureDescription>()) {
        fn(picture, description);
    }
}

void unlockPictureDescription(HostObject picture) {
    if (auto fn = Resolve<HostEntryPoint::unlockPictureDescription>()) fn(picture);
}

void drawPicturePrimitive(HDC dc, HostObject picture, const HostRect* destination, int32_t flag) {
    if (auto fn = Resolve<HostEntryPoint::drawPicturePrimitive>()) {
        fn(dc, picture, destination, flag);
    }
}

void* GetEventInstance(ControlInstance* instance, int32_t hostEventId) {
    auto fn = Resolve<HostEntryPoint::GetEventInstance>();
    return fn ? fn(instance, hostEventId) : nullptr;
}

void GetControlBounds(ControlInstance* instance, HostRect* bounds) {
    // Callers never set the rectangle beforehand; without the host it must
    // still hold something defined.
    *bounds = HostRect{};
    if (auto fn = Resolve<HostEntryPoint::GetControlBounds>()) fn(instance, bounds);
}

int32_t GetControlVisible(ControlInstance* instance) {
    auto fn = Resolve<HostEntryPoint::GetControlVisible>();
    return fn ? fn(instance) : 0;
}

bool ZOKAGetControlEnabled(ControlInstance* instance) {
    auto fn = Resolve<HostEntryPoint::ZOKAGetControlEnabled>();
    return fn ? fn(instance) != 0 : false;
}

HostGraphics ZOKAGetControlGraphics(ControlInstance* instance) {
    auto fn = Resolve<HostEntryPoint::ZOKAGetControlGraphics>();
    return fn ? fn(instance) : nullptr;
}

int32_t ZOKAGetWin32Charset() {
    auto fn = Resolve<HostEntryPoint::ZOKAGetWin32Charset>();
    return fn ? fn() : 0;
}

HDC ZOKAGraphicsDC(HostGraphics graphics) {
    auto fn = Resolve<HostEntryPoint::ZOKAGraphicsDC>();
    return fn ? fn(graphics) : nullptr;
}

void ZOKAInvalidateControl(ControlInstance* instance) {
    if (auto fn = Resolve<HostEntryPoint::ZOKAInvalidateControl>()) fn(instance);
}

bool ZOKASetSpecialBackground(ControlInstance* instance, uint32_t* colour) {
    auto fn = Resolve<HostEntryPoint::ZOKASetSpecialBackground>();
    if (fn) fn(instance, colour);
    return fn != nullptr;
}

HostWindow getControlWindow(ControlInstance* instance) {
    auto fn = Resolve<HostEntryPoint::getControlWindow>();
    return fn ? fn(instance) : nullptr;
}

void ZOKASetAccelerator(ControlInstance* instance, HostString caption) {
    if (auto fn = Resolve<HostEntryPoint::ZOKASetAccelerator>()) fn(instance, caption);
}

int32_t GetTabPanelVisible(ControlInstance* instance) {
    auto fn = Resolve<HostEntryPoint::GetTabPanelVisible>();
    return fn ? fn(instance) : 0;
}

HWND ZOKAGetControlHandle(ControlInstance* instance) {
    auto fn = Resolve<HostEntryPoint::ZOKAGetControlHandle>();
    return fn ? fn(instance) : nullptr;
}

HWND ZOKAGetWindowHandle(HostWindow window) {
    auto fn = Resolve<HostEntryPoint::ZOKAGetWindowHandle>();
    return fn ? fn(window) : nullptr;
}

TextEncoding ZOKAGetStringEncoding(HostString string) {
    auto fn = Resolve<HostEntryPoint::ZOKAGetStringEncoding>();
    return fn ? fn(string) : 0;
}

}  // namespace host
