// PopupArrow through the real DLL: the eight shapes on real GDI, facings
// outside the enumeration, and the three mouse events.
#include <cstddef>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "controls/popup_arrow.h"
#include "control_test.h"

namespace {

using popup_arrow::InstanceData;
using pluginhost::EventCall;
using pluginhost::Instance;

constexpr int kLeft = 10;
constexpr int kTop = 20;
// Every shape fits in 9 x 9 pixels from the anchor; one more each way.
constexpr RECT kArea{kLeft - 1, kTop - 1, kLeft + 10, kTop + 10};

struct ShapeCase {
    int32_t facing;
    std::string picture;
};

// The published vertices, as pictures with a one-pixel margin.
const ShapeCase kShapes[] = {
    {0, Rows({"...........", ".K.........", ".KK........", ".KKK.......", ".KKKK......", ".KKKKK.....", ".KKKK......",
              ".KKK.......", ".KK........", ".K.........", "..........."})},
    {1, Rows({"...........", ".....K.....", "....KK.....", "...KKK.....", "..KKKK.....", ".KKKKK.....", "..KKKK.....",
              "...KKK.....", "....KK.....", ".....K.....", "..........."})},
    {2, Rows({"...........", ".....K.....", "....KKK....", "...KKKKK...", "..KKKKKKK..", ".KKKKKKKKK.", "...........",
              "...........", "...........", "...........", "..........."})},
    {3, Rows({"...........", ".KKKKKKKKK.", "..KKKKKKK..", "...KKKKK...", "....KKK....", ".....K.....", "...........",
              "...........", "...........", "...........", "..........."})},
    {4, Rows({"...........", ".K.........", ".KK........", ".KKK.......", ".KK........", ".K.........", "...........",
              "...........", "...........", "...........", "..........."})},
    {5, Rows({"...........", "...K.......", "..KK.......", ".KKK.......", "..KK.......", "...K.......", "...........",
              "...........", "...........", "...........", "..........."})},
    {6, Rows({"...........", "...K.......", "..KKK......", ".KKKKK.....", "...........", "...........", "...........",
              "...........", "...........", "...........", "..........."})},
    {7, Rows({"...........", ".KKKKK.....", "..KKK......", "...K.......", "...........", "...........", "...........",
              "...........", "...........", "...........", "..........."})},
};

const std::string kNothing =
    Rows({"...........", "...........", "...........", "...........", "...........", "...........", "...........",
          "...........", "...........", "...........", "..........."});

// 'K' black, '.' untouched.
class PopupArrowTest : public ControlTest {
protected:
    PopupArrowTest() : ControlTest("PopupArrow", pluginhost::legend({}, {{RGB(0, 0, 0), 'K'}})) {}

    Instance* Create(int right, int bottom, bool enabled = true) {
        return ControlTest::Create(kLeft, kTop, right, bottom, enabled);
    }

