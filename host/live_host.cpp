// The live host: child windows that paint and take input, the held press,
// idle time and accelerators.
#include "live_host.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <vector>

#include <windowsx.h>

#include "host_internal.h"

namespace pluginhost {

// A cancelled press is dragged to here and released here, far from every
// control: the control then shows itself released and takes no click, as a
// standard button does when it loses the capture.
constexpr int kFarAway = -32768;
// Milliseconds before a held-press step that the loop stops sleeping and
// yields instead, so that the step is on time.
constexpr int32_t kSpinBeforeStep = 3;

uint32_t millisecondClock() {
    static const LONGLONG frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f.QuadPart;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<uint32_t>(now.QuadPart / frequency * 1000 + now.QuadPart % frequency * 1000 / frequency);
}

static DWORD WINAPI tickFromMillisecondClock() { return millisecondClock(); }

std::unique_ptr<ImportHook> useMillisecondClock(HMODULE plugin) {
    return std::make_unique<ImportHook>(plugin, "KERNEL32.dll", "GetTickCount",
                                        reinterpret_cast<void*>(&tickFromMillisecondClock));
}

// Whether the thread's input state, as of the last input message taken from
// its queue (by this loop or by any modal one), has the left button down.
static bool leftButtonDown() { return (GetKeyState(VK_LBUTTON) & 0x8000) != 0; }

// One control's window as the live host keeps it.
struct LiveControl {
    Instance* instance = nullptr;
    WNDPROC original = nullptr;
    bool hovered = false;
    bool idling = false;
    int idleCalls = 0;
};

struct LiveHost::State : LivePolicy {
    Host& host;
    std::map<HWND, LiveControl> controls;
    std::vector<Instance*> order;  // creation order: accelerators go to the first match
    Instance* held = nullptr;
    // The instance whose mouseDown or held-press mouseDrag is running; a modal
    // loop inside it may bring messages meant for the press.
    Instance* calling = nullptr;
    bool captureLost = false;  // by the held press, while its callback ran
    POINT lastPoint{};
    uint32_t lastStep = 0;  // millisecondClock() / kHeldPressStep of the last held-press drive
    UINT_PTR idleTimer = 0;
    std::function<void(Instance*, HDC)>* overlay = nullptr;
    std::function<void(Instance*, LiveHost::Press, POINT)>* pressObserver = nullptr;

    explicit State(Host& h) : host(h) {}

    void notify(Instance* instance, LiveHost::Press press, POINT at) {
        if (pressObserver && *pressObserver) (*pressObserver)(instance, press, at);
    }

    LiveControl* find(HWND window) {
        auto it = controls.find(window);
        return it == controls.end() ? nullptr : &it->second;
    }
    LiveControl* find(const Instance* instance) {
        return instance && instance->window ? find(instance->window) : nullptr;
    }
    bool alive(const Instance* instance) const {
        return std::find(order.begin(), order.end(), instance) != order.end();
    }

    // The host window's coordinates of a point in a control's window.
    POINT hostPoint(HWND window, LPARAM lParam) const {
        POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        MapWindowPoints(window, host.topWindow(), &p, 1);
        return p;
    }
    POINT origin(HWND window) const {
        POINT p{0, 0};
        MapWindowPoints(window, host.topWindow(), &p, 1);
        return p;
    }

    // --- LivePolicy ------------------------------------------------------------

    // A buffer of the control's window size that starts as a copy of what the
    // window shows and goes onto the window when the plug-in unlocks it.
    HostGraphics controlGraphics(Host::Impl& impl, Instance& instance, const std::string& purpose) override {
        HWND window = instance.window;
        if (!window || !IsWindow(window)) return nullptr;
        HostGdiWork work;
        RECT client;
        GetClientRect(window, &client);
        const int width = std::max<int>(client.right, 1);
        const int height = std::max<int>(client.bottom, 1);
        HDC windowDc = GetDC(window);
        HDC buffer = CreateCompatibleDC(windowDc);
        HBITMAP bitmap = CreateCompatibleBitmap(windowDc, width, height);
        if (!buffer || !bitmap) {
            if (bitmap) DeleteObject(bitmap);
            if (buffer) DeleteDC(buffer);
            ReleaseDC(window, windowDc);
            impl.fault("could not make a drawing surface for " + purpose);
            return nullptr;
        }
        HGDIOBJ previous = SelectObject(buffer, bitmap);
        BitBlt(buffer, 0, 0, width, height, windowDc, 0, 0, SRCCOPY);
        const POINT at = origin(window);
        SetWindowOrgEx(buffer, at.x, at.y, nullptr);
        const RECT area{at.x, at.y, at.x + width, at.y + height};
        return makeDcSurface(impl, buffer, area, purpose,
                             [window, windowDc, bitmap, previous, width, height, at](Handle& h) {
                                 HostGdiWork work;
                                 BitBlt(windowDc, 0, 0, width, height, h.dc, at.x, at.y, SRCCOPY);
                                 SelectObject(h.dc, previous);
                                 DeleteDC(h.dc);
                                 DeleteObject(bitmap);
                                 ReleaseDC(window, windowDc);
                             });
    }

