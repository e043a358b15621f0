// The system spy: replaced imports of the plug-in, their scripted answers
// and the accounting of libraries, theme handles and menus.
#include "system_spy.h"

#include <cstdio>
#include <cstring>

namespace pluginhost {

static SystemSpy* gSpy = nullptr;

static bool isUxthemeName(const wchar_t* name) {
    if (!name) return false;
    const wchar_t* file = name;
    for (const wchar_t* p = name; *p; ++p)
        if (*p == L'\\' || *p == L'/') file = p + 1;
    return _wcsicmp(file, L"uxtheme.dll") == 0 || _wcsicmp(file, L"uxtheme") == 0;
}

static bool isUxthemeName(const char* name) {
    if (!name) return false;
    wchar_t wide[MAX_PATH] = {};
    if (!MultiByteToWideChar(CP_ACP, 0, name, -1, wide, MAX_PATH)) return false;
    return isUxthemeName(wide);
}

static std::string hex(const void* value) {
    char text[32];
    std::snprintf(text, sizeof text, "%p", value);
    return text;
}

static std::vector<MenuItemSnapshot> snapshotOf(HMENU menu) {
    std::vector<MenuItemSnapshot> items;
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING;
        if (!GetMenuItemInfoW(menu, i, TRUE, &info)) continue;
        MenuItemSnapshot item;
        item.id = info.wID;
        item.separator = (info.fType & MFT_SEPARATOR) != 0;
        item.checked = (info.fState & MFS_CHECKED) != 0;
        if (!item.separator && info.cch > 0) {
            std::vector<wchar_t> text(info.cch + 1, L'\0');
            info.dwTypeData = text.data();
            info.cch = static_cast<UINT>(text.size());
            if (GetMenuItemInfoW(menu, i, TRUE, &info)) item.text.assign(text.data());
        }
        items.push_back(item);
    }
    return items;
}

// The replacements. Every one is WINAPI, as the functions they stand for.
struct SystemSpy::Hooks {
    static BOOL WINAPI GetVersionExA(OSVERSIONINFOA* info) {
        SystemSpy& spy = *gSpy;
        ++spy.versionQueries_;
        const DWORD size = info ? info->dwOSVersionInfoSize : 0;
        const bool extended = size == sizeof(OSVERSIONINFOEXA);
        if (!info || (size != sizeof(OSVERSIONINFOA) && !extended) || (extended && !spy.version.extendedRecord)) {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return FALSE;
        }
        std::memset(reinterpret_cast<char*>(info) + sizeof(DWORD), 0, size - sizeof(DWORD));
        info->dwMajorVersion = spy.version.major;
        info->dwMinorVersion = spy.version.minor;
        info->dwBuildNumber = spy.version.build;
        info->dwPlatformId = spy.version.platform;
        if (extended) reinterpret_cast<OSVERSIONINFOEXA*>(info)->wProductType = VER_NT_WORKSTATION;
        return TRUE;
    }

    static LANGID WINAPI GetUserDefaultLangID() { return gSpy->language; }

    static DWORD WINAPI GetTickCount() { return gSpy->tick; }

    static SHORT WINAPI GetKeyState(int key) { return gSpy->keysDown.count(key) ? SHORT(0x8000) : SHORT(0); }

    // --- uxtheme.dll -------------------------------------------------------

    static HMODULE loaded(HMODULE module) {
        if (module) ++gSpy->uxthemeReferences_;
        return module;
    }

    static HMODULE refused() {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }

    static HMODULE WINAPI LoadLibraryA(LPCSTR name) {
        if (!isUxthemeName(name)) return ::LoadLibraryA(name);
        return gSpy->uxthemeMissing ? refused() : loaded(::LoadLibraryA(name));
    }

    static HMODULE WINAPI LoadLibraryW(LPCWSTR name) {
        if (!isUxthemeName(name)) return ::LoadLibraryW(name);
        return gSpy->uxthemeMissing ? refused() : loaded(::LoadLibraryW(name));
    }

