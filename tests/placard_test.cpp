// Placard through the real DLL: raised, pushed-in and disabled looks on real
// GDI, the Value setter, the mouse events, and bounds that leave no room.
#include <cstddef>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "controls/placard.h"
#include "control_test.h"

namespace {

using placard::InstanceData;
using pluginhost::EventCall;
using pluginhost::Instance;

// Bounds (10, 20, 30, 30), seen with a one-pixel margin.
constexpr int kLeft = 10;
constexpr int kTop = 20;
constexpr int kRight = 30;
constexpr int kBottom = 30;
constexpr RECT kArea{kLeft - 1, kTop - 1, kRight + 1, kBottom + 1};

// Black frame; inner (11,21)-(29,29) filled; light edge from (11,27) up to
// (11,21) and along to (27,21); dark edge from (28,22) down to (28,28) and
// along to (12,28).
const std::string kRaised = Rows({
    "......................",
    ".KKKKKKKKKKKKKKKKKKKK.",
    ".KHHHHHHHHHHHHHHHHHFK.",
    ".KHFFFFFFFFFFFFFFFFSK.",
    ".KHFFFFFFFFFFFFFFFFSK.",
    ".KHFFFFFFFFFFFFFFFFSK.",
    ".KHFFFFFFFFFFFFFFFFSK.",
    ".KHFFFFFFFFFFFFFFFFSK.",
    ".KHFFFFFFFFFFFFFFFFSK.",
    ".KFSSSSSSSSSSSSSSSSSK.",
    ".KKKKKKKKKKKKKKKKKKKK.",
    "......................",
});

const std::string kPushedIn = Rows({
    "......................",
    ".KKKKKKKKKKKKKKKKKKKK.",
    ".KHHHHHHHHHHHHHHHHHSK.",
    ".KHSSSSSSSSSSSSSSSSDK.",
    ".KHSSSSSSSSSSSSSSSSDK.",
    ".KHSSSSSSSSSSSSSSSSDK.",
    ".KHSSSSSSSSSSSSSSSSDK.",
    ".KHSSSSSSSSSSSSSSSSDK.",
    ".KHSSSSSSSSSSSSSSSSDK.",
    ".KSDDDDDDDDDDDDDDDDDK.",
    ".KKKKKKKKKKKKKKKKKKKK.",
    "......................",
});

const std::string kDisabled = Rows({
    "......................",
    ".GGGGGGGGGGGGGGGGGGGG.",
    ".GEEEEEEEEEEEEEEEEEEG.",
    ".GEEEEEEEEEEEEEEEEEEG.",
    ".GEEEEEEEEEEEEEEEEEEG.",
    ".GEEEEEEEEEEEEEEEEEEG.",
    ".GEEEEEEEEEEEEEEEEEEG.",
    ".GEEEEEEEEEEEEEEEEEEG.",
    ".GEEEEEEEEEEEEEEEEEEG.",
    ".GEEEEEEEEEEEEEEEEEEG.",
    ".GGGGGGGGGGGGGGGGGGGG.",
    "......................",
});

// 'K' black, 'F' button face, 'H' button highlight, 'S' button shadow, 'D'
// dark shadow, 'G' the disabled frame grey (153), 'E' the disabled fill grey
// (238), '.' untouched.
class PlacardTest : public ControlTest {
protected:
    PlacardTest()
        : ControlTest(
              "Placard",
              pluginhost::legend(
                  {{COLOR_BTNFACE, 'F'}, {COLOR_BTNHIGHLIGHT, 'H'}, {COLOR_BTNSHADOW, 'S'}, {COLOR_3DDKSHADOW, 'D'}},
                  {{RGB(0, 0, 0), 'K'}, {RGB(153, 153, 153), 'G'}, {RGB(238, 238, 238), 'E'}})) {}

    Instance* Create(int left, int top, int right, int bottom, bool enabled = true) {
        return ControlTest::Create(left, top, right, bottom, enabled);
    }

    std::string Paint(Instance* p) { return ControlTest::Paint(p, kArea); }

