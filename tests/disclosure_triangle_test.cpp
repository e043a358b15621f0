// DisclosureTriangle through the real DLL: its shapes on real GDI, the
// immediate repaints while a press is tracked, the toggle and "Action", and
// the GDI balance of every path.
#include <cstddef>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "controls/disclosure_triangle.h"
#include "control_test.h"

namespace {

using disclosure_triangle::InstanceData;
using pluginhost::EventCall;
using pluginhost::Instance;

// Every shape fits in 11 x 11 pixels from the bounds' top-left corner; one
// more pixel each way shows that nothing spills over.
constexpr int kLeft = 10;
constexpr int kTop = 20;
constexpr RECT kArea{kLeft, kTop, kLeft + 12, kTop + 12};

// Polygon (12,20) (17,25) (12,30); highlight (13,22)-(13,29); shadow (16,25)-(13,28).
const std::string kRight = Rows({
    "..K.........",
    "..KK........",
    "..KHK.......",
    "..KHFK......",
    "..KHFFK.....",
    "..KHFFSK....",
    "..KHFSK.....",
    "..KHSK......",
    "..KHK.......",
    "..KK........",
    "..K.........",
    "............",
});

// Polygon (17,20) (12,25) (17,30); highlight (16,22)-(16,29); shadow (13,25)-(17,29).
const std::string kLeftFacing = Rows({
    ".......K....",
    "......KK....",
    ".....KHK....",
    "....KFHK....",
    "...KFFHK....",
    "..KSFFHK....",
    "...KSFHK....",
    "....KSHK....",
    ".....KSK....",
    "......KK....",
    ".......K....",
    "............",
});

// Polygon (10,22) (20,22) (15,27); highlight (12,23)-(19,23); shadow (18,23)-(15,26).
const std::string kDown = Rows({
    "............",
    "............",
    "KKKKKKKKKKK.",
    ".KHHHHHHSK..",
    "..KFFFFSK...",
    "...KFFSK....",
    "....KFK.....",
    ".....K......",
    "............",
    "............",
    "............",
    "............",
});

// Pressed or disabled: the plain shadow-coloured triangle.
const std::string kRightDimmed = Rows({
    "..K.........",
    "..KK........",
    "..KSK.......",
    "..KSSK......",
    "..KSSSK.....",
    "..KSSSSK....",
    "..KSSSK.....",
    "..KSSK......",
    "..KSK.......",
    "..KK........",
    "..K.........",
    "............",
});

// Twelve rows of untouched paper.
std::string Untouched() {
    std::string rows;
    for (int row = 0; row < 12; ++row) rows += "............\n";
    return rows;
}
const std::string kUntouched = Untouched();

// 'F' button face, 'S' button shadow, 'H' button highlight, 'K' the outline
// (the surface's own black pen), '.' untouched.
class DisclosureTriangleTest : public ControlTest {
protected:
    DisclosureTriangleTest()
        : ControlTest("DisclosureTriangle",
                      pluginhost::legend({{COLOR_BTNFACE, 'F'}, {COLOR_BTNSHADOW, 'S'}, {COLOR_BTNHIGHLIGHT, 'H'}},
                                         {{RGB(0, 0, 0), 'K'}})) {}

    Instance* Create(int right = kLeft + 12, int bottom = kTop + 12, bool enabled = true) {
        return ControlTest::Create(kLeft, kTop, right, bottom, enabled);
    }

    uint8_t& Pressed(Instance* triangle) { return triangle->at<uint8_t>(offsetof(InstanceData, pressed)); }
    uint8_t& Value(Instance* triangle) { return triangle->at<uint8_t>(offsetof(InstanceData, value)); }
    int32_t& Facing(Instance* triangle) { return triangle->at<int32_t>(offsetof(InstanceData, facing)); }