    static HMODULE WINAPI LoadLibraryExA(LPCSTR name, HANDLE file, DWORD flags) {
        if (!isUxthemeName(name)) return ::LoadLibraryExA(name, file, flags);
        return gSpy->uxthemeMissing ? refused() : loaded(::LoadLibraryExA(name, file, flags));
    }

    static HMODULE WINAPI LoadLibraryExW(LPCWSTR name, HANDLE file, DWORD flags) {
        if (!isUxthemeName(name)) return ::LoadLibraryExW(name, file, flags);
        return gSpy->uxthemeMissing ? refused() : loaded(::LoadLibraryExW(name, file, flags));
    }

    static BOOL WINAPI FreeLibrary(HMODULE module) {
        SystemSpy& spy = *gSpy;
        if (!module || module != spy.uxtheme_) return ::FreeLibrary(module);
        if (spy.uxthemeReferences_ <= 0) {
            // Not passed on: the library must stay loaded for the spy.
            spy.fault("FreeLibrary of uxtheme.dll with no reference of the plug-in's left");
            return TRUE;
        }
        --spy.uxthemeReferences_;
        return ::FreeLibrary(module);
    }

    static FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name) {
        SystemSpy& spy = *gSpy;
        // Names only: an ordinal has zero in the high bits.
        if (!module || module != spy.uxtheme_ || (reinterpret_cast<uintptr_t>(name) >> 16) == 0)
            return ::GetProcAddress(module, name);
        spy.holdsUxtheme("GetProcAddress");
        void* replacement = nullptr;
        if (std::strcmp(name, "OpenThemeData") == 0) replacement = reinterpret_cast<void*>(&OpenThemeData);
        if (std::strcmp(name, "CloseThemeData") == 0) replacement = reinterpret_cast<void*>(&CloseThemeData);
        if (std::strcmp(name, "DrawThemeBackground") == 0) replacement = reinterpret_cast<void*>(&DrawThemeBackground);
        if (std::strcmp(name, "DrawThemeParentBackground") == 0)
            replacement = reinterpret_cast<void*>(&DrawThemeParentBackground);
        return replacement ? reinterpret_cast<FARPROC>(replacement) : ::GetProcAddress(module, name);
    }

    // The plug-in keeps the addresses it was given after the spy is gone;
    // then the wrappers only pass the calls on.
    template <typename Function>
    static Function real(const char* name) {
        HMODULE uxtheme = gSpy ? gSpy->uxtheme_ : ::GetModuleHandleA("uxtheme.dll");
        return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(uxtheme, name)));
    }

    static void checkOpen(const char* function, HANDLE theme) {
        if (!gSpy) return;
        SystemSpy& spy = *gSpy;
        auto it = spy.openThemes_.find(theme);
        if (it == spy.openThemes_.end() || it->second <= 0)
            spy.fault(std::string(function) + " of theme " + hex(theme) + ", which is not open");
    }

    static HANDLE WINAPI OpenThemeData(HWND window, LPCWSTR classList) {
        if (!gSpy) return real<HANDLE(WINAPI*)(HWND, LPCWSTR)>("OpenThemeData")(window, classList);
        SystemSpy& spy = *gSpy;
        spy.holdsUxtheme("OpenThemeData");
        if (spy.openThemeAnswersNull) return nullptr;
        HANDLE theme = real<HANDLE(WINAPI*)(HWND, LPCWSTR)>("OpenThemeData")(window, classList);
        if (theme) {
            ++spy.openThemes_[theme];
            ++spy.themesOpened_;
        }
        return theme;
    }

    static HRESULT WINAPI CloseThemeData(HANDLE theme) {
        if (!gSpy) return real<HRESULT(WINAPI*)(HANDLE)>("CloseThemeData")(theme);
        SystemSpy& spy = *gSpy;
        spy.holdsUxtheme("CloseThemeData");
        checkOpen("CloseThemeData", theme);
        auto it = spy.openThemes_.find(theme);
        if (it == spy.openThemes_.end()) return E_HANDLE;
        if (--it->second == 0) spy.openThemes_.erase(it);
        return real<HRESULT(WINAPI*)(HANDLE)>("CloseThemeData")(theme);
    }

    static HRESULT WINAPI DrawThemeBackground(HANDLE theme, HDC dc, int part, int state, const RECT* rect,
                                              const RECT* clip) {
        if (gSpy) gSpy->holdsUxtheme("DrawThemeBackground");
        checkOpen("DrawThemeBackground", theme);
        if (gSpy && gSpy->themesStale) return E_HANDLE;
        using Real = HRESULT(WINAPI*)(HANDLE, HDC, int, int, const RECT*, const RECT*);
        return real<Real>("DrawThemeBackground")(theme, dc, part, state, rect, clip);
    }

    static HRESULT WINAPI DrawThemeParentBackground(HWND window, HDC dc, const RECT* rect) {
        if (gSpy) gSpy->holdsUxtheme("DrawThemeParentBackground");
        using Real = HRESULT(WINAPI*)(HWND, HDC, const RECT*);
        return real<Real>("DrawThemeParentBackground")(window, dc, rect);
    }

    // --- menus -----------------------------------------------------------------

    static HMENU created(HMENU menu) {
        if (menu) gSpy->liveMenus_.insert(menu);
        return menu;
    }

    static HMENU WINAPI CreatePopupMenu() { return created(::CreatePopupMenu()); }

    static HMENU WINAPI CreateMenu() { return created(::CreateMenu()); }

    static BOOL WINAPI DestroyMenu(HMENU menu) {
        SystemSpy& spy = *gSpy;
        if (spy.liveMenus_.erase(menu) == 0)
            spy.fault("DestroyMenu of " + hex(menu) + ", a menu the plug-in does not hold");
        return ::DestroyMenu(menu);
    }

    static BOOL track(HMENU menu, UINT flags, int x, int y, HWND owner, bool hasRect) {
        SystemSpy& spy = *gSpy;
        ++spy.popupMenuCalls_;
        if (!spy.liveMenus_.count(menu))
            spy.fault("TrackPopupMenu of " + hex(menu) + ", a menu the plug-in does not hold");
        PopupMenuCall call;
        call.menu = menu;
        call.flags = flags;
        call.x = x;
        call.y = y;
        call.owner = owner;
        call.hasRect = hasRect;
        call.items = snapshotOf(menu);
        return static_cast<BOOL>(spy.trackPopupMenu ? spy.trackPopupMenu(call) : 0);
    }

    static BOOL WINAPI TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int, HWND owner, const RECT* rect) {
        return track(menu, flags, x, y, owner, rect != nullptr);
    }

    static BOOL WINAPI TrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND owner, TPMPARAMS* parameters) {
        return track(menu, flags, x, y, owner, parameters != nullptr);
    }

    // --- output ----------------------------------------------------------------

    static void WINAPI OutputDebugStringA(LPCSTR text) {
        gSpy->fault(std::string("OutputDebugStringA(\"") + (text ? text : "") + "\")");
    }

    static void WINAPI OutputDebugStringW(LPCWSTR) { gSpy->fault("OutputDebugStringW"); }

    static int WINAPI MessageBoxA(HWND, LPCSTR text, LPCSTR, UINT) {
        gSpy->fault(std::string("MessageBoxA(\"") + (text ? text : "") + "\")");
        return IDOK;
    }

    static int WINAPI MessageBoxW(HWND, LPCWSTR, LPCWSTR, UINT) {
        gSpy->fault("MessageBoxW");
        return IDOK;
    }
};

