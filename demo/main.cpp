// The demo application: loads ClassicControls.dll through the host component
// and plays the host live in one window.
//
//   demo.exe [--xp] [--log=FILE] [--at=X,Y] [--system-tick] [--check-late-writes] [--plugin=DLL]
//   demo.exe --close-running
//   demo.exe --place-running=X,Y,W,H
//
// --xp            run as on Windows XP with visual styles: the plug-in's
//                 version query answers 5.1. Otherwise it sees the system's
//                 own version (under Wine, the one that Wine plays: tools/
//                 wine-run --windows winxp) and draws with visual styles on
//                 Windows XP only.
// --log=FILE      every record, with millisecond times, to FILE
// --at=X,Y        the window's top-left corner on the screen
// --system-tick   leave the plug-in on the system tick count (16 ms steps)
//                 instead of a millisecond clock
// --check-late-writes keep every destroyed control's block until exit and
//                 count a write into it as a fault (a live application frees
//                 it at once)
// --place-running asks the running demo's window to put its client area's
//                 top-left corner at X,Y on the screen and make it W x H,
//                 as its user would with the window's frame (a driver from
//                 outside resizes it this way: without a window manager the
//                 display cannot)
// --close-running asks the running demo's window to close, as a task
//                 manager's "End task" does (WM_CLOSE), whatever it is doing
// At exit every instance is destroyed and the host's checks are printed; the
// exit status is 0 when the plug-in gave back every lock and GDI object.
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "demo.h"

namespace {

constexpr UINT_PTR kMenuWatchTimer = 1;
constexpr UINT kMenuWatchInterval = 16;
constexpr int kDefaultLeft = 40;
constexpr int kDefaultTop = 40;
constexpr int kLogPaneTop = 26;
constexpr int kMargin = 8;
constexpr int kFaultsStatus = 1;
constexpr int kStartFailedStatus = 2;
// FILETIME units per millisecond.
constexpr ULONGLONG kFileTimePerMs = 10000;

constexpr wchar_t kWindowClass[] = L"ClassicControlsDemo";
// --place-running's request to the running demo.
constexpr UINT kPlaceMessage = WM_APP + 1;

struct Options {
    bool closeRunning = false;
    bool placeRunning = false;
    struct {
        int x, y, width, height;
    } place{};  // --place-running: the client area's corner and size
    bool xp = false;
    bool systemTick = false;
    bool checkLateWrites = false;
    std::string logPath;
    std::string plugin;
    int left = kDefaultLeft;
    int top = kDefaultTop;
};

Options gOptions;
EventLog gLog;
pluginhost::LiveHost* gLive = nullptr;
Form* gForm = nullptr;
HWND gPane = nullptr;

// The text after "--name=" when the argument is that option, else null.
const char* valueOf(const std::string& argument, const char* option) {
    const size_t length = std::strlen(option);
    return argument.compare(0, length, option) == 0 ? argument.c_str() + length : nullptr;
}

bool parse(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const char* value = nullptr;
        if (a == "--close-running") {
            options.closeRunning = true;
        } else if ((value = valueOf(a, "--place-running="))) {
            options.placeRunning = true;
            auto& p = options.place;
            if (std::sscanf(value, "%d,%d,%d,%d", &p.x, &p.y, &p.width, &p.height) != 4) return false;
        } else if (a == "--xp") {
            options.xp = true;
        } else if (a == "--system-tick") {
            options.systemTick = true;
        } else if (a == "--check-late-writes") {
            options.checkLateWrites = true;
        } else if ((value = valueOf(a, "--log="))) {
            options.logPath = value;
        } else if ((value = valueOf(a, "--plugin="))) {
            options.plugin = value;
        } else if ((value = valueOf(a, "--at="))) {
            if (std::sscanf(value, "%d,%d", &options.left, &options.top) != 2) return false;
        } else {
            return false;
        }
    }
    return true;
}

// The plug-in's look: visual styles on Windows XP (NT 5.1), or when asked.
bool visualStyles() {
    if (gOptions.xp) return true;
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    return GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion == 5 &&
           version.dwMinorVersion == 1;
}