    void invalidate(Instance& instance) override {
        if (instance.window) InvalidateRect(instance.window, nullptr, FALSE);
    }

    // --- painting ----------------------------------------------------------------

    // draw into a buffer over the form's colour, then onto the window at once:
    // nothing half-drawn ever shows.
    void paint(LiveControl& control, HWND window) {
        PAINTSTRUCT ps;
        HDC paintDc = BeginPaint(window, &ps);
        RECT client;
        GetClientRect(window, &client);
        if (client.right > 0 && client.bottom > 0) {
            HDC buffer = CreateCompatibleDC(paintDc);
            HBITMAP bitmap = CreateCompatibleBitmap(paintDc, client.right, client.bottom);
            HGDIOBJ previous = SelectObject(buffer, bitmap);
            HBRUSH background = CreateSolidBrush(control.instance->background);
            FillRect(buffer, &client, background);
            DeleteObject(background);
            const POINT at = origin(window);
            SetWindowOrgEx(buffer, at.x, at.y, nullptr);
            Instance* instance = control.instance;
            host.drawOn(instance, buffer);
            if (alive(instance) && overlay && *overlay) (*overlay)(instance, buffer);
            SetWindowOrgEx(buffer, 0, 0, nullptr);
            BitBlt(paintDc, 0, 0, client.right, client.bottom, buffer, 0, 0, SRCCOPY);
            SelectObject(buffer, previous);
            DeleteObject(bitmap);
            DeleteDC(buffer);
        }
        EndPaint(window, &ps);
    }

    // --- the mouse -----------------------------------------------------------------

    void trackLeave(HWND window) {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window, 0};
        TrackMouseEvent(&track);
    }

    // Enter and exit follow the pointer, also while a press holds the capture.
    void hover(LiveControl& control, HWND window, bool inside) {
        Instance* instance = control.instance;
        if (inside && !control.hovered) {
            control.hovered = true;
            trackLeave(window);
            host.mouseEnter(instance);
        } else if (!inside && control.hovered) {
            control.hovered = false;
            host.mouseExit(instance);
        }
    }

    static bool insideWindow(HWND window, LPARAM lParam) {
        RECT client;
        GetClientRect(window, &client);
        const POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        return PtInRect(&client, p) != FALSE;
    }

    // mouseDown, then the press is held, unless the control does not track
    // it or the button was let go inside a modal loop that mouseDown ran.
    bool begin(Instance* instance, POINT p) {
        notify(instance, LiveHost::Press::Begin, p);
        captureLost = false;
        calling = instance;
        // A popup menu runs inside this call; the window may be closed meanwhile.
        const bool tracks = host.mouseDown(instance, p.x, p.y);
        calling = nullptr;
        const bool holds = tracks && alive(instance);
        if (!holds) notify(instance, LiveHost::Press::Done, p);
        return holds;
    }

    void press(LiveControl& control, HWND window, LPARAM lParam) {
        if (held || calling) return;
        Instance* instance = control.instance;
        const POINT p = hostPoint(window, lParam);
        if (!begin(instance, p)) return;
        held = instance;
        lastPoint = p;
        lastStep = millisecondClock() / LiveHost::kHeldPressStep;
        if (!leftButtonDown()) {
            cancel(instance);
            return;
        }
        SetCapture(window);
    }

    // mouseDrag of the held press; a release or a lost capture that a modal
    // loop inside it brought ends the press once it returns.
    void drag(POINT p) {
        Instance* instance = held;
        calling = instance;
        host.mouseDrag(instance, p.x, p.y);
        calling = nullptr;
        if (held != instance) return;  // destroyed meanwhile
        if (captureLost || !leftButtonDown()) cancel(instance);
    }

    void move(LiveControl& control, HWND window, LPARAM lParam) {
        Instance* instance = control.instance;
        if (calling == instance) return;  // a modal loop inside its own callback
        const POINT p = hostPoint(window, lParam);
        hover(control, window, insideWindow(window, lParam));
        if (!alive(instance)) return;
        if (held == instance) {
            lastPoint = p;
            drag(p);
        } else if (!held) {
            host.mouseMove(instance, p.x, p.y);
        }
    }

