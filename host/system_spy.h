// Scripted answers of the system to a loaded plug-in, and accounting of what
// it borrows from the system besides GDI objects: the Windows version and
// the user's language it asks for, a virtual millisecond clock, the keys it
// finds held down, uxtheme.dll references and theme handles, popup menus
// (with a scripted TrackPopupMenu that runs no modal loop), and anything it
// tries to show or log.
//
// The spy replaces the plug-in's imports (ImportHook), so it sees only the
// plug-in's own calls. Make it after Host::load() and before the first
// create(); one SystemSpy at a time. Misuse it sees is reported as a host
// fault (Host::faults), named after the running callback.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <windows.h>

#include "plugin_host.h"

namespace pluginhost {

struct WindowsVersion {
    DWORD platform;
    DWORD major;
    DWORD minor;
    DWORD build;
    bool extendedRecord;  // GetVersionExA accepts the 156-byte OSVERSIONINFOEXA
};
constexpr WindowsVersion kWindows98 = {VER_PLATFORM_WIN32_WINDOWS, 4, 10, 2222, false};
constexpr WindowsVersion kWindowsXP = {VER_PLATFORM_WIN32_NT, 5, 1, 2600, true};
constexpr WindowsVersion kWindows7 = {VER_PLATFORM_WIN32_NT, 6, 1, 7601, true};

// One item of a popup menu as TrackPopupMenu found it.
struct MenuItemSnapshot {
    UINT id = 0;
    bool separator = false;
    bool checked = false;
    std::wstring text;
};

// A TrackPopupMenu (or TrackPopupMenuEx) call and the menu it was given.
struct PopupMenuCall {
    HMENU menu = nullptr;
    UINT flags = 0;
    int x = 0;
    int y = 0;
    HWND owner = nullptr;
    bool hasRect = false;
    std::vector<MenuItemSnapshot> items;
};

class SystemSpy {
public:
    explicit SystemSpy(Host& host);
    ~SystemSpy();
    SystemSpy(const SystemSpy&) = delete;
    SystemSpy& operator=(const SystemSpy&) = delete;

    // The imports of the plug-in that the spy could not replace (the
    // plug-in does not import them); their calls go unseen.
    std::vector<std::string> unhooked() const;

    // --- what the system answers -------------------------------------------
    WindowsVersion version = kWindowsXP;
    LANGID language = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
    DWORD tick = 0;                     // GetTickCount's answer
    std::set<int> keysDown;             // GetKeyState reports these virtual keys held
    bool uxthemeMissing = false;        // LoadLibrary of uxtheme.dll fails
    bool openThemeAnswersNull = false;  // OpenThemeData answers null (visual styles off)
    // DrawThemeBackground draws nothing and answers E_HANDLE, as it does for
    // a handle opened before visual styles were turned off.
    bool themesStale = false;
    // Answers TrackPopupMenu; without it every menu closes with no choice.
    std::function<UINT(const PopupMenuCall&)> trackPopupMenu;

    // --- accounting ------------------------------------------------------------
    // uxtheme.dll references the plug-in holds (its loads less its frees).
    int uxthemeReferences() const { return uxthemeReferences_; }
    // Theme handles the plug-in opened and has not closed.
    int openThemes() const;
    int themesOpened() const { return themesOpened_; }  // non-null OpenThemeData answers in all
    // Menus the plug-in created and has not destroyed.
    int liveMenus() const { return static_cast<int>(liveMenus_.size()); }
    int popupMenuCalls() const { return popupMenuCalls_; }
    int versionQueries() const { return versionQueries_; }

    struct Hooks;

private:
    friend struct Hooks;
    void fault(const std::string& message);
    bool holdsUxtheme(const char* function);

    Host& host_;
    HMODULE uxtheme_ = nullptr;  // the spy's own reference keeps the handle meaningful
    std::vector<std::unique_ptr<ImportHook>> hooks_;
    std::vector<std::string> unhooked_;
    int uxthemeReferences_ = 0;
    std::map<HANDLE, int> openThemes_;  // a handle may be answered more than once
    int themesOpened_ = 0;
    std::set<HMENU> liveMenus_;
    int popupMenuCalls_ = 0;
    int versionQueries_ = 0;
};

}  // namespace pluginhost
