// The host component: loading, instances, callbacks, properties, methods, checks.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "host_internal.h"

#include <commctrl.h>

namespace pluginhost {

static const wchar_t kWindowClass[] = L"TestHostWindow";
static const wchar_t kControlClass[] = L"TestHostControl";
static const COLORREF kInitialImageColour = RGB(212, 208, 200);
// Space the tab control leaves around an instance placed inside it.
constexpr int kTabMargin = 8;

// The host's header at the start of every ControlInstance block; InstanceData
// follows at the class's dataOffset, then guard bytes.
struct InstanceHeader {
    uint32_t magic;
    Instance* owner;
};
constexpr uint32_t kInstanceMagic = 0x54485354;  // "THST"
constexpr unsigned char kGuardByte = 0xA5;
constexpr int32_t kTrailingGuardBytes = 16;
// Fills an instance's block after its destruct.
constexpr unsigned char kDestroyedByte = 0xDD;

std::vector<std::string> hostEntryPointNames();
void checkHandleBalance(Host::Impl& impl);

unsigned char* Instance::data() const { return reinterpret_cast<unsigned char*>(control) + definition->dataOffset; }

Instance* Host::Impl::find(ControlInstance* control, const char* caller) {
    for (auto& instance : instances)
        if (instance->control == control) return instance.get();
    fault(std::string(caller) + " given " + (control ? "an instance the host does not know" : "a null instance") +
          context());
    return nullptr;
}

Instance* Host::instanceOf(const ControlInstance* control) const {
    for (auto& instance : impl_->instances)
        if (instance->control == control) return instance.get();
    return nullptr;
}

// Names the running callback for fault messages and reports GDI objects that
// the plug-in created during it and did not delete.
struct CallbackScope {
    Host::Impl& impl;
    uint64_t firstSerial;