// Milliseconds since the process was created.
ULONGLONG sinceProcessStart() {
    FILETIME created, exited, kernel, user, now;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    GetSystemTimeAsFileTime(&now);
    auto value = [](const FILETIME& t) { return (ULONGLONG(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    return (value(now) - value(created)) / kFileTimePerMs;
}

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(window, &ps);
            if (gForm) gForm->paintLabels(dc);
            EndPaint(window, &ps);
            return 0;
        }
        case WM_SIZE:
            gLog.write("client", std::to_string(LOWORD(lParam)) + " " + std::to_string(HIWORD(lParam)));
            if (gPane) {
                const int width = LOWORD(lParam) - Form::kLogLeft - kMargin;
                const int height = HIWORD(lParam) - kLogPaneTop - kMargin;
                MoveWindow(gPane, Form::kLogLeft, kLogPaneTop, width > 0 ? width : 0, height > 0 ? height : 0, TRUE);
            }
            return 0;
        case kPlaceMessage: {
            // The client area at (x, y), w x h: the frame around it.
            const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
            const int x = static_cast<int16_t>(LOWORD(wParam)), y = static_cast<int16_t>(HIWORD(wParam));
            RECT frame{x, y, x + LOWORD(lParam), y + HIWORD(lParam)};
            AdjustWindowRect(&frame, style, FALSE);
            SetWindowPos(window, nullptr, frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        }
        case WM_MOVE: {
            // The client area's place on the screen, for whoever drives the
            // demo from outside (a drag on the frame moves the window).
            POINT origin{0, 0};
            ClientToScreen(window, &origin);
            gLog.write("origin", std::to_string(origin.x) + " " + std::to_string(origin.y));
            return 0;
        }
        case WM_TIMER:
            if (wParam == kMenuWatchTimer && gForm) {
                gForm->watchMenu();
                gLog.flush();
            }
            return 0;
        case WM_DESTROY:
            // Also while a popup menu's loop runs inside a control's mouseDown:
            // the instances go now, and the control must not touch its own
            // afterwards. The menu is told to end, not to outlive its window.
            gLog.write("closing", "");
            EndMenu();
            KillTimer(window, kMenuWatchTimer);
            if (gForm) gForm->logIdle("exit");
            if (gLive) gLive->destroyAll();
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

HWND makeMainWindow() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = mainWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kWindowClass;
    RegisterClassW(&windowClass);
    const DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    RECT frame{0, 0, Form::kWidth, Form::kHeight};
    AdjustWindowRect(&frame, style, FALSE);
    const wchar_t* title = visualStyles() ? L"ClassicControls (Windows XP, visual styles)" : L"ClassicControls";
    return CreateWindowExW(0, windowClass.lpszClassName, title, style, gOptions.left, gOptions.top,
                           frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    if (!parse(argc, argv, gOptions)) {
        std::fprintf(stderr,
                     "usage: demo.exe [--xp] [--log=FILE] [--at=X,Y] [--system-tick] [--check-late-writes]"
                     " [--plugin=DLL]\n"
                     "       demo.exe --close-running\n"
                     "       demo.exe --place-running=X,Y,W,H\n");
        return kStartFailedStatus;
    }
    if (gOptions.placeRunning) {
        HWND running = FindWindowW(kWindowClass, nullptr);
        const auto& p = gOptions.place;
        return running && PostMessageW(running, kPlaceMessage, MAKEWPARAM(p.x, p.y), MAKELPARAM(p.width, p.height))
                   ? 0
                   : kStartFailedStatus;
    }
    if (gOptions.closeRunning) {
        HWND running = FindWindowW(kWindowClass, nullptr);
        return running && PostMessageW(running, WM_CLOSE, 0, 0) ? 0 : kStartFailedStatus;
    }
    if (!gOptions.logPath.empty() && !gLog.open(gOptions.logPath)) {
        std::fprintf(stderr, "demo: cannot write %s\n", gOptions.logPath.c_str());
        return kStartFailedStatus;
    }
    gLog.write("start", visualStyles() ? "xp" : "classic");
    HWND window = makeMainWindow();
    if (!window) {
        std::fprintf(stderr, "demo: cannot make the window\n");
        return kStartFailedStatus;
    }

    pluginhost::Host host(window);
    host.keepDestroyedBlocks = gOptions.checkLateWrites;
    const std::string plugin =
        gOptions.plugin.empty() ? pluginhost::besideProgram("ClassicControls.dll") : gOptions.plugin;
    if (!host.load(plugin)) {
        std::fprintf(stderr, "demo: %s\n", host.lastError().c_str());
        DestroyWindow(window);
        return kStartFailedStatus;
    }
    // Both before the first construct: the plug-in asks for the version once.
    std::unique_ptr<pluginhost::ImportHook> clock;
    if (!gOptions.systemTick) clock = pluginhost::useMillisecondClock(host.module());
    std::unique_ptr<pluginhost::ImportHook> version;
    if (gOptions.xp) version = pluginhost::answerVersionAsWindowsXP(host.module());

    int status = 0;
    {
        pluginhost::LiveHost live(host);
        gLive = &live;
        gPane = CreateWindowExW(WS_EX_CLIENTEDGE, L"LISTBOX", L"",
                                WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOINTEGRALHEIGHT | LBS_NOSEL, 0, 0, 1, 1,
                                window, nullptr, GetModuleHandleW(nullptr), nullptr);
        SendMessageW(gPane, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
        gLog.setPane(gPane);
        Form form(live, gLog);
        gForm = &form;
        form.build();
        ShowWindow(window, SW_SHOWNORMAL);
        UpdateWindow(window);
        RedrawWindow(window, nullptr, nullptr, RDW_ALLCHILDREN | RDW_UPDATENOW);
        form.logLayout(window);
        SetTimer(window, kMenuWatchTimer, kMenuWatchInterval, nullptr);
        gLog.write("ready", "start-up " + std::to_string(sinceProcessStart()) + " ms");

        status = live.run();
        gForm = nullptr;
        gPane = nullptr;
        live.destroyAll();
        gLive = nullptr;
    }

    // After the loop: a control still inside a callback when its window went
    // has returned by now, so a late write into a destroyed instance shows.
    const int created = host.gdiCreated();
    const std::vector<std::string> faults = host.finish();
    for (const std::string& fault : faults) {
        gLog.write("fault", fault);
        std::printf("demo: fault: %s\n", fault.c_str());
    }
    const std::string summary = std::to_string(faults.size()) + " faults, " + std::to_string(created) +
                                " GDI objects made by the plug-in, " + std::to_string(host.gdiLive()) + " left";
    gLog.write("exit", summary);
    std::printf("demo: %s; %s\n", summary.c_str(),
                faults.empty() ? "every lock and GDI object given back" : "see the faults above");
    std::fflush(stdout);
    if (IsWindow(window)) DestroyWindow(window);
    return faults.empty() ? status : kFaultsStatus;
}
