// The host component's private state, shared by its source files.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <windows.h>

#include "plugin_host.h"

namespace pluginhost {

// Kinds of reference-counted handles the host makes.
enum class HandleKind { String, Picture, Graphics, Receiver, Window };

// The device-context settings a plug-in must give back as it found them.
struct DcState {
    HGDIOBJ pen = nullptr;
    HGDIOBJ brush = nullptr;
    HGDIOBJ font = nullptr;
    HGDIOBJ bitmap = nullptr;
    COLORREF textColour = 0;
    COLORREF backColour = 0;
    int backMode = 0;
    UINT textAlign = 0;
    bool clipped = false;
    RECT clipBox{};
    std::vector<unsigned char> clipData;  // GetRegionData of the clip region
    int rop2 = 0;
    int mapMode = 0;
    int polyFillMode = 0;
    int stretchMode = 0;
    int graphicsMode = 0;
    int textCharExtra = 0;
    POINT windowOrigin{};
    POINT viewportOrigin{};
};

// One host handle. For strings the handle is the address of `record`, which
// therefore comes first; other kinds use the same address as an opaque
// HostObject. Entries stay allocated until the host goes away so that a
// handle used after its last release is recognised rather than read freed.
struct Handle {
    HostStringRecord record{};
    HandleKind kind = HandleKind::String;
    int id = 0;
    int refs = 0;      // every reference, the host's and the plug-in's
    int hostRefs = 0;  // references the host or the test holds itself
    bool released = false;

    // Strings.
    std::vector<unsigned char> storage;  // length byte, bytes, NUL
    TextEncoding encoding = 0;
    // With poisoning on, the copy of storage the plug-in reads: it ends on a
    // page boundary and its pages are decommitted at the last release.
    unsigned char* guardedStorage = nullptr;
    size_t guardedBytes = 0;

    // Pictures.
    HBITMAP bitmap = nullptr;
    uint32_t* bits = nullptr;
    int width = 0;  // as the description reports them
    int height = 0;
    int bitmapWidth = 0;
    int bitmapHeight = 0;
    uint8_t drawFlag = 0;
    int descriptionLocks = 0;

    // Graphics.
    HDC dc = nullptr;
    HBITMAP surface = nullptr;  // the control-sized bitmap, or null over the window image
    HGDIOBJ previousBitmap = nullptr;
    uint32_t* surfaceBits = nullptr;
    RECT area{};  // window coordinates the surface covers
    int surfaceWidth = 0;
    int surfaceHeight = 0;
    bool composeOnRelease = false;
    DcState initialState;
    std::string purpose;  // which callback or entry point the surface serves
    // Gives back a device context the host did not make for the surface (a
    // window's or a caller's); null for the host's own DC and bitmap.
    std::function<void(Handle&)> giveBack;
};

// An instance's block after its destruct: kept, filled with a pattern, until
// the host finishes, so that a late write into it is found.
struct DestroyedBlock {
    std::string className;
    unsigned char* block = nullptr;
    size_t size = 0;
    bool reported = false;  // its late write is reported once
};

// How a host that shows its instances in real windows lends surfaces outside
// the drawing callbacks and repaints a control on request. Without one, the
// surfaces are copies of the window image and invalidation is counted only.
struct LivePolicy {
    virtual ~LivePolicy() = default;
    // The graphics of ZOKAGetControlGraphics, made with makeDcSurface; null
    // when no surface can be lent.
    virtual HostGraphics controlGraphics(Host::Impl& impl, Instance& instance, const std::string& purpose) = 0;
    virtual void invalidate(Instance& instance) = 0;
};

// A GDI object the plug-in created and has not deleted yet.
struct LiveGdiObject {
    uint64_t serial = 0;
    std::string creator;  // the GDI function that made it
};

// Address space for poisonable string storage: pages handed out once,
// committed while the string lives and decommitted at its last release, so
// that a read after the release faults instead of finding the old bytes.
struct GuardedPages {
    std::vector<void*> regions;
    unsigned char* next = nullptr;
    size_t left = 0;
    GuardedPages() = default;
    GuardedPages(const GuardedPages&) = delete;
    GuardedPages& operator=(const GuardedPages&) = delete;
    ~GuardedPages();
};

struct Host::Impl {
    Host* owner = nullptr;
    HMODULE module = nullptr;
    bool ownsModule = false;  // loaded with LoadLibrary (not start())
    std::string modulePath;
    std::string temporaryCopy;  // deleted after unloading
    std::string lastError;

    std::set<std::string> withheld;
    std::map<std::string, int> resolveCounts;

