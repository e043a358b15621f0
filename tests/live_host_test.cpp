// The live host without a display: window messages to a control's window
// become the plug-in's callbacks in the host window's coordinates, the
// mouse capture follows the press, and invalidation reaches the window. The
// end-to-end test (demo/e2e-test) plays the same host with real input.
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "host_fixture.h"
#include "live_host.h"

namespace {

using pluginhost::Instance;
using pluginhost::LiveHost;

TEST(AcceleratorCharTest, TheLastSingleAmpersandWins) {
    struct Case {
        std::string text;
        char key;
    };
    const Case kCases[] = {
        {"&Save", 'S'},  {"&save", 'S'}, {"Save &As", 'A'},   {"&&S", 0},        {"S&&", 0},
        {"abc&", 0},     {"", 0},        {"&1", '1'},         {"&S&", 0},        {"&a&&", 'A'},
        {"&&&b", 'B'},   {"&a&b", 'B'},  {"&\xE4", '\xE4'}, {"&-", '-'},       {std::string("&s\0&t", 5), 'S'},
        {"&S&&", 'S'},   {"&", 0},
    };
    for (const Case& c : kCases)
        EXPECT_EQ(int(pluginhost::acceleratorChar(c.text)), int(c.key)) << '"' << c.text << '"';
}

class LiveHostTest : public HostTest {
protected:
    static constexpr int kLeft = 30;
    static constexpr int kTop = 20;

    std::unique_ptr<LiveHost> live;
    Instance* button = nullptr;

    void SetUp() override {
        HostTest::SetUp();
        if (HasFatalFailure()) return;
        live = std::make_unique<LiveHost>(host);
        button = live->create("BevelButton", kLeft, kTop, kLeft + 60, kTop + 22);
        ASSERT_NE(button, nullptr);
        host.on(button, "MouseDown");
        host.on(button, "Action");
    }

    void TearDown() override {
        live.reset();  // destroys its instances before the host's checks
        HostTest::TearDown();
    }

    // The thread's input state as the system keeps it while it hands over
    // mouse messages: the host reads the button from there.
    static void setLeftButton(bool down) {
        BYTE keys[256];
        GetKeyboardState(keys);
        keys[VK_LBUTTON] = down ? 0x80 : 0;
        SetKeyboardState(keys);
    }

    // A mouse message at (x, y) of an instance's own window (the button's).
    void send(UINT message, int x, int y, Instance* to = nullptr) {
        if (message == WM_LBUTTONDOWN || message == WM_LBUTTONUP) setLeftButton(message == WM_LBUTTONDOWN);
        SendMessageW((to ? to : button)->window, message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON,
                     MAKELPARAM(x, y));
    }

    // The button's pixels as its draw paints them.
    std::vector<COLORREF> look() {
        host.draw(button);
        std::vector<COLORREF> pixels;
        const HostRect& b = button->bounds;
        for (int y = b.top; y < b.bottom; ++y)
            for (int x = b.left; x < b.right; ++x) pixels.push_back(host.pixel(x, y));
        return pixels;
    }

