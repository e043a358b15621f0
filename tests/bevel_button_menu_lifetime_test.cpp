// A bevel button whose instance the host destroys while its popup menu's
// modal loop runs (the window closed meanwhile): once TrackPopupMenu returns,
// mouseDown must touch nothing of the destroyed instance. The host keeps each
// destroyed block filled with a pattern and reports a late write at finish,
// and reports every entry-point call that names the dead instance.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "host_fixture.h"

namespace {

using pluginhost::ImportHook;
using pluginhost::Instance;

// What the scripted TrackPopupMenu does inside its "modal loop".
std::function<void()> gWhileMenuIsOpen;
UINT gAnswer = 0;

BOOL WINAPI TrackPopupMenuScript(HMENU, UINT, int, int, int, HWND, const RECT*) {
    if (gWhileMenuIsOpen) gWhileMenuIsOpen();
    return static_cast<BOOL>(gAnswer);
}

class BevelMenuLifetimeTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        if (HasFatalFailure()) return;
        hook_ = std::make_unique<ImportHook>(host.module(), "USER32.dll", "TrackPopupMenu",
                                             reinterpret_cast<void*>(&TrackPopupMenuScript));
        ASSERT_TRUE(hook_->installed());
    }

    void TearDown() override {
        HostTest::TearDown();
        hook_.reset();
        gWhileMenuIsOpen = nullptr;
        gAnswer = 0;
    }

    // A menu button with the rows "One", a separator and "Two", a receiver
    // and an Action handler.
    Instance* menuButton(int left) {
        Instance* b = host.create("BevelButton", left, 10, left + 60, 32);
        host.setInteger(b, "HasMenu", 1);
        static const char* const kRows[] = {"One", nullptr, "Two"};  // null: a separator
        for (const char* row : kRows) {
            if (!row) {
                host.call(b, "AddSeparator");
                continue;
            }
            HostString text = host.makeString(row);
            host.call(b, "AddRow", {reinterpret_cast<intptr_t>(text)});
            host.releaseString(text);
        }
        HostObject receiver = host.makeReceiver();
        host.call(b, "addActionNotificationReceiver", {reinterpret_cast<intptr_t>(receiver)});
        host.releaseObject(receiver);
        host.on(b, "Action");
        return b;
    }

    std::vector<std::string> eventNames() const {
        std::vector<std::string> names;
        for (const pluginhost::EventCall& call : host.events) names.push_back(call.name);
        return names;
    }

private:
    std::unique_ptr<ImportHook> hook_;
};

// Whatever the menu answers, a button destroyed during it neither reads nor
// writes its block, fires nothing and answers false.
TEST_F(BevelMenuLifetimeTest, DestroyedWhileItsMenuIsOpenTheButtonTouchesNothing) {
    static const UINT kAnswers[] = {0, 1000, 1002};
    for (UINT answer : kAnswers) {
        SCOPED_TRACE("TrackPopupMenu answers " + std::to_string(answer));
        Instance* button = menuButton(10);
        host.events.clear();
        gAnswer = answer;
        gWhileMenuIsOpen = [&] { host.destroy(button); };
        EXPECT_FALSE(host.mouseDown(button, 20, 20));
        EXPECT_EQ(eventNames(), std::vector<std::string>{});
        EXPECT_EQ(host.faults(), std::vector<std::string>{});
    }
}

// Only the menu's own button is guarded: another button destroyed meanwhile
// leaves the choice to take effect.
TEST_F(BevelMenuLifetimeTest, AnotherButtonDestroyedMeanwhileLeavesTheChoiceStanding) {
    Instance* button = menuButton(10);
    Instance* other = menuButton(100);
    gAnswer = 1002;
    gWhileMenuIsOpen = [&] { host.destroy(other); };
    EXPECT_FALSE(host.mouseDown(button, 20, 20));
    EXPECT_EQ(host.getInteger(button, "MenuValue"), 2);
    EXPECT_EQ(eventNames(), (std::vector<std::string>{"PerformAction", "Action"}));

    // And the next menu, with nothing destroyed, works as before.
    host.events.clear();
    gWhileMenuIsOpen = nullptr;
    gAnswer = 1000;
    EXPECT_FALSE(host.mouseDown(button, 20, 20));
    EXPECT_EQ(host.getInteger(button, "MenuValue"), 0);
    EXPECT_EQ(eventNames(), (std::vector<std::string>{"PerformAction", "Action"}));
}

}  // namespace
