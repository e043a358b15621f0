// The host component: loads a control plug-in of this interface (a DLL that
// exports ZOKAPluginMain) the way the application builder does, answers every
// host entry point, keeps instances in real windows and checks that the
// plug-in gives back every lock and every GDI object.
//
// One Host per process at a time: the resolver handed to the plug-in is a
// plain function and finds its host through a process-wide pointer. Making a
// second Host while one is alive stops the program with a message.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <windows.h>

#include "plugin_interface.h"

namespace pluginhost {

// The encoding tag the host gives its strings unless told otherwise (UTF-8).
constexpr TextEncoding kHostDefaultEncoding = 0x08000100;

struct EventCall {
    ControlInstance* instance = nullptr;
    std::string name;               // "Action", "MouseDown", "PerformAction", ...
    std::vector<int32_t> args;      // the event's own arguments, after the instance
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
    template <typename T>
    T& at(int32_t offset) const {
        return *reinterpret_cast<T*>(data() + offset);
    }
};

class Host {
public:
    static constexpr int kWindowWidth = 640;
    static constexpr int kWindowHeight = 480;

    Host();
    // Adopts an application's window as the host window: instances become
    // its children, ZOKAGetWindowHandle answers it, and the host leaves it
    // to the application when it goes away.
    explicit Host(HWND window);
    ~Host();  // destroys what is left, unloads the plug-in
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    // --- the plug-in -------------------------------------------------------
    // Loads the plug-in at path (a fresh copy of the library's state, even
    // when the same file was loaded before), installs the GDI accounting
    // hooks and calls ZOKAPluginMain with this host's resolver. False when any
    // step fails; lastError() says which.
    bool load(const std::string& path);
    // Calls an in-process ZOKAPluginMain (white-box tests that link the
    // plug-in's sources) with this host's resolver.
    void start(void (*pluginMain)(HostResolver));
    HMODULE module() const;  // the plug-in's module (the test program itself after start())
    void unload();

    // --- the resolver ------------------------------------------------------
    static void* resolve(const char* name);  // the resolver handed to the plug-in
    void withhold(const std::string& entryPoint);
    void supply(const std::string& entryPoint);
    void withholdAll();
    void supplyAll();
    int resolveCount(const std::string& entryPoint) const;  // times the plug-in asked

    // --- registration ------------------------------------------------------
    std::vector<int32_t> versions;               // RegisterPluginVersion arguments
    std::vector<ControlDefinition*> registered;  // in registration order
    ControlDefinition* definition(const std::string& className) const;

    // --- host settings the plug-in asks for ----------------------------------
    std::string defaultCaption = "Untitled";
    std::string defaultFont = "System";
    int32_t defaultFontSize = 12;
    int32_t win32Charset = DEFAULT_CHARSET;

    // --- instances ---------------------------------------------------------
    // Creates an instance with a zeroed InstanceData in a child window at the
    // bounds (window coordinates) and calls construct. Each class's dataOffset
    // differs; the bytes around InstanceData are guarded, and a plug-in that
    // wrote over them is reported when the instance is destroyed.
    Instance* create(const std::string& className, int left, int top, int right, int bottom,
                     const InstanceOptions& options = {});
    void destroy(Instance* instance);  // calls destruct, frees the instance
    void setBounds(Instance* instance, int left, int top, int right, int bottom);

    // Callbacks, with the host's checks of GDI and device-context restoration.
    // Every callback (and getter, setter, method) is checked for GDI objects
    // it created through the hooked imports and did not delete. draw gives a
    // control-sized surface that starts as a copy of the window image under
    // the control and uses window coordinates (SetWindowOrgEx); only the
    // control's rectangle is composed back. drawOffscreen gives a surface over
    // the whole window image. ZOKAGetControlGraphics gives a surface like
    // draw's that is composed when the plug-in unlocks it; surfaces lent out
    // at the same time see each other's pixels as on one screen. Each surface's
    // device context must come back with its pen, brush, font, bitmap, text and
    // background colours, background mode, text alignment and clip region.
    void draw(Instance* instance);           // control-sized surface, composed into the window image
    void drawOffscreen(Instance* instance);  // a surface over the whole window image
    // draw on a device context of the caller's whose logical coordinates are
    // window coordinates (a paint DC or a buffer with its origin set), with
    // the same checks; nothing is composed into the window image.
    void drawOn(Instance* instance, HDC dc);
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
    // Writing a directly accessed handle field keeps one reference in the
    // field (the plug-in's, given back in its destruct) and drops the old one.
    std::string getString(Instance* instance, const std::string& name);
    void setString(Instance* instance, const std::string& name, HostString value);
    HostObject getPicture(Instance* instance, const std::string& name);
    void setPicture(Instance* instance, const std::string& name, HostObject value);
    // Methods by the name before "(" in their declaration; arguments are
    // Integers, Strings or objects as pointer-sized values (at most six).
    // The result follows the declaration's "As" type: an Integer comes back
    // sign-extended from 32 bits, a Boolean as 0 or 1, no type as 0. A String
    // result's lock passes to the test (release it with releaseString;
    // finish() releases what is left).
    // callSetter calls the assignment form: the declared arguments, then the
    // assigned value last.
    intptr_t call(Instance* instance, const std::string& method, std::vector<intptr_t> args = {});
    void callSetter(Instance* instance, const std::string& method, std::vector<intptr_t> args);

