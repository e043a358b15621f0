// The binary interface between the application builder (the host) and its
// control plug-ins: the handles and records that cross the boundary, laid out
// as the host reads them, and the host's entry points by name and signature.
// Shared by the plug-in and by any host that loads one.
//
// On i686 every record is an array of 32-bit words. The 64-bit build keeps
// each record's field order; pointers and host handles widen to 8 bytes and
// every other field keeps its width, with natural alignment. Every function
// crossing the boundary uses the platform's default C calling convention.
#pragma once

#include <cstddef>
#include <cstdint>

#include <windows.h>

// The host's object for one live control. Opaque: the plug-in only adds the
// class's dataOffset to find its InstanceData.
struct ControlInstance;

// The host's reference-counted string. Its storage starts with a length byte,
// followed by the text and a NUL.
struct HostStringRecord {
    int32_t hostWord;
    const unsigned char* storage;
};
using HostString = HostStringRecord*;

// Any other reference-counted host object: pictures, graphics, receivers.
struct HostObjectRecord;
using HostObject = HostObjectRecord*;
using HostGraphics = HostObject;
using HostWindow = HostObject;

// The host's rectangle: signed 16-bit, right and bottom exclusive, in the
// coordinates of the window that holds the control.
struct HostRect {
    int16_t top;
    int16_t left;
    int16_t bottom;
    int16_t right;
};

struct HostPoint {
    int16_t v;
    int16_t h;
};

// Filled by lockPictureDescription. The plug-in reads width, height and the
// byte the bevel button passes on to drawPicturePrimitive; the rest is the
// host's.
struct PictureDescription {
    int32_t hostWord0;
    int32_t hostWord1;
    int32_t width;
    int32_t height;
    int32_t hostWord4;
    uint8_t drawFlag;
    uint8_t hostBytes[3];
};

using TextEncoding = uint32_t;

// A one-byte Boolean written by the other side: 0 is false, every other
// value true. Read it as != 0; never as bool, whose other values are undefined.
using HostBoolean = uint8_t;

using HostResolver = void* (*)(const char* entryPointName);

// Callback table: 25 slots, null where the class does not take the call.
struct ControlCallbacks {
    void (*construct)(ControlInstance*) = nullptr;
    void (*destruct)(ControlInstance*) = nullptr;
    void (*draw)(ControlInstance*, HostGraphics) = nullptr;
    bool (*mouseDown)(ControlInstance*, int32_t x, int32_t y) = nullptr;
    void (*mouseDrag)(ControlInstance*, int32_t x, int32_t y) = nullptr;
    void (*mouseUp)(ControlInstance*, int32_t x, int32_t y) = nullptr;
    void* unused6 = nullptr;
    void* unused7 = nullptr;
    void* unused8 = nullptr;
    void (*open)(ControlInstance*) = nullptr;
    void (*close)(ControlInstance*) = nullptr;
    void (*idle)(ControlInstance*) = nullptr;
    void (*drawOffscreen)(ControlInstance*, HostGraphics) = nullptr;
    void (*slot13)(ControlInstance*) = nullptr;
    void (*constantChanged)(ControlInstance*) = nullptr;
    void (*defaultsReset)(ControlInstance*) = nullptr;
    void (*mouseEnter)(ControlInstance*) = nullptr;
    void (*mouseExit)(ControlInstance*) = nullptr;
    void (*mouseMove)(ControlInstance*, int32_t x, int32_t y) = nullptr;
    void (*stateChanged)(ControlInstance*) = nullptr;
    void (*action)(ControlInstance*, int32_t ignored) = nullptr;
    int32_t (*handleQuery)(ControlInstance*) = nullptr;
    void* unused22 = nullptr;
    void* unused23 = nullptr;
    void* unused24 = nullptr;
};

// A getter or setter slot holding this value means direct access at param.
inline const void* const kDirectAccess = reinterpret_cast<const void*>(intptr_t(-1));

struct PropertyDefinition {
    const char* group;
    const char* name;
    const char* type;
    int32_t propertyFlags;
    const void* getter;
    const void* setter;
    int32_t param;
    int32_t reserved;
    int32_t enumCount;
    const char* const* enumEntries;
};

struct MethodDefinition {
    const void* function;
    const void* setterFunction;
    const char* declaration;
};

struct EventDefinition {
    const char* declaration;
    int32_t hostEventId;
};