    std::vector<std::unique_ptr<Instance>> instances;
    std::vector<DestroyedBlock> destroyedBlocks;
    LivePolicy* live = nullptr;

    // Events by host event id.
    struct EventInfo {
        const ControlDefinition* definition = nullptr;
        std::string name;
        int argumentCount = 0;
    };
    std::map<int32_t, EventInfo> eventIds;
    int32_t nextEventId = 1;  // 0 is what an unregistered record holds

    std::map<const void*, std::unique_ptr<Handle>> handles;
    std::map<HandleKind, int> nextHandleId;
    HostWindow windowObject = nullptr;

    HWND topWindow = nullptr;
    bool ownsTopWindow = true;  // false for a window the application made
    HBITMAP image = nullptr;
    uint32_t* imageBits = nullptr;

    std::vector<std::string> faults;
    bool finished = false;
    bool poisonStrings = false;
    GuardedPages guardedPages;

    // GDI accounting.
    std::map<HGDIOBJ, LiveGdiObject> gdiLive;
    uint64_t gdiSerial = 0;
    int gdiCreated = 0;
    int gdiDeleted = 0;
    std::vector<std::unique_ptr<ImportHook>> gdiHooks;

    std::vector<std::string> callbackStack;  // names of the callbacks running

    void fault(const std::string& message) { faults.push_back(message); }
    Instance* find(ControlInstance* control, const char* caller);
    Handle* findHandle(const void* handle) const;
    Handle& newHandle(HandleKind kind);
    std::string nameOf(const void* handle) const;
    std::string context() const;  // " during <callback>" or ""
};

// The host that answers the resolver; one at a time.
extern Host* gCurrentHost;
Host::Impl* currentImpl();

// When set, every entry point the resolver hands out passes through it first:
// it answers the function to give the plug-in in place of the host's own
// (lean_paint.cpp gives counting ones).
extern void* (*gResolveFilter)(const char* name, void* hostFunction);

// While positive, GDI objects that the host makes for itself are not counted
// as the plug-in's (white-box tests link the plug-in into the test program,
// whose imports are then hooked as well).
struct HostGdiWork {
    HostGdiWork();
    ~HostGdiWork();
    HostGdiWork(const HostGdiWork&) = delete;
    HostGdiWork& operator=(const HostGdiWork&) = delete;
};

// GDI accounting hooks (import_hook.cpp).
void installGdiHooks(Host::Impl& impl, HMODULE module);

// Handles (handles.cpp).
// A new string carrying one lock that belongs to the plug-in.
HostString newPluginString(Host::Impl& impl, const std::string& bytes);
// ZOKALock... (delta 1) and ZOKAUnlock... (delta -1) on behalf of the plug-in.
void pluginLock(Host::Impl& impl, const void* handle, const char* entryPoint, int delta);
void checkHandleBalance(Host::Impl& impl);
// The balance faults checkHandleBalance would report, without reporting them.
std::vector<std::string> handleImbalances(const Host::Impl& impl);
// Marks a handle whose last reference is gone; string storage is poisoned.
void markReleased(Host::Impl& impl, Handle& handle);

// Poisonable storage (guarded_strings.cpp): a copy of bytes ending on a page
// boundary, or null when no page could be had.
unsigned char* guardedCopy(Host::Impl& impl, const std::vector<unsigned char>& bytes);
void poisonGuardedCopy(unsigned char* copy, size_t bytes);

// Surfaces (surfaces.cpp).
DcState captureDcState(HDC dc);
std::string compareDcState(const DcState& before, const DcState& after);
// A graphics object over a control-sized copy of the window image at area;
// null when the surface cannot be made.
HostGraphics makeControlSurface(Host::Impl& impl, const RECT& area, const std::string& purpose);
// A graphics object over the whole window image.
HostGraphics makeImageSurface(Host::Impl& impl, const std::string& purpose);
// A graphics object over a device context the host did not make, whose
// logical coordinates already are window coordinates; giveBack (may be null)
// runs when the surface is retired.
HostGraphics makeDcSurface(Host::Impl& impl, HDC dc, const RECT& area, const std::string& purpose,
                           std::function<void(Handle&)> giveBack);
// Checks the DC, composes a control surface into the window image, frees it.
void retireSurface(Host::Impl& impl, Handle& graphics);
HBITMAP makeWindowImage(uint32_t** bits);
// Draws a picture's bitmap stretched into destination on dc.
void drawPictureBitmap(Handle& picture, HDC dc, const HostRect& destination);

}  // namespace pluginhost