    std::string Image() const { return Capture(kArea); }
    std::string Paint(Instance* triangle) { return ControlTest::Paint(triangle, kArea); }
};

TEST_F(DisclosureTriangleTest, CollapsedFacingRightHasItsLightAndDarkInnerEdges) {
    Instance* t = Create();
    EXPECT_EQ(Paint(t), kRight);
    EXPECT_GT(host.gdiCreated(), 0);
    ExpectClean();
}

TEST_F(DisclosureTriangleTest, AnyNonZeroFacingPointsLeft) {
    Instance* t = Create();
    for (int32_t facing : {1, 5, -1}) {
        Facing(t) = facing;
        EXPECT_EQ(Paint(t), kLeftFacing) << "Facing " << facing;
    }
    ExpectClean();
}

TEST_F(DisclosureTriangleTest, ExpandedPointsDownWhateverTheFacing) {
    Instance* t = Create();
    host.setInteger(t, "Value", 1);
    for (int32_t facing : {0, 1}) {
        Facing(t) = facing;
        EXPECT_EQ(Paint(t), kDown) << "Facing " << facing;
    }
    ExpectClean();
}

TEST_F(DisclosureTriangleTest, AnyNonZeroValueByteDrawsExpandedAndTogglesToCollapsed) {
    Instance* t = Create();
    host.setInteger(t, "Value", 0x0207);  // the setter keeps the low byte
    EXPECT_EQ(Value(t), 7);
    EXPECT_EQ(Paint(t), kDown);
    EXPECT_TRUE(host.mouseDown(t, kLeft + 3, kTop + 3));
    host.mouseUp(t, kLeft + 3, kTop + 3);
    EXPECT_EQ(Value(t), 0);
    EXPECT_EQ(Paint(t), kRight);
    ExpectClean();
}

TEST_F(DisclosureTriangleTest, DisabledDrawsThePlainShadowTriangle) {
    Instance* t = Create(kLeft + 12, kTop + 12, false);
    EXPECT_EQ(Paint(t), kRightDimmed);
    ExpectClean();
}

TEST_F(DisclosureTriangleTest, TheShapeStaysAtTheTopLeftOfLargerBounds) {
    Instance* t = Create(kLeft + 40, kTop + 30);
    EXPECT_EQ(Paint(t), kRight);
    ExpectClean();
}

TEST_F(DisclosureTriangleTest, ClickInsideRepaintsPressedThenTogglesAndFiresActionOnce) {
    Instance* t = Create();
    int32_t valueSeenByHandler = -1;
    host.on(t, "Action", [&](const EventCall&) {
        valueSeenByHandler = host.getInteger(t, "Value");
        return false;
    });
    host.draw(t);

    EXPECT_TRUE(host.mouseDown(t, kLeft + 4, kTop + 5));
    EXPECT_EQ(Pressed(t), 1);
    EXPECT_EQ(Image(), kRightDimmed) << "the press repaints at once";
    EXPECT_EQ(t->invalidations, 0);

    host.mouseDrag(t, kLeft + 5, kTop + 5);  // still inside: nothing to repaint
    host.mouseUp(t, kLeft + 5, kTop + 6);
    EXPECT_EQ(Value(t), 1);
    EXPECT_EQ(Pressed(t), 0);
    EXPECT_EQ(t->invalidations, 1);
    EXPECT_SEQUENCE((Lines{"Action"}), Events());
    EXPECT_EQ(valueSeenByHandler, 1) << "the handler sees the new Value";
    EXPECT_EQ(Paint(t), kDown);
    ExpectClean();
}

// Pressed, dragged out (the right edge and the row above the top are
// outside): the unpressed look at once. Released outside, nothing changes;
// dragged back in, the press shows again and the release counts.
TEST_F(DisclosureTriangleTest, DraggingOutAndBackIn) {
    struct Row {
        const char* name;
        POINT out;
        bool backIn;
        POINT release;
        uint8_t value;
        Lines events;
    } rows[] = {
        {"out and released outside", {kLeft + 12, kTop + 3}, false, {kLeft + 30, kTop + 3}, 0, {}},
        {"out and back in", {kLeft + 3, kTop - 1}, true, {kLeft + 3, kTop}, 1, {"Action"}},
    };
    for (const Row& row : rows) {
        Instance* t = Create();
        host.on(t, "Action");
        host.events.clear();
        host.draw(t);
        EXPECT_TRUE(host.mouseDown(t, kLeft + 3, kTop + 3));
        host.mouseDrag(t, row.out.x, row.out.y);
        EXPECT_EQ(Pressed(t), 0) << row.name;
        EXPECT_EQ(Image(), kRight) << row.name << ": dragging out repaints unpressed at once";
        if (row.backIn) {
            host.mouseDrag(t, kLeft + 3, kTop);
            EXPECT_EQ(Pressed(t), 1) << row.name;
            EXPECT_EQ(Image(), kRightDimmed) << row.name;
        }
        host.mouseUp(t, row.release.x, row.release.y);
        EXPECT_EQ(Value(t), row.value) << row.name;
        EXPECT_EQ(Pressed(t), 0) << row.name;
        EXPECT_SEQUENCE(row.events, Events());
        host.destroy(t);
    }
    ExpectClean();
}

TEST_F(DisclosureTriangleTest, ReleaseOutsideWithoutADragEndsThePress) {
    Instance* t = Create();
    host.on(t, "Action");
    EXPECT_TRUE(host.mouseDown(t, kLeft + 3, kTop + 3));
    host.mouseUp(t, kLeft - 5, kTop + 3);
    EXPECT_EQ(Pressed(t), 0);
    EXPECT_EQ(Value(t), 0);
    EXPECT_EQ(t->invalidations, 1) << "the pressed look must be repainted away";
    EXPECT_TRUE(host.events.empty());
    EXPECT_EQ(Paint(t), kRight);
    ExpectClean();
}

TEST_F(DisclosureTriangleTest, TheRightAndBottomEdgesAreOutsideTheTopAndLeftInside) {
    Instance* t = Create(kLeft + 30, kTop + 25);
    EXPECT_FALSE(host.mouseDown(t, kLeft + 30, kTop + 5));
    EXPECT_FALSE(host.mouseDown(t, kLeft + 5, kTop + 25));
    EXPECT_FALSE(host.mouseDown(t, kLeft - 1, kTop + 5));
    EXPECT_EQ(Pressed(t), 0);
    // The press and the release are the host's point, the low 16 bits of
    // each coordinate; the drag compares all 32 of them.
    EXPECT_TRUE(host.mouseDown(t, kLeft + 5 + 0x10000, kTop + 5));
    EXPECT_EQ(Pressed(t), 1);
    host.mouseDrag(t, kLeft + 5 + 0x10000, kTop + 5);
    EXPECT_EQ(Pressed(t), 0);
    host.mouseDrag(t, kLeft + 5, kTop + 5);
    host.mouseUp(t, kLeft + 5, kTop + 5 - 0x10000);
    EXPECT_EQ(Value(t), 1);
    // Far from the drawing but inside the bounds.
    EXPECT_TRUE(host.mouseDown(t, kLeft + 29, kTop + 24));
    EXPECT_EQ(Pressed(t), 1);
    host.mouseUp(t, kLeft, kTop);
    EXPECT_EQ(Value(t), 0);
    ExpectClean();
}

TEST_F(DisclosureTriangleTest, DisabledTakesTheClickAndDoesNothing) {
    Instance* t = Create(kLeft + 12, kTop + 12, false);
    host.on(t, "Action");
    EXPECT_TRUE(host.mouseDown(t, kLeft + 3, kTop + 3));
    EXPECT_EQ(Pressed(t), 0);
    EXPECT_EQ(Image(), kUntouched) << "nothing is drawn";
    host.mouseDrag(t, kLeft + 3, kTop + 4);
    host.mouseUp(t, kLeft + 3, kTop + 4);
    EXPECT_EQ(Value(t), 0);
    EXPECT_EQ(Image(), kUntouched);
    EXPECT_TRUE(host.events.empty());
    EXPECT_EQ(t->invalidations, 0);
    EXPECT_EQ(host.gdiCreated(), 0);
    ExpectClean();
}

TEST_F(DisclosureTriangleTest, WithoutAnActionHandlerAClickStillToggles) {
    Instance* t = Create();
    EXPECT_TRUE(host.mouseDown(t, kLeft + 3, kTop + 3));
    host.mouseUp(t, kLeft + 3, kTop + 3);
    EXPECT_EQ(Value(t), 1);
    EXPECT_TRUE(host.events.empty());
    ExpectClean();
}

TEST_F(DisclosureTriangleTest, SettingValueRepaintsButFiresNothing) {
    Instance* t = Create();
    host.on(t, "Action");
    host.setInteger(t, "Value", 1);
    EXPECT_EQ(host.getInteger(t, "Value"), 1);
    EXPECT_EQ(t->invalidations, 1);
    host.setInteger(t, "Value", 0);
    EXPECT_EQ(Value(t), 0);
    EXPECT_EQ(t->invalidations, 2);
    EXPECT_TRUE(host.events.empty());
    ExpectClean();
}

TEST_F(DisclosureTriangleTest, TheActionCallbackFiresWithoutToggling) {
    Instance* t = Create();
    host.on(t, "Action");
    host.action(t, 1234);
    EXPECT_EQ(Value(t), 0);
    EXPECT_SEQUENCE((Lines{"Action"}), Events());
    EXPECT_EQ(t->invalidations, 0);
    ExpectClean();
}

TEST_F(DisclosureTriangleTest, EveryImmediateRepaintGivesItsSurfaceAndObjectsBack) {
    Instance* t = Create();
    for (int round = 0; round < 3; ++round) {
        EXPECT_TRUE(host.mouseDown(t, kLeft + 3, kTop + 3));
        host.mouseDrag(t, kLeft + 40, kTop + 3);
        host.mouseDrag(t, kLeft + 3, kTop + 3);
        host.mouseUp(t, kLeft + 3, kTop + 3);
    }
    EXPECT_EQ(Value(t), 1);
    ExpectClean();
}

}  // namespace
