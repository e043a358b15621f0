// Little arrows through the real DLL: classic pixels, presses, the repeat
// timeline under a scripted clock, and the themed "Spin" calls.
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "host_fixture.h"
#include "theme_spy.h"

namespace {

using pluginhost::capture;
using pluginhost::Instance;
using pluginhost::ThemeCall;
using pluginhost::ThemeSpy;

constexpr COLORREF kPaper = RGB(0, 128, 128);  // the window image before painting
constexpr pluginhost::SystemVersion kWindows2000 = {VER_PLATFORM_WIN32_NT, 5, 0};

// 'K' black, 'F' button face, 'H' button highlight, 'S' button shadow,
// 'D' dark grey, 'L' light grey, '.' untouched.
std::map<COLORREF, char> Legend() {
    return pluginhost::legend({{COLOR_BTNFACE, 'F'}, {COLOR_BTNHIGHLIGHT, 'H'}, {COLOR_BTNSHADOW, 'S'}},
                              {{RGB(0, 0, 0), 'K'}, {RGB(64, 64, 64), 'D'}, {RGB(192, 192, 192), 'L'}, {kPaper, '.'}});
}

// The control's 13 x 23 pixels plus one column and one row beyond.
RECT AreaOf(const Instance* instance) {
    return RECT{instance->bounds.left, instance->bounds.top, instance->bounds.left + 14, instance->bounds.top + 24};
}

// The two halves, each with the rows below it down to the next: the up half
// ends with the divider, the down half with the outline and a row beyond.
const std::string kUpRaised =
    "KKKKKKKKKKKKK.\n"
    "KHHHHHHHHHHFK.\n"
    "KHFFFFFFFFFSK.\n"
    "KHFFFFFFFFFSK.\n"
    "KHFFFFKFFFFSK.\n"
    "KHFFFKKKFFFSK.\n"
    "KHFFKKKKKFFSK.\n"
    "KHFKKKKKKKFSK.\n"
    "KHFFFFFFFFFSK.\n"
    "KHFFFFFFFFFSK.\n"
    "KFSSSSSSSSSSK.\n"
    "KKKKKKKKKKKKK.\n";
// Sunken: shadow on the light edges, face on the dark ones, arrow one pixel
// right and down.
const std::string kUpSunken =
    "KKKKKKKKKKKKK.\n"
    "KSSSSSSSSSSFK.\n"
    "KSFFFFFFFFFFK.\n"
    "KSFFFFFFFFFFK.\n"
    "KSFFFFFFFFFFK.\n"
    "KSFFFFFKFFFFK.\n"
    "KSFFFFKKKFFFK.\n"
    "KSFFFKKKKKFFK.\n"
    "KSFFKKKKKKKFK.\n"
    "KSFFFFFFFFFFK.\n"
    "KFFFFFFFFFFFK.\n"
    "KKKKKKKKKKKKK.\n";
const std::string kDownRaised =
    "KHHHHHHHHHFFK.\n"
    "KHFFFFFFFFFFK.\n"
    "KHFFFFFFFFFSK.\n"
    "KHFKKKKKKKFSK.\n"
    "KHFFKKKKKFFSK.\n"
    "KHFFFKKKFFFSK.\n"
    "KHFFFFKFFFFSK.\n"
    "KHFFFFFFFFFSK.\n"
    "KHFFFFFFFFFSK.\n"
    "KFSSSSSSSSSSK.\n"
    "KKKKKKKKKKKKK.\n"
    "..............\n";
const std::string kDownSunken =
    "KSSSSSSSSSFFK.\n"
    "KSFFFFFFFFFFK.\n"
    "KSFFFFFFFFFFK.\n"
    "KSFFFFFFFFFFK.\n"
    "KSFFKKKKKKKFK.\n"
    "KSFFFKKKKKFFK.\n"
    "KSFFFFKKKFFFK.\n"
    "KSFFFFFKFFFFK.\n"
    "KSFFFFFFFFFFK.\n"
    "KFFFFFFFFFFFK.\n"
    "KKKKKKKKKKKKK.\n"
    "..............\n";

const std::string kNormal = kUpRaised + kDownRaised;
const std::string kUpPressed = kUpSunken + kDownRaised;
const std::string kDownPressed = kUpRaised + kDownSunken;

// Flat faces, light grey arrows outlined by the device context's black pen,
// dark grey outline; the divider is drawn with that pen too.
const char kDisabled[] =
    "DDDDDDDDDDDDD.\n"
    "DFFFFFFFFFFFD.\n"
    "DFFFFFFFFFFFD.\n"
    "DFFFFFFFFFFFD.\n"
    "DFFFFFKFFFFFD.\n"
    "DFFFFKLKFFFFD.\n"
    "DFFFKLLLKFFFD.\n"
    "DFFKKKKKKKFFD.\n"
    "DFFFFFFFFFFFD.\n"
    "DFFFFFFFFFFFD.\n"
    "DFFFFFFFFFFFD.\n"
    "KKKKKKKKKKKKD.\n"
    "DFFFFFFFFFFFD.\n"
    "DFFFFFFFFFFFD.\n"
    "DFFFFFFFFFFFD.\n"
    "DFFKKKKKKKFFD.\n"
    "DFFFKLLLKFFFD.\n"
    "DFFFFKLKFFFFD.\n"
    "DFFFFFKFFFFFD.\n"
    "DFFFFFFFFFFFD.\n"
    "DFFFFFFFFFFFD.\n"
    "DFFFFFFFFFFFD.\n"
    "DDDDDDDDDDDDD.\n"
    "..............\n";

// Names of the events recorded so far, with the instance's letter, e.g. "a:Up".
std::vector<std::string> Fired(const pluginhost::Host& host, const Instance* a, const Instance* b = nullptr) {
    std::vector<std::string> names;
    for (const pluginhost::EventCall& call : host.events) {
        const char* who = call.instance == a->control ? "a" : (b && call.instance == b->control ? "b" : "?");
        names.push_back(std::string(who) + ":" + call.name);
    }
    return names;
}

class LittleArrowsTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        host.fillImage(kPaper);
    }

    // Bounds larger than the control: only its 13 x 23 pixels count.
    Instance* Create(int left, int top, const pluginhost::InstanceOptions& options = {}) {
        Instance* arrows = host.create("LittleArrows", left, top, left + 20, top + 30, options);
        if (arrows) {
            host.on(arrows, "Up");
            host.on(arrows, "Down");
        }
        return arrows;
    }

    std::string Picture(const Instance* arrows) { return capture(host, AreaOf(arrows), Legend()); }
};

