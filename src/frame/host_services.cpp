#include "frame/host_services.h"

namespace {

// One cache slot per entry point. A null answer is not final: the name is
// asked for again on the next call.
enum EntryPoint {
    kRegisterPluginVersion,
    kPluginRegisterControl,
    kStringGetCString,
    kPluginInterpretConstantValue,
    kPluginDefaultControlFont,
    kPluginDefaultControlCaption,
    kPluginDefaultControlFontSize,
    kZOKALockObject,
    kZOKAUnlockObject,
    kZOKALockString,
    kZOKAUnlockString,
    kGetInterfaceRoutine,
    klockPictureDescription,
    kunlockPictureDescription,
    kdrawPicturePrimitive,
    kGetEventInstance,
    kGetControlBounds,
    kGetControlVisible,
    kZOKAGetControlEnabled,
    kZOKAGetControlGraphics,
    kZOKAGetWin32Charset,
    kZOKAGraphicsDC,
    kZOKAInvalidateControl,
    kZOKASetSpecialBackground,
    kgetControlWindow,
    kZOKASetAccelerator,
    kGetTabPanelVisible,
    kZOKAGetControlHandle,
    kZOKAGetWindowHandle,
    kZOKAGetStringEncoding,
    kEntryPointCount
};

constexpr const char* kEntryPointNames[kEntryPointCount] = {
    "RegisterPluginVersion",
    "PluginRegisterControl",
    "StringGetCString",
    "PluginInterpretConstantValue",
    "PluginDefaultControlFont",
    "PluginDefaultControlCaption",
    "PluginDefaultControlFontSize",
    "ZOKALockObject",
    "ZOKAUnlockObject",
    "ZOKALockString",
    "ZOKAUnlockString",
    "GetInterfaceRoutine",
    "lockPictureDescription",
    "unlockPictureDescription",
    "drawPicturePrimitive",
    "GetEventInstance",
    "GetControlBounds",
    "GetControlVisible",
    "ZOKAGetControlEnabled",
    "ZOKAGetControlGraphics",
    "ZOKAGetWin32Charset",
    "ZOKAGraphicsDC",
    "ZOKAInvalidateControl",
    "ZOKASetSpecialBackground",
    "getControlWindow",
    "ZOKASetAccelerator",
    "GetTabPanelVisible",
    "ZOKAGetControlHandle",
    "ZOKAGetWindowHandle",
    "ZOKAGetStringEncoding",
};

HostResolver gResolver = nullptr;
void* gSlots[kEntryPointCount] = {};

template <typename Function>
Function Resolve(EntryPoint entry) {
    if (gSlots[entry] == nullptr && gResolver != nullptr) {
        gSlots[entry] = gResolver(kEntryPointNames[entry]);
    }
    return reinterpret_cast<Function>(gSlots[entry]);
}

}  // namespace

void SetHostResolver(HostResolver resolver) { gResolver = resolver; }

