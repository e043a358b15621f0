// A watch on a plug-in's use of the visual-style library: a scripted Windows
// version, counted loads and releases of uxtheme.dll, and recording wrappers
// around the four uxtheme functions that forward to the real ones (or, where
// asked, answer as the system would without painting). Also a scripted
// millisecond tick. Made after the host has loaded the plug-in and before
// the first construct; one ThemeSpy at a time.
//
//     pluginhost::ThemeSpy theme(host.module());      // the plug-in sees Windows XP
//     Instance* b = host.create("BevelButton", ...); // opens its "Toolbar" theme
//     host.draw(b);
//     theme.callsOf("DrawThemeBackground")           // part, state, rectangle, ...
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <windows.h>

#include "call_recorder.h"

namespace pluginhost {

struct SystemVersion {
    DWORD platform;
    DWORD major;
    DWORD minor;
};
constexpr SystemVersion kWindowsXP = {VER_PLATFORM_WIN32_NT, 5, 1};
// Leaves the version query to the system: under Wine, the version it plays.
constexpr SystemVersion kAsTheSystemAnswers = {0, 0, 0};

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

// The loader's reference count of a module (the loader entry's load count),
// or -1 when it cannot be read.
int loaderCount(HMODULE module);

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
    bool unloadable = false;       // LoadLibraryA("uxtheme.dll") fails
    bool openAnswersNull = false;  // OpenThemeData answers null
    // Which windows DrawThemeParentBackground paints for; the others get
    // S_FALSE and nothing painted. Null: every window.
    std::function<bool(HWND)> paintsParentBackground;
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
    CallRecorder imports_;
};

}  // namespace pluginhost
