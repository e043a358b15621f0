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

TEST(AcceleratorKeyTest, TheLastSingleAmpersandWins) {
    struct Case {
        const char* text;
        char key;
    };
    static const Case kCases[] = {
        {"&Save", 'S'}, {"&save", 'S'}, {"Save &As", 'A'}, {"&&S", 0}, {"S&&", 0}, {"abc&", 0}, {"", 0}, {"&1", '1'},
    };
    for (const Case& c : kCases) EXPECT_EQ(int(pluginhost::acceleratorKey(c.text)), int(c.key)) << '"' << c.text << '"';
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

    // A mouse message at (x, y) of the button's own window.
    void send(UINT message, int x, int y) {
        SendMessageW(button->window, message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(x, y));
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

TEST_F(LiveHostTest, ALostCaptureCancelsTheClick) {
    send(WM_LBUTTONDOWN, 5, 4);
    ReleaseCapture();
    EXPECT_EQ(live->held(), nullptr);
    send(WM_LBUTTONUP, 5, 4);
    EXPECT_EQ(events(), std::vector<std::string>{"MouseDown 5 4"});
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

}  // namespace
