// Import address table hooks and the GDI accounting built on them.
#include <cstring>

#include "host_internal.h"

namespace pluginhost {

// --- ImportHook ----------------------------------------------------------------

// The import address table slot through which module calls dll!function, or null.
static void** findImportSlot(HMODULE module, const char* dll, const char* function) {
    if (!module || !dll || !function) return nullptr;
    auto* base = reinterpret_cast<unsigned char*>(module);
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    if (dos->e_magic != IMAGE_DOS_SIGNATURE) return nullptr;
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    if (nt->Signature != IMAGE_NT_SIGNATURE) return nullptr;
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (directory.VirtualAddress == 0) return nullptr;
    auto* descriptor = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
    for (; descriptor->Name != 0; ++descriptor) {
        if (_stricmp(reinterpret_cast<const char*>(base + descriptor->Name), dll) != 0) continue;
        // The name table; without it the bound slots carry no names.
        if (descriptor->OriginalFirstThunk == 0) continue;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + descriptor->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + descriptor->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) == 0)
                return reinterpret_cast<void**>(&slots->u1.Function);
        }
    }
    return nullptr;
}

static bool writeSlot(void** slot, void* value) {
    DWORD previous = 0;
    if (!VirtualProtect(slot, sizeof(void*), PAGE_READWRITE, &previous)) return false;
    *slot = value;
    DWORD ignored = 0;
    VirtualProtect(slot, sizeof(void*), previous, &ignored);
    FlushInstructionCache(GetCurrentProcess(), slot, sizeof(void*));
    return true;
}

ImportHook::ImportHook(HMODULE module, const char* dll, const char* function, void* replacement) {
    void** slot = findImportSlot(module, dll, function);
    if (!slot) return;
    void* original = *slot;
    if (!writeSlot(slot, replacement)) return;
    slot_ = slot;
    original_ = original;
    replacement_ = replacement;
}

ImportHook::~ImportHook() {
    if (slot_) writeSlot(slot_, original_);
}

bool ImportHook::installed() const { return slot_ != nullptr; }

void* ImportHook::original() const { return original_; }

// --- the version query -------------------------------------------------------------

static constexpr DWORD kXPMajor = 5;
static constexpr DWORD kXPMinor = 1;
static constexpr DWORD kXPBuild = 2600;

static BOOL WINAPI windowsXPVersion(OSVERSIONINFOA* info) {
    if (!info) return FALSE;
    info->dwMajorVersion = kXPMajor;
    info->dwMinorVersion = kXPMinor;
    info->dwBuildNumber = kXPBuild;
    info->dwPlatformId = VER_PLATFORM_WIN32_NT;
    info->szCSDVersion[0] = 0;
    return TRUE;
}

std::unique_ptr<ImportHook> answerVersionAsWindowsXP(HMODULE plugin) {
    return std::make_unique<ImportHook>(plugin, "KERNEL32.dll", "GetVersionExA",
                                        reinterpret_cast<void*>(&windowsXPVersion));
}

// --- GDI accounting ----------------------------------------------------------------

static int gHostGdiWork = 0;

HostGdiWork::HostGdiWork() { ++gHostGdiWork; }
HostGdiWork::~HostGdiWork() { --gHostGdiWork; }

static void noteCreated(HGDIOBJ object, const char* creator) {
    Host::Impl* impl = currentImpl();
    if (!object || !impl || gHostGdiWork > 0) return;
    ++impl->gdiCreated;
    impl->gdiLive[object] = LiveGdiObject{impl->gdiSerial++, creator};
}

static void noteDeleted(HGDIOBJ object) {
    Host::Impl* impl = currentImpl();
    if (!object || !impl || gHostGdiWork > 0) return;
    if (impl->gdiLive.erase(object) > 0) ++impl->gdiDeleted;
}

struct GdiHookEntry {
    const char* name;
    void* replacement;
};

// The functions the hooks chain to, by index in kGdiHooks.
constexpr int kGdiHookCount = 19;
static void* gGdiNext[kGdiHookCount];

template <int I, typename Fn>
struct GdiCreateHook;

// GDI's functions are WINAPI (__stdcall on i686); the hooks that stand in
// for them in the import table must be too.
template <int I, typename R, typename... A>
struct GdiCreateHook<I, R(WINAPI*)(A...)> {
    static const char* name;
    static R WINAPI call(A... arguments) {
        R result = reinterpret_cast<R(WINAPI*)(A...)>(gGdiNext[I])(arguments...);
        noteCreated(reinterpret_cast<HGDIOBJ>(result), name);
        return result;
    }
};
template <int I, typename R, typename... A>
const char* GdiCreateHook<I, R(WINAPI*)(A...)>::name = nullptr;

template <int I, typename Fn>
struct GdiDeleteHook;

template <int I, typename A>
struct GdiDeleteHook<I, BOOL(WINAPI*)(A)> {
    static BOOL WINAPI call(A object) {
        BOOL result = reinterpret_cast<BOOL(WINAPI*)(A)>(gGdiNext[I])(object);
        if (result) noteDeleted(reinterpret_cast<HGDIOBJ>(object));
        return result;
    }
};

template <int I, typename Fn>
static GdiHookEntry creator(const char* name, Fn) {
    GdiCreateHook<I, Fn>::name = name;
    return GdiHookEntry{name, reinterpret_cast<void*>(&GdiCreateHook<I, Fn>::call)};
}

template <int I, typename Fn>
static GdiHookEntry deleter(const char* name, Fn) {
    return GdiHookEntry{name, reinterpret_cast<void*>(&GdiDeleteHook<I, Fn>::call)};
}

static const GdiHookEntry* gdiHookTable() {
    static const GdiHookEntry table[kGdiHookCount] = {
        creator<0>("CreatePen", &CreatePen),
        creator<1>("CreatePenIndirect", &CreatePenIndirect),
        creator<2>("CreateSolidBrush", &CreateSolidBrush),
        creator<3>("CreateBrushIndirect", &CreateBrushIndirect),
        creator<4>("CreateHatchBrush", &CreateHatchBrush),
        creator<5>("CreatePatternBrush", &CreatePatternBrush),
        creator<6>("CreateFontA", &CreateFontA),
        creator<7>("CreateFontW", &CreateFontW),
        creator<8>("CreateFontIndirectA", &CreateFontIndirectA),
        creator<9>("CreateFontIndirectW", &CreateFontIndirectW),
        creator<10>("CreateRectRgn", &CreateRectRgn),
        creator<11>("CreateRectRgnIndirect", &CreateRectRgnIndirect),
        creator<12>("CreatePolygonRgn", &CreatePolygonRgn),
        creator<13>("CreateEllipticRgn", &CreateEllipticRgn),
        creator<14>("CreateCompatibleDC", &CreateCompatibleDC),
        creator<15>("CreateCompatibleBitmap", &CreateCompatibleBitmap),
        creator<16>("CreateDIBSection", &CreateDIBSection),
        deleter<17>("DeleteObject", &DeleteObject),
        deleter<18>("DeleteDC", &DeleteDC),
    };
    return table;
}

void installGdiHooks(Host::Impl& impl, HMODULE module) {
    static const char* const kGdiDll = "GDI32.dll";
    const GdiHookEntry* table = gdiHookTable();
    for (int i = 0; i < kGdiHookCount; ++i) {
        auto hook = std::make_unique<ImportHook>(module, kGdiDll, table[i].name, table[i].replacement);
        if (!hook->installed()) continue;
        gGdiNext[i] = hook->original();
        impl.gdiHooks.push_back(std::move(hook));
    }
}

}  // namespace pluginhost
