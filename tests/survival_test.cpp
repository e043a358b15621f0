// Controls that their own application destroys: a handler or a receiver that
// destroys the control which called it (or another, or every control) on each
// path into the application. Afterwards the plug-in must have touched nothing
// of a destroyed control: the host keeps each destroyed block filled with a
// pattern and reports a late write, and reports every entry-point call that
// names a destroyed instance, at finish (checked by the fixture).
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "host_fixture.h"
#include "system_spy.h"

namespace {

using pluginhost::EventCall;
using pluginhost::Instance;
using pluginhost::SystemSpy;
using Lines = std::vector<std::string>;

constexpr int32_t kToggle = 1;
constexpr int32_t kSticky = 2;
// LittleArrows: the first repeat comes once the 16 ms tick is 26 units past
// the press.
constexpr DWORD kPastTheRepeatDelay = 26 * 16;

class SurvivalTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        if (HasFatalFailure()) return;
        spy = std::make_unique<SystemSpy>(host);
    }
    void TearDown() override {
        EXPECT_EQ(host.faults(), Lines{});
        spy.reset();
        HostTest::TearDown();
    }

    Instance* Button(int left, int32_t buttonType = 0, const char* caption = "OK") {
        Instance* b = host.create("BevelButton", left, 10, left + 60, 32);
        host.setInteger(b, "ButtonType", buttonType);
        HostString text = host.makeString(caption);
        host.setString(b, "Caption", text);
        host.releaseString(text);
        return b;
    }

    // A handler that destroys the given instances and answers answer.
    pluginhost::EventHandler Destroying(std::vector<Instance*> victims, bool answer = false) {
        return [this, victims, answer](const EventCall&) {
            for (Instance* victim : victims) host.destroy(victim);
            return answer;
        };
    }

    Lines Events() const {
        Lines names;
        for (const EventCall& call : host.events) names.push_back(call.name);
        return names;
    }

    std::unique_ptr<SystemSpy> spy;
};

