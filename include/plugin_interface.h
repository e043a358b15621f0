/*
 * The binary interface between the application builder (the host) and its
 * control plug-ins: the handles and records that cross the boundary, laid out
 * as the host reads them, and the host's entry points by name and signature.
 * Shared by a plug-in and by any host that loads one. It compiles as C (C89
 * with the fixed-width types of <stdint.h>) and as C++.
 *
 * On i686 every record is an array of 32-bit words. The 64-bit build keeps
 * each record's field order; pointers and host handles widen to 8 bytes and
 * every other field keeps its width, with natural alignment. Every function
 * crossing the boundary uses the platform's default C calling convention.
 */
#ifndef PLUGIN_INTERFACE_H
#define PLUGIN_INTERFACE_H

#include <stddef.h>
#include <stdint.h>

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The host's object for one live control. Opaque: the plug-in only adds the
 * class's dataOffset to find its InstanceData. */
typedef struct ControlInstance ControlInstance;

/* The host's reference-counted string. Its storage starts with a length
 * byte, followed by the text and a NUL. */
typedef struct HostStringRecord {
    int32_t hostWord;
    const unsigned char* storage;
} HostStringRecord;
typedef HostStringRecord* HostString;

/* Any other reference-counted host object: pictures, graphics, receivers. */
typedef struct HostObjectRecord HostObjectRecord;
typedef HostObjectRecord* HostObject;
typedef HostObject HostGraphics;
typedef HostObject HostWindow;

/* The host's rectangle: signed 16-bit, right and bottom exclusive, in the
 * coordinates of the window that holds the control. */
typedef struct HostRect {
    int16_t top;
    int16_t left;
    int16_t bottom;
    int16_t right;
} HostRect;

typedef struct HostPoint {
    int16_t v;
    int16_t h;
} HostPoint;

/* Filled by lockPictureDescription. The plug-in reads width, height and the
 * byte the bevel button passes on to drawPicturePrimitive; the rest is the
 * host's. */
typedef struct PictureDescription {
    int32_t hostWord0;
    int32_t hostWord1;
    int32_t width;
    int32_t height;
    int32_t hostWord4;
    uint8_t drawFlag;
    uint8_t hostBytes[3];
} PictureDescription;

/* The encoding of a string's bytes (numbering of the Mac OS Text Encoding
 * Converter; 0xFFFFnnnn names Windows code page nnnn). */
typedef uint32_t TextEncoding;

/* A one-byte Boolean written by the other side: 0 is false, every other
 * value true. Read it as != 0; never as a C++ bool, whose other values are
 * undefined. */
typedef uint8_t HostBoolean;

typedef void* (*HostResolver)(const char* entryPointName);

/* Callback table: 25 slots, null where the class does not take the call. */
typedef struct ControlCallbacks {
    void (*construct)(ControlInstance*);
    void (*destruct)(ControlInstance*);
    void (*draw)(ControlInstance*, HostGraphics);
    HostBoolean (*mouseDown)(ControlInstance*, int32_t x, int32_t y);
    void (*mouseDrag)(ControlInstance*, int32_t x, int32_t y);
    void (*mouseUp)(ControlInstance*, int32_t x, int32_t y);
    void* unused6;
    void* unused7;
    void* unused8;
    void (*open)(ControlInstance*);
    void (*close)(ControlInstance*);
    void (*idle)(ControlInstance*);
    void (*drawOffscreen)(ControlInstance*, HostGraphics);
    void (*slot13)(ControlInstance*);
    void (*constantChanged)(ControlInstance*);
    void (*defaultsReset)(ControlInstance*);
    void (*mouseEnter)(ControlInstance*);
    void (*mouseExit)(ControlInstance*);
    void (*mouseMove)(ControlInstance*, int32_t x, int32_t y);
    void (*stateChanged)(ControlInstance*);
    void (*action)(ControlInstance*, int32_t ignored);
    int32_t (*handleQuery)(ControlInstance*);
    void* unused22;
    void* unused23;
    void* unused24;
} ControlCallbacks;

