// The host played at run time, as an application builder's runtime plays it:
// every instance in its own child window of the application's window, drawn
// on WM_PAINT through a buffer, driven by real mouse and keyboard input, and
// given idle time on a timer. Built on a Host made with the application's
// window (Host(HWND)); one LiveHost per Host, destroyed before it.
//
// Coordinates handed to the plug-in are those of the host window's client
// area, whatever child window a control paints in: a control's surfaces have
// their origin set so that its bounds land on its own window.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include <windows.h>

#include "plugin_host.h"

namespace pluginhost {

// Milliseconds from the performance counter. The system's tick count moves in
// steps of about 16 ms (on Windows and under Wine alike), too coarse to see
// millisecond timing in; useMillisecondClock gives a plug-in this clock.
uint32_t millisecondClock();

// Answers the plug-in's GetTickCount with millisecondClock for as long as the
// hook lives.
std::unique_ptr<ImportHook> useMillisecondClock(HMODULE plugin);

class LiveHost {
public:
    // Idle calls come this often (a thread timer, so that modal loops such as
    // a popup menu's keep them coming).
    static constexpr UINT kIdleInterval = 16;
    // A held press gets mouseDrag at every step of this clock even when the
    // mouse stands still: the controls time their repeats in 16 ms units.
    static constexpr uint32_t kHeldPressStep = 16;

    explicit LiveHost(Host& host);
    ~LiveHost();  // destroys the instances still alive
    LiveHost(const LiveHost&) = delete;
    LiveHost& operator=(const LiveHost&) = delete;

    Host& host() const;

    // Host::create, then the instance's window paints and takes the mouse.
    Instance* create(const std::string& className, int left, int top, int right, int bottom,
                     const InstanceOptions& options = {});
    void destroy(Instance* instance);
    void destroyAll();
    bool alive(const Instance* instance) const;
    void setVisible(Instance* instance, bool visible);
    void setEnabled(Instance* instance, bool enabled);
    // Whether the idle timer calls the instance (on from creation for every
    // class that takes idle).
    void setIdling(Instance* instance, bool idling);
    int idleCalls(const Instance* instance) const;

    // The application's drawing over a control after its draw, on the same
    // buffer in the same coordinates (a label on a placard, say).
    std::function<void(Instance*, HDC)> overlay;

    // How a press goes: Begin just before mouseDown (by the mouse or by a
    // key); then Done when mouseDown answered false (the control handled the
    // whole press inside it, as a popup menu's) or destroyed the instance, Release after the mouseUp of
    // a release where the user let go, or Cancel after the mouseDrag and
    // mouseUp far outside that end a press otherwise. Every record that the
    // press's callbacks fired comes before the one that ends it. The instance
    // may be gone by then (a handler destroyed it): compare it, do not use it.
    // A press whose instance is destroyed while held ends without a record.
    enum class Press { Begin, Done, Release, Cancel };
    std::function<void(Instance*, Press, POINT)> pressObserver;

    // Alt+letter: a mouseDown at the centre of the first visible instance
    // whose accelerator text (ZOKASetAccelerator) has that key by
    // acceleratorChar; the control itself decides whether Alt and the key
    // make an activation. True when msg was taken: the message is then
    // dispatched without TranslateMessage, so the window's default procedure
    // sees the key but makes no menu character of it. A mouseDown that
    // answers true is ended at once as a cancelled press: that leaves an
    // activation as the control made it and undoes a press it began.
    bool translateAccelerator(const MSG& msg);

    // The message loop, until WM_QUIT or the end of the host window; answers
    // the exit code. While a press is held it also drives the held control on
    // every kHeldPressStep.
    //
    // A press ends as Windows ends a button's: a release ends it where the
    // mouse is; a lost capture cancels it. So does a release that a modal
    // loop took (a handler's message box, say): it is found when the
    // callback that ran the loop returns, from the thread's input state
    // (GetKeyState(VK_LBUTTON)), and the press is cancelled then. The host
    // never calls the control's mouse callbacks from inside one of them.
    int run();

    Instance* held() const;  // the instance that holds the mouse capture

    struct State;

private:
    std::unique_ptr<State> state_;
};

}  // namespace pluginhost
