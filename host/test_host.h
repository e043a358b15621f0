// The test host: loads ClassicControls.dll the way the application builder
// does, answers every host entry point, keeps instances in real windows and
// checks that the plug-in gives back every lock and every GDI object.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <windows.h>

#include "frame/host_abi.h"

namespace testhost {

// The encoding tag the host gives its strings unless told otherwise (UTF-8).
constexpr TextEncoding kHostDefaultEncoding = 0x08000100;

struct EventCall {
    ControlInstance* instance = nullptr;
    std::string name;            // "Action", "MouseDown", "PerformAction", ...
    std::vector<int32_t> args;   // the event's own arguments, after the instance
    HostObject receiver = nullptr;  // set for "PerformAction"
};

// Answer of a Boolean event handler; plain events ignore it.
using EventHandler = std::function<bool(const EventCall&)>;

struct DrawPictureCall {
    HDC dc = nullptr;
    HostObject picture = nullptr;
    HostRect destination{};
    int32_t flag = 0;
};

struct InstanceOptions {
    bool enabled = true;
    bool visible = true;
    bool tabPanelVisible = true;
    COLORREF background = RGB(212, 208, 200);
    bool insideTabControl = false;  // the child window sits in a "SysTabControl32"
};

struct Instance {
    ControlInstance* control = nullptr;  // what the plug-in sees
    const ControlDefinition* definition = nullptr;
    std::string className;
    HostRect bounds{};
    bool enabled = true;
    bool visible = true;
    bool tabPanelVisible = true;
    COLORREF background = RGB(212, 208, 200);
    HWND window = nullptr;      // the control's own child window
    HWND tabControl = nullptr;  // its "SysTabControl32" parent, if any
    int invalidations = 0;      // ZOKAInvalidateControl calls
    int acceleratorCalls = 0;   // ZOKASetAccelerator calls
    std::string accelerator;    // text of the last accelerator handed over
    std::map<std::string, EventHandler> handlers;

    // The InstanceData block.
    unsigned char* data() const;
    template <typename T> T& at(int32_t offset) const {
        return *reinterpret_cast<T*>(data() + offset);
    }
};

class Host {
public:
    static constexpr int kWindowWidth = 640;
    static constexpr int kWindowHeight = 480;

    Host();
    ~Host();  // destroys what is left, unloads the plug-in
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    // --- the plug-in -------------------------------------------------------
    // Loads ClassicControls.dll from the test program's folder (a fresh copy
    // of the library's state), installs the GDI accounting hooks and calls
    // ZOKAPluginMain with this host's resolver. False when any step fails.
    bool load();
    // Calls an in-process ZOKAPluginMain (white-box tests that link the
    // plug-in's sources) with this host's resolver.
    void start(void (*pluginMain)(HostResolver));
    HMODULE module() const;   // the plug-in's module (the test program itself after start())
    void unload();

    // --- the resolver ------------------------------------------------------
    static void* resolve(const char* name);  // the resolver handed to the plug-in
    void withhold(const std::string& entryPoint);
    void supply(const std::string& entryPoint);
    void withholdAll();
    void supplyAll();
    int resolveCount(const std::string& entryPoint) const;  // times the plug-in asked

    // --- registration ------------------------------------------------------
    std::vector<int32_t> versions;                     // RegisterPluginVersion arguments
    std::vector<ControlDefinition*> registered;        // in registration order
    ControlDefinition* definition(const std::string& className) const;

    // --- host settings the plug-in asks for ----------------------------------
    std::string defaultCaption = "Untitled";
    std::string defaultFont = "System";
    int32_t defaultFontSize = 12;
    int32_t win32Charset = DEFAULT_CHARSET;

    // --- instances ---------------------------------------------------------
    // Creates an instance with a zeroed InstanceData in a child window at the
    // bounds (window coordinates) and calls construct.
    Instance* create(const std::string& className, int left, int top, int right, int bottom,
                     const InstanceOptions& options = {});
    void destroy(Instance* instance);  // calls destruct, frees the instance
    void setBounds(Instance* instance, int left, int top, int right, int bottom);

