#include "theme_spy.h"

#include <cctype>
#include <cstdint>

namespace pluginhost {

static ThemeSpy* gSpy = nullptr;

// What GetVersionExA reports as the build of every scripted version.
constexpr DWORD kScriptedBuild = 2600;
// What DrawThemeParentBackground answers when it paints nothing.
constexpr HRESULT kNothingPainted = S_FALSE;

int loaderCount(HMODULE module) {
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

static HMODULE uxtheme() { return GetModuleHandleA("uxtheme.dll"); }

static bool isUxTheme(const char* name) {
    static const char kName[] = "uxtheme.dll";
    if (!name) return false;
    size_t i = 0;
    for (; name[i] && kName[i]; ++i) {
        if (std::tolower(static_cast<unsigned char>(name[i])) != kName[i]) return false;
    }
    return name[i] == 0 && kName[i] == 0;
}

template <typename Function>
static Function realThemeFunction(const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(uxtheme(), name)));
}

// ---- the uxtheme functions the plug-in finds through GetProcAddress ---------------

static HANDLE WINAPI openThemeDataSpy(HWND window, LPCWSTR classList) {
    ThemeCall call;
    call.function = "OpenThemeData";
    call.window = window;
    call.classList = classList ? classList : L"";
    auto real = realThemeFunction<HANDLE(WINAPI*)(HWND, LPCWSTR)>("OpenThemeData");
    call.theme = gSpy->openAnswersNull ? nullptr : real(window, classList);
    gSpy->calls.push_back(call);
    return call.theme;
}

static HRESULT WINAPI closeThemeDataSpy(HANDLE theme) {
    ThemeCall call;
    call.function = "CloseThemeData";
    call.theme = theme;
    gSpy->calls.push_back(call);
    return realThemeFunction<HRESULT(WINAPI*)(HANDLE)>("CloseThemeData")(theme);
}

static HRESULT WINAPI drawThemeBackgroundSpy(HANDLE theme, HDC dc, int part, int state, const RECT* rect,
                                             const RECT* clip) {
    ThemeCall call;
    call.function = "DrawThemeBackground";
    call.theme = theme;
    call.part = part;
    call.state = state;
    if (rect) call.rect = *rect;
    call.hasClip = clip != nullptr;
    gSpy->calls.push_back(call);
    using Real = HRESULT(WINAPI*)(HANDLE, HDC, int, int, const RECT*, const RECT*);
    return realThemeFunction<Real>("DrawThemeBackground")(theme, dc, part, state, rect, clip);
}

static HRESULT WINAPI drawThemeParentBackgroundSpy(HWND window, HDC dc, const RECT* rect) {
    ThemeCall call;
    call.function = "DrawThemeParentBackground";
    call.window = window;
    if (rect) call.rect = *rect;
    gSpy->calls.push_back(call);
    if (gSpy->paintsParentBackground && !gSpy->paintsParentBackground(window)) return kNothingPainted;
    using Real = HRESULT(WINAPI*)(HWND, HDC, const RECT*);
    return realThemeFunction<Real>("DrawThemeParentBackground")(window, dc, rect);
}

static void* themeSpyFor(const std::string& name) {
    if (name == "OpenThemeData") return reinterpret_cast<void*>(openThemeDataSpy);
    if (name == "CloseThemeData") return reinterpret_cast<void*>(closeThemeDataSpy);
    if (name == "DrawThemeBackground") return reinterpret_cast<void*>(drawThemeBackgroundSpy);
    if (name == "DrawThemeParentBackground") return reinterpret_cast<void*>(drawThemeParentBackgroundSpy);
    return nullptr;
}

// ---- the plug-in's imports ------------------------------------------------------------

ThemeSpy::ThemeSpy(HMODULE module, SystemVersion systemVersion)
    : version(systemVersion), uxtheme_(LoadLibraryA("uxtheme.dll")), imports_(module) {
    gSpy = this;
    imports_.hook<decltype(&GetVersionExA)>(
        "KERNEL32.dll", "GetVersionExA", nullptr, [this](auto real, OSVERSIONINFOA* info) -> BOOL {
            const DWORD size = info->dwOSVersionInfoSize;
            versionQueries.push_back(size);
            if (version.platform == kAsTheSystemAnswers.platform) return real(info);
            const bool refused = size == sizeof(OSVERSIONINFOEXA) ? refuseExtendedRecord
                                 : size == sizeof(OSVERSIONINFOA) ? refuseBasicRecord
                                                                  : true;
            if (refused) {
                SetLastError(ERROR_INSUFFICIENT_BUFFER);
                return FALSE;
            }
            info->dwMajorVersion = version.major;
            info->dwMinorVersion = version.minor;
            info->dwBuildNumber = kScriptedBuild;
            info->dwPlatformId = version.platform;
            info->szCSDVersion[0] = 0;
            return TRUE;
        });
    imports_.hook<decltype(&LoadLibraryA)>("KERNEL32.dll", "LoadLibraryA", nullptr,
                                           [this](auto real, LPCSTR name) -> HMODULE {
                                               if (!isUxTheme(name)) return real(name);
                                               ++loads;
                                               if (unloadable) {
                                                   SetLastError(ERROR_MOD_NOT_FOUND);
                                                   return nullptr;
                                               }
                                               return real(name);
                                           });
    imports_.hook<decltype(&FreeLibrary)>("KERNEL32.dll", "FreeLibrary", nullptr, [this](auto real, HMODULE module) {
        if (module != nullptr && module == uxtheme()) ++frees;
        return real(module);
    });
    imports_.hook<decltype(&GetProcAddress)>(
        "KERNEL32.dll", "GetProcAddress", nullptr, [this](auto real, HMODULE module, LPCSTR name) -> FARPROC {
            // Names only: an ordinal has zero in the high bits.
            if (module == nullptr || module != uxtheme() || (reinterpret_cast<uintptr_t>(name) >> 16) == 0) {
                return real(module, name);
            }
            lookups.push_back(name);
            void* spy = themeSpyFor(name);
            return spy ? reinterpret_cast<FARPROC>(spy) : real(module, name);
        });
    imports_.hook<decltype(&GetTickCount)>("KERNEL32.dll", "GetTickCount", nullptr,
                                           [this](auto real) { return scriptedTicks ? tick : real(); });
}

ThemeSpy::~ThemeSpy() {
    gSpy = nullptr;
    if (uxtheme_) FreeLibrary(uxtheme_);
}

bool ThemeSpy::installed() const { return uxtheme_ != nullptr && imports_.installed(); }

std::vector<ThemeCall> ThemeSpy::callsOf(const std::string& function) const {
    std::vector<ThemeCall> found;
    for (const ThemeCall& call : calls) {
        if (call.function == function) found.push_back(call);
    }
    return found;
}

}  // namespace pluginhost