struct Replacement {
    const char* dll;
    const char* function;
    void* hook;
};

SystemSpy::SystemSpy(Host& host) : host_(host), uxtheme_(::LoadLibraryA("uxtheme.dll")) {
    if (gSpy) {
        std::fprintf(stderr, "pluginhost: a second SystemSpy was made while another is alive\n");
        std::abort();
    }
    gSpy = this;
    const Replacement replacements[] = {
        {"KERNEL32.dll", "GetVersionExA", reinterpret_cast<void*>(&Hooks::GetVersionExA)},
        {"KERNEL32.dll", "GetUserDefaultLangID", reinterpret_cast<void*>(&Hooks::GetUserDefaultLangID)},
        {"KERNEL32.dll", "GetTickCount", reinterpret_cast<void*>(&Hooks::GetTickCount)},
        {"USER32.dll", "GetKeyState", reinterpret_cast<void*>(&Hooks::GetKeyState)},
        {"KERNEL32.dll", "LoadLibraryA", reinterpret_cast<void*>(&Hooks::LoadLibraryA)},
        {"KERNEL32.dll", "LoadLibraryW", reinterpret_cast<void*>(&Hooks::LoadLibraryW)},
        {"KERNEL32.dll", "LoadLibraryExA", reinterpret_cast<void*>(&Hooks::LoadLibraryExA)},
        {"KERNEL32.dll", "LoadLibraryExW", reinterpret_cast<void*>(&Hooks::LoadLibraryExW)},
        {"KERNEL32.dll", "FreeLibrary", reinterpret_cast<void*>(&Hooks::FreeLibrary)},
        {"KERNEL32.dll", "GetProcAddress", reinterpret_cast<void*>(&Hooks::GetProcAddress)},
        {"USER32.dll", "CreatePopupMenu", reinterpret_cast<void*>(&Hooks::CreatePopupMenu)},
        {"USER32.dll", "CreateMenu", reinterpret_cast<void*>(&Hooks::CreateMenu)},
        {"USER32.dll", "DestroyMenu", reinterpret_cast<void*>(&Hooks::DestroyMenu)},
        {"USER32.dll", "TrackPopupMenu", reinterpret_cast<void*>(&Hooks::TrackPopupMenu)},
        {"USER32.dll", "TrackPopupMenuEx", reinterpret_cast<void*>(&Hooks::TrackPopupMenuEx)},
        {"KERNEL32.dll", "OutputDebugStringA", reinterpret_cast<void*>(&Hooks::OutputDebugStringA)},
        {"KERNEL32.dll", "OutputDebugStringW", reinterpret_cast<void*>(&Hooks::OutputDebugStringW)},
        {"USER32.dll", "MessageBoxA", reinterpret_cast<void*>(&Hooks::MessageBoxA)},
        {"USER32.dll", "MessageBoxW", reinterpret_cast<void*>(&Hooks::MessageBoxW)},
    };
    for (const Replacement& r : replacements) {
        auto hook = std::make_unique<ImportHook>(host.module(), r.dll, r.function, r.hook);
        if (hook->installed())
            hooks_.push_back(std::move(hook));
        else
            unhooked_.push_back(r.function);
    }
}

SystemSpy::~SystemSpy() {
    hooks_.clear();
    gSpy = nullptr;
    if (uxtheme_) ::FreeLibrary(uxtheme_);
}

std::vector<std::string> SystemSpy::unhooked() const { return unhooked_; }

int SystemSpy::openThemes() const {
    int open = 0;
    for (const auto& entry : openThemes_) open += entry.second;
    return open;
}

void SystemSpy::fault(const std::string& message) { host_.reportFault(message); }

bool SystemSpy::holdsUxtheme(const char* function) {
    if (uxthemeReferences_ > 0) return true;
    fault(std::string(function) + " of uxtheme.dll while the plug-in holds no reference to the library");
    return false;
}

}  // namespace pluginhost