    // Callbacks, with the host's checks of GDI and device-context restoration.
    void draw(Instance* instance);            // control-sized surface, composed into the window image
    void drawOffscreen(Instance* instance);   // a surface over the whole window image
    bool mouseDown(Instance* instance, int x, int y);
    void mouseDrag(Instance* instance, int x, int y);
    void mouseUp(Instance* instance, int x, int y);
    void mouseEnter(Instance* instance);
    void mouseExit(Instance* instance);
    void mouseMove(Instance* instance, int x, int y);
    void idle(Instance* instance);
    void open(Instance* instance);
    void close(Instance* instance);
    void constantChanged(Instance* instance);
    void defaultsReset(Instance* instance);
    void stateChanged(Instance* instance);
    void action(Instance* instance, int32_t argument = 0);
    int32_t handleQuery(Instance* instance);

    // --- properties and methods, by registered name ---------------------------
    const PropertyDefinition* property(const Instance* instance, const std::string& name) const;
    // Integer and Boolean properties, through the getter/setter or directly.
    int32_t getInteger(Instance* instance, const std::string& name);
    void setInteger(Instance* instance, const std::string& name, int32_t value);
    // String and Picture properties. A string getter's lock is released here.
    std::string getString(Instance* instance, const std::string& name);
    void setString(Instance* instance, const std::string& name, HostString value);
    HostObject getPicture(Instance* instance, const std::string& name);
    void setPicture(Instance* instance, const std::string& name, HostObject value);
    // Methods by the name before "(" in their declaration; arguments are
    // Integers, Strings or objects as pointer-sized values. A String result
    // carries one lock for the caller (release it with unlockString).
    intptr_t call(Instance* instance, const std::string& method, std::vector<intptr_t> args = {});
    void callSetter(Instance* instance, const std::string& method, std::vector<intptr_t> args);

    // --- events --------------------------------------------------------------
    void on(Instance* instance, const std::string& event, EventHandler handler = nullptr);
    void off(Instance* instance, const std::string& event);
    std::vector<EventCall> events;  // every handler call and PerformAction, in order

    // --- strings and objects -------------------------------------------------
    // A new string that the test owns (one host reference).
    HostString makeString(const std::string& bytes, TextEncoding encoding = kHostDefaultEncoding);
    std::string text(HostString s) const;
    void releaseString(HostString s);  // drops the test's own reference
    int stringRefs(HostString s) const;
    // A picture backed by a real bitmap, filled by paint(x, y) per pixel.
    HostObject makePicture(int width, int height, std::function<COLORREF(int, int)> paint,
                           uint8_t drawFlag = 0);
    HostObject makeReceiver();
    void releaseObject(HostObject o);  // drops the test's own reference
    int objectRefs(HostObject o) const;
    int descriptionLocks(HostObject picture) const;   // lockPictureDescription depth
    std::vector<DrawPictureCall> pictureDraws;
    // Every lock/unlock/description call on objects and strings, in order,
    // as "ZOKALockObject <id>" and the like; tests check orders with it.
    std::vector<std::string> lockLog;
    std::string nameOf(const void* handle) const;  // "picture#1", "string#3", "nil", ...

    // --- the window image ------------------------------------------------------
    void fillImage(COLORREF colour);
    COLORREF pixel(int x, int y) const;
    const uint32_t* imageBits() const;  // top-down 0x00RRGGBB rows of kWindowWidth
    HWND topWindow() const;

    // --- checks --------------------------------------------------------------
    // Faults found so far: unbalanced locks, GDI objects not deleted, device
    // contexts not restored, over-released handles. Empty when all is well.
    std::vector<std::string> faults() const;
    // Destroys every instance, releases the test's own strings and objects
    // it still holds, and reports locks that the plug-in did not give back.
    std::vector<std::string> finish();
};

// Replaces a function that a module imports (by DLL and function name) in its
// import address table; the original comes back when the hook is destroyed.
class ImportHook {
public:
    ImportHook(HMODULE module, const char* dll, const char* function, void* replacement);
    ~ImportHook();
    ImportHook(const ImportHook&) = delete;
    ImportHook& operator=(const ImportHook&) = delete;
    bool installed() const;
    void* original() const;
};

}  // namespace testhost
