// Separator: the etched line on real GDI, through the real DLL.
#include <string>

#include <gtest/gtest.h>

#include "controls/separator.h"
#include "plugin_interface.h"
#include "host_fixture.h"

namespace {

using pluginhost::capture;
using pluginhost::Instance;

constexpr COLORREF kPaper = RGB(0, 128, 0);  // the window image before painting

// 'D' button shadow, 'L' button highlight, '.' untouched.
std::map<COLORREF, char> Legend() {
    return pluginhost::legend({{COLOR_BTNSHADOW, 'D'}, {COLOR_BTNHIGHLIGHT, 'L'}}, {{kPaper, '.'}});
}

RECT Around(const Instance* instance, int margin) {
    return RECT{instance->bounds.left - margin, instance->bounds.top - margin, instance->bounds.right + margin,
                instance->bounds.bottom + margin};
}

class SeparatorTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        host.fillImage(kPaper);
    }

    // Draws the separator both ways and returns the on-screen picture after
    // checking that the off-screen one is the same.
    std::string Paint(Instance* separator, RECT area) {
        host.draw(separator);
        const std::string onScreen = capture(host, area, Legend());
        host.fillImage(kPaper);
        host.drawOffscreen(separator);
        EXPECT_EQ(capture(host, area, Legend()), onScreen) << "draw and drawOffscreen differ";
        return onScreen;
    }
};

TEST_F(SeparatorTest, WiderThanTallDrawsAHorizontalLinePair) {
    // 12 x 4 at (30, 20): dark on row 20 + 2, light on the row below.
    Instance* s = host.create("Separator", 30, 20, 42, 24);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(Paint(s, Around(s, 1)),
              "..............\n"
              "..............\n"
              "..............\n"
              ".DDDDDDDDDDDD.\n"
              ".LLLLLLLLLLLL.\n"
              "..............\n");
}

TEST_F(SeparatorTest, TallerThanWideDrawsAVerticalLinePair) {
    Instance* s = host.create("Separator", 40, 10, 44, 16);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(Paint(s, Around(s, 1)),
              "......\n"
              "...DL.\n"
              "...DL.\n"
              "...DL.\n"
              "...DL.\n"
              "...DL.\n"
              "...DL.\n"
              "......\n");
}

TEST_F(SeparatorTest, SquareDrawsVertically) {
    Instance* s = host.create("Separator", 10, 10, 15, 15);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(Paint(s, Around(s, 1)),
              ".......\n"
              "...DL..\n"
              "...DL..\n"
              "...DL..\n"
              "...DL..\n"
              "...DL..\n"
              ".......\n");
}

TEST_F(SeparatorTest, OddHeightRoundsTheMiddleDown) {
    // top 100, bottom 105: y = 102.
    Instance* s = host.create("Separator", 50, 100, 58, 105);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(Paint(s, Around(s, 0)),
              "........\n"
              "........\n"
              "DDDDDDDD\n"
              "LLLLLLLL\n"
              "........\n");
}

TEST_F(SeparatorTest, OnePixelHighDrawsTheLightLineBelowTheBounds) {
    // On screen the control's surface ends at its bottom edge, so only the
    // off-screen surface shows the light line below it.
    Instance* s = host.create("Separator", 20, 30, 26, 31);
    ASSERT_NE(s, nullptr);
    host.drawOffscreen(s);
    EXPECT_EQ(capture(host, Around(s, 1), Legend()),
              "........\n"
              ".DDDDDD.\n"
              ".LLLLLL.\n");
}

TEST_F(SeparatorTest, EmptyRectangleDrawsNothing) {
    Instance* s = host.create("Separator", 20, 30, 20, 30);
    ASSERT_NE(s, nullptr);
    host.drawOffscreen(s);
    EXPECT_EQ(capture(host, RECT{18, 28, 23, 33}, Legend()),
              ".....\n"
              ".....\n"
              ".....\n"
              ".....\n"
              ".....\n");
}

TEST_F(SeparatorTest, CreatesTwoPensPerPaintAndDeletesThem) {
    Instance* s = host.create("Separator", 30, 20, 94, 24);
    ASSERT_NE(s, nullptr);
    const int created = host.gdiCreated();
    host.draw(s);
    host.drawOffscreen(s);
    EXPECT_EQ(host.gdiCreated() - created, 4);
    EXPECT_EQ(host.gdiLive(), 0);
    // The host checks after every paint that the previous pen is selected again.
    EXPECT_TRUE(host.faults().empty());
}

TEST_F(SeparatorTest, WithoutBoundsOrDeviceContextNothingBreaks) {
    host.withhold("GetControlBounds");
    host.withhold("ZOKAGraphicsDC");
    Instance* s = host.create("Separator", 30, 20, 94, 24);
    ASSERT_NE(s, nullptr);
    host.draw(s);
    host.drawOffscreen(s);
    std::string untouched;
    for (int row = 0; row < 4; ++row) untouched += std::string(64, '.') + "\n";
    EXPECT_EQ(capture(host, Around(s, 0), Legend()), untouched);
    EXPECT_EQ(host.gdiLive(), 0);
}

// Negative coordinates: the middle truncates toward zero (top -5, bottom 0
// gives row -2, not -3). Painted white-box on a DC whose origin shows them.
TEST(SeparatorPainter, NegativeExtentsTruncateTowardZero) {
    HDC dc = CreateCompatibleDC(nullptr);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = 10;
    info.bmiHeader.biHeight = -8;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(bitmap, nullptr);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    RECT all{0, 0, 10, 8};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    SetViewportOrgEx(dc, 0, 6, nullptr);  // logical row -6 is the first row

    separator::paintSeparator(dc, HostRect{-5, 0, 0, 10});

    const uint32_t* pixels = static_cast<const uint32_t*>(bits);
    auto rgb = [](COLORREF c) { return uint32_t(GetRValue(c)) << 16 | uint32_t(GetGValue(c)) << 8 | GetBValue(c); };
    std::string rows;
    for (int y = 0; y < 8; ++y) {
        const uint32_t p = pixels[y * 10] & 0xFFFFFF;
        rows += p == rgb(GetSysColor(COLOR_BTNSHADOW)) ? 'D' : p == rgb(GetSysColor(COLOR_BTNHIGHLIGHT)) ? 'L' : '.';
    }
    // Rows -6 .. 1: dark on -2, light on -1.
    EXPECT_EQ(rows, "....DL..");
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

}  // namespace