/* A getter or setter slot holding this value means direct access at param. */
#define PLUGIN_DIRECT_ACCESS ((const void*)(intptr_t)-1)

typedef struct PropertyDefinition {
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
} PropertyDefinition;

typedef struct MethodDefinition {
    const void* function;
    const void* setterFunction;
    const char* declaration;
} MethodDefinition;

typedef struct EventDefinition {
    const char* declaration;
    int32_t hostEventId;
} EventDefinition;

typedef struct BindingDefinition {
    const char* interfaceName;
    const char* displayText;
    const char* third;
} BindingDefinition;

typedef struct ControlDefinition {
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
} ControlDefinition;

/* Getter and setter shapes. A boolean arrives in the low byte of a 32-bit
 * argument; a string getter returns a string locked once for the caller. */
typedef int32_t (*IntegerGetter)(ControlInstance*, int32_t param);
typedef void (*IntegerSetter)(ControlInstance*, int32_t param, int32_t value);
typedef void* (*HandleGetter)(ControlInstance*, int32_t param);
typedef void (*HandleSetter)(ControlInstance*, int32_t param, void* value);

/* Event handler shapes: the instance first, then the event's own arguments. */
typedef void (*PlainEventHandler)(ControlInstance*);
typedef void (*MouseEventHandler)(ControlInstance*, int32_t x, int32_t y);
typedef HostBoolean (*BooleanMouseEventHandler)(ControlInstance*, int32_t x, int32_t y);

/* Action receivers: the routine found under "PerformAction". */
typedef void (*PerformActionRoutine)(HostObject receiver);

/* The version a plug-in registers, and every record carries. */
#define PLUGIN_INTERFACE_VERSION 6

/* The host's entry points, by the names a plug-in passes to the resolver,
 * with their signatures: X(name, result, (parameters)). Every one is
 * optional except RegisterPluginVersion. */
#define PLUGIN_HOST_ENTRY_POINTS(X)                                                                        \
    X(RegisterPluginVersion, void, (int32_t version))                                                      \
    X(PluginRegisterControl, void, (ControlDefinition * definition))                                       \
    X(StringGetCString, const char*, (HostString string))                                                  \
    X(PluginInterpretConstantValue, HostString, (HostString string))                                       \
    X(PluginDefaultControlFont, HostString, (void))                                                        \
    X(PluginDefaultControlCaption, HostString, (void))                                                     \
    X(PluginDefaultControlFontSize, int32_t, (void))                                                       \
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
    X(ZOKAGetWin32Charset, int32_t, (void))                                                                \
    X(ZOKAGraphicsDC, HDC, (HostGraphics graphics))                                                        \
    X(ZOKAInvalidateControl, void, (ControlInstance * instance))                                           \
    X(ZOKASetSpecialBackground, void, (ControlInstance * instance, uint32_t * colour))                     \
    X(getControlWindow, HostWindow, (ControlInstance * instance))                                          \
    X(ZOKASetAccelerator, void, (ControlInstance * instance, HostString caption))                          \
    X(GetTabPanelVisible, int32_t, (ControlInstance * instance))                                           \
    X(ZOKAGetControlHandle, HWND, (ControlInstance * instance))                                            \
    X(ZOKAGetWindowHandle, HWND, (HostWindow window))                                                      \
    X(ZOKAGetStringEncoding, TextEncoding, (HostString string))

/* One function pointer type per entry point: HostEntry_GetControlBounds. */
#define PLUGIN_HOST_ENTRY_TYPEDEF(name, result, parameters) typedef result(*HostEntry_##name) parameters;
PLUGIN_HOST_ENTRY_POINTS(PLUGIN_HOST_ENTRY_TYPEDEF)
#undef PLUGIN_HOST_ENTRY_TYPEDEF

