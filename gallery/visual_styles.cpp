#include "visual_styles.h"

#include <set>
#include <string>

namespace {

using testhost::Host;
using testhost::Instance;

// Windows XP: NT 5.1.
constexpr DWORD kXPMajor = 5;
constexpr DWORD kXPMinor = 1;
constexpr DWORD kXPBuild = 2600;
// What DrawThemeParentBackground answers when it paints nothing.
constexpr HRESULT kNothingPainted = S_FALSE;

bool gOpenThemes = false;       // OpenThemeData gives real themes only while set
std::set<HWND> gThemedWindows;  // windows whose parent background is painted

HMODULE uxtheme() { return GetModuleHandleA("uxtheme.dll"); }

template <typename Function>
Function real(const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(uxtheme(), name)));
}

HANDLE WINAPI openThemeData(HWND window, LPCWSTR classList) {
    if (!gOpenThemes) return nullptr;
    return real<HANDLE(WINAPI*)(HWND, LPCWSTR)>("OpenThemeData")(window, classList);
}

HRESULT WINAPI drawThemeParentBackground(HWND window, HDC dc, const RECT* rect) {
    if (gThemedWindows.count(window) == 0) return kNothingPainted;
    return real<HRESULT(WINAPI*)(HWND, HDC, const RECT*)>("DrawThemeParentBackground")(window, dc, rect);
}

BOOL WINAPI getVersionExA(OSVERSIONINFOA* info) {
    info->dwMajorVersion = kXPMajor;
    info->dwMinorVersion = kXPMinor;
    info->dwBuildNumber = kXPBuild;
    info->dwPlatformId = VER_PLATFORM_WIN32_NT;
    info->szCSDVersion[0] = 0;
    return TRUE;
}

FARPROC WINAPI getProcAddress(HMODULE module, LPCSTR name) {
    // Names only: an ordinal has zero in the high bits.
    if (module != nullptr && module == uxtheme() && (reinterpret_cast<uintptr_t>(name) >> 16) != 0) {
        const std::string wanted = name;
        if (wanted == "OpenThemeData") return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(openThemeData));
        if (wanted == "DrawThemeParentBackground") {
            return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(drawThemeParentBackground));
        }
    }
    return GetProcAddress(module, name);
}

struct Hooks {
    explicit Hooks(HMODULE plugin)
        : version(plugin, "KERNEL32.dll", "GetVersionExA", reinterpret_cast<void*>(getVersionExA)),
          lookup(plugin, "KERNEL32.dll", "GetProcAddress", reinterpret_cast<void*>(getProcAddress)) {}
    testhost::ImportHook version;
    testhost::ImportHook lookup;
};

}  // namespace

void useVisualStyles(Gallery& gallery) {
    static const Gallery* prepared = nullptr;
    if (prepared == &gallery) return;
    prepared = &gallery;
    gallery.preparations.push_back([](Host& host) -> std::shared_ptr<void> {
        gThemedWindows.clear();
        return std::make_shared<Hooks>(host.module());
    });
}

CellSetup themed(CellSetup setup) {
    return [setup](Host& host, Instance* instance) {
        gThemedWindows.insert(instance->window);
        // Construct again, now with themes on: the instance opens its own.
        const ControlCallbacks* callbacks = instance->definition->callbacks;
        gOpenThemes = true;
        if (callbacks->destruct) callbacks->destruct(instance->control);
        if (callbacks->construct) callbacks->construct(instance->control);
        gOpenThemes = false;
        if (setup) setup(host, instance);
    };
}