    // --- events --------------------------------------------------------------
    // GetEventInstance answers a routine only for events with a handler
    // registered here (a null handler counts and answers false). Each call of
    // the routine is recorded in events with as many arguments as the
    // declaration lists.
    void on(Instance* instance, const std::string& event, EventHandler handler = nullptr);
    void off(Instance* instance, const std::string& event);
    std::vector<EventCall> events;  // every handler call and PerformAction, in order
    // Runs inside every receiver's PerformAction, after it is recorded: the
    // application's code that a notification reaches.
    std::function<void(HostObject receiver)> onPerformAction;
    // Called with each entry of events as it is recorded, before the handler.
    std::function<void(const EventCall&)> onRecord;

    // --- strings and objects -------------------------------------------------
    // A new string that the test owns (one host reference).
    HostString makeString(const std::string& bytes, TextEncoding encoding = kHostDefaultEncoding);
    std::string text(HostString s) const;
    void releaseString(HostString s);  // drops the test's own reference
    int stringRefs(HostString s) const;
    // A picture backed by a real bitmap, filled by paint(x, y) per pixel.
    HostObject makePicture(int width, int height, std::function<COLORREF(int, int)> paint, uint8_t drawFlag = 0);
    // A picture whose description reports any width and height (zero,
    // negative, larger than any screen); it is drawn from a small bitmap.
    HostObject makeOddPicture(int32_t width, int32_t height, uint8_t drawFlag = 0);
    HostObject makeReceiver();
    void releaseObject(HostObject o);  // drops the test's own reference
    int objectRefs(HostObject o) const;
    int descriptionLocks(HostObject picture) const;  // lockPictureDescription depth
    std::vector<DrawPictureCall> pictureDraws;
    // Every lock/unlock/description call on objects and strings, in order,
    // as "ZOKALockObject <id>" and the like; tests check orders with it.
    // Entries: ZOKALockObject, ZOKAUnlockObject, ZOKALockString,
    // ZOKAUnlockString, lockPictureDescription, unlockPictureDescription,
    // PluginInterpretConstantValue (the lock it adds), PluginDefaultControlFont
    // and PluginDefaultControlCaption (the new string's lock), each followed
    // by a space and nameOf(handle). The host's and the test's own
    // references are not logged.
    std::vector<std::string> lockLog;
    // While logEntries is on, the name of every entry point the plug-in
    // calls, in order ("GetControlBounds", "ZOKAGraphicsDC", ...).
    bool logEntries = false;
    std::vector<std::string> entryLog;
    std::string nameOf(const void* handle) const;  // "picture#1", "string#3", "nil", ...
    // From now on every new string's storage lies on pages of its own, which
    // are decommitted at the string's last release: a plug-in that reads a
    // released string (or past a string's NUL) faults on the spot. Host::text
    // still answers for released strings.
    void poisonReleasedStrings(bool on = true);
    // References the plug-in holds on a handle (every reference less the
    // host's and the test's own).
    int pluginRefs(const void* handle) const;

    // --- the window image ------------------------------------------------------
    void fillImage(COLORREF colour);
    COLORREF pixel(int x, int y) const;
    const uint32_t* imageBits() const;  // top-down 0x00RRGGBB rows of kWindowWidth
    HWND topWindow() const;