// The bevel button's paths, each with a handler (or receiver) that destroys
// the button: the answer mouseDown gives, and the events that ran.
TEST_F(SurvivalTest, BevelButtonDestroyedFromEachOfItsPaths) {
    struct Row {
        const char* name;
        std::function<void(Instance*)> arrange;
        bool release;  // the press survives mouseDown and is released
        bool answer;
        Lines events;
    } rows[] = {
        {"push: Action", [this](Instance* b) { host.on(b, "Action", Destroying({b})); }, true, true, {"Action"}},
        {"toggle: Action",
         [this](Instance* b) {
             host.setInteger(b, "ButtonType", kToggle);
             host.on(b, "Action", Destroying({b}));
         },
         true,
         true,
         {"Action"}},
        {"sticky: Action",
         [this](Instance* b) {
             host.setInteger(b, "ButtonType", kSticky);
             host.on(b, "Action", Destroying({b}));
         },
         true,
         true,
         {"Action"}},
        {"a receiver's PerformAction, before a second receiver and Action",
         [this](Instance* b) {
             for (int i = 0; i < 2; ++i) {
                 HostObject receiver = host.makeReceiver();
                 host.call(b, "addActionNotificationReceiver", {reinterpret_cast<intptr_t>(receiver)});
                 host.releaseObject(receiver);
             }
             host.on(b, "Action");
             host.onPerformAction = [this, b](HostObject) { host.destroy(b); };
         },
         true,
         true,
         {"PerformAction"}},
        {"MouseDown declining",
         [this](Instance* b) { host.on(b, "MouseDown", Destroying({b})); },
         false,
         false,
         {"MouseDown"}},
        {"MouseDown taking the click",
         [this](Instance* b) { host.on(b, "MouseDown", Destroying({b}, true)); },
         false,
         false,
         {"MouseDown"}},
        {"MouseUp after MouseDown took the click",
         [this](Instance* b) {
             host.on(b, "MouseDown", [](const EventCall&) { return true; });
             host.on(b, "MouseUp", Destroying({b}));
         },
         true,
         true,
         {"MouseDown", "MouseUp"}},
        {"Action of the accelerator",
         [this](Instance* b) {
             HostString text = host.makeString("&Save");
             host.setString(b, "Caption", text);
             host.releaseString(text);
             spy->keysDown = {VK_MENU, 'S'};
             host.on(b, "Action", Destroying({b}));
         },
         false,
         false,
         {"Action"}},
        {"Action of the menu's choice",
         [this](Instance* b) {
             host.setInteger(b, "HasMenu", 1);
             HostString text = host.makeString("One");
             host.call(b, "AddRow", {reinterpret_cast<intptr_t>(text)});
             host.releaseString(text);
             spy->trackPopupMenu = [](const pluginhost::PopupMenuCall&) { return UINT(1000); };
             host.on(b, "Action", Destroying({b}));
         },
         false,
         false,
         {"Action"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        host.events.clear();
        host.onPerformAction = nullptr;
        spy->keysDown.clear();
        spy->trackPopupMenu = nullptr;
        Instance* b = Button(10);
        ControlInstance* control = b->control;
        row.arrange(b);
        EXPECT_EQ(host.mouseDown(b, 20, 20), row.answer);
        if (row.release) host.mouseUp(b, 20, 20);
        EXPECT_EQ(host.instanceOf(control), nullptr) << "the handler did not destroy the button";
        EXPECT_EQ(Events(), row.events);
        EXPECT_EQ(host.faults(), Lines{});
    }
}

// Up on the press, and Up on a repeat: the control is gone after either.
TEST_F(SurvivalTest, LittleArrowsDestroyedByUpOnThePressOrARepeat) {
    for (int destroyingUp : {1, 2}) {
        SCOPED_TRACE("destroyed by Up number " + std::to_string(destroyingUp));
        host.events.clear();
        spy->tick = 1000;
        Instance* arrows = host.create("LittleArrows", 10, 10, 23, 33);
        ControlInstance* control = arrows->control;
        int ups = 0;
        host.on(arrows, "Up", [&](const EventCall&) {
            if (++ups == destroyingUp) host.destroy(arrows);
            return false;
        });
        const bool pressed = host.mouseDown(arrows, 15, 15);
        EXPECT_EQ(pressed, destroyingUp != 1) << "no press to track on a destroyed control";
        if (pressed) {
            spy->tick += kPastTheRepeatDelay;
            host.mouseDrag(arrows, 15, 15);
        }
        EXPECT_EQ(ups, destroyingUp);
        EXPECT_EQ(host.instanceOf(control), nullptr);
    }
}

TEST_F(SurvivalTest, ImageWellDestroyedByItsMouseDownTakesNoPress) {
    Instance* well = host.create("ImageWell", 10, 10, 42, 42);
    host.on(well, "MouseDown", Destroying({well}, true));
    EXPECT_FALSE(host.mouseDown(well, 20, 20));
}

// An Action that destroys another button, or every control of the window:
// the clicked button goes on as usual when it survives, and touches nothing
// of itself when it does not.
TEST_F(SurvivalTest, ActionDestroyingAnotherControlOrEveryControl) {
    Instance* clicked = Button(10, kToggle);
    Instance* other = Button(100);
    ControlInstance* otherControl = other->control;
    host.on(clicked, "Action", Destroying({other}));
    EXPECT_TRUE(host.mouseDown(clicked, 20, 20));
    host.mouseUp(clicked, 20, 20);
    EXPECT_EQ(host.getInteger(clicked, "Value"), 1);
    EXPECT_EQ(host.instanceOf(otherControl), nullptr);

    Instance* second = Button(100);
    Instance* arrows = host.create("LittleArrows", 200, 10, 213, 33);
    ControlInstance* clickedControl = clicked->control;
    host.on(clicked, "Action", Destroying({second, arrows, clicked}));
    EXPECT_TRUE(host.mouseDown(clicked, 20, 20));
    host.mouseUp(clicked, 20, 20);
    EXPECT_EQ(host.instanceOf(clickedControl), nullptr);
}

}  // namespace