    std::string Paint(Instance* arrow) { return ControlTest::Paint(arrow, kArea); }
};

TEST_F(PopupArrowTest, DrawsEachOfTheEightShapesAtTheTopLeftCorner) {
    // Larger than every shape: the triangle is not centred.
    Instance* arrow = Create(kLeft + 30, kTop + 30);
    for (const ShapeCase& shape : kShapes) {
        host.setInteger(arrow, "Facing", shape.facing);
        EXPECT_EQ(Paint(arrow), shape.picture) << "Facing " << shape.facing;
    }
    ExpectClean();
}

TEST_F(PopupArrowTest, SmallerBoundsStillGetTheWholeTriangle) {
    Instance* arrow = Create(kLeft + 3, kTop + 3);
    host.setInteger(arrow, "Facing", 3);
    EXPECT_EQ(PaintOffscreen(arrow, kArea), kShapes[3].picture);
    // The on-screen surface is only as large as the control.
    host.fillImage(kPaper);
    host.draw(arrow);
    EXPECT_EQ(Capture(kArea),
              Rows({"...........", ".KKK.......", "..KK.......", "...K.......", "...........", "...........",
                    "...........", "...........", "...........", "...........", "..........."}));
    ExpectClean();
}

TEST_F(PopupArrowTest, DisabledLooksTheSame) {
    Instance* arrow = Create(kLeft + 10, kTop + 10, false);
    host.setInteger(arrow, "Facing", 0);
    EXPECT_EQ(Paint(arrow), kShapes[0].picture);
    ExpectClean();
}

TEST_F(PopupArrowTest, AFacingOutsideTheEnumerationDrawsNothing) {
    Instance* arrow = Create(kLeft + 10, kTop + 10);
    // Not even a polygon that happens to show nothing.
    pluginhost::CallRecorder polygons(host.module());
    polygons.hook<decltype(&Polygon)>("GDI32.dll", "Polygon");
    ASSERT_TRUE(polygons.installed());
    for (int32_t facing : {8, -1, 1000, INT32_MIN}) {
        arrow->at<int32_t>(offsetof(InstanceData, facing)) = facing;
        EXPECT_EQ(Paint(arrow), kNothing) << "Facing " << facing;
        EXPECT_TRUE(polygons.calls.empty()) << "Facing " << facing;
    }
    ExpectClean();
}

TEST_F(PopupArrowTest, MouseEventsReachTheHandlersWithLocalCoordinates) {
    Instance* arrow = Create(kLeft + 10, kTop + 10);
    host.on(arrow, "MouseDown", [](const EventCall&) { return true; });
    host.on(arrow, "MouseDrag");
    host.on(arrow, "MouseUp");
    EXPECT_TRUE(host.mouseDown(arrow, kLeft + 3, kTop + 4));
    host.mouseDrag(arrow, kLeft - 7, kTop + 50);
    host.mouseUp(arrow, kLeft + 9, kTop + 9);
    EXPECT_SEQUENCE((Lines{"MouseDown 3 4", "MouseDrag -7 50", "MouseUp 9 9"}), Events());
    for (const EventCall& e : host.events) EXPECT_EQ(e.instance, arrow->control) << e.name;
    EXPECT_EQ(arrow->invalidations, 0);
    ExpectClean();
}

TEST_F(PopupArrowTest, MouseDownAnswersWhatTheHandlerAnswers) {
    Instance* arrow = Create(kLeft + 10, kTop + 10);
    host.on(arrow, "MouseDown", [](const EventCall&) { return false; });
    EXPECT_FALSE(host.mouseDown(arrow, kLeft + 1, kTop + 1));
    EXPECT_SEQUENCE((Lines{"MouseDown 1 1"}), Events());
    ExpectClean();
}

TEST_F(PopupArrowTest, WithoutHandlersNothingIsCalledAndMouseDownIsFalse) {
    Instance* arrow = Create(kLeft + 10, kTop + 10);
    EXPECT_FALSE(host.mouseDown(arrow, kLeft + 1, kTop + 1));
    host.mouseDrag(arrow, kLeft + 2, kTop + 2);
    host.mouseUp(arrow, kLeft + 2, kTop + 2);
    EXPECT_TRUE(host.events.empty());
    ExpectClean();
}

TEST_F(PopupArrowTest, ADisabledArrowStillFiresItsEvents) {
    Instance* arrow = Create(kLeft + 10, kTop + 10, false);
    host.on(arrow, "MouseDown", [](const EventCall&) { return true; });
    host.on(arrow, "MouseUp");
    EXPECT_TRUE(host.mouseDown(arrow, kLeft + 2, kTop + 3));
    host.mouseUp(arrow, kLeft + 2, kTop + 3);
    EXPECT_SEQUENCE((Lines{"MouseDown 2 3", "MouseUp 2 3"}), Events());
    ExpectClean();
}

// The shared painter as the bevel button uses it: any anchor rectangle, the
// device context's own pen, the previous brush given back.
TEST(PopupArrowPainterTest, PaintsOnAMemoryContextAndRestoresTheBrush) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = 12;
    info.bmiHeader.biHeight = -8;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(bitmap, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ keptBitmap = SelectObject(dc, bitmap);
    RECT all{0, 0, 12, 8};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    HGDIOBJ brushBefore = GetCurrentObject(dc, OBJ_BRUSH);

    popup_arrow::paintArrowTriangle(dc, 2, 1, popup_arrow::kDownSmall, Palette(false));
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), brushBefore);
    GdiFlush();
    const char* const expected[] = {
        "............", "..KKKKK.....", "...KKK......", "....K.......", "............",
    };
    const uint32_t* pixels = static_cast<const uint32_t*>(bits);
    for (int y = 0; y < 5; ++y) {
        std::string row;
        for (int x = 0; x < 12; ++x) row += (pixels[y * 12 + x] & 0xFFFFFF) == 0 ? 'K' : '.';
        EXPECT_EQ(row, expected[y]) << "row " << y;
    }
    SelectObject(dc, keptBitmap);
    DeleteDC(dc);
    DeleteObject(bitmap);
}

}  // namespace