struct BindingDefinition {
    const char* interfaceName;
    const char* displayText;
    const char* third;
};

struct ControlDefinition {
    int32_t version;
    const char* name;
    int32_t instanceDataSize;
    int32_t flags;
    int32_t pictureId1;
    int32_t pictureId2;
    int32_t defaultWidth;
    int32_t defaultHeight;
    const PropertyDefinition* properties;
    int32_t propertyCount;
    const MethodDefinition* methods;
    int32_t methodCount;
    EventDefinition* events;
    int32_t eventCount;
    const ControlCallbacks* callbacks;
    int32_t dataOffset;
    int32_t reserved64;
    int32_t reserved68;
    const char* interfaces;
    const BindingDefinition* bindings;
    int32_t bindingCount;
    int32_t reserved84;
    int32_t reserved88;
};

// Getter and setter shapes. A boolean arrives in the low byte of a 32-bit
// argument; a string getter returns a string locked once for the caller.
using IntegerGetter = int32_t (*)(ControlInstance*, int32_t param);
using IntegerSetter = void (*)(ControlInstance*, int32_t param, int32_t value);
using HandleGetter = void* (*)(ControlInstance*, int32_t param);
using HandleSetter = void (*)(ControlInstance*, int32_t param, void* value);

// Event handler shapes: the instance first, then the event's own arguments.
using PlainEventHandler = void (*)(ControlInstance*);
using MouseEventHandler = void (*)(ControlInstance*, int32_t x, int32_t y);
using BooleanMouseEventHandler = HostBoolean (*)(ControlInstance*, int32_t x, int32_t y);

// Action receivers: the routine found under "PerformAction".
using PerformActionRoutine = void (*)(HostObject receiver);

constexpr int32_t kPluginInterfaceVersion = 6;

// The host's entry points, by the names a plug-in passes to the resolver,
// with their signatures: X(name, result, (parameters)). Every one is
// optional except RegisterPluginVersion.
#define PLUGIN_HOST_ENTRY_POINTS(X)                                                                        \
    X(RegisterPluginVersion, void, (int32_t version))                                                      \
    X(PluginRegisterControl, void, (ControlDefinition * definition))                                       \
    X(StringGetCString, const char*, (HostString string))                                                  \
    X(PluginInterpretConstantValue, HostString, (HostString string))                                       \
    X(PluginDefaultControlFont, HostString, ())                                                            \
    X(PluginDefaultControlCaption, HostString, ())                                                         \
    X(PluginDefaultControlFontSize, int32_t, ())                                                           \
    X(ZOKALockObject, void, (HostObject object))                                                           \
    X(ZOKAUnlockObject, void, (HostObject object))                                                         \
    X(ZOKALockString, void, (HostString string))                                                           \
    X(ZOKAUnlockString, void, (HostString string))                                                         \
    X(GetInterfaceRoutine, void*, (HostObject object, const char* interfaceName, const char* routineName)) \
    X(lockPictureDescription, void, (HostObject picture, PictureDescription * description))                \
    X(unlockPictureDescription, void, (HostObject picture))                                                \
    X(drawPicturePrimitive, void, (HDC dc, HostObject picture, const HostRect* destination, int32_t flag)) \
    X(GetEventInstance, void*, (ControlInstance * instance, int32_t hostEventId))                          \
    X(GetControlBounds, void, (ControlInstance * instance, HostRect * bounds))                             \
    X(GetControlVisible, int32_t, (ControlInstance * instance))                                            \
    X(ZOKAGetControlEnabled, HostBoolean, (ControlInstance * instance))                                    \
    X(ZOKAGetControlGraphics, HostGraphics, (ControlInstance * instance))                                  \
    X(ZOKAGetWin32Charset, int32_t, ())                                                                    \
    X(ZOKAGraphicsDC, HDC, (HostGraphics graphics))                                                        \
    X(ZOKAInvalidateControl, void, (ControlInstance * instance))                                           \
    X(ZOKASetSpecialBackground, void, (ControlInstance * instance, uint32_t * colour))                     \
    X(getControlWindow, HostWindow, (ControlInstance * instance))                                          \
    X(ZOKASetAccelerator, void, (ControlInstance * instance, HostString caption))                          \
    X(GetTabPanelVisible, int32_t, (ControlInstance * instance))                                           \
    X(ZOKAGetControlHandle, HWND, (ControlInstance * instance))                                            \
    X(ZOKAGetWindowHandle, HWND, (HostWindow window))                                                      \
    X(ZOKAGetStringEncoding, TextEncoding, (HostString string))