namespace host {

void RegisterPluginVersion(int32_t version) {
    if (auto fn = Resolve<void (*)(int32_t)>(kRegisterPluginVersion)) fn(version);
}

void PluginRegisterControl(ControlDefinition* definition) {
    if (auto fn = Resolve<void* (*)(ControlDefinition*)>(kPluginRegisterControl)) fn(definition);
}

const char* StringGetCString(HostString string) {
    auto fn = Resolve<const char* (*)(HostString)>(kStringGetCString);
    return fn ? fn(string) : nullptr;
}

HostString PluginInterpretConstantValue(HostString string) {
    if (auto fn = Resolve<HostString (*)(HostString)>(kPluginInterpretConstantValue)) return fn(string);
    // The caller unlocks what it gets back; hand over the argument with one more lock.
    ZOKALockString(string);
    return string;
}

HostString PluginDefaultControlFont() {
    auto fn = Resolve<HostString (*)()>(kPluginDefaultControlFont);
    return fn ? fn() : nullptr;
}

HostString PluginDefaultControlCaption() {
    auto fn = Resolve<HostString (*)()>(kPluginDefaultControlCaption);
    return fn ? fn() : nullptr;
}

int32_t PluginDefaultControlFontSize() {
    auto fn = Resolve<int32_t (*)()>(kPluginDefaultControlFontSize);
    return fn ? fn() : 0;
}

void ZOKALockObject(HostObject object) {
    if (auto fn = Resolve<void (*)(HostObject)>(kZOKALockObject)) fn(object);
}

void ZOKAUnlockObject(HostObject object) {
    if (auto fn = Resolve<void (*)(HostObject)>(kZOKAUnlockObject)) fn(object);
}

void ZOKALockString(HostString string) {
    if (auto fn = Resolve<void (*)(HostString)>(kZOKALockString)) fn(string);
}

void ZOKAUnlockString(HostString string) {
    if (auto fn = Resolve<void (*)(HostString)>(kZOKAUnlockString)) fn(string);
}

void* GetInterfaceRoutine(HostObject object, const char* interfaceName, const char* routineName) {
    auto fn = Resolve<void* (*)(HostObject, const char*, const char*)>(kGetInterfaceRoutine);
    return fn ? fn(object, interfaceName, routineName) : nullptr;
}

void lockPictureDescription(HostObject picture, PictureDescription* description) {
    if (auto fn = Resolve<void (*)(HostObject, PictureDescription*)>(klockPictureDescription)) {
        fn(picture, description);
    }
}

void unlockPictureDescription(HostObject picture) {
    if (auto fn = Resolve<void (*)(HostObject)>(kunlockPictureDescription)) fn(picture);
}

void drawPicturePrimitive(HDC dc, HostObject picture, const HostRect* destination, int32_t flag) {
    if (auto fn = Resolve<void (*)(HDC, HostObject, const HostRect*, int32_t)>(kdrawPicturePrimitive)) {
        fn(dc, picture, destination, flag);
    }
}

void* GetEventInstance(ControlInstance* instance, int32_t hostEventId) {
    auto fn = Resolve<void* (*)(ControlInstance*, int32_t)>(kGetEventInstance);
    return fn ? fn(instance, hostEventId) : nullptr;
}

void GetControlBounds(ControlInstance* instance, HostRect* bounds) {
    // Callers never set the rectangle beforehand; without the host it must
    // still hold something defined.
    *bounds = HostRect{};
    if (auto fn = Resolve<void (*)(ControlInstance*, HostRect*)>(kGetControlBounds)) fn(instance, bounds);
}

int32_t GetControlVisible(ControlInstance* instance) {
    auto fn = Resolve<int32_t (*)(ControlInstance*)>(kGetControlVisible);
    return fn ? fn(instance) : 0;
}

bool ZOKAGetControlEnabled(ControlInstance* instance) {
    auto fn = Resolve<bool (*)(ControlInstance*)>(kZOKAGetControlEnabled);
    return fn ? fn(instance) : false;
}

HostGraphics ZOKAGetControlGraphics(ControlInstance* instance) {
    auto fn = Resolve<HostGraphics (*)(ControlInstance*)>(kZOKAGetControlGraphics);
    return fn ? fn(instance) : nullptr;
}

int32_t ZOKAGetWin32Charset() {
    auto fn = Resolve<int32_t (*)()>(kZOKAGetWin32Charset);
    return fn ? fn() : 0;
}

HDC ZOKAGraphicsDC(HostGraphics graphics) {
    auto fn = Resolve<HDC (*)(HostGraphics)>(kZOKAGraphicsDC);
    return fn ? fn(graphics) : nullptr;
}

void ZOKAInvalidateControl(ControlInstance* instance) {
    if (auto fn = Resolve<void (*)(ControlInstance*)>(kZOKAInvalidateControl)) fn(instance);
}

void ZOKASetSpecialBackground(ControlInstance* instance, uint32_t* colour) {
    if (auto fn = Resolve<void (*)(ControlInstance*, uint32_t*)>(kZOKASetSpecialBackground)) fn(instance, colour);
}

HostWindow getControlWindow(ControlInstance* instance) {
    auto fn = Resolve<HostWindow (*)(ControlInstance*)>(kgetControlWindow);
    return fn ? fn(instance) : nullptr;
}

void ZOKASetAccelerator(ControlInstance* instance, HostString caption) {
    if (auto fn = Resolve<void (*)(ControlInstance*, HostString)>(kZOKASetAccelerator)) fn(instance, caption);
}

int32_t GetTabPanelVisible(ControlInstance* instance) {
    auto fn = Resolve<int32_t (*)(ControlInstance*)>(kGetTabPanelVisible);
    return fn ? fn(instance) : 0;
}

HWND ZOKAGetControlHandle(ControlInstance* instance) {
    auto fn = Resolve<HWND (*)(ControlInstance*)>(kZOKAGetControlHandle);
    return fn ? fn(instance) : nullptr;
}

HWND ZOKAGetWindowHandle(HostWindow window) {
    auto fn = Resolve<HWND (*)(HostWindow)>(kZOKAGetWindowHandle);
    return fn ? fn(window) : nullptr;
}

TextEncoding ZOKAGetStringEncoding(HostString string) {
    auto fn = Resolve<TextEncoding (*)(HostString)>(kZOKAGetStringEncoding);
    return fn ? fn(string) : 0;
}

}  // namespace host