    std::vector<std::string> events() const {
        std::vector<std::string> lines;
        for (const pluginhost::EventCall& call : host.events) {
            std::string line = call.name;
            for (int32_t a : call.args) line += " " + std::to_string(a);
            lines.push_back(line);
        }
        return lines;
    }
};

TEST_F(LiveHostTest, APressHoldsTheCaptureUntilTheRelease) {
    send(WM_LBUTTONDOWN, 5, 4);
    // The button reports control-local coordinates: it was given (35, 24).
    EXPECT_EQ(events(), std::vector<std::string>{"MouseDown 5 4"});
    EXPECT_EQ(live->held(), button);
    EXPECT_EQ(GetCapture(), button->window);
    send(WM_MOUSEMOVE, 7, 6);
    send(WM_LBUTTONUP, 7, 6);
    EXPECT_EQ(events(), (std::vector<std::string>{"MouseDown 5 4", "Action"}));
    EXPECT_EQ(live->held(), nullptr);
    EXPECT_EQ(GetCapture(), nullptr);
}

// As a standard button: released look, no Action, and a toggle or sticky
// button keeps its Value.
TEST_F(LiveHostTest, ALostCaptureCancelsTheClick) {
    constexpr int32_t kPush = 0, kToggle = 1, kSticky = 2;
    for (int32_t type : {kPush, kToggle, kSticky}) {
        host.setInteger(button, "ButtonType", type);
        host.setInteger(button, "Value", 0);
        const std::vector<COLORREF> released = look();
        host.events.clear();
        send(WM_LBUTTONDOWN, 5, 4);
        ReleaseCapture();
        EXPECT_EQ(live->held(), nullptr) << "ButtonType " << type;
        send(WM_LBUTTONUP, 5, 4);
        EXPECT_EQ(events(), std::vector<std::string>{"MouseDown 5 4"}) << "ButtonType " << type;
        EXPECT_EQ(host.getInteger(button, "Value"), 0) << "ButtonType " << type;
        EXPECT_EQ(look(), released) << "ButtonType " << type << ": still drawn pushed";
    }
}

// A handler that runs a modal loop in which the user lets go of the button:
// the loop takes the release, and the press must not stay held after it.
TEST_F(LiveHostTest, AReleaseInsideAHandlersModalLoopEndsThePress) {
    struct Case {
        const char* className;
        const char* event;
        int right;
        int bottom;
        const char* recorded;  // the events of the whole press
    };
    static const Case kCases[] = {
        {"LittleArrows", "Up", 13, 23, "Up"},                   // would go on repeating
        {"BevelButton", "MouseDown", 60, 22, "MouseDown 3 3"},  // would stay pushed, then click
    };
    for (const Case& c : kCases) {
        Instance* control = live->create(c.className, kLeft, 60, kLeft + c.right, 60 + c.bottom);
        ASSERT_NE(control, nullptr);
        if (std::string(c.className) == "BevelButton") host.on(control, "Action");
        host.on(control, c.event, [control](const pluginhost::EventCall&) {
            setLeftButton(false);
            PostMessageW(control->window, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
            MSG m;
            while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
            return false;
        });
        host.events.clear();
        send(WM_LBUTTONDOWN, 3, 3, control);
        EXPECT_EQ(live->held(), nullptr) << c.className;
        EXPECT_EQ(GetCapture(), nullptr) << c.className;
        EXPECT_EQ(events(), std::vector<std::string>{c.recorded}) << c.className;
        live->destroy(control);
    }
}

TEST_F(LiveHostTest, InvalidationReachesTheWindowAndPaintingChecksTheDeviceContext) {
    ValidateRect(button->window, nullptr);
    host.setInteger(button, "Value", 1);  // the setter invalidates
    RECT update{};
    EXPECT_TRUE(GetUpdateRect(button->window, &update, FALSE));
    const int before = host.gdiCreated();
    UpdateWindow(button->window);  // WM_PAINT: draw through the buffer
    EXPECT_FALSE(GetUpdateRect(button->window, &update, FALSE));
    EXPECT_GT(host.gdiCreated(), before) << "draw did not run";
    EXPECT_EQ(host.gdiLive(), 0);
}

// Alt and S as the keyboard has them while the host handles Alt+S.
SHORT WINAPI AltAndSDown(int key) { return key == VK_MENU || key == 'S' ? SHORT(0x8000) : SHORT(0); }
// S let go by the time the control asks: no activation, to the control.
SHORT WINAPI AltOnlyDown(int key) { return key == VK_MENU ? SHORT(0x8000) : SHORT(0); }

TEST_F(LiveHostTest, AltAndTheCaptionsKeyActivateTheButtonWithoutHoldingIt) {
    pluginhost::ImportHook keys(host.module(), "USER32.dll", "GetKeyState", reinterpret_cast<void*>(&AltAndSDown));
    ASSERT_TRUE(keys.installed());
    HostString caption = host.makeString("&Save");
    host.setString(button, "Caption", caption);
    host.releaseString(caption);
    constexpr LPARAM kAltHeld = LPARAM(1) << 29;
    constexpr LPARAM kRepeat = LPARAM(1) << 30;
    EXPECT_FALSE(live->translateAccelerator(MSG{host.topWindow(), WM_SYSKEYDOWN, 'X', kAltHeld, 0, {}}));
    EXPECT_FALSE(live->translateAccelerator(MSG{host.topWindow(), WM_KEYDOWN, 'S', 0, 0, {}}));
    EXPECT_FALSE(live->translateAccelerator(MSG{host.topWindow(), WM_SYSKEYDOWN, 'S', kAltHeld | kRepeat, 0, {}}));
    EXPECT_EQ(events(), std::vector<std::string>{});
    EXPECT_TRUE(live->translateAccelerator(MSG{host.topWindow(), WM_SYSKEYDOWN, 'S', kAltHeld, 0, {}}));
    EXPECT_EQ(events(), std::vector<std::string>{"Action"});
    EXPECT_EQ(live->held(), nullptr);
}

// The host's key and the control's decision may differ; a press that the
// control began for a key it did not take as its accelerator is cancelled.
TEST_F(LiveHostTest, AnAltLetterTheButtonDoesNotTakeLeavesNoPressOpen) {
    pluginhost::ImportHook keys(host.module(), "USER32.dll", "GetKeyState", reinterpret_cast<void*>(&AltOnlyDown));
    ASSERT_TRUE(keys.installed());
    HostString caption = host.makeString("&Save");
    host.setString(button, "Caption", caption);
    host.releaseString(caption);
    host.setInteger(button, "ButtonType", 1);  // toggle: a press left open would flip it later
    const std::vector<COLORREF> released = look();
    constexpr LPARAM kAltHeld = LPARAM(1) << 29;
    EXPECT_TRUE(live->translateAccelerator(MSG{host.topWindow(), WM_SYSKEYDOWN, 'S', kAltHeld, 0, {}}));
    EXPECT_EQ(events(), std::vector<std::string>{"MouseDown 30 11"});
    EXPECT_EQ(live->held(), nullptr);
    EXPECT_EQ(look(), released) << "left drawn pushed";
    EXPECT_EQ(host.getInteger(button, "Value"), 0);
}

}  // namespace