TEST_F(LittleArrowsTest, ClassicNormalLook) {
    Instance* arrows = Create(30, 40);
    ASSERT_NE(arrows, nullptr);
    host.draw(arrows);
    EXPECT_EQ(Picture(arrows), kNormal);
    host.fillImage(kPaper);
    host.drawOffscreen(arrows);
    EXPECT_EQ(Picture(arrows), kNormal);
}

TEST_F(LittleArrowsTest, ClassicDisabledLook) {
    pluginhost::InstanceOptions options;
    options.enabled = false;
    Instance* arrows = Create(30, 40, options);
    ASSERT_NE(arrows, nullptr);
    host.draw(arrows);
    EXPECT_EQ(Picture(arrows), kDisabled);
}

TEST_F(LittleArrowsTest, PressOnTheDividerRowIsTheUpHalf) {
    Instance* arrows = Create(30, 40);
    ASSERT_NE(arrows, nullptr);
    EXPECT_TRUE(host.mouseDown(arrows, 30 + 12, 40 + 11));
    EXPECT_EQ(Picture(arrows), kUpPressed);
    host.mouseUp(arrows, 30 + 12, 40 + 11);
    EXPECT_EQ(Picture(arrows), kNormal);

    EXPECT_TRUE(host.mouseDown(arrows, 30, 40 + 12));
    EXPECT_EQ(Picture(arrows), kDownPressed);
    host.mouseUp(arrows, 30, 40 + 12);
    EXPECT_EQ(Picture(arrows), kNormal);
    // The last row and column of the control are the down half's.
    EXPECT_TRUE(host.mouseDown(arrows, 30 + 12, 40 + 22));
    EXPECT_EQ(Picture(arrows), kDownPressed);
    host.mouseUp(arrows, 30 + 12, 40 + 22);

    EXPECT_EQ(Fired(host, arrows), (std::vector<std::string>{"a:Up", "a:Down", "a:Down"}));
}

