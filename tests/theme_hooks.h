// Test hooks for the plug-in's use of the visual-style library: a scripted
// Windows version, counted loads and releases of uxtheme.dll, and recording
// wrappers around the four uxtheme functions that forward to the real ones.
// Also a scripted millisecond tick. Install after the host has loaded the
// plug-in and before the first construct; one ThemeSpy at a time.
#pragma once

#include <cctype>
#include <cstdint>
#include <string>
#include <vector>

#include <windows.h>

#include "test_host.h"

namespace themehooks {

struct SystemVersion {
    DWORD platform;
    DWORD major;
    DWORD minor;
};
constexpr SystemVersion kWindowsXP = {VER_PLATFORM_WIN32_NT, 5, 1};

// One call of a uxtheme function, as the plug-in made it.
struct ThemeCall {
    std::string function;  // "OpenThemeData", "CloseThemeData", ...
    HANDLE theme = nullptr;
    HWND window = nullptr;
    std::wstring classList;
    int part = 0;
    int state = 0;
    RECT rect{};
    bool hasClip = false;
};

// The loader's reference count of a module (the loader entry's load count).
inline int LoaderCount(HMODULE module) {
    using FindEntry = LONG(NTAPI*)(void*, void**);
    auto find = reinterpret_cast<FindEntry>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "LdrFindEntryForAddress")));
    void* entry = nullptr;
    if (!find || find(module, &entry) != 0 || !entry) return -1;
    // LoadCount follows three list links, base, entry point, size, two names
    // and the flags.
    constexpr size_t kLoadCountOffset = sizeof(void*) == 8 ? 108 : 56;
    return *reinterpret_cast<const int16_t*>(static_cast<const char*>(entry) + kLoadCountOffset);
}

class ThemeSpy {
public:
    // Hooks the imports of module (the plug-in).
    explicit ThemeSpy(HMODULE module, SystemVersion version = kWindowsXP);
    ~ThemeSpy();
    ThemeSpy(const ThemeSpy&) = delete;
    ThemeSpy& operator=(const ThemeSpy&) = delete;

    bool installed() const;

    // --- the version query ----------------------------------------------------
    SystemVersion version;
    bool refuseExtendedRecord = false;  // fail GetVersionExA for the 156-byte record
    bool refuseBasicRecord = false;     // and for the 148-byte one
    std::vector<DWORD> versionQueries;  // record sizes asked with, in order

    // --- uxtheme.dll ------------------------------------------------------------
    bool unloadable = false;           // LoadLibraryA("uxtheme.dll") fails
    bool openAnswersNull = false;      // OpenThemeData answers null
    int loads = 0;                     // LoadLibraryA("uxtheme.dll") calls, failed ones too
    int frees = 0;                     // FreeLibrary calls on uxtheme's handle
    std::vector<std::string> lookups;  // names asked of GetProcAddress on uxtheme
    std::vector<ThemeCall> calls;      // the uxtheme functions called, in order
    std::vector<ThemeCall> callsOf(const std::string& function) const;

    // --- the clock ----------------------------------------------------------------
    // While scripted, GetTickCount answers tick.
    bool scriptedTicks = false;
    DWORD tick = 0;

private:
    // The spy's own reference keeps uxtheme.dll loaded while it watches, so
    // its handle and load count stay meaningful.
    HMODULE uxtheme_;
    testhost::ImportHook versionHook_;
    testhost::ImportHook loadHook_;
    testhost::ImportHook freeHook_;
    testhost::ImportHook lookupHook_;
    testhost::ImportHook tickHook_;
};

// ---------------------------------------------------------------------------

namespace detail {

inline ThemeSpy*& current() {
    static ThemeSpy* spy = nullptr;
    return spy;
}

inline HMODULE uxtheme() { return GetModuleHandleA("uxtheme.dll"); }

inline bool IsUxTheme(const char* name) {
    static const char kName[] = "uxtheme.dll";
    if (!name) return false;
    size_t i = 0;
    for (; name[i] && kName[i]; ++i) {
        if (std::tolower(static_cast<unsigned char>(name[i])) != kName[i]) return false;
    }
    return name[i] == 0 && kName[i] == 0;
}

template <typename Function>
Function RealThemeFunction(const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(uxtheme(), name)));
}

inline HANDLE WINAPI OpenThemeDataSpy(HWND window, LPCWSTR classList) {
    ThemeCall call;
    call.function = "OpenThemeData";
    call.window = window;
    call.classList = classList ? classList : L"";
    auto real = RealThemeFunction<HANDLE(WINAPI*)(HWND, LPCWSTR)>("OpenThemeData");
    call.theme = current()->openAnswersNull ? nullptr : real(window, classList);
    current()->calls.push_back(call);
    return call.theme;
}

inline HRESULT WINAPI CloseThemeDataSpy(HANDLE theme) {
    ThemeCall call;
    call.function = "CloseThemeData";
    call.theme = theme;
    current()->calls.push_back(call);
    return RealThemeFunction<HRESULT(WINAPI*)(HANDLE)>("CloseThemeData")(theme);
}