    CallbackScope(Host::Impl& impl, const Instance& instance, const char* callback)
        : impl(impl), firstSerial(impl.gdiSerial) {
        impl.callbackStack.push_back(instance.className + "." + callback);
    }
    ~CallbackScope() {
        for (auto it = impl.gdiLive.begin(); it != impl.gdiLive.end();) {
            if (it->second.serial < firstSerial) {
                ++it;
                continue;
            }
            impl.fault(impl.callbackStack.back() + " left a GDI object from " + it->second.creator + " undeleted");
            it = impl.gdiLive.erase(it);
        }
        impl.callbackStack.pop_back();
    }
    CallbackScope(const CallbackScope&) = delete;
    CallbackScope& operator=(const CallbackScope&) = delete;
};

static void registerWindowClasses() {
    static bool registered = false;
    if (registered) return;
    registered = true;
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kWindowClass;
    RegisterClassW(&windowClass);
    windowClass.lpszClassName = kControlClass;
    RegisterClassW(&windowClass);
    INITCOMMONCONTROLSEX common{sizeof common, ICC_TAB_CLASSES};
    InitCommonControlsEx(&common);
}

Host::Host() : Host(nullptr) {}

Host::Host(HWND window) : impl_(std::make_unique<Impl>()) {
    if (gCurrentHost != nullptr) {
        std::fprintf(stderr, "pluginhost: a second Host was made while another is alive; one per process\n");
        std::abort();
    }
    impl_->owner = this;
    gCurrentHost = this;
    registerWindowClasses();
    impl_->ownsTopWindow = window == nullptr;
    impl_->topWindow =
        window ? window
               : CreateWindowExW(0, kWindowClass, L"ClassicControls host", WS_POPUP | WS_VISIBLE, 0, 0,
                                 kWindowWidth, kWindowHeight, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    impl_->image = makeWindowImage(&impl_->imageBits);
    if (!impl_->topWindow || !impl_->image) impl_->fault("the host could not make its window or window image");
    if (!impl_->image) {
        // Keep pixel access safe even so.
        static uint32_t fallback[kWindowWidth * kWindowHeight];
        impl_->imageBits = fallback;
    }
    fillImage(kInitialImageColour);
    Handle& windowHandle = impl_->newHandle(HandleKind::Window);
    windowHandle.refs = 1;
    windowHandle.hostRefs = 1;
    impl_->windowObject = reinterpret_cast<HostWindow>(&windowHandle);
}

Host::~Host() {
    gCurrentHost = this;
    unload();
    HostGdiWork work;
    for (auto& entry : impl_->handles) {
        Handle& h = *entry.second;
        if (h.kind == HandleKind::Graphics && h.dc) {
            if (h.giveBack) {
                h.giveBack(h);
            } else {
                SelectObject(h.dc, h.previousBitmap);
                DeleteDC(h.dc);
                if (h.surface) DeleteObject(h.surface);
            }
        }
        if (h.bitmap) DeleteObject(h.bitmap);
    }
    for (const DestroyedBlock& destroyed : impl_->destroyedBlocks) std::free(destroyed.block);
    if (impl_->image) DeleteObject(impl_->image);
    if (impl_->topWindow && impl_->ownsTopWindow) DestroyWindow(impl_->topWindow);
    gCurrentHost = nullptr;
}

// --- the plug-in ---------------------------------------------------------------

std::string besideProgram(const std::string& fileName) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    const size_t slash = folder.find_last_of("\\/");
    return (slash == std::string::npos ? std::string() : folder.substr(0, slash + 1)) + fileName;
}

char acceleratorChar(const std::string& text) {
    char key = 0;
    const size_t end = std::min(text.size(), text.find('\0'));
    for (size_t i = 0; i < end; ++i) {
        if (text[i] != '&') continue;
        const char next = ++i < end ? text[i] : '\0';
        if (next == '&') continue;  // a literal ampersand
        key = next >= 'a' && next <= 'z' ? char(next - 'a' + 'A') : next;
    }
    return key;
}

static std::string fileNameOf(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A copy of the plug-in under a name no loaded module has, so that its
// process-wide state starts afresh even when the library did not unload.
static std::string uniqueCopy(const std::string& original) {
    static int copies = 0;
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    std::string stem = fileNameOf(original);
    const size_t dot = stem.find_last_of('.');
    if (dot != std::string::npos) stem.resize(dot);
    const std::string copy = std::string(folder) + stem + "-" + std::to_string(GetCurrentProcessId()) + "-" +
                             std::to_string(++copies) + ".dll";
    return CopyFileA(original.c_str(), copy.c_str(), FALSE) ? copy : std::string();
}

bool Host::load(const std::string& path) {
    unload();
    gCurrentHost = this;
    std::string loadPath = path;
    if (GetModuleHandleA(fileNameOf(path).c_str())) {
        loadPath = uniqueCopy(path);
        if (loadPath.empty()) {
            impl_->lastError = "could not copy " + path + " for a fresh load";
            return false;
        }
        impl_->temporaryCopy = loadPath;
    }
    HMODULE module = LoadLibraryA(loadPath.c_str());
    if (!module) {
        impl_->lastError = "LoadLibrary(" + loadPath + ") failed with error " + std::to_string(GetLastError());
        return false;
    }
    impl_->module = module;
    impl_->ownsModule = true;
    impl_->modulePath = loadPath;
    installGdiHooks(*impl_, module);
    auto pluginMain =
        reinterpret_cast<void (*)(HostResolver)>(reinterpret_cast<void*>(GetProcAddress(module, "ZOKAPluginMain")));
    if (!pluginMain) {
        impl_->lastError = loadPath + " exports no ZOKAPluginMain";
        return false;
    }
    pluginMain(&Host::resolve);
    return true;
}

void Host::start(void (*pluginMain)(HostResolver)) {
    unload();
    gCurrentHost = this;
    impl_->module = GetModuleHandleW(nullptr);
    impl_->ownsModule = false;
    installGdiHooks(*impl_, impl_->module);
    if (pluginMain) pluginMain(&Host::resolve);
}

HMODULE Host::module() const { return impl_->module; }

void Host::unload() {
    while (!impl_->instances.empty()) destroy(impl_->instances.back().get());
    impl_->gdiHooks.clear();
    if (impl_->module && impl_->ownsModule) {
        FreeLibrary(impl_->module);
        // A library that stays loaded is noticed by the next load(), which
        // then takes a copy under a new name.
    }
    if (!impl_->temporaryCopy.empty()) {
        DeleteFileA(impl_->temporaryCopy.c_str());
        impl_->temporaryCopy.clear();
    }
    impl_->module = nullptr;
    impl_->ownsModule = false;
    // The records lived in the library.
    registered.clear();
    impl_->eventIds.clear();
}

std::string Host::lastError() const { return impl_->lastError; }

ControlDefinition* Host::definition(const std::string& className) const {
    for (ControlDefinition* d : registered)
        if (d->name && className == d->name) return d;
    return nullptr;
}

// --- instances -------------------------------------------------------------------

static bool known(Host::Impl& impl, Instance* instance, const char* caller) {
    for (auto& i : impl.instances)
        if (i.get() == instance) return true;
    impl.fault(std::string(caller) + " called with an instance the host does not hold");
    return false;
}

static void placeWindows(Instance& instance) {
    const HostRect& b = instance.bounds;
    const int width = b.right - b.left;
    const int height = b.bottom - b.top;
    if (instance.tabControl) {
        MoveWindow(instance.tabControl, b.left - kTabMargin, b.top - kTabMargin, width + 2 * kTabMargin,
                   height + 2 * kTabMargin, FALSE);
        MoveWindow(instance.window, kTabMargin, kTabMargin, width, height, FALSE);
    } else {
        MoveWindow(instance.window, b.left, b.top, width, height, FALSE);
    }
}

static HostRect hostRect(int left, int top, int right, int bottom) {
    HostRect r;
    r.top = static_cast<int16_t>(top);
    r.left = static_cast<int16_t>(left);
    r.bottom = static_cast<int16_t>(bottom);
    r.right = static_cast<int16_t>(right);
    return r;
}

Instance* Host::create(const std::string& className, int left, int top, int right, int bottom,
                       const InstanceOptions& options) {
    ControlDefinition* d = definition(className);
    if (!d) {
        impl_->fault("create: no class named " + className + " is registered");
        return nullptr;
    }
    auto instance = std::make_unique<Instance>();
    const size_t blockSize = size_t(d->dataOffset) + size_t(std::max(d->instanceDataSize, 0)) + kTrailingGuardBytes;
    auto* block = static_cast<unsigned char*>(std::malloc(blockSize));
    std::memset(block, kGuardByte, blockSize);
    std::memset(block + d->dataOffset, 0, size_t(std::max(d->instanceDataSize, 0)));
    InstanceHeader header{kInstanceMagic, instance.get()};
    std::memcpy(block, &header, sizeof header);

    instance->control = reinterpret_cast<ControlInstance*>(block);
    instance->definition = d;
    instance->className = className;
    instance->bounds = hostRect(left, top, right, bottom);
    instance->enabled = options.enabled;
    instance->visible = options.visible;
    instance->tabPanelVisible = options.tabPanelVisible;
    instance->background = options.background;
    HWND parent = impl_->topWindow;
    if (options.insideTabControl) {
        instance->tabControl = CreateWindowExW(0, WC_TABCONTROLW, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, 1,
                                               1, impl_->topWindow, nullptr, GetModuleHandleW(nullptr), nullptr);
        if (!instance->tabControl) impl_->fault("create: could not make the SysTabControl32 window");
        parent = instance->tabControl ? instance->tabControl : parent;
    }
    instance->window = CreateWindowExW(0, kControlClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, 1, 1, parent, nullptr,
                                       GetModuleHandleW(nullptr), nullptr);
    if (!instance->window) impl_->fault("create: could not make the control's window");
    placeWindows(*instance);

    Instance* result = instance.get();
    impl_->instances.push_back(std::move(instance));
    if (d->callbacks && d->callbacks->construct) {
        CallbackScope scope(*impl_, *result, "construct");
        d->callbacks->construct(result->control);
    }
    return result;
}

// True when the bytes around InstanceData still hold the guard pattern.
static bool guardBytesIntact(const Instance& instance) {
    const auto* block = reinterpret_cast<const unsigned char*>(instance.control);
    const int32_t dataEnd = instance.definition->dataOffset + std::max(instance.definition->instanceDataSize, 0);
    for (int32_t i = sizeof(InstanceHeader); i < instance.definition->dataOffset; ++i)
        if (block[i] != kGuardByte) return false;
    for (int32_t i = 0; i < kTrailingGuardBytes; ++i)
        if (block[dataEnd + i] != kGuardByte) return false;
    return true;
}

void Host::destroy(Instance* instance) {
    if (!known(*impl_, instance, "destroy")) return;
    const ControlCallbacks* callbacks = instance->definition->callbacks;
    if (callbacks && callbacks->destruct) {
        CallbackScope scope(*impl_, *instance, "destruct");
        callbacks->destruct(instance->control);
    }
    if (!guardBytesIntact(*instance))
        impl_->fault(instance->className + " wrote outside its InstanceData of " +
                     std::to_string(instance->definition->instanceDataSize) + " bytes");
    if (instance->window) DestroyWindow(instance->window);
    if (instance->tabControl) DestroyWindow(instance->tabControl);
    // Kept until the host finishes, filled with a pattern: a plug-in that
    // writes into an instance after its destruct is found then. A live
    // application that does not check gives the memory back at once.
    const size_t blockSize = size_t(instance->definition->dataOffset) +
                             size_t(std::max(instance->definition->instanceDataSize, 0)) + kTrailingGuardBytes;
    auto* block = reinterpret_cast<unsigned char*>(instance->control);
    std::memset(block, kDestroyedByte, blockSize);
    if (keepDestroyedBlocks) {
        impl_->destroyedBlocks.push_back(DestroyedBlock{instance->className, block, blockSize});
    } else {
        std::free(block);
    }
    auto& list = impl_->instances;
    list.erase(std::remove_if(list.begin(), list.end(), [&](const auto& i) { return i.get() == instance; }),
               list.end());
}

void Host::setBounds(Instance* instance, int left, int top, int right, int bottom) {
    if (!known(*impl_, instance, "setBounds")) return;
    instance->bounds = hostRect(left, top, right, bottom);
    placeWindows(*instance);
}

HWND Host::topWindow() const { return impl_->topWindow; }

// --- callbacks ---------------------------------------------------------------------

static const ControlCallbacks* callbacksOf(Host::Impl& impl, Instance* instance, const char* caller) {
    if (!known(impl, instance, caller)) return nullptr;
    return instance->definition->callbacks;
}

static RECT areaOf(const Instance& instance) {
    return RECT{instance.bounds.left, instance.bounds.top, instance.bounds.right, instance.bounds.bottom};
}

// Lends graphics to a drawing callback, then checks and retires it: over dc
// when one is given, else a control-sized surface (onScreen) or the whole
// window image.
static void paintWith(Host::Impl& impl, Instance& instance, const char* callback,
                      void (*slot)(ControlInstance*, HostGraphics), bool onScreen, HDC dc = nullptr) {
    CallbackScope scope(impl, instance, callback);
    const std::string purpose = instance.className + "." + callback;
    HostGraphics graphics = dc         ? makeDcSurface(impl, dc, areaOf(instance), purpose, nullptr)
                            : onScreen ? makeControlSurface(impl, areaOf(instance), purpose)
                                       : makeImageSurface(impl, purpose);
    Handle* h = impl.findHandle(graphics);
    if (!h) return;
    h->refs = 1;
    h->hostRefs = 1;
    slot(instance.control, graphics);
    retireSurface(impl, *h);
    --h->hostRefs;
    --h->refs;
    if (h->refs <= 0) h->released = true;
}

void Host::draw(Instance* instance) {
    const ControlCallbacks* c = callbacksOf(*impl_, instance, "draw");
    if (c && c->draw) paintWith(*impl_, *instance, "draw", c->draw, true);
}

void Host::drawOffscreen(Instance* instance) {
    const ControlCallbacks* c = callbacksOf(*impl_, instance, "drawOffscreen");
    if (c && c->drawOffscreen) paintWith(*impl_, *instance, "drawOffscreen", c->drawOffscreen, false);
}

void Host::drawOn(Instance* instance, HDC dc) {
    const ControlCallbacks* c = callbacksOf(*impl_, instance, "draw");
    if (c && c->draw) paintWith(*impl_, *instance, "draw", c->draw, true, dc);
}

bool Host::mouseDown(Instance* instance, int x, int y) {
    const ControlCallbacks* c = callbacksOf(*impl_, instance, "mouseDown");
    if (!c || !c->mouseDown) return false;
    CallbackScope scope(*impl_, *instance, "mouseDown");
    return c->mouseDown(instance->control, x, y);
}

// The callbacks that take (instance, x, y) and answer nothing.
static void pointCallback(Host::Impl& impl, Instance* instance, const char* name,
                          void (*ControlCallbacks::*slot)(ControlInstance*, int32_t, int32_t), int x, int y) {
    const ControlCallbacks* c = callbacksOf(impl, instance, name);
    if (!c || !(c->*slot)) return;
    CallbackScope scope(impl, *instance, name);
    (c->*slot)(instance->control, x, y);
}

// The callbacks that take only the instance.
static void plainCallback(Host::Impl& impl, Instance* instance, const char* name,
                          void (*ControlCallbacks::*slot)(ControlInstance*)) {
    const ControlCallbacks* c = callbacksOf(impl, instance, name);
    if (!c || !(c->*slot)) return;
    CallbackScope scope(impl, *instance, name);
    (c->*slot)(instance->control);
}

void Host::mouseDrag(Instance* i, int x, int y) {
    pointCallback(*impl_, i, "mouseDrag", &ControlCallbacks::mouseDrag, x, y);
}
void Host::mouseUp(Instance* i, int x, int y) { pointCallback(*impl_, i, "mouseUp", &ControlCallbacks::mouseUp, x, y); }
void Host::mouseMove(Instance* i, int x, int y) {
    pointCallback(*impl_, i, "mouseMove", &ControlCallbacks::mouseMove, x, y);
}
void Host::mouseEnter(Instance* i) { plainCallback(*impl_, i, "mouseEnter", &ControlCallbacks::mouseEnter); }
void Host::mouseExit(Instance* i) { plainCallback(*impl_, i, "mouseExit", &ControlCallbacks::mouseExit); }
void Host::idle(Instance* i) { plainCallback(*impl_, i, "idle", &ControlCallbacks::idle); }
void Host::open(Instance* i) { plainCallback(*impl_, i, "open", &ControlCallbacks::open); }
void Host::close(Instance* i) { plainCallback(*impl_, i, "close", &ControlCallbacks::close); }
void Host::constantChanged(Instance* i) {
    plainCallback(*impl_, i, "constantChanged", &ControlCallbacks::constantChanged);
}
void Host::defaultsReset(Instance* i) { plainCallback(*impl_, i, "defaultsReset", &ControlCallbacks::defaultsReset); }
void Host::stateChanged(Instance* i) { plainCallback(*impl_, i, "stateChanged", &ControlCallbacks::stateChanged); }

void Host::action(Instance* instance, int32_t argument) {
    const ControlCallbacks* c = callbacksOf(*impl_, instance, "action");
    if (!c || !c->action) return;
    CallbackScope scope(*impl_, *instance, "action");
    c->action(instance->control, argument);
}

int32_t Host::handleQuery(Instance* instance) {
    const ControlCallbacks* c = callbacksOf(*impl_, instance, "handleQuery");
    if (!c || !c->handleQuery) return 0;
    CallbackScope scope(*impl_, *instance, "handleQuery");
    return c->handleQuery(instance->control);
}

// --- properties --------------------------------------------------------------------

static bool typeIs(const PropertyDefinition& p, const char* type) { return p.type && _stricmp(p.type, type) == 0; }

const PropertyDefinition* Host::property(const Instance* instance, const std::string& name) const {
    if (!instance || !instance->definition || !instance->definition->properties) return nullptr;
    const ControlDefinition& d = *instance->definition;
    for (int32_t i = 0; i < d.propertyCount; ++i)
        if (d.properties[i].name && name == d.properties[i].name) return &d.properties[i];
    return nullptr;
}

// The property, or a fault naming what the test asked for.
static const PropertyDefinition* propertyFor(Host& host, Host::Impl& impl, Instance* instance, const std::string& name,
                                             const char* caller) {
    if (!known(impl, instance, caller)) return nullptr;
    const PropertyDefinition* p = host.property(instance, name);
    if (!p) impl.fault(std::string(caller) + ": " + instance->className + " has no property " + name);
    return p;
}

static std::string propertyScopeName(const char* kind, const std::string& name) {
    return std::string(kind) + " " + name;
}

int32_t Host::getInteger(Instance* instance, const std::string& name) {
    const PropertyDefinition* p = propertyFor(*this, *impl_, instance, name, "getInteger");
    if (!p) return 0;
    const bool boolean = typeIs(*p, "Boolean");
    if (p->getter == PLUGIN_DIRECT_ACCESS) {
        return boolean ? int32_t(instance->at<uint8_t>(p->param)) : instance->at<int32_t>(p->param);
    }
    if (!p->getter) {
        impl_->fault("getInteger: " + name + " has no getter");
        return 0;
    }
    const std::string scopeName = propertyScopeName("getter", name);
    CallbackScope scope(*impl_, *instance, scopeName.c_str());
    const int32_t value = reinterpret_cast<IntegerGetter>(const_cast<void*>(p->getter))(instance->control, p->param);
    return boolean ? int32_t(uint8_t(value)) : value;
}

void Host::setInteger(Instance* instance, const std::string& name, int32_t value) {
    const PropertyDefinition* p = propertyFor(*this, *impl_, instance, name, "setInteger");
    if (!p) return;
    const bool boolean = typeIs(*p, "Boolean");
    if (p->setter == PLUGIN_DIRECT_ACCESS) {
        if (boolean)
            instance->at<uint8_t>(p->param) = static_cast<uint8_t>(value);
        else
            instance->at<int32_t>(p->param) = value;
        return;
    }
    if (!p->setter) {
        impl_->fault("setInteger: " + name + " has no setter");
        return;
    }
    const std::string scopeName = propertyScopeName("setter", name);
    CallbackScope scope(*impl_, *instance, scopeName.c_str());
    // A Boolean travels in the low byte; the rest is passed on as the test gave it.
    reinterpret_cast<IntegerSetter>(const_cast<void*>(p->setter))(instance->control, p->param, value);
}

// Reads a handle property: straight from InstanceData or through the getter.
static void* getHandle(Host::Impl& impl, Instance* instance, const PropertyDefinition& p, const std::string& name) {
    if (p.getter == PLUGIN_DIRECT_ACCESS) return instance->at<void*>(p.param);
    if (!p.getter) {
        impl.fault("no getter for " + name);
        return nullptr;
    }
    const std::string scopeName = propertyScopeName("getter", name);
    CallbackScope scope(impl, *instance, scopeName.c_str());
    return reinterpret_cast<HandleGetter>(const_cast<void*>(p.getter))(instance->control, p.param);
}

// Writes a handle property. A direct write keeps a reference in the field
// for the plug-in, as its own setters would, and gives up the old one.
static void setHandle(Host::Impl& impl, Instance* instance, const PropertyDefinition& p, const std::string& name,
                      void* value) {
    if (p.setter == PLUGIN_DIRECT_ACCESS) {
        void*& field = instance->at<void*>(p.param);
        if (Handle* h = impl.findHandle(value)) ++h->refs;
        if (Handle* old = impl.findHandle(field)) {
            if (--old->refs == 0) markReleased(impl, *old);
        }
        field = value;
        return;
    }
    if (!p.setter) {
        impl.fault("no setter for " + name);
        return;
    }
    const std::string scopeName = propertyScopeName("setter", name);
    CallbackScope scope(impl, *instance, scopeName.c_str());
    reinterpret_cast<HandleSetter>(const_cast<void*>(p.setter))(instance->control, p.param, value);
}

std::string Host::getString(Instance* instance, const std::string& name) {
    const PropertyDefinition* p = propertyFor(*this, *impl_, instance, name, "getString");
    if (!p) return std::string();
    auto* s = static_cast<HostString>(getHandle(*impl_, instance, *p, name));
    const std::string result = text(s);
    if (p->getter != PLUGIN_DIRECT_ACCESS && s) {
        // The getter's lock belongs to the caller, which is done with it.
        Handle* h = impl_->findHandle(s);
        if (!h) {
            impl_->fault("getter " + name + " answered " + impl_->nameOf(s));
        } else if (--h->refs <= 0) {
            if (h->refs < 0) impl_->fault("getter " + name + " answered " + impl_->nameOf(s) + " without a lock");
            h->refs = std::max(h->refs, 0);
            markReleased(*impl_, *h);
        }
    }
    return result;
}

void Host::setString(Instance* instance, const std::string& name, HostString value) {
    if (const PropertyDefinition* p = propertyFor(*this, *impl_, instance, name, "setString"))
        setHandle(*impl_, instance, *p, name, value);
}

HostObject Host::getPicture(Instance* instance, const std::string& name) {
    const PropertyDefinition* p = propertyFor(*this, *impl_, instance, name, "getPicture");
    return p ? static_cast<HostObject>(getHandle(*impl_, instance, *p, name)) : nullptr;
}

void Host::setPicture(Instance* instance, const std::string& name, HostObject value) {
    if (const PropertyDefinition* p = propertyFor(*this, *impl_, instance, name, "setPicture"))
        setHandle(*impl_, instance, *p, name, value);
}

// --- methods ---------------------------------------------------------------------

// The name of a declaration: the identifier before "(" or the first space.
static std::string declaredName(const char* declaration) {
    std::string name = declaration ? declaration : "";
    const size_t end = name.find_first_of("( ");
    return end == std::string::npos ? name : name.substr(0, end);
}

// The result type after the last " As " outside the parentheses, or "".
static std::string resultType(const char* declaration) {
    std::string d = declaration ? declaration : "";
    const size_t close = d.rfind(')');
    const size_t as = d.find(" As ", close == std::string::npos ? 0 : close);
    return as == std::string::npos ? std::string() : d.substr(as + 4);
}

static const MethodDefinition* methodFor(Host::Impl& impl, Instance* instance, const std::string& name,
                                         const char* caller) {
    if (!known(impl, instance, caller)) return nullptr;
    const ControlDefinition& d = *instance->definition;
    for (int32_t i = 0; i < d.methodCount && d.methods; ++i)
        if (declaredName(d.methods[i].declaration) == name) return &d.methods[i];
    impl.fault(std::string(caller) + ": " + instance->className + " has no method " + name);
    return nullptr;
}

constexpr size_t kMaxMethodArguments = 6;

// Calls fn with the instance and up to six pointer-sized arguments.
static intptr_t callWithArguments(const void* function, ControlInstance* control, const std::vector<intptr_t>& a) {
    void* f = const_cast<void*>(function);
    using P = intptr_t;
    switch (a.size()) {
        case 0:
            return reinterpret_cast<P (*)(ControlInstance*)>(f)(control);
        case 1:
            return reinterpret_cast<P (*)(ControlInstance*, P)>(f)(control, a[0]);
        case 2:
            return reinterpret_cast<P (*)(ControlInstance*, P, P)>(f)(control, a[0], a[1]);
        case 3:
            return reinterpret_cast<P (*)(ControlInstance*, P, P, P)>(f)(control, a[0], a[1], a[2]);
        case 4:
            return reinterpret_cast<P (*)(ControlInstance*, P, P, P, P)>(f)(control, a[0], a[1], a[2], a[3]);
        case 5:
            return reinterpret_cast<P (*)(ControlInstance*, P, P, P, P, P)>(f)(control, a[0], a[1], a[2], a[3], a[4]);
        default:
            return reinterpret_cast<P (*)(ControlInstance*, P, P, P, P, P, P)>(f)(control, a[0], a[1], a[2], a[3], a[4],
                                                                                  a[5]);
    }
}

intptr_t Host::call(Instance* instance, const std::string& method, std::vector<intptr_t> args) {
    const MethodDefinition* m = methodFor(*impl_, instance, method, "call");
    if (!m) return 0;
    if (!m->function || args.size() > kMaxMethodArguments) {
        impl_->fault("call: " + method + " has no function or too many arguments");
        return 0;
    }
    const std::string scopeName = "method " + method;
    CallbackScope scope(*impl_, *instance, scopeName.c_str());
    const intptr_t raw = callWithArguments(m->function, instance->control, args);
    const std::string type = resultType(m->declaration);
    if (type.empty()) return 0;
    if (_stricmp(type.c_str(), "Integer") == 0) return static_cast<int32_t>(raw);
    if (_stricmp(type.c_str(), "Boolean") == 0) return static_cast<uint8_t>(raw);
    if (_stricmp(type.c_str(), "String") == 0 && raw) {
        // The result's lock passes to the test.
        if (Handle* h = impl_->findHandle(reinterpret_cast<void*>(raw)))
            ++h->hostRefs;
        else
            impl_->fault("method " + method + " answered " + impl_->nameOf(reinterpret_cast<void*>(raw)));
    }
    return raw;
}

void Host::callSetter(Instance* instance, const std::string& method, std::vector<intptr_t> args) {
    const MethodDefinition* m = methodFor(*impl_, instance, method, "callSetter");
    if (!m) return;
    if (!m->setterFunction || args.size() > kMaxMethodArguments) {
        impl_->fault("callSetter: " + method + " has no assignment form or too many arguments");
        return;
    }
    const std::string scopeName = "assignment " + method;
    CallbackScope scope(*impl_, *instance, scopeName.c_str());
    callWithArguments(m->setterFunction, instance->control, args);
}

// --- events ----------------------------------------------------------------------

void Host::on(Instance* instance, const std::string& event, EventHandler handler) {
    if (!known(*impl_, instance, "on")) return;
    const ControlDefinition& d = *instance->definition;
    bool declared = false;
    for (int32_t i = 0; i < d.eventCount && d.events; ++i) declared |= declaredName(d.events[i].declaration) == event;
    if (!declared) {
        impl_->fault("on: " + instance->className + " declares no event " + event);
        return;
    }
    instance->handlers[event] = std::move(handler);
}

void Host::off(Instance* instance, const std::string& event) {
    if (known(*impl_, instance, "off")) instance->handlers.erase(event);
}

// --- checks ----------------------------------------------------------------------

std::vector<std::string> Host::faults() const { return impl_->faults; }

void Host::reportFault(const std::string& message) { impl_->fault(message + impl_->context()); }

bool Host::guardsIntact(const Instance* instance) const {
    for (auto& i : impl_->instances)
        if (i.get() == instance) return guardBytesIntact(*instance);
    return false;
}

void Host::checkDestroyedBlocks() {
    for (DestroyedBlock& destroyed : impl_->destroyedBlocks) {
        if (destroyed.reported) continue;
        const unsigned char* begin = destroyed.block;
        const unsigned char* end = begin + destroyed.size;
        if (std::find_if(begin, end, [](unsigned char b) { return b != kDestroyedByte; }) == end) continue;
        destroyed.reported = true;
        impl_->fault("a " + destroyed.className + " instance's block was written after its destruct");
    }
}

int Host::gdiCreated() const { return impl_->gdiCreated; }

int Host::gdiLive() const { return static_cast<int>(impl_->gdiLive.size()); }

std::vector<std::string> Host::finish() {
    if (impl_->finished) return impl_->faults;
    impl_->finished = true;
    while (!impl_->instances.empty()) destroy(impl_->instances.back().get());
    checkDestroyedBlocks();
    for (const auto& object : impl_->gdiLive)
        impl_->fault("a GDI object from " + object.second.creator + " was never deleted");
    impl_->gdiLive.clear();
    checkHandleBalance(*impl_);
    for (auto& entry : impl_->handles) {
        Handle& h = *entry.second;
        h.refs -= h.hostRefs;
        h.hostRefs = 0;
        if (h.kind == HandleKind::Graphics && h.dc) retireSurface(*impl_, h);
    }
    return impl_->faults;
}

}  // namespace pluginhost