    // Ends the held press: capture first, so that whatever the release fires
    // (an Action handler may open a window) finds the mouse free.
    void release(Instance* instance, HWND window, POINT p) {
        held = nullptr;
        if (GetCapture() == window) ReleaseCapture();
        host.mouseUp(instance, p.x, p.y);
        notify(instance, LiveHost::Press::Release, p);
        if (!alive(instance)) return;  // a handler destroyed it
        if (LiveControl* control = find(instance); control && control->hovered) trackLeave(window);
    }

    // Ends a press without a click: dragged outside first, so that the
    // control shows itself released and a toggle keeps its Value, then
    // released outside.
    void cancel(Instance* instance) {
        if (held == instance) held = nullptr;
        captureLost = false;
        if (GetCapture() == instance->window) ReleaseCapture();
        host.mouseDrag(instance, kFarAway, kFarAway);
        if (alive(instance)) host.mouseUp(instance, kFarAway, kFarAway);
        notify(instance, LiveHost::Press::Cancel, POINT{kFarAway, kFarAway});
    }

    void leave(LiveControl& control) {
        if (held == control.instance) return;  // hover follows the position while held
        if (control.hovered) {
            control.hovered = false;
            host.mouseExit(control.instance);
        }
    }

    // mouseDrag at every step of the clock while the mouse stands still.
    void driveHeldPress() {
        const uint32_t step = millisecondClock() / LiveHost::kHeldPressStep;
        if (step != lastStep) {
            lastStep = step;
            drag(lastPoint);
            return;
        }
        const int32_t untilNext = int32_t((step + 1) * LiveHost::kHeldPressStep - millisecondClock());
        if (untilNext > kSpinBeforeStep) {
            MsgWaitForMultipleObjectsEx(0, nullptr, DWORD(untilNext - kSpinBeforeStep), QS_ALLINPUT,
                                        MWMO_INPUTAVAILABLE);
        } else {
            SwitchToThread();
        }
    }

    // --- idle ------------------------------------------------------------------------

    void idleAll() {
        // By index: an idle call may change nothing in the list, but stay safe.
        for (size_t i = 0; i < order.size(); ++i) {
            LiveControl* control = find(order[i]);
            if (!control || !control->idling) continue;
            ++control->idleCalls;
            host.idle(control->instance);
        }
    }
};

static LiveHost::State* gLive = nullptr;

static LRESULT CALLBACK controlWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    LiveControl* control = gLive ? gLive->find(window) : nullptr;
    if (!control) return DefWindowProcW(window, message, wParam, lParam);
    const WNDPROC original = control->original;
    switch (message) {
        case WM_ERASEBKGND:
            return 1;  // the buffered paint covers everything
        case WM_PAINT:
            gLive->paint(*control, window);
            return 0;
        case WM_LBUTTONDOWN:
            gLive->press(*control, window, lParam);
            return 0;
        case WM_MOUSEMOVE:
            gLive->move(*control, window, lParam);
            return 0;
        case WM_LBUTTONUP:
            // Inside the held press's own callback (a modal loop), the press
            // ends when that returns.
            if (gLive->held == control->instance && !gLive->calling)
                gLive->release(control->instance, window, gLive->hostPoint(window, lParam));
            return 0;
        case WM_MOUSELEAVE:
            gLive->leave(*control);
            return 0;
        case WM_CAPTURECHANGED:
            if (gLive->held == control->instance && reinterpret_cast<HWND>(lParam) != window) {
                if (gLive->calling == control->instance) {
                    gLive->captureLost = true;
                } else {
                    gLive->cancel(control->instance);
                }
            }
            return 0;
        default:
            return CallWindowProcW(original, window, message, wParam, lParam);
    }
}

static VOID CALLBACK idleTimerCallback(HWND, UINT, UINT_PTR, DWORD) {
    if (gLive) gLive->idleAll();
}

LiveHost::LiveHost(Host& host) : state_(std::make_unique<State>(host)) {
    if (gLive) {
        std::fprintf(stderr, "pluginhost: a second LiveHost was made while another is alive; one per process\n");
        std::abort();
    }
    gLive = state_.get();
    state_->overlay = &overlay;
    state_->pressObserver = &pressObserver;
    if (Host::Impl* impl = currentImpl()) impl->live = state_.get();
    state_->idleTimer = SetTimer(nullptr, 0, kIdleInterval, &idleTimerCallback);
}

