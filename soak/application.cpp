#include "application.h"

namespace soak {

// A modal loop in a handler ends on the first tick of a timer of the
// shortest period Windows keeps; the rounds posted before it run first.
constexpr UINT kModalLoopTimerMs = USER_TIMER_MINIMUM;
constexpr UINT kModalRoundMessage = WM_APP + 1;
constexpr UINT_PTR kModalLoopTimer = 1;
constexpr wchar_t kModalWindowClass[] = L"SoakModalLoop";

static void destroyFromHandler(World& world, int32_t slot) {
    Model* m = world.modelOf(slot);
    if (!m || m->destroyed) return;
    if (m->instance->definition->callbacks->destruct) world.call();
    world.host.destroy(m->instance);
    ++world.bench.result.coverage.destroyedInHandlers;
    m->destroyed = true;
    m->instance = nullptr;
}

Application::Application(World& world) : world_(world) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = modalWindowProcedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kModalWindowClass;
        registered = RegisterClassW(&windowClass) != 0;
    }
    modalWindow_ = CreateWindowExW(0, kModalWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
    if (!modalWindow_) {
        world_.bench.fail("host", "the soak could not make the window of its modal loops");
        return;
    }
    SetWindowLongPtrW(modalWindow_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

void Application::react(int32_t slot, const std::string& event) {
    Model* m = world_.modelOf(slot);
    if (!m || m->destroyed) return;
    auto it = m->reactions.find(event);
    if (it == m->reactions.end()) return;
    const Step& r = it->second;
    void* handle = nullptr;
    if (!world_.bench.resolve(r.ref, handle)) return;
    const intptr_t argument = reinterpret_cast<intptr_t>(handle);
    if (r.reaction == kDestroySelf) return destroyFromHandler(world_, slot);
    if (r.reaction == kDestroyOther) return destroyFromHandler(world_, static_cast<int32_t>(r.n[0]));
    if (r.reaction == kDestroyAll) {
        for (auto& entry : world_.models) destroyFromHandler(world_, entry.first);
        return;
    }
    if (r.reaction == kModalLoop) return runModalLoop(slot, r.n[0]);
    world_.call();
    pluginhost::Host& host = world_.host;
    if (r.reaction == kRemoveReceiver)
        host.call(m->instance, "removeActionNotificationReceiver", {argument});
    else if (r.reaction == kAddReceiver)
        host.call(m->instance, "addActionNotificationReceiver", {argument});
    else if (r.reaction == kDeleteRows)
        host.call(m->instance, "DeleteAllRows");
    else if (r.reaction == kAddRow)
        host.call(m->instance, "AddRow", {argument});
    else if (r.reaction == kSetCaption)
        host.setString(m->instance, "Caption", static_cast<HostString>(handle));
}

void Application::runModalLoop(int32_t slot, int64_t rounds) {
    if (!modalWindow_) return;
    ++world_.bench.result.coverage.modalLoops;
    const int32_t outerSlot = modalSlot_;
    const bool outerEnded = modalEnded_;
    modalSlot_ = slot;
    modalEnded_ = false;
    for (int64_t k = 0; k < rounds; ++k) PostMessageW(modalWindow_, kModalRoundMessage, 0, 0);
    SetTimer(modalWindow_, kModalLoopTimer, kModalLoopTimerMs, nullptr);
    MSG message;
    while (!modalEnded_ && GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    KillTimer(modalWindow_, kModalLoopTimer);
    modalSlot_ = outerSlot;
    modalEnded_ = outerEnded;
}

void Application::modalRound() {
    Model* caller = world_.modelOf(modalSlot_);
    if (caller && !caller->destroyed) {
        world_.call();
        world_.host.draw(caller->instance);
    }
    for (auto& entry : world_.models) {
        if (entry.second.destroyed) continue;
        if (entry.second.instance->definition->callbacks->idle) world_.call();
        world_.host.idle(entry.second.instance);
    }
}

LRESULT CALLBACK Application::modalWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<Application*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self && message == kModalRoundMessage) {
        self->modalRound();
        return 0;
    }
    if (self && message == WM_TIMER && wParam == kModalLoopTimer) {
        self->modalEnded_ = true;
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace soak