TEST_F(LittleArrowsTest, PressesOutsideTheThirteenByTwentyThreePixelsAreRefused) {
    Instance* arrows = Create(30, 40);
    ASSERT_NE(arrows, nullptr);
    host.draw(arrows);
    EXPECT_FALSE(host.mouseDown(arrows, 30 + 13, 40 + 5));
    EXPECT_FALSE(host.mouseDown(arrows, 30 + 5, 40 + 23));
    EXPECT_FALSE(host.mouseDown(arrows, 30 + 19, 40 + 29));
    // Left of the control or above it is outside too.
    EXPECT_FALSE(host.mouseDown(arrows, 30 - 1, 40 + 5));
    EXPECT_FALSE(host.mouseDown(arrows, 30 + 5, 40 - 1));
    EXPECT_TRUE(host.events.empty());
    EXPECT_EQ(Picture(arrows), kNormal);
}

TEST_F(LittleArrowsTest, DisabledControlRefusesPressesAndMouseUpShowsTheEnabledLook) {
    pluginhost::InstanceOptions options;
    options.enabled = false;
    Instance* arrows = Create(30, 40, options);
    ASSERT_NE(arrows, nullptr);
    host.draw(arrows);
    EXPECT_FALSE(host.mouseDown(arrows, 35, 45));
    EXPECT_TRUE(host.events.empty());
    EXPECT_EQ(Picture(arrows), kDisabled);
    host.mouseUp(arrows, 35, 45);
    EXPECT_EQ(Picture(arrows), kNormal);
}

TEST_F(LittleArrowsTest, PressWithoutHandlersStillRepaints) {
    Instance* arrows = host.create("LittleArrows", 30, 40, 43, 63);
    ASSERT_NE(arrows, nullptr);
    EXPECT_TRUE(host.mouseDown(arrows, 35, 60));
    EXPECT_TRUE(host.events.empty());
    EXPECT_EQ(Picture(arrows), kDownPressed);
}

TEST_F(LittleArrowsTest, DragOffThePressedHalfShowsItReleasedAndBackShowsItPressed) {
    Instance* arrows = Create(30, 40);
    ASSERT_NE(arrows, nullptr);
    ASSERT_TRUE(host.mouseDown(arrows, 35, 45));
    host.mouseDrag(arrows, 35, 40 + 15);  // over the down half
    EXPECT_EQ(Picture(arrows), kNormal);
    host.mouseDrag(arrows, 35, 45);
    EXPECT_EQ(Picture(arrows), kUpPressed);
    host.mouseDrag(arrows, 30 - 1, 45);  // left of the control
    EXPECT_EQ(Picture(arrows), kNormal);
    host.mouseDrag(arrows, 35, 40 - 1);  // above it
    EXPECT_EQ(Picture(arrows), kNormal);
    host.mouseDrag(arrows, 30 + 13, 45);  // right of it
    EXPECT_EQ(Picture(arrows), kNormal);
    EXPECT_EQ(Fired(host, arrows), (std::vector<std::string>{"a:Up"}));
}

TEST_F(LittleArrowsTest, ClassicControlIgnoresHotTracking) {
    Instance* arrows = Create(30, 40);
    ASSERT_NE(arrows, nullptr);
    host.mouseMove(arrows, 35, 45);
    host.mouseExit(arrows);
    EXPECT_EQ(arrows->invalidations, 0);
}

// ---- the repeat timeline, under a scripted GetTickCount ---------------------

