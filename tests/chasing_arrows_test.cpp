// Chasing arrows through the real DLL: the frames' shapes as GDI calls and
// pixels, the animation on idle, the background, the themed parent.
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "control_test.h"
#include "call_recorder.h"
#include "theme_spy.h"

namespace {

using pluginhost::Instance;

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kBackground = RGB(10, 200, 30);
constexpr int32_t kFrameIndexOffset = 4;

std::string Point(int x, int y) { return std::to_string(x) + "," + std::to_string(y); }

class ChasingArrowsTest : public ControlTest {
protected:
    ChasingArrowsTest() : ControlTest("ChasingArrows", {{kBlack, 'K'}, {kBackground, 'B'}}) {}

    void SetUp() override {
        ControlTest::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        // The plug-in's outline calls, as "Polygon x,y x,y x,y", "MoveToEx x,y", "LineTo x,y".
        shapes = std::make_unique<pluginhost::CallRecorder>(host.module());
        shapes->hook<decltype(&Polygon)>("GDI32.dll", "Polygon", [](HDC, const POINT* points, int count) {
            std::string vertices;
            for (int i = 0; i < count; ++i) vertices += (i ? " " : "") + Point(points[i].x, points[i].y);
            return vertices;
        });
        shapes->hook<decltype(&MoveToEx)>("GDI32.dll", "MoveToEx",
                                          [](HDC, int x, int y, POINT*) { return Point(x, y); });
        shapes->hook<decltype(&LineTo)>("GDI32.dll", "LineTo", [](HDC, int x, int y) { return Point(x, y); });
        ASSERT_TRUE(shapes->installed());
    }

    void TearDown() override {
        ControlTest::TearDown();
        shapes.reset();
    }

    Instance* CreateAt(int left, int top, int right, int bottom, pluginhost::InstanceOptions options = {}) {
        options.background = kBackground;
        return host.create("ChasingArrows", left, top, right, bottom, options);
    }