LiveHost::~LiveHost() {
    destroyAll();
    if (state_->idleTimer) KillTimer(nullptr, state_->idleTimer);
    if (Host::Impl* impl = currentImpl(); impl && impl->live == state_.get()) impl->live = nullptr;
    gLive = nullptr;
}

Host& LiveHost::host() const { return state_->host; }

Instance* LiveHost::create(const std::string& className, int left, int top, int right, int bottom,
                           const InstanceOptions& options) {
    Instance* instance = state_->host.create(className, left, top, right, bottom, options);
    if (!instance || !instance->window) return instance;
    LiveControl control;
    control.instance = instance;
    control.idling = instance->definition->callbacks && instance->definition->callbacks->idle;
    control.original = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(instance->window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&controlWindowProc)));
    state_->controls[instance->window] = control;
    state_->order.push_back(instance);
    InvalidateRect(instance->window, nullptr, FALSE);
    return instance;
}

void LiveHost::destroy(Instance* instance) {
    if (!state_->alive(instance)) return;
    auto& order = state_->order;
    order.erase(std::remove(order.begin(), order.end(), instance), order.end());
    HWND window = instance->window;
    if (state_->held == instance) {
        state_->held = nullptr;
        if (GetCapture() == window) ReleaseCapture();
    }
    if (LiveControl* control = state_->find(window)) {
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(control->original));
        state_->controls.erase(window);
    }
    state_->host.destroy(instance);
}

void LiveHost::destroyAll() {
    while (!state_->order.empty()) destroy(state_->order.back());
}

bool LiveHost::alive(const Instance* instance) const { return state_->alive(instance); }

void LiveHost::setVisible(Instance* instance, bool visible) {
    if (!alive(instance)) return;
    instance->visible = visible;
    ShowWindow(instance->window, visible ? SW_SHOWNA : SW_HIDE);
}

void LiveHost::setEnabled(Instance* instance, bool enabled) {
    if (!alive(instance)) return;
    instance->enabled = enabled;
    InvalidateRect(instance->window, nullptr, FALSE);
}

void LiveHost::setIdling(Instance* instance, bool idling) {
    LiveControl* control = state_->find(instance);
    if (control && alive(instance)) {
        control->idling = idling && instance->definition->callbacks && instance->definition->callbacks->idle;
    }
}

int LiveHost::idleCalls(const Instance* instance) const {
    LiveControl* control = alive(instance) ? state_->find(instance) : nullptr;
    return control ? control->idleCalls : 0;
}

Instance* LiveHost::held() const { return state_->held; }

// Alt held: bit 29 of a key message's lParam. Bit 30: the key was already
// down (auto-repeat).
constexpr LPARAM kAltContext = LPARAM(1) << 29;
constexpr LPARAM kKeyWasDown = LPARAM(1) << 30;

bool LiveHost::translateAccelerator(const MSG& msg) {
    if (msg.message != WM_SYSKEYDOWN || (msg.lParam & kAltContext) == 0 || (msg.lParam & kKeyWasDown) != 0) {
        return false;
    }
    if (state_->held || state_->calling) return false;
    const WPARAM key = msg.wParam;
    if (!((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9'))) return false;
    for (Instance* instance : state_->order) {
        if (!instance->visible || acceleratorChar(instance->accelerator) != char(key)) continue;
        const HostRect& b = instance->bounds;
        // The control answers for itself (and opens its menu inside the call).
        // Where it began a press instead, that press is cancelled: a keyboard
        // activation holds nothing afterwards.
        if (state_->begin(instance, POINT{(b.left + b.right) / 2, (b.top + b.bottom) / 2})) state_->cancel(instance);
        return true;
    }
    return false;
}

int LiveHost::run() {
    MSG msg;
    auto dispatch = [this](MSG& m) {
        if (translateAccelerator(m)) {
            DispatchMessageW(&m);
            return;
        }
        TranslateMessage(&m);
        DispatchMessageW(&m);
    };
    // A modal loop that ran while the window went (a popup menu's) may have
    // taken the WM_QUIT: the window's end ends the loop as well.
    HWND window = state_->host.topWindow();
    for (;;) {
        if (!IsWindow(window)) return 0;
        if (state_->held) {
            while (state_->held && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (msg.message == WM_QUIT) return static_cast<int>(msg.wParam);
                dispatch(msg);
            }
            if (state_->held) state_->driveHeldPress();
            continue;
        }
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) return static_cast<int>(msg.wParam);
        if (got < 0) return 1;
        dispatch(msg);
    }
}

}  // namespace pluginhost