class LittleArrowsRepeatTest : public LittleArrowsTest {
protected:
    void SetUp() override {
        LittleArrowsTest::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        spy = std::make_unique<ThemeSpy>(host.module(), kWindows2000);
        ASSERT_TRUE(spy->installed());
        spy->scriptedTicks = true;
    }

    void At(DWORD milliseconds) { spy->tick = milliseconds; }

    std::unique_ptr<ThemeSpy> spy;
};

TEST_F(LittleArrowsRepeatTest, FirstRepeatComesAfter401To416Milliseconds) {
    Instance* arrows = Create(30, 40);
    ASSERT_NE(arrows, nullptr);
    // Pressed at the last millisecond of a 16-ms unit: 401 ms.
    At(1007);
    ASSERT_TRUE(host.mouseDown(arrows, 35, 45));
    At(1007 + 400);
    host.mouseDrag(arrows, 35, 45);
    EXPECT_EQ(Fired(host, arrows).size(), 1u) << "repeated after 400 ms";
    At(1007 + 401);
    host.mouseDrag(arrows, 35, 45);
    EXPECT_EQ(Fired(host, arrows), (std::vector<std::string>{"a:Up", "a:Up"}));
    host.mouseUp(arrows, 35, 45);

    // Pressed at the first millisecond of a unit: 416 ms.
    host.events.clear();
    At(2000 * 16);
    ASSERT_TRUE(host.mouseDown(arrows, 35, 60));
    At(2000 * 16 + 415);
    host.mouseDrag(arrows, 35, 60);
    EXPECT_EQ(Fired(host, arrows).size(), 1u) << "repeated after 415 ms";
    At(2000 * 16 + 416);
    host.mouseDrag(arrows, 35, 60);
    EXPECT_EQ(Fired(host, arrows), (std::vector<std::string>{"a:Down", "a:Down"}));
}

TEST_F(LittleArrowsRepeatTest, RepeatsAtMostEverySixteenMillisecondsAndNotOverTheOtherHalf) {
    Instance* arrows = Create(30, 40);
    ASSERT_NE(arrows, nullptr);
    At(10000);
    ASSERT_TRUE(host.mouseDown(arrows, 35, 45));
    struct Step {
        DWORD at;
        int y;
        size_t firedSoFar;
    };
    static const Step kSteps[] = {
        {10000 + 500, 45, 2},                        // first repeat
        {10000 + 505, 45, 2}, {10000 + 515, 45, 2},  // 15 ms after the last repeat
        {10000 + 516, 45, 3},                        // 16 ms
        {10000 + 600, 55, 3},                        // over the down half: nothing
        {10000 + 700, 55, 3}, {10000 + 800, 45, 4},  // back on the up half: repeats again
        {10000 + 810, 45, 4}, {10000 + 832, 45, 5},
    };
    for (const Step& step : kSteps) {
        At(step.at);
        host.mouseDrag(arrows, 35, step.y);
        EXPECT_EQ(Fired(host, arrows).size(), step.firedSoFar) << "at " << step.at << " ms, y " << step.y;
    }
    for (const std::string& name : Fired(host, arrows)) EXPECT_EQ(name, "a:Up");
}

TEST_F(LittleArrowsRepeatTest, ControlsShareTheSpacingPerEvent) {
    Instance* a = Create(30, 40);
    Instance* b = Create(80, 40);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    At(10000);
    ASSERT_TRUE(host.mouseDown(a, 35, 45));
    ASSERT_TRUE(host.mouseDown(b, 85, 45));
    At(10500);
    host.mouseDrag(a, 35, 45);
    host.mouseDrag(b, 85, 45);  // "Up" repeated 0 ms ago by a
    At(10510);
    host.mouseDrag(b, 85, 45);  // 10 ms ago
    At(10520);
    host.mouseDrag(b, 85, 45);  // 20 ms ago: fires
    EXPECT_EQ(Fired(host, a, b), (std::vector<std::string>{"a:Up", "b:Up", "a:Up", "b:Up"}));

    // "Down" keeps its own spacing: it repeats right after an "Up" repeat.
    host.mouseUp(b, 85, 45);
    ASSERT_TRUE(host.mouseDown(b, 85, 60));
    At(10520 + 420);
    host.mouseDrag(a, 35, 45);
    host.mouseDrag(b, 85, 60);
    EXPECT_EQ(Fired(host, a, b),
              (std::vector<std::string>{"a:Up", "b:Up", "a:Up", "b:Up", "b:Down", "a:Up", "b:Down"}));
}