/* The exported function a plug-in offers, and its name. */
typedef void (*PluginMain)(HostResolver resolver);
#define PLUGIN_MAIN_NAME "ZOKAPluginMain"

/* The layouts the host reads, checked where they are fixed (i686). A failed
 * check declares an array of negative size. */
#define PLUGIN_LAYOUT_CHECK(name, condition) typedef char plugin_layout_check_##name[(condition) ? 1 : -1]
#if defined(__i386__) || defined(_M_IX86)
PLUGIN_LAYOUT_CHECK(HostRect, sizeof(HostRect) == 8);
PLUGIN_LAYOUT_CHECK(PictureDescription, sizeof(PictureDescription) == 24);
PLUGIN_LAYOUT_CHECK(PictureWidth, offsetof(PictureDescription, width) == 8);
PLUGIN_LAYOUT_CHECK(PictureHeight, offsetof(PictureDescription, height) == 12);
PLUGIN_LAYOUT_CHECK(PictureDrawFlag, offsetof(PictureDescription, drawFlag) == 20);
PLUGIN_LAYOUT_CHECK(ControlDefinition, sizeof(ControlDefinition) == 92);
PLUGIN_LAYOUT_CHECK(DefinitionName, offsetof(ControlDefinition, name) == 4);
PLUGIN_LAYOUT_CHECK(DefinitionProperties, offsetof(ControlDefinition, properties) == 32);
PLUGIN_LAYOUT_CHECK(DefinitionCallbacks, offsetof(ControlDefinition, callbacks) == 56);
PLUGIN_LAYOUT_CHECK(DefinitionDataOffset, offsetof(ControlDefinition, dataOffset) == 60);
PLUGIN_LAYOUT_CHECK(DefinitionInterfaces, offsetof(ControlDefinition, interfaces) == 72);
PLUGIN_LAYOUT_CHECK(DefinitionBindingCount, offsetof(ControlDefinition, bindingCount) == 80);
PLUGIN_LAYOUT_CHECK(PropertyDefinition, sizeof(PropertyDefinition) == 40);
PLUGIN_LAYOUT_CHECK(PropertyGetter, offsetof(PropertyDefinition, getter) == 16);
PLUGIN_LAYOUT_CHECK(PropertyParam, offsetof(PropertyDefinition, param) == 24);
PLUGIN_LAYOUT_CHECK(PropertyEnumEntries, offsetof(PropertyDefinition, enumEntries) == 36);
PLUGIN_LAYOUT_CHECK(MethodDefinition, sizeof(MethodDefinition) == 12);
PLUGIN_LAYOUT_CHECK(EventDefinition, sizeof(EventDefinition) == 8);
PLUGIN_LAYOUT_CHECK(BindingDefinition, sizeof(BindingDefinition) == 12);
PLUGIN_LAYOUT_CHECK(ControlCallbacks, sizeof(ControlCallbacks) == 100);
PLUGIN_LAYOUT_CHECK(CallbacksDrawOffscreen, offsetof(ControlCallbacks, drawOffscreen) == 48);
PLUGIN_LAYOUT_CHECK(CallbacksHandleQuery, offsetof(ControlCallbacks, handleQuery) == 84);
PLUGIN_LAYOUT_CHECK(HostStringRecord, sizeof(HostStringRecord) == 8);
#else
PLUGIN_LAYOUT_CHECK(PictureDescription, sizeof(PictureDescription) == 24);
PLUGIN_LAYOUT_CHECK(PictureDrawFlag, offsetof(PictureDescription, drawFlag) == 20);
PLUGIN_LAYOUT_CHECK(HostStringRecord, offsetof(HostStringRecord, storage) == 8);
PLUGIN_LAYOUT_CHECK(ControlCallbacks, sizeof(ControlCallbacks) == 25 * sizeof(void*));
#endif
#undef PLUGIN_LAYOUT_CHECK

#ifdef __cplusplus
}
#endif

#endif /* PLUGIN_INTERFACE_H */