inline HRESULT WINAPI DrawThemeBackgroundSpy(HANDLE theme, HDC dc, int part, int state, const RECT* rect,
                                             const RECT* clip) {
    ThemeCall call;
    call.function = "DrawThemeBackground";
    call.theme = theme;
    call.part = part;
    call.state = state;
    if (rect) call.rect = *rect;
    call.hasClip = clip != nullptr;
    current()->calls.push_back(call);
    using Real = HRESULT(WINAPI*)(HANDLE, HDC, int, int, const RECT*, const RECT*);
    return RealThemeFunction<Real>("DrawThemeBackground")(theme, dc, part, state, rect, clip);
}

inline HRESULT WINAPI DrawThemeParentBackgroundSpy(HWND window, HDC dc, const RECT* rect) {
    ThemeCall call;
    call.function = "DrawThemeParentBackground";
    call.window = window;
    if (rect) call.rect = *rect;
    current()->calls.push_back(call);
    using Real = HRESULT(WINAPI*)(HWND, HDC, const RECT*);
    return RealThemeFunction<Real>("DrawThemeParentBackground")(window, dc, rect);
}

inline BOOL WINAPI GetVersionExASpy(OSVERSIONINFOA* info) {
    ThemeSpy& spy = *current();
    const DWORD size = info->dwOSVersionInfoSize;
    spy.versionQueries.push_back(size);
    const bool refused = size == sizeof(OSVERSIONINFOEXA) ? spy.refuseExtendedRecord
                         : size == sizeof(OSVERSIONINFOA) ? spy.refuseBasicRecord
                                                          : true;
    if (refused) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    info->dwMajorVersion = spy.version.major;
    info->dwMinorVersion = spy.version.minor;
    info->dwBuildNumber = 2600;
    info->dwPlatformId = spy.version.platform;
    info->szCSDVersion[0] = 0;
    return TRUE;
}

inline HMODULE WINAPI LoadLibraryASpy(LPCSTR name) {
    if (!IsUxTheme(name)) return LoadLibraryA(name);
    ThemeSpy& spy = *current();
    ++spy.loads;
    if (spy.unloadable) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    return LoadLibraryA(name);
}

inline BOOL WINAPI FreeLibrarySpy(HMODULE module) {
    if (module != nullptr && module == uxtheme()) ++current()->frees;
    return FreeLibrary(module);
}

inline FARPROC WINAPI GetProcAddressSpy(HMODULE module, LPCSTR name) {
    // Names only: an ordinal has zero in the high bits.
    if (module == nullptr || module != uxtheme() || (reinterpret_cast<uintptr_t>(name) >> 16) == 0) {
        return GetProcAddress(module, name);
    }
    current()->lookups.push_back(name);
    const std::string wanted = name;
    void* spyFunction = nullptr;
    if (wanted == "OpenThemeData") spyFunction = reinterpret_cast<void*>(OpenThemeDataSpy);
    if (wanted == "CloseThemeData") spyFunction = reinterpret_cast<void*>(CloseThemeDataSpy);
    if (wanted == "DrawThemeBackground") spyFunction = reinterpret_cast<void*>(DrawThemeBackgroundSpy);
    if (wanted == "DrawThemeParentBackground") spyFunction = reinterpret_cast<void*>(DrawThemeParentBackgroundSpy);
    if (!spyFunction) return GetProcAddress(module, name);
    return reinterpret_cast<FARPROC>(spyFunction);
}

inline DWORD WINAPI GetTickCountSpy() {
    ThemeSpy& spy = *current();
    return spy.scriptedTicks ? spy.tick : GetTickCount();
}

}  // namespace detail

inline ThemeSpy::ThemeSpy(HMODULE module, SystemVersion systemVersion)
    : version(systemVersion),
      uxtheme_(LoadLibraryA("uxtheme.dll")),
      versionHook_(module, "KERNEL32.dll", "GetVersionExA", reinterpret_cast<void*>(detail::GetVersionExASpy)),
      loadHook_(module, "KERNEL32.dll", "LoadLibraryA", reinterpret_cast<void*>(detail::LoadLibraryASpy)),
      freeHook_(module, "KERNEL32.dll", "FreeLibrary", reinterpret_cast<void*>(detail::FreeLibrarySpy)),
      lookupHook_(module, "KERNEL32.dll", "GetProcAddress", reinterpret_cast<void*>(detail::GetProcAddressSpy)),
      tickHook_(module, "KERNEL32.dll", "GetTickCount", reinterpret_cast<void*>(detail::GetTickCountSpy)) {
    detail::current() = this;
}

inline ThemeSpy::~ThemeSpy() {
    detail::current() = nullptr;
    if (uxtheme_) FreeLibrary(uxtheme_);
}

inline bool ThemeSpy::installed() const {
    return uxtheme_ != nullptr && versionHook_.installed() && loadHook_.installed() && freeHook_.installed() &&
           lookupHook_.installed() && tickHook_.installed();
}

inline std::vector<ThemeCall> ThemeSpy::callsOf(const std::string& function) const {
    std::vector<ThemeCall> found;
    for (const ThemeCall& call : calls) {
        if (call.function == function) found.push_back(call);
    }
    return found;
}

}  // namespace themehooks