    // --- checks --------------------------------------------------------------
    // Faults found so far: unbalanced locks, GDI objects not deleted, device
    // contexts not restored, over-released handles, unknown instances or
    // handles given to entry points. Empty when all is well.
    std::vector<std::string> faults() const;
    // Adds a fault found outside the host (by a spy or a driver), naming the
    // callback that is running, if any.
    void reportFault(const std::string& message);
    // The locks the plug-in holds and the description locks it has not given
    // back, as finish() would report them, without reporting them.
    std::vector<std::string> lockImbalances() const;
    // Whether the guard bytes before and after the instance's InstanceData
    // are as the host wrote them (destroy also reports a broken guard).
    bool guardsIntact(const Instance* instance) const;
    // Called with every surface's device context before it is lent to the
    // plug-in, so that the plug-in meets device contexts in other states;
    // the state it leaves is what the plug-in must give back. Objects it
    // selects stay the caller's.
    std::function<void(HDC)> surfaceSetup;
    // Destroys every instance, releases the test's own strings and objects
    // it still holds, and reports locks that the plug-in did not give back
    // and instance blocks written after their destruct (while
    // keepDestroyedBlocks is on, destroy() keeps each block, filled with a
    // pattern, until the host goes away).
    std::vector<std::string> finish();
    // On (the default, for tests): destroyed instances' blocks are kept and
    // checked for late writes. Off (a live application): they are freed at
    // once, and late writes go unseen.
    bool keepDestroyedBlocks = true;
    // Reports, as faults and once each, the kept blocks written since their
    // destruct (finish() does it too); a host that checks after every call
    // finds the call that wrote.
    void checkDestroyedBlocks();

    // --- more ------------------------------------------------------------------
    std::string lastError() const;  // why load() failed
    // GDI objects the plug-in created (through the hooked imports) in all,
    // and those not deleted yet.
    int gdiCreated() const;
    int gdiLive() const;
    // The Instance behind a ControlInstance, or null.
    Instance* instanceOf(const ControlInstance* control) const;
    // The host window object getControlWindow answers.
    HostWindow windowObject() const;

    struct Impl;

private:
    friend Impl* currentImpl();
    std::unique_ptr<Impl> impl_;
};

// The path of a file in the running program's folder.
std::string besideProgram(const std::string& fileName);

// The key a caption's accelerator stands for, by the bevel button's own
// rule: at each "&" the next character counts, except that "&&" is a literal
// ampersand and is passed over; the last single "&" wins; a to z become A to
// Z and every other byte stays as it is; an "&" at the very end makes the
// key 0 again, as a text without one has it. The text ends at its first NUL.
// Every host and driver here that needs the key asks this one function.
char acceleratorChar(const std::string& text);

// The window image's area as rows of characters, one per pixel, each row
// ending in '\n'; colours missing from the legend show as '?'. Pixels outside
// the window image show as ' '.
std::string capture(const Host& host, RECT area, const std::map<COLORREF, char>& legend);

// A legend from system colour indexes (GetSysColor) and plain colours. When
// two entries have the same colour value the first one wins.
std::map<COLORREF, char> legend(std::initializer_list<std::pair<int, char>> systemColours,
                                std::initializer_list<std::pair<COLORREF, char>> colours = {});

// A 32-bit top-down DIB section; bits receives its 0x00RRGGBB rows.
HBITMAP makeTopDownDib(int width, int height, uint32_t** bits);
// A COLORREF as a pixel of such a bitmap (0x00RRGGBB).
uint32_t imageColour(COLORREF colour);

// Replaces a function that a module imports (by DLL and function name) in its
// import address table; the original comes back when the hook is destroyed.
// The DLL name matches in any letter case ("GDI32.dll", "gdi32.dll"). A hook
// made after load() over one of the GDI functions the host counts receives the
// host's counting hook as original(): calling it keeps the accounting. Destroy
// hooks in the reverse order of making them (the usual scope order).
class ImportHook {
public:
    ImportHook(HMODULE module, const char* dll, const char* function, void* replacement);
    ~ImportHook();
    ImportHook(const ImportHook&) = delete;
    ImportHook& operator=(const ImportHook&) = delete;
    bool installed() const;
    void* original() const;

private:
    void** slot_ = nullptr;
    void* original_ = nullptr;
    void* replacement_ = nullptr;
};

// Answers the plug-in's GetVersionExA as Windows XP (NT 5.1, build 2600) for
// as long as the hook lives, so that this copy of the plug-in draws with
// visual styles; installed() says whether the query could be hooked.
std::unique_ptr<ImportHook> answerVersionAsWindowsXP(HMODULE plugin);

}  // namespace pluginhost