TEST_F(LittleArrowsRepeatTest, RepeatsAcrossTheTickCountWrap) {
    Instance* arrows = Create(30, 40);
    ASSERT_NE(arrows, nullptr);
    At(0xFFFFFE00u);
    ASSERT_TRUE(host.mouseDown(arrows, 35, 45));
    At(0xFFFFFFF0u);  // 496 ms later
    host.mouseDrag(arrows, 35, 45);
    At(0x00000100u);  // after the wrap
    host.mouseDrag(arrows, 35, 45);
    EXPECT_EQ(Fired(host, arrows), (std::vector<std::string>{"a:Up", "a:Up", "a:Up"}));
}

// ---- themed: the "Spin" class -------------------------------------------------

class LittleArrowsThemedTest : public LittleArrowsTest {
protected:
    void SetUp() override {
        LittleArrowsTest::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        spy = std::make_unique<ThemeSpy>(host.module());
        ASSERT_TRUE(spy->installed());
    }

    // DrawThemeBackground calls since the last look, as "part state left,top,right,bottom".
    std::vector<std::string> Draws() {
        std::vector<std::string> seen;
        for (const ThemeCall& call : spy->callsOf("DrawThemeBackground")) {
            std::ostringstream out;
            out << call.part << " " << call.state << " " << call.rect.left << "," << call.rect.top << ","
                << call.rect.right << "," << call.rect.bottom << (call.hasClip ? " clip" : "");
            EXPECT_EQ(call.theme, theme) << "drawn with another theme handle";
            seen.push_back(out.str());
        }
        spy->calls.clear();
        return seen;
    }

    Instance* CreateThemed(int left, int top, const pluginhost::InstanceOptions& options = {}) {
        Instance* arrows = Create(left, top, options);
        const std::vector<ThemeCall> opens = spy->callsOf("OpenThemeData");
        if (opens.size() == 1 && opens[0].classList == L"Spin" && opens[0].window == nullptr) theme = opens[0].theme;
        spy->calls.clear();
        return arrows;
    }

    std::unique_ptr<ThemeSpy> spy;
    HANDLE theme = nullptr;
};

// Up half (L, T, L+13, T+11), down half (L, T+12, L+13, T+23); parts 1 and
// 2; states 1 normal, 2 hot, 3 pressed, 4 disabled.
TEST_F(LittleArrowsThemedTest, NormalHotAndExit) {
    Instance* arrows = CreateThemed(30, 40);
    ASSERT_NE(arrows, nullptr);
    ASSERT_NE(theme, nullptr) << "no \"Spin\" theme opened with a null window";

    host.draw(arrows);
    EXPECT_EQ(Draws(), (std::vector<std::string>{"1 1 30,40,43,51", "2 1 30,52,43,63"}));

    host.mouseMove(arrows, 35, 40 + 12);
    EXPECT_EQ(arrows->invalidations, 1);
    host.draw(arrows);
    EXPECT_EQ(Draws(), (std::vector<std::string>{"1 1 30,40,43,51", "2 2 30,52,43,63"}));

    host.mouseMove(arrows, 35, 40 + 11);
    host.mouseMove(arrows, 35, 40 + 11);  // unchanged, asks again
    EXPECT_EQ(arrows->invalidations, 3);
    host.draw(arrows);
    EXPECT_EQ(Draws(), (std::vector<std::string>{"1 2 30,40,43,51", "2 1 30,52,43,63"}));

    host.mouseMove(arrows, 30 + 13, 45);  // beyond the control: nothing hot
    host.draw(arrows);
    EXPECT_EQ(Draws(), (std::vector<std::string>{"1 1 30,40,43,51", "2 1 30,52,43,63"}));

    host.mouseMove(arrows, 35, 45);
    host.mouseExit(arrows);
    EXPECT_EQ(arrows->invalidations, 6);
    host.draw(arrows);
    EXPECT_EQ(Draws(), (std::vector<std::string>{"1 1 30,40,43,51", "2 1 30,52,43,63"}));
}