// One function pointer type per entry point: host_entry::GetControlBounds.
namespace host_entry {
#define PLUGIN_HOST_ENTRY_TYPE(name, result, parameters) using name = result(*) parameters;
PLUGIN_HOST_ENTRY_POINTS(PLUGIN_HOST_ENTRY_TYPE)
#undef PLUGIN_HOST_ENTRY_TYPE
}  // namespace host_entry

// The entry points in table order, and their names.
enum class HostEntryPoint {
#define PLUGIN_HOST_ENTRY_ID(name, result, parameters) name,
    PLUGIN_HOST_ENTRY_POINTS(PLUGIN_HOST_ENTRY_ID)
#undef PLUGIN_HOST_ENTRY_ID
};
constexpr const char* kHostEntryPointNames[] = {
#define PLUGIN_HOST_ENTRY_NAME(name, result, parameters) #name,
    PLUGIN_HOST_ENTRY_POINTS(PLUGIN_HOST_ENTRY_NAME)
#undef PLUGIN_HOST_ENTRY_NAME
};
// The function pointer type of an entry point: HostEntryType<E>::type.
template <HostEntryPoint>
struct HostEntryType;
#define PLUGIN_HOST_ENTRY_TRAIT(name, result, parameters) \
    template <>                                           \
    struct HostEntryType<HostEntryPoint::name> {          \
        using type = host_entry::name;                    \
    };
PLUGIN_HOST_ENTRY_POINTS(PLUGIN_HOST_ENTRY_TRAIT)
#undef PLUGIN_HOST_ENTRY_TRAIT

constexpr int kHostEntryPointCount = static_cast<int>(sizeof kHostEntryPointNames / sizeof kHostEntryPointNames[0]);

// The exported function a plug-in offers, and its name.
using PluginMain = void (*)(HostResolver resolver);
constexpr const char kPluginMainName[] = "ZOKAPluginMain";

#if defined(__i386__)
static_assert(sizeof(HostRect) == 8, "HostRect");
static_assert(sizeof(PictureDescription) == 24, "PictureDescription");
static_assert(offsetof(PictureDescription, width) == 8, "width");
static_assert(offsetof(PictureDescription, height) == 12, "height");
static_assert(offsetof(PictureDescription, drawFlag) == 20, "drawFlag");
static_assert(sizeof(ControlDefinition) == 92, "ControlDefinition");
static_assert(offsetof(ControlDefinition, name) == 4, "name");
static_assert(offsetof(ControlDefinition, properties) == 32, "properties");
static_assert(offsetof(ControlDefinition, callbacks) == 56, "callbacks");
static_assert(offsetof(ControlDefinition, dataOffset) == 60, "dataOffset");
static_assert(offsetof(ControlDefinition, interfaces) == 72, "interfaces");
static_assert(offsetof(ControlDefinition, bindingCount) == 80, "bindingCount");
static_assert(sizeof(PropertyDefinition) == 40, "PropertyDefinition");
static_assert(offsetof(PropertyDefinition, getter) == 16, "getter");
static_assert(offsetof(PropertyDefinition, param) == 24, "param");
static_assert(offsetof(PropertyDefinition, enumEntries) == 36, "enumEntries");
static_assert(sizeof(MethodDefinition) == 12, "MethodDefinition");
static_assert(sizeof(EventDefinition) == 8, "EventDefinition");
static_assert(sizeof(BindingDefinition) == 12, "BindingDefinition");
static_assert(sizeof(ControlCallbacks) == 100, "ControlCallbacks");
static_assert(offsetof(ControlCallbacks, drawOffscreen) == 48, "drawOffscreen");
static_assert(offsetof(ControlCallbacks, handleQuery) == 84, "handleQuery");
static_assert(sizeof(HostStringRecord) == 8, "HostStringRecord");
#else
static_assert(sizeof(PictureDescription) == 24, "PictureDescription");
static_assert(offsetof(PictureDescription, drawFlag) == 20, "drawFlag");
static_assert(offsetof(HostStringRecord, storage) == 8, "HostStringRecord");
static_assert(sizeof(ControlCallbacks) == 25 * sizeof(void*), "ControlCallbacks");
#endif