    uint8_t& Value(Instance* p) { return p->at<uint8_t>(offsetof(InstanceData, value)); }
};

TEST_F(PlacardTest, RaisedWhenValueIsFalse) {
    Instance* p = Create(kLeft, kTop, kRight, kBottom);
    EXPECT_EQ(Paint(p), kRaised);
    ExpectClean();
}

TEST_F(PlacardTest, PushedInWhenValueIsTrue) {
    Instance* p = Create(kLeft, kTop, kRight, kBottom);
    host.setInteger(p, "Value", 1);
    EXPECT_EQ(Paint(p), kPushedIn);
    ExpectClean();
}

TEST_F(PlacardTest, DisabledIsFlatGreyWhateverTheValue) {
    Instance* p = Create(kLeft, kTop, kRight, kBottom, false);
    EXPECT_EQ(Paint(p), kDisabled);
    host.setInteger(p, "Value", 1);
    EXPECT_EQ(Paint(p), kDisabled);
    ExpectClean();
}

TEST_F(PlacardTest, TheSetterKeepsTheLowByteAndAlwaysInvalidates) {
    Instance* p = Create(kLeft, kTop, kRight, kBottom);
    host.setInteger(p, "Value", 1);
    host.setInteger(p, "Value", 1);
    EXPECT_EQ(p->invalidations, 2) << "storing the same value still redraws";
    host.setInteger(p, "Value", 0x0300);
    EXPECT_EQ(Value(p), 0);
    EXPECT_EQ(host.getInteger(p, "Value"), 0);
    EXPECT_EQ(p->invalidations, 3);
    EXPECT_TRUE(host.events.empty());
    ExpectClean();
}

TEST_F(PlacardTest, MouseEventsGoToTheHandlersAndNeverChangeValue) {
    Instance* p = Create(kLeft, kTop, kRight, kBottom, false);  // no enabled test either
    host.on(p, "MouseDown", [](const EventCall&) { return true; });
    host.on(p, "MouseDrag");
    host.on(p, "MouseUp");
    EXPECT_TRUE(host.mouseDown(p, kLeft + 5, kTop + 6));
    host.mouseDrag(p, kLeft - 3, kTop - 4);
    host.mouseUp(p, kRight, kBottom);
    EXPECT_SEQUENCE((Lines{"MouseDown 5 6", "MouseDrag -3 -4", "MouseUp 20 10"}), Events());
    EXPECT_EQ(Value(p), 0);
    EXPECT_EQ(p->invalidations, 0);
    ExpectClean();
}

TEST_F(PlacardTest, WithoutHandlersMouseDownIsFalseAndNothingIsCalled) {
    Instance* p = Create(kLeft, kTop, kRight, kBottom);
    EXPECT_FALSE(host.mouseDown(p, kLeft + 1, kTop + 1));
    host.mouseDrag(p, kLeft + 1, kTop + 1);
    host.mouseUp(p, kLeft + 1, kTop + 1);
    EXPECT_TRUE(host.events.empty());
    EXPECT_EQ(Value(p), 0);
    ExpectClean();
}

TEST_F(PlacardTest, SlotThirteenDoesNothing) {
    Instance* p = Create(kLeft, kTop, kRight, kBottom);
    host.setInteger(p, "Value", 1);
    ASSERT_NE(p->definition->callbacks->slot13, nullptr);
    p->definition->callbacks->slot13(p->control);
    EXPECT_EQ(Value(p), 1);
    EXPECT_EQ(p->invalidations, 1);
    EXPECT_TRUE(host.events.empty());
    EXPECT_EQ(host.gdiCreated(), 0);
    ExpectClean();
}

TEST_F(PlacardTest, InvertedOrEmptyBoundsDrawNothing) {
    const RECT around{0, 0, 40, 40};
    const std::string untouched = PaintOffscreen(Create(50, 50, 51, 51), around);  // elsewhere
    for (RECT bounds : {RECT{20, 10, 10, 30}, RECT{10, 30, 30, 20}, RECT{10, 10, 10, 30}, RECT{10, 10, 30, 10}}) {
        Instance* p = Create(bounds.left, bounds.top, bounds.right, bounds.bottom);
        EXPECT_EQ(PaintOffscreen(p, around), untouched)
            << "bounds " << bounds.left << "," << bounds.top << "," << bounds.right << "," << bounds.bottom;
        host.destroy(p);
    }
    ExpectClean();
}

TEST_F(PlacardTest, BoundsTooSmallForTheEdgesStayInside) {
    // One pixel wide: the frame is all there is.
    Instance* narrow = Create(10, 20, 11, 24);
    EXPECT_EQ(PaintOffscreen(narrow, RECT{9, 19, 12, 25}), Rows({"...", ".K.", ".K.", ".K.", ".K.", "..."}));
    host.destroy(narrow);
    // Two pixels high: the frame's two rows, no fill and no edges.
    Instance* flat = Create(10, 20, 14, 22);
    EXPECT_EQ(PaintOffscreen(flat, RECT{9, 19, 15, 23}), Rows({"......", ".KKKK.", ".KKKK.", "......"}));
    host.destroy(flat);
    // Three by three: a one-pixel inner rectangle (11, 21). The light edge
    // runs from (11, 20) to (11, 21) and the dark one from (11, 22) to
    // (11, 21): each paints its first pixel on the frame, inside the bounds.
    Instance* tiny = Create(10, 20, 13, 23);
    EXPECT_EQ(PaintOffscreen(tiny, RECT{9, 19, 14, 24}), Rows({".....", ".KHK.", ".KFK.", ".KSK.", "....."}));
    ExpectClean();
}

TEST_F(PlacardTest, NegativeCoordinatesDrawTheVisiblePart) {
    // Bounds (-5, -5, 10, 8): the inner rectangle is (-4, -4, 9, 7).
    Instance* p = Create(-5, -5, 10, 8);
    EXPECT_EQ(PaintOffscreen(p, RECT{0, 0, 11, 9}), Rows({
                                                        "FFFFFFFFSK.",
                                                        "FFFFFFFFSK.",
                                                        "FFFFFFFFSK.",
                                                        "FFFFFFFFSK.",
                                                        "FFFFFFFFSK.",
                                                        "FFFFFFFFSK.",
                                                        "SSSSSSSSSK.",
                                                        "KKKKKKKKKK.",
                                                        "...........",
                                                    }));
    ExpectClean();
}

}  // namespace
