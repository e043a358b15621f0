// The application's code in event handlers, played by the host: what a
// reaction (script.h) does from inside the plug-in's notification. The
// model's side of each is World::expectReaction.
#pragma once

#include "model.h"

namespace soak {

class Application {
public:
    explicit Application(World& world);
    ~Application() {
        if (modalWindow_) DestroyWindow(modalWindow_);
    }
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // The call the application's code makes when the event reaches the
    // control in slot.
    void react(int32_t slot, const std::string& event);

    int32_t reactingSlot = -1;  // the instance whose receivers a PerformAction belongs to

private:
    World& world_;
    HWND modalWindow_ = nullptr;
    // The modal loop that runs: the slot whose handler runs it, and whether
    // its timer has ended it.
    int32_t modalSlot_ = -1;
    bool modalEnded_ = false;

    void runModalLoop(int32_t slot, int64_t rounds);
    void modalRound();
    static LRESULT CALLBACK modalWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};

}  // namespace soak