TEST_F(LittleArrowsThemedTest, PressedHalfIsTheOnlyOneDrawn) {
    Instance* arrows = CreateThemed(30, 40);
    ASSERT_NE(arrows, nullptr);
    ASSERT_NE(theme, nullptr);
    ASSERT_TRUE(host.mouseDown(arrows, 35, 45));
    EXPECT_EQ(Draws(), (std::vector<std::string>{"1 3 30,40,43,51"}));
    host.mouseDrag(arrows, 35, 55);
    EXPECT_EQ(Draws(), (std::vector<std::string>{"1 1 30,40,43,51", "2 1 30,52,43,63"}));
    host.mouseUp(arrows, 35, 55);
    host.draw(arrows);
    Draws();
    ASSERT_TRUE(host.mouseDown(arrows, 35, 55));
    EXPECT_EQ(Draws(), (std::vector<std::string>{"2 3 30,52,43,63"}));
    EXPECT_EQ(Fired(host, arrows), (std::vector<std::string>{"a:Up", "a:Down"}));
}

TEST_F(LittleArrowsThemedTest, DisabledDrawsBothHalvesDisabled) {
    pluginhost::InstanceOptions options;
    options.enabled = false;
    Instance* arrows = CreateThemed(30, 40, options);
    ASSERT_NE(arrows, nullptr);
    ASSERT_NE(theme, nullptr);
    host.draw(arrows);
    EXPECT_EQ(Draws(), (std::vector<std::string>{"1 4 30,40,43,51", "2 4 30,52,43,63"}));
}

TEST_F(LittleArrowsThemedTest, ThemePaintsBothHalvesAndLeavesTheRowBetween) {
    Instance* arrows = CreateThemed(30, 40);
    ASSERT_NE(arrows, nullptr);
    ASSERT_NE(theme, nullptr);
    host.draw(arrows);
    int paintedUp = 0;
    int paintedDown = 0;
    for (int x = 30; x < 43; ++x) {
        for (int y = 40; y < 51; ++y) paintedUp += host.pixel(x, y) != kPaper;
        for (int y = 52; y < 63; ++y) paintedDown += host.pixel(x, y) != kPaper;
        EXPECT_EQ(host.pixel(x, 51), kPaper) << "row T+11 painted at x " << x;
        EXPECT_EQ(host.pixel(x, 63), kPaper) << "below the control at x " << x;
    }
    EXPECT_GT(paintedUp, 13 * 11 / 2);
    EXPECT_GT(paintedDown, 13 * 11 / 2);
}

TEST_F(LittleArrowsThemedTest, DestructClosesItsOwnTheme) {
    Instance* a = CreateThemed(30, 40);
    ASSERT_NE(a, nullptr);
    const HANDLE themeOfA = theme;
    Instance* b = CreateThemed(80, 40);
    ASSERT_NE(b, nullptr);
    const HANDLE themeOfB = theme;
    ASSERT_NE(themeOfA, nullptr);
    ASSERT_NE(themeOfB, nullptr);
    host.destroy(a);
    std::vector<ThemeCall> closes = spy->callsOf("CloseThemeData");
    ASSERT_EQ(closes.size(), 1u);
    EXPECT_EQ(closes[0].theme, themeOfA);
    // b still draws themed with its own handle.
    theme = themeOfB;
    host.draw(b);
    EXPECT_EQ(Draws(), (std::vector<std::string>{"1 1 80,40,93,51", "2 1 80,52,93,63"}));
    host.destroy(b);
    closes = spy->callsOf("CloseThemeData");
    ASSERT_EQ(closes.size(), 1u);
    EXPECT_EQ(closes[0].theme, themeOfB);
}

}  // namespace