    std::unique_ptr<pluginhost::CallRecorder> shapes;
};

// Frame 0 anchored at (100, 50): the stored arrow, then the one turned half
// a turn about the square's centre.
const std::vector<std::string> kFrame0At100x50 = {
    "Polygon 111,57 114,59 115,57",
    "MoveToEx 105,53",
    "LineTo 106,52",
    "LineTo 109,52",
    "LineTo 111,53",
    "LineTo 113,56",
    "LineTo 113,59",
    "Polygon 104,58 101,56 100,58",
    "MoveToEx 110,62",
    "LineTo 109,63",
    "LineTo 106,63",
    "LineTo 104,62",
    "LineTo 102,59",
    "LineTo 102,56",
};

TEST_F(ChasingArrowsTest, FrameZeroPointByPoint) {
    Instance* arrows = CreateAt(100, 50, 116, 66);
    ASSERT_NE(arrows, nullptr);
    host.draw(arrows);
    EXPECT_SEQUENCE(kFrame0At100x50, shapes->calls);
    const POINT blackPoints[] = {
        {111, 57}, {114, 59}, {115, 57}, {105, 53}, {106, 52}, {109, 52}, {111, 53}, {113, 56}, {113, 58},
        {104, 58}, {101, 56}, {100, 58}, {110, 62}, {109, 63}, {106, 63}, {104, 62}, {102, 59}, {102, 57},
    };
    for (const POINT& p : blackPoints) EXPECT_EQ(host.pixel(p.x, p.y), kBlack) << "at " << Point(p.x, p.y);
    // LineTo leaves each tail's last point.
    EXPECT_EQ(host.pixel(113, 59), kBackground);
    EXPECT_EQ(host.pixel(102, 56), kBackground);
    EXPECT_EQ(host.pixel(100, 50), kBackground);
    EXPECT_EQ(host.pixel(115, 65), kBackground);

    shapes->calls.clear();
    host.drawOffscreen(arrows);
    EXPECT_SEQUENCE(kFrame0At100x50, shapes->calls) << "drawOffscreen differs";
    shapes->calls.clear();
    host.draw(arrows);
    EXPECT_SEQUENCE(kFrame0At100x50, shapes->calls) << "a second draw moved on";
}

TEST_F(ChasingArrowsTest, EightVisibleIdlesComeBackToTheStart) {
    Instance* arrows = CreateAt(20, 30, 36, 46);
    ASSERT_NE(arrows, nullptr);
    host.draw(arrows);
    const RECT square{20, 30, 36, 46};
    const std::string start = Capture(square);
    // The first vertex of each frame's stored head, frames 1 to 7 and then 0.
    const POINT heads[8] = {{11, 8}, {11, 10}, {9, 11}, {8, 11}, {6, 14}, {3, 13}, {1, 11}, {11, 7}};
    for (int step = 0; step < 8; ++step) {
        shapes->calls.clear();
        host.fillImage(kPaper);
        host.idle(arrows);
        EXPECT_EQ(arrows->at<int32_t>(kFrameIndexOffset), (step + 1) % 8);
        ASSERT_FALSE(shapes->calls.empty()) << "idle painted nothing";
        const std::string firstVertex = Point(20 + heads[step].x, 30 + heads[step].y);
        EXPECT_EQ(shapes->calls[0].substr(0, 8 + firstVertex.size()), "Polygon " + firstVertex) << "step " << step;
        EXPECT_EQ(host.pixel(20 + heads[step].x, 30 + heads[step].y), kBlack) << "not on screen, step " << step;
    }
    EXPECT_EQ(Capture(square), start);
    EXPECT_SEQUENCE(
        (Lines{"Polygon 31,37 34,39 35,37", "MoveToEx 25,33", "LineTo 26,32", "LineTo 29,32", "LineTo 31,33",
               "LineTo 33,36", "LineTo 33,39", "Polygon 24,38 21,36 20,38", "MoveToEx 30,42", "LineTo 29,43",
               "LineTo 26,43", "LineTo 24,42", "LineTo 22,39", "LineTo 22,36"}),
        shapes->calls);
}

TEST_F(ChasingArrowsTest, OnlyFramesZeroToSevenArePainted) {
    Instance* arrows = CreateAt(20, 30, 36, 46);
    ASSERT_NE(arrows, nullptr);
    for (int32_t frame : {0, 7, 8, -1}) {
        arrows->at<int32_t>(kFrameIndexOffset) = frame;
        shapes->calls.clear();
        host.draw(arrows);
        EXPECT_EQ(shapes->calls.empty(), frame == 8 || frame == -1) << "frame " << frame;
    }
}

TEST_F(ChasingArrowsTest, HiddenControlOrTabPanelStandsStill) {
    pluginhost::InstanceOptions hidden;
    hidden.visible = false;
    Instance* arrows = CreateAt(20, 30, 36, 46, hidden);
    ASSERT_NE(arrows, nullptr);
    host.idle(arrows);
    arrows->visible = true;
    arrows->tabPanelVisible = false;
    host.idle(arrows);
    EXPECT_EQ(arrows->at<int32_t>(kFrameIndexOffset), 0);
    EXPECT_TRUE(shapes->calls.empty());
    std::string untouched;
    for (int row = 0; row < 16; ++row) untouched += std::string(16, '.') + "\n";
    EXPECT_EQ(Capture(RECT{20, 30, 36, 46}), untouched);
    arrows->tabPanelVisible = true;
    host.idle(arrows);
    EXPECT_EQ(arrows->at<int32_t>(kFrameIndexOffset), 1);
}

TEST_F(ChasingArrowsTest, LargerBoundsPaintOnlyTheTopLeftSquare) {
    Instance* arrows = CreateAt(20, 30, 60, 60);
    ASSERT_NE(arrows, nullptr);
    host.draw(arrows);
    for (int y = 30; y < 60; ++y) {
        for (int x = 20; x < 60; ++x) {
            const bool inSquare = x < 36 && y < 46;
            if (!inSquare) {
                EXPECT_EQ(host.pixel(x, y), kPaper) << "painted outside at " << Point(x, y);
            }
        }
    }
    EXPECT_EQ(host.pixel(20, 30), kBackground);
    EXPECT_EQ(host.pixel(35, 45), kBackground);
}

TEST_F(ChasingArrowsTest, WithoutTheHostsBackgroundTheSquareIsButtonFace) {
    host.withhold("ZOKASetSpecialBackground");
    Instance* arrows = CreateAt(20, 30, 36, 46);
    ASSERT_NE(arrows, nullptr);
    host.draw(arrows);
    EXPECT_EQ(host.pixel(20, 30), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(host.pixel(35, 45), GetSysColor(COLOR_BTNFACE));
}

TEST_F(ChasingArrowsTest, OnWindowsXPTheParentsBackgroundGoesUnderTheArrows) {
    pluginhost::ThemeSpy spy(host.module());
    ASSERT_TRUE(spy.installed());
    pluginhost::InstanceOptions inTab;
    inTab.insideTabControl = true;
    Instance* arrows = CreateAt(40, 40, 56, 56, inTab);
    ASSERT_NE(arrows, nullptr);
    host.draw(arrows);
    host.idle(arrows);
    const std::vector<pluginhost::ThemeCall> parents = spy.callsOf("DrawThemeParentBackground");
    ASSERT_EQ(parents.size(), 2u);
    for (const pluginhost::ThemeCall& call : parents) {
        EXPECT_EQ(call.window, arrows->window);
        EXPECT_EQ(Point(call.rect.left, call.rect.top) + " " + Point(call.rect.right, call.rect.bottom), "40,40 56,56");
    }
    // Frame 1's stored head, on top of whatever the parent painted.
    EXPECT_EQ(host.pixel(40 + 11, 40 + 8), kBlack);
    host.destroy(arrows);
    EXPECT_EQ(spy.loads, 1);
    EXPECT_EQ(spy.frees, 1);
}

}  // namespace
