// Bevel button painting on real GDI, through the real DLL: classic rings,
// face, caption and icon layout, fonts, the themed toolbar look, menu arrows,
// the bevel clean-up, device-context restoration and bad input.
#include <climits>
#include <cstddef>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "controls/bevel_button/model.h"
#include "base/ampersands.h"
#include "base/windows_version.h"
#include "controls/bevel_button/layout.h"
#include "controls/bevel_button/look.h"
#include "controls/bevel_button/paint.h"
#include "plugin_interface.h"
#include "entry/plugin_entry.h"
#include "call_recorder.h"
#include "host_fixture.h"
#include "theme_spy.h"

namespace {

using bevel_button::InstanceData;
using pluginhost::capture;
using pluginhost::Instance;
using pluginhost::ThemeCall;
using pluginhost::ThemeSpy;
using Lines = std::vector<std::string>;

constexpr COLORREF kPaper = RGB(0, 128, 0);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kDarkGrey = RGB(64, 64, 64);  // the stock DKGRAY_BRUSH
constexpr COLORREF kEdgeGrey = RGB(85, 85, 85);  // the pushed-in top-left line
constexpr COLORREF kWhite = RGB(255, 255, 255);

// 'W' button highlight, 'D' button shadow, 'F' button face, 'K' black,
// 'Z' dark grey frame, 'G' pushed-in edge grey, '.' untouched paper.
std::map<COLORREF, char> Legend() {
    return pluginhost::legend({{COLOR_BTNHIGHLIGHT, 'W'}, {COLOR_BTNSHADOW, 'D'}, {COLOR_BTNFACE, 'F'}},
                            {{kBlack, 'K'}, {kDarkGrey, 'Z'}, {kEdgeGrey, 'G'}, {kPaper, '.'}});
}

RECT BoundsOf(const Instance* b, int margin = 0) {
    return RECT{b->bounds.left - margin, b->bounds.top - margin, b->bounds.right + margin, b->bounds.bottom + margin};
}

std::string RectText(const RECT& r) {
    std::ostringstream out;
    out << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    return out.str();
}

// ---- recording wrappers of the DLL's imports ---------------------------------------

struct TextCall {
    std::string function;  // "DrawTextW", "DrawTextA"
    std::wstring wide;
    std::string narrow;
    RECT rect{};
    UINT format = 0;
    COLORREF colour = 0;
    int backMode = 0;
    UINT align = 0;
};

struct FontCall {
    int height, width, escapement, orientation, weight;
    DWORD italic, underline, strikeOut, charset, outPrecision, clipPrecision, quality, pitchAndFamily;
    std::string face;
};

// Records the plug-in's text, font and polygon calls while it lives, and
// scripts what text measures and which language the user has.
class PaintSpy {
public:
    std::vector<TextCall> texts;
    std::vector<std::wstring> measuredWide;
    std::vector<std::string> measuredNarrow;
    std::vector<FontCall> fonts;
    std::vector<std::vector<POINT>> polygons;
    // While set, text is measured this wide and the font reports these metrics.
    int fixedWidth = -1;
    bool fixedMetrics = false;
    LONG ascent = 10, descent = 3, leading = 1;
    LANGID language = 0x0409;

    explicit PaintSpy(HMODULE module) : calls_(module) {
        calls_.hook<decltype(&DrawTextW)>("USER32.dll", "DrawTextW", nullptr,
                                          [this](auto real, HDC dc, LPCWSTR text, int count, LPRECT rect, UINT format) {
                                              TextCall call = Describe(dc, "DrawTextW", rect, format);
                                              call.wide.assign(text, count < 0 ? 0 : count);
                                              texts.push_back(call);
                                              return real(dc, text, count, rect, format);
                                          });
        calls_.hook<decltype(&DrawTextA)>("USER32.dll", "DrawTextA", nullptr,
                                          [this](auto real, HDC dc, LPCSTR text, int count, LPRECT rect, UINT format) {
                                              TextCall call = Describe(dc, "DrawTextA", rect, format);
                                              call.narrow.assign(text, count < 0 ? 0 : count);
                                              texts.push_back(call);
                                              return real(dc, text, count, rect, format);
                                          });
        calls_.hook<decltype(&GetTextExtentPoint32W)>("GDI32.dll", "GetTextExtentPoint32W", nullptr,
                                                      [this](auto real, HDC dc, LPCWSTR text, int count, LPSIZE size) {
                                                          measuredWide.emplace_back(text, count < 0 ? 0 : count);
                                                          return Measure(size) ? TRUE : real(dc, text, count, size);
                                                      });
        calls_.hook<decltype(&GetTextExtentPoint32A)>("GDI32.dll", "GetTextExtentPoint32A", nullptr,
                                                      [this](auto real, HDC dc, LPCSTR text, int count, LPSIZE size) {
                                                          measuredNarrow.emplace_back(text, count < 0 ? 0 : count);
                                                          return Measure(size) ? TRUE : real(dc, text, count, size);
                                                      });
        calls_.hook<decltype(&GetTextMetricsA)>("GDI32.dll", "GetTextMetricsA", nullptr,
                                                [this](auto real, HDC dc, LPTEXTMETRICA metrics) {
                                                    const BOOL result = real(dc, metrics);
                                                    if (fixedMetrics) {
                                                        metrics->tmAscent = ascent;
                                                        metrics->tmDescent = descent;
                                                        metrics->tmExternalLeading = leading;
                                                    }
                                                    return result;
                                                });
        calls_.hook<decltype(&CreateFontA)>(
            "GDI32.dll", "CreateFontA", nullptr,
            [this](auto real, int height, int width, int escapement, int orientation, int weight, DWORD italic,
                   DWORD underline, DWORD strikeOut, DWORD charset, DWORD outPrecision, DWORD clipPrecision,
                   DWORD quality, DWORD pitchAndFamily, LPCSTR face) {
                fonts.push_back(FontCall{height, width, escapement, orientation, weight, italic, underline, strikeOut,
                                         charset, outPrecision, clipPrecision, quality, pitchAndFamily,
                                         face ? std::string(face) : std::string("(null)")});
                return real(height, width, escapement, orientation, weight, italic, underline, strikeOut, charset,
                            outPrecision, clipPrecision, quality, pitchAndFamily, face);
            });
        calls_.hook<decltype(&Polygon)>("GDI32.dll", "Polygon", nullptr,
                                        [this](auto real, HDC dc, const POINT* points, int count) {
                                            polygons.emplace_back(points, points + (count < 0 ? 0 : count));
                                            return real(dc, points, count);
                                        });
        calls_.hook<decltype(&GetUserDefaultLangID)>("KERNEL32.dll", "GetUserDefaultLangID", nullptr,
                                                     [this](auto) { return language; });
    }

    bool installed() const { return calls_.installed(); }

private:
    static TextCall Describe(HDC dc, const char* function, const RECT* rect, UINT format) {
        TextCall call;
        call.function = function;
        call.rect = *rect;
        call.format = format;
        call.colour = GetTextColor(dc);
        call.backMode = GetBkMode(dc);
        call.align = GetTextAlign(dc);
        return call;
    }

    // The scripted width, when there is one.
    bool Measure(LPSIZE size) const {
        if (fixedWidth < 0) return false;
        *size = SIZE{fixedWidth, 0};
        return true;
    }

    pluginhost::CallRecorder calls_;
};

// ---- the fixture -----------------------------------------------------------------

class BevelPaintTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        host.fillImage(kPaper);
        spy = std::make_unique<PaintSpy>(host.module());
        ASSERT_TRUE(spy->installed());
    }
    void TearDown() override {
        spy.reset();
        HostTest::TearDown();
    }

    // A button with the given caption (empty by default) and Bevel.
    Instance* Create(int left, int top, int right, int bottom, const std::string& caption = "", int32_t bevel = 0,
                     const pluginhost::InstanceOptions& options = {}) {
        Instance* b = host.create("BevelButton", left, top, right, bottom, options);
        if (b == nullptr) return nullptr;
        SetCaption(b, caption);
        host.setInteger(b, "Bevel", bevel);
        b->invalidations = 0;
        return b;
    }

    void SetCaption(Instance* b, const std::string& caption, TextEncoding encoding = pluginhost::kHostDefaultEncoding) {
        HostString s = host.makeString(caption, encoding);
        host.setString(b, "Caption", s);
        host.releaseString(s);
    }

    void SetFont(Instance* b, const char* font) {
        if (font == nullptr) {
            host.setString(b, "TextFont", nullptr);
            return;
        }
        HostString s = host.makeString(font);
        host.setString(b, "TextFont", s);
        host.releaseString(s);
    }

    static uint8_t& Pressed(Instance* b) { return b->at<uint8_t>(offsetof(InstanceData, pressed)); }
    static uint8_t& Hot(Instance* b) { return b->at<uint8_t>(offsetof(InstanceData, hot)); }

    // Draws both ways; the on-screen and off-screen pictures must agree.
    std::string Paint(Instance* b, int margin = 1) {
        host.draw(b);
        const std::string onScreen = capture(host, BoundsOf(b, margin), Legend());
        host.fillImage(kPaper);
        host.drawOffscreen(b);
        EXPECT_EQ(capture(host, BoundsOf(b, margin), Legend()), onScreen) << "draw and drawOffscreen differ";
        return onScreen;
    }

    // Pixels within margin around the bounds that painting changed, after an
    // off-screen paint over the whole window image.
    int ChangedOutside(Instance* b, int margin) {
        host.fillImage(kPaper);
        host.drawOffscreen(b);
        const RECT inside = BoundsOf(b);
        const uint32_t* bits = host.imageBits();
        const uint32_t paper = (GetRValue(kPaper) << 16) | (GetGValue(kPaper) << 8) | GetBValue(kPaper);
        int changed = 0;
        for (int y = inside.top - margin; y < inside.bottom + margin; ++y) {
            for (int x = inside.left - margin; x < inside.right + margin; ++x) {
                const POINT p{x, y};
                if (!PtInRect(&inside, p) && bits[y * pluginhost::Host::kWindowWidth + x] != paper) ++changed;
            }
        }
        return changed;
    }

    // The polygons of one paint with the given HasMenu.
    std::string ArrowsDrawn(Instance* b, int32_t hasMenu) {
        host.setInteger(b, "HasMenu", hasMenu);
        spy->polygons.clear();
        host.draw(b);
        std::string drawn;
        for (const std::vector<POINT>& polygon : spy->polygons) {
            for (const POINT& p : polygon) drawn += "(" + std::to_string(p.x) + "," + std::to_string(p.y) + ")";
        }
        return drawn;
    }

    std::unique_ptr<PaintSpy> spy;
};

// ---- classic rings -------------------------------------------------------------------

TEST_F(BevelPaintTest, ThreeRingsOnTheSixtyByTwentyTwoExample) {
    Instance* b = Create(0, 0, 60, 22, "", 2);
    ASSERT_NE(b, nullptr);
    host.draw(b);
    EXPECT_EQ(capture(host, RECT{0, 0, 60, 22}, Legend()),
              "KKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKK\n"
              "KWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWK\n"
              "KWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWDK\n"
              "KWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWDDK\n"
              "KWWWFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFDDDK\n"
              "KWWWFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFDDDK\n"
              "KWWWFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFDDDK\n"
              "KWWWFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFDDDK\n"
              "KWWWFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFDDDK\n"
              "KWWWFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFDDDK\n"
              "KWWWFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFDDDK\n"
              "KWWWFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFDDDK\n"
              "KWWWFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFDDDK\n"
              "KWWWFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFDDDK\n"
              "KWWWFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFDDDK\n"
              "KWWWFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFDDDK\n"
              "KWWWFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFDDDK\n"
              "KWWWFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFDDDK\n"
              "KWWWDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDK\n"
              "KWWDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDK\n"
              "KWDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDK\n"
              "KKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKK\n");
}

// The paint's GDI calls in their published order: face brush, frame and
// rings, face, the face's clip, the font and its metrics within it, the
// caption, the clip given back, the menu arrow outside it, then the brush and
// the font deleted.
TEST_F(BevelPaintTest, GdiCallsComeInThePublishedOrder) {
    Instance* b = Create(0, 0, 60, 22, "Go", 0);
    host.setInteger(b, "HasMenu", 1);
    pluginhost::CallRecorder calls(host.module());
    calls.hook<decltype(&CreateSolidBrush)>("GDI32.dll", "CreateSolidBrush");
    calls.hook<decltype(&CreatePen)>("GDI32.dll", "CreatePen");
    calls.hook<decltype(&FrameRect)>("USER32.dll", "FrameRect");
    calls.hook<decltype(&FillRect)>("USER32.dll", "FillRect");
    calls.hook<decltype(&CreateRectRgn)>("GDI32.dll", "CreateRectRgn");
    calls.hook<decltype(&SelectClipRgn)>("GDI32.dll", "SelectClipRgn");
    calls.hook<decltype(&CreateFontA)>("GDI32.dll", "CreateFontA");
    calls.hook<decltype(&GetTextMetricsA)>("GDI32.dll", "GetTextMetricsA");
    calls.hook<decltype(&DrawTextW)>("USER32.dll", "DrawTextW");
    calls.hook<decltype(&Polygon)>("GDI32.dll", "Polygon");
    calls.hook<decltype(&DeleteObject)>("GDI32.dll", "DeleteObject");
    ASSERT_TRUE(calls.installed());
    host.draw(b);
    static const std::vector<std::string> kExpected = {
        "CreateSolidBrush", "FrameRect",       "CreatePen",     "DeleteObject",  "CreatePen",
        "DeleteObject",     "FillRect",        "CreateRectRgn", "CreateRectRgn", "SelectClipRgn",
        "CreateFontA",      "GetTextMetricsA", "DrawTextW",     "SelectClipRgn", "DeleteObject",
        "DeleteObject",     "Polygon",         "DeleteObject",  "DeleteObject",
    };
    EXPECT_SEQUENCE(kExpected, calls.calls);
}

TEST_F(BevelPaintTest, BevelZeroAndUnthemedFourDrawOneRing) {
    const char* const kOneRing =
        "............\n"
        ".KKKKKKKKKK.\n"
        ".KWWWWWWWWK.\n"
        ".KWFFFFFFDK.\n"
        ".KWFFFFFFDK.\n"
        ".KWFFFFFFDK.\n"
        ".KWFFFFFFDK.\n"
        ".KWDDDDDDDK.\n"
        ".KKKKKKKKKK.\n"
        "............\n";
    Instance* zero = Create(30, 40, 40, 48, "", 0);
    Instance* four = Create(60, 40, 70, 48, "", 4);
    ASSERT_NE(zero, nullptr);
    ASSERT_NE(four, nullptr);
    EXPECT_EQ(Paint(zero), kOneRing);
    EXPECT_EQ(Paint(four), kOneRing);
    EXPECT_EQ(host.getInteger(four, "Bevel"), 4) << "4 is not a retired value";
}

TEST_F(BevelPaintTest, NegativeBevelDrawsNoRingAndFillsInsideTheFrame) {
    Instance* b = Create(30, 40, 40, 48, "", -1);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(Paint(b),
              "............\n"
              ".KKKKKKKKKK.\n"
              ".KFFFFFFFFK.\n"
              ".KFFFFFFFFK.\n"
              ".KFFFFFFFFK.\n"
              ".KFFFFFFFFK.\n"
              ".KFFFFFFFFK.\n"
              ".KFFFFFFFFK.\n"
              ".KKKKKKKKKK.\n"
              "............\n");
}

// Pushed in (Value or pressed): shadow-coloured top-left edge covered by the
// dark grey line that runs from the ring's bottom (over the frame) to its
// top-right, face-coloured bottom-right edge, shadow face.
TEST_F(BevelPaintTest, ValueAndPressedLookPushedIn) {
    const char* const kPushedIn =
        "..............\n"
        ".KKKKKKKKKKKK.\n"
        ".KGGGGGGGGGGK.\n"
        ".KGDDDDDDDDFK.\n"
        ".KGDDDDDDDDFK.\n"
        ".KGDDDDDDDDFK.\n"
        ".KGDDDDDDDDFK.\n"
        ".KGFFFFFFFFFK.\n"
        ".KGKKKKKKKKKK.\n"
        "..............\n";
    Instance* value = Create(20, 20, 32, 28, "", 0);
    Instance* pressed = Create(50, 20, 62, 28, "", 0);
    ASSERT_NE(value, nullptr);
    ASSERT_NE(pressed, nullptr);
    host.setInteger(value, "Value", 1);
    Pressed(pressed) = true;
    EXPECT_EQ(Paint(value), kPushedIn);
    EXPECT_EQ(Paint(pressed), kPushedIn);
}

TEST_F(BevelPaintTest, DisabledClassicHasADarkGreyFrameAndNoRings) {
    pluginhost::InstanceOptions disabled;
    disabled.enabled = false;
    Instance* b = Create(20, 20, 28, 26, "", 2, disabled);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(Paint(b),
              "..........\n"
              ".ZZZZZZZZ.\n"
              ".ZFFFFFFZ.\n"
              ".ZFFFFFFZ.\n"
              ".ZFFFFFFZ.\n"
              ".ZFFFFFFZ.\n"
              ".ZZZZZZZZ.\n"
              "..........\n");
}

// ---- the caption -----------------------------------------------------------------------

// Bounds (100, 50, 160, 72) with Bevel 0 have the face (102, 52, 158, 70).
class BevelLayoutTest : public BevelPaintTest {
protected:
    void SetUp() override {
        BevelPaintTest::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        spy->fixedWidth = 20;
        spy->fixedMetrics = true;  // ascent 10, descent 3, leading 1
    }
    Instance* CreateLaidOut(const std::string& caption = "Go") { return Create(100, 50, 160, 72, caption, 0); }
    HostObject Icon(uint8_t flag = 0x5A) {
        return host.makePicture(
            16, 16, [](int, int) { return RGB(200, 0, 0); }, flag);
    }
};

TEST_F(BevelLayoutTest, DisabledCaptionIsDrawnTwiceHighlightThenShadow) {
    pluginhost::InstanceOptions disabled;
    disabled.enabled = false;
    Instance* b = Create(100, 50, 160, 72, "Go", 0, disabled);
    ASSERT_NE(b, nullptr);
    host.draw(b);
    ASSERT_EQ(spy->texts.size(), 2u);
    // Centred: x = 102 + (56 - 20) / 2, y = 52 + (18 - 14) / 2.
    EXPECT_EQ(RectText(spy->texts[0].rect), "121,55,160,72");
    EXPECT_EQ(spy->texts[0].colour, GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(RectText(spy->texts[1].rect), "120,54,160,72");
    EXPECT_EQ(spy->texts[1].colour, GetSysColor(COLOR_BTNSHADOW));
    for (const TextCall& call : spy->texts) {
        EXPECT_EQ(call.wide, L"Go");
        EXPECT_EQ(call.format, static_cast<UINT>(DT_NOCLIP | DT_SINGLELINE));
        EXPECT_EQ(call.backMode, TRANSPARENT);
        EXPECT_EQ(call.align, 0u);
    }
}

TEST_F(BevelLayoutTest, EnabledCaptionColourAndPressedShift) {
    Instance* b = CreateLaidOut();
    ASSERT_NE(b, nullptr);
    host.draw(b);
    Pressed(b) = true;
    host.draw(b);
    host.setInteger(b, "Value", 1);
    Pressed(b) = false;
    host.draw(b);
    ASSERT_EQ(spy->texts.size(), 3u);
    EXPECT_EQ(RectText(spy->texts[0].rect), "120,54,160,72");
    EXPECT_EQ(spy->texts[0].colour, GetSysColor(COLOR_BTNTEXT));
    EXPECT_EQ(RectText(spy->texts[1].rect), "121,55,161,73") << "pressed: all four sides move by one";
    EXPECT_EQ(spy->texts[1].colour, kWhite);
    EXPECT_EQ(RectText(spy->texts[2].rect), "120,54,160,72") << "Value alone does not move the caption";
    EXPECT_EQ(spy->texts[2].colour, GetSysColor(COLOR_BTNTEXT));
}

struct IconRow {
    int32_t iconAlign;
    int left;
    int top;
};

// IconDX 2, IconDY 3, a 16 x 16 icon on the face (102, 52, 158, 70): centred
// x0 = 122, y0 = 53.
const IconRow kIconRows[] = {
    {0, 104, 53}, {1, 122, 53}, {2, 104, 53}, {3, 140, 53},  {4, 122, 55},  {5, 122, 51},       {6, 104, 55},
    {7, 104, 51}, {8, 140, 55}, {9, 140, 51}, {10, 122, 53}, {-1, 122, 53}, {INT_MAX, 122, 53},
};

TEST_F(BevelLayoutTest, IconPlacementTable) {
    Instance* b = CreateLaidOut();
    ASSERT_NE(b, nullptr);
    HostObject icon = Icon();
    host.setPicture(b, "Icon", icon);
    host.setInteger(b, "IconDX", 2);
    host.setInteger(b, "IconDY", 3);
    for (const IconRow& row : kIconRows) {
        host.setInteger(b, "IconAlign", row.iconAlign);
        host.pictureDraws.clear();
        host.draw(b);
        ASSERT_EQ(host.pictureDraws.size(), 1u) << "IconAlign " << row.iconAlign;
        const pluginhost::DrawPictureCall& call = host.pictureDraws[0];
        EXPECT_EQ(call.picture, icon);
        EXPECT_EQ(call.flag, 0x5A);
        EXPECT_EQ(call.destination.left, row.left) << "IconAlign " << row.iconAlign;
        EXPECT_EQ(call.destination.top, row.top) << "IconAlign " << row.iconAlign;
        EXPECT_EQ(call.destination.right, row.left + 16) << "IconAlign " << row.iconAlign;
        EXPECT_EQ(call.destination.bottom, row.top + 16) << "IconAlign " << row.iconAlign;
    }
    host.setInteger(b, "IconAlign", 6);
    Pressed(b) = true;
    host.pictureDraws.clear();
    host.draw(b);
    ASSERT_EQ(host.pictureDraws.size(), 1u);
    EXPECT_EQ(host.pictureDraws[0].destination.left, 105) << "pressed: one right";
    EXPECT_EQ(host.pictureDraws[0].destination.top, 56) << "pressed: one down";
    EXPECT_EQ(host.pictureDraws[0].destination.right, 121);
    EXPECT_EQ(host.pictureDraws[0].destination.bottom, 72);
}

TEST_F(BevelLayoutTest, IconInTheBottomRightOfTheTwoRingExample) {
    Instance* b = Create(0, 0, 60, 22, "", 0);  // face (2, 2, 58, 20)
    ASSERT_NE(b, nullptr);
    host.setPicture(b, "Icon", Icon(0));
    host.setInteger(b, "IconAlign", 9);
    host.setInteger(b, "IconDX", 2);
    host.setInteger(b, "IconDY", 3);
    host.draw(b);
    ASSERT_EQ(host.pictureDraws.size(), 1u);
    EXPECT_EQ(host.pictureDraws[0].destination.left, 40);
    EXPECT_EQ(host.pictureDraws[0].destination.top, 1);
    EXPECT_EQ(host.pictureDraws[0].flag, 0);
}

struct CaptionRow {
    bool icon;
    int32_t placement;
    int32_t align;
    int width;  // measured caption width
    int x;
    int y;
};

// CaptionDelta 4; with an icon, IconAlign 1 puts it at (122, 53). Centred
// caption: x = 102 + (56 - width) / 2, y = 52 + (18 - 10 - 3 - 1) / 2 = 54.
const CaptionRow kCaptionRows[] = {
    {true, 1, 3, 20, 120, 54},                               // the construct defaults: centred
    {true, 0, 0, 20, 106, 54},                               // left: 102 + 4
    {true, 1, 1, 20, 134, 54},                               // right: 158 - 20 - 4
    {true, 1, 2, 20, 106, 54},   {true, 2, 0, 20, 142, 54},  // right of the icon: 122 + 16 + 4, alignment ignored
    {true, 2, 1, 20, 142, 54},   {true, 3, 3, 20, 98, 54},   // left of the icon: 122 - 20 - 4
    {true, 3, 0, 20, 98, 54},    {true, 4, 3, 20, 120, 71},  // below: 53 + 16 + 2
    {true, 4, 0, 20, 106, 71},   {true, 4, 1, 20, 134, 71},  {true, 5, 3, 20, 120, 37},  // above: 53 - 3 - 1 - 10 - 2
    {true, 5, 2, 20, 106, 37},   {true, 6, 3, 20, 120, 54},                              // unknown placement: nothing
    {true, -1, 1, 20, 134, 54},  {false, 2, 3, 20, 120, 54},  // without an icon placement does nothing
    {false, 3, 1, 20, 134, 54},  {false, 4, 0, 20, 106, 54}, {false, 5, 3, 20, 120, 54},
    {false, 1, 4, 20, 120, 54},                               // unknown alignment: centred
    {false, 1, -2, 20, 120, 54}, {false, 1, 3, 101, 80, 54},  // (56 - 101) / 2 truncates toward zero to -22
    {false, 1, 3, 0, 130, 54},
};

TEST_F(BevelLayoutTest, CaptionPlacementAndAlignmentTables) {
    Instance* b = CreateLaidOut();
    ASSERT_NE(b, nullptr);
    host.setInteger(b, "IconAlign", 1);
    host.setInteger(b, "CaptionDelta", 4);
    HostObject icon = Icon();
    for (const CaptionRow& row : kCaptionRows) {
        host.setPicture(b, "Icon", row.icon ? icon : nullptr);
        host.setInteger(b, "CaptionPlacement", row.placement);
        host.setInteger(b, "CaptionAlign", row.align);
        spy->fixedWidth = row.width;
        spy->texts.clear();
        host.draw(b);
        const std::string expected = std::to_string(row.x) + "," + std::to_string(row.y) + ",160,72";
        ASSERT_EQ(spy->texts.size(), 1u);
        EXPECT_EQ(RectText(spy->texts[0].rect), expected)
            << (row.icon ? "icon" : "no icon") << ", CaptionPlacement " << row.placement << ", CaptionAlign "
            << row.align << ", width " << row.width;
    }
}

struct AmpersandRow {
    const char* caption;
    const wchar_t* measured;
};

const AmpersandRow kAmpersandRows[] = {
    {"A&&B&c", L"A&Bc"}, {"&File", L"File"}, {"&&&&", L"&&"},     {"&&&", L"&"},
    {"abc&", L"abc"},    {"&", L""},         {"plain", L"plain"},
};

TEST_F(BevelLayoutTest, MeasuresWithoutPrefixAmpersandsAndDrawsThemForThePrefixHandling) {
    Instance* b = CreateLaidOut();
    ASSERT_NE(b, nullptr);
    for (const AmpersandRow& row : kAmpersandRows) {
        SetCaption(b, row.caption);
        spy->measuredWide.clear();
        spy->texts.clear();
        host.draw(b);
        ASSERT_EQ(spy->measuredWide.size(), 1u) << row.caption;
        EXPECT_EQ(spy->measuredWide[0], row.measured) << row.caption;
        ASSERT_EQ(spy->texts.size(), 1u) << row.caption;
        const std::string drawn(spy->texts[0].wide.begin(), spy->texts[0].wide.end());
        EXPECT_EQ(drawn, row.caption);
    }
}

TEST_F(BevelLayoutTest, NilCaptionDrawsNoTextAndMeasuresNothing) {
    Instance* b = CreateLaidOut();
    ASSERT_NE(b, nullptr);
    host.setString(b, "Caption", nullptr);
    host.draw(b);
    EXPECT_TRUE(spy->texts.empty());
}

// A real measurement: the underlined letter's ampersand takes no room.
TEST_F(BevelPaintTest, AmpersandTakesNoWidth) {
    Instance* b = Create(100, 50, 200, 72, "&Save", 0);
    Instance* plain = Create(100, 100, 200, 122, "Save", 0);
    ASSERT_NE(b, nullptr);
    ASSERT_NE(plain, nullptr);
    host.draw(b);
    host.draw(plain);
    ASSERT_EQ(spy->texts.size(), 2u);
    EXPECT_EQ(spy->texts[0].rect.left, spy->texts[1].rect.left);
    EXPECT_EQ(spy->texts[0].wide, L"&Save");
}

// ---- the narrow path ---------------------------------------------------------------

TEST_F(BevelPaintTest, NarrowTextOnNonNTSystemsInTheUsersEncoding) {
    ThemeSpy version(host.module(), pluginhost::SystemVersion{VER_PLATFORM_WIN32_WINDOWS, 4, 10});
    ASSERT_TRUE(version.installed());
    spy->language = 0x0411;                                                   // Japanese: Shift-JIS
    Instance* b = Create(100, 50, 200, 72, "\xE6\x97\xA5&&\xE6\x9C\xAC", 0);  // two kanji around "&&"
    ASSERT_NE(b, nullptr);
    host.draw(b);
    EXPECT_TRUE(spy->measuredWide.empty());
    ASSERT_EQ(spy->measuredNarrow.size(), 1u);
    EXPECT_EQ(spy->measuredNarrow[0], "\x93\xFA&\x96\x7B");
    ASSERT_EQ(spy->texts.size(), 1u);
    EXPECT_EQ(spy->texts[0].function, "DrawTextA");
    EXPECT_EQ(spy->texts[0].narrow, "\x93\xFA&&\x96\x7B");
    EXPECT_EQ(spy->texts[0].format, static_cast<UINT>(DT_NOCLIP | DT_SINGLELINE));
    ASSERT_FALSE(version.versionQueries.empty());
}

// ---- fonts ---------------------------------------------------------------------------

struct FontRow {
    const char* textFont;  // nullptr: nil
    int32_t textSize;
    const char* face;
    int height;
};

// At 96 dots per inch. Pixel rule: -TextSize, -12 for 0. Point rule
// (SmallSystem): trunc(TextSize / 1.5) points, 8 for 0, -MulDiv(p, 96, 72).
const FontRow kFontRows[] = {
    {"System", 12, "MS Sans Serif", -12},
    {"system", 0, "MS Sans Serif", -12},
    {"Application", 10, "MS Sans Serif", -10},
    {"geneva", 9, "MS Sans Serif", -9},
    {"SmallSystem", 12, "Times New Roman", -11},
    {"SMALLSYSTEM", 0, "Times New Roman", -11},
    {"SmallSystem", 13, "Times New Roman", -11},  // 8.67 points: 8
    {"SmallSystem", 14, "Times New Roman", -12},  // 9.33 points: 9
    {"SmallSystem", 20, "Times New Roman", -17},  // 13 points
    {"SmallSystem", -3, "Times New Roman", 3},    // -2 points
    {"Courier", 14, "Courier New", -14},
    {"Times", 18, "Times New Roman", -18},
    {"Helvetica", 11, "Arial", -11},
    {"Osaka", 12, "MS UI Gothic", -12},
    {"Arial", 0, "Arial", -12},
    {"Tahoma", 13, "Tahoma", -13},
    {"", 12, "", -12},
    {nullptr, 12, "", -12},
    {"Geneva", -12, "MS Sans Serif", 12},        // a negative size asks for a cell height
    {"Geneva", INT_MIN, "MS Sans Serif", 2048},  // held to the largest height
    {"Geneva", INT_MAX, "MS Sans Serif", -2048},
    {"Geneva", 2048, "MS Sans Serif", -2048},
    {"Geneva", 2049, "MS Sans Serif", -2048},
    {"Geneva", -2048, "MS Sans Serif", 2048},
    {"Geneva", -2049, "MS Sans Serif", 2048},
    {"SmallSystem", INT_MIN, "Times New Roman", 2048},
};

TEST_F(BevelPaintTest, FontTableAndSizeRules) {
    host.win32Charset = 186;
    Instance* b = Create(100, 50, 200, 72, "Go", 0);
    ASSERT_NE(b, nullptr);
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    ASSERT_EQ(dpi, 96) << "the point-rule rows assume 96 dots per inch";
    for (const FontRow& row : kFontRows) {
        SetFont(b, row.textFont);
        host.setInteger(b, "TextSize", row.textSize);
        spy->fonts.clear();
        host.draw(b);
        const std::string what =
            std::string(row.textFont ? row.textFont : "(nil)") + " " + std::to_string(row.textSize);
        ASSERT_EQ(spy->fonts.size(), 1u) << what;
        const FontCall& f = spy->fonts[0];
        EXPECT_EQ(f.face, row.face) << what;
        EXPECT_EQ(f.height, row.height) << what;
        EXPECT_EQ(f.width, 0);
        EXPECT_EQ(f.escapement, 0);
        EXPECT_EQ(f.orientation, 0);
        EXPECT_EQ(f.weight, FW_NORMAL);
        EXPECT_EQ(f.italic, 0u);
        EXPECT_EQ(f.underline, 0u);
        EXPECT_EQ(f.strikeOut, 0u);
        EXPECT_EQ(f.charset, 186u);
        EXPECT_EQ(f.outPrecision, 0u);
        EXPECT_EQ(f.clipPrecision, 0u);
        EXPECT_EQ(f.quality, 0u);
        EXPECT_EQ(f.pitchAndFamily, 0u);
    }
}

TEST_F(BevelPaintTest, BoldItalicUnderline) {
    Instance* b = Create(100, 50, 200, 72, "Go", 0);
    ASSERT_NE(b, nullptr);
    host.setInteger(b, "Bold", 1);
    host.draw(b);
    host.setInteger(b, "Bold", 0);
    host.setInteger(b, "Italic", 1);
    host.draw(b);
    host.setInteger(b, "Italic", 0);
    host.setInteger(b, "Underline", 1);
    host.draw(b);
    ASSERT_EQ(spy->fonts.size(), 3u);
    EXPECT_EQ(spy->fonts[0].weight, FW_BOLD);
    EXPECT_EQ(spy->fonts[0].italic, 0u);
    EXPECT_EQ(spy->fonts[1].weight, FW_NORMAL);
    EXPECT_EQ(spy->fonts[1].italic, 1u);
    EXPECT_EQ(spy->fonts[1].underline, 0u);
    EXPECT_EQ(spy->fonts[2].underline, 1u);
    EXPECT_EQ(spy->fonts[2].italic, 0u);
}

// ---- menu arrows ---------------------------------------------------------------------

struct ArrowRow {
    int32_t hasMenu;
    const char* classic;  // face (102, 52, 158, 70): R 158, B 70
    const char* themed;   // face (101, 51, 159, 71): R 159, M 61
};

const ArrowRow kArrowRows[] = {
    {1, "(148,64)(156,64)(152,68)", "(149,60)(153,60)(151,62)"},
    {2, "(152,60)(156,64)(152,68)", "(151,59)(153,61)(151,63)"},
    {0, "", ""},
    {3, "", ""},
    {-1, "", ""},
    {INT_MIN, "", ""},
};

TEST_F(BevelPaintTest, ClassicMenuArrows) {
    Instance* b = Create(100, 50, 160, 72, "", 0);
    ASSERT_NE(b, nullptr);
    for (const ArrowRow& row : kArrowRows) {
        EXPECT_EQ(ArrowsDrawn(b, row.hasMenu), row.classic) << "HasMenu " << row.hasMenu;
    }
}

TEST_F(BevelPaintTest, ClassicArrowPixelsSitInTheFacesCorner) {
    Instance* b = Create(10, 10, 30, 24, "", 0);  // face (12, 12, 28, 22)
    ASSERT_NE(b, nullptr);
    host.setInteger(b, "HasMenu", 1);
    EXPECT_EQ(Paint(b, 0),
              "KKKKKKKKKKKKKKKKKKKK\n"
              "KWWWWWWWWWWWWWWWWWWK\n"
              "KWFFFFFFFFFFFFFFFFDK\n"
              "KWFFFFFFFFFFFFFFFFDK\n"
              "KWFFFFFFFFFFFFFFFFDK\n"
              "KWFFFFFFFFFFFFFFFFDK\n"
              "KWFFFFFFKKKKKKKKKFDK\n"
              "KWFFFFFFFKKKKKKKFFDK\n"
              "KWFFFFFFFFKKKKKFFFDK\n"
              "KWFFFFFFFFFKKKFFFFDK\n"
              "KWFFFFFFFFFFKFFFFFDK\n"
              "KWFFFFFFFFFFFFFFFFDK\n"
              "KWDDDDDDDDDDDDDDDDDK\n"
              "KKKKKKKKKKKKKKKKKKKK\n");
}

// ---- themed ------------------------------------------------------------------------------

class BevelThemedTest : public BevelPaintTest {
protected:
    void SetUp() override {
        BevelPaintTest::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        theme = std::make_unique<ThemeSpy>(host.module());
        ASSERT_TRUE(theme->installed());
    }
    void TearDown() override {
        BevelPaintTest::TearDown();
        theme.reset();
    }

    Instance* CreateThemed(const std::string& caption = "", const pluginhost::InstanceOptions& options = {}) {
        Instance* b = Create(100, 50, 160, 72, caption, 4, options);
        const std::vector<ThemeCall> opens = theme->callsOf("OpenThemeData");
        if (opens.size() == 1 && opens[0].classList == L"Toolbar") handle = opens[0].theme;
        theme->calls.clear();
        return b;
    }

    // Drawing calls since the last look.
    std::vector<std::string> Calls() {
        std::vector<std::string> seen;
        for (const ThemeCall& call : theme->calls) {
            std::ostringstream out;
            if (call.function == "DrawThemeBackground") {
                EXPECT_EQ(call.theme, handle);
                out << "background " << call.part << " " << call.state << " " << RectText(call.rect)
                    << (call.hasClip ? " clip" : "");
            } else if (call.function == "DrawThemeParentBackground") {
                out << "parent " << RectText(call.rect) << (call.window == window ? "" : " (another window)");
            } else {
                out << call.function;
            }
            seen.push_back(out.str());
        }
        theme->calls.clear();
        return seen;
    }

    std::unique_ptr<ThemeSpy> theme;
    HANDLE handle = nullptr;
    HWND window = nullptr;
};

struct StateRow {
    bool pressed;
    bool value;
    bool hot;
    std::vector<std::string> calls;
};

TEST_F(BevelThemedTest, ToolbarButtonStates) {
    Instance* b = CreateThemed();
    ASSERT_NE(b, nullptr);
    ASSERT_NE(handle, nullptr) << "no \"Toolbar\" theme opened";
    window = b->window;
    // The face is the bounds inset by one; the parent background only under
    // the normal state (no tab control: no rectangle).
    const StateRow kRows[] = {
        {false, false, false, {"parent 0,0,0,0", "background 1 1 101,51,159,71"}},
        {false, false, true, {"background 1 2 101,51,159,71"}},
        {true, false, false, {"background 1 3 101,51,159,71"}},
        {true, true, true, {"background 1 3 101,51,159,71"}},
        {false, true, false, {"background 1 5 101,51,159,71"}},
        {false, true, true, {"background 1 6 101,51,159,71"}},
    };
    for (const StateRow& row : kRows) {
        Pressed(b) = row.pressed;
        Hot(b) = row.hot;
        host.setInteger(b, "Value", row.value);
        host.draw(b);
        EXPECT_EQ(Calls(), row.calls) << "pressed " << row.pressed << " value " << row.value << " hot " << row.hot;
    }
}

// The host sees the painter ask in the published order: the caption, the
// surface, the enabled state, the window behind the parent background, the
// character set; a repaint of its own borrows the surface after the caption.
TEST_F(BevelThemedTest, HostCallsComeInThePublishedOrder) {
    Instance* b = CreateThemed("OK");
    ASSERT_NE(handle, nullptr);
    const Lines caption = {"PluginInterpretConstantValue", "ZOKAGetStringEncoding", "ZOKAUnlockString"};
    // Outside a tab control the parent background needs only the control's window.
    const Lines look = {"ZOKAGetControlEnabled", "ZOKAGetControlHandle", "ZOKAGetWin32Charset"};
    host.logEntries = true;
    host.draw(b);
    Lines expected = {"GetControlBounds"};
    expected.insert(expected.end(), caption.begin(), caption.end());
    expected.push_back("ZOKAGraphicsDC");
    expected.insert(expected.end(), look.begin(), look.end());
    EXPECT_SEQUENCE(expected, host.entryLog);

    host.entryLog.clear();
    EXPECT_TRUE(host.mouseDown(b, 110, 60));
    host.logEntries = false;
    // Pressed: no parent background.
    expected = caption;
    expected.insert(expected.end(), {"ZOKAGetControlGraphics", "ZOKAGraphicsDC", "ZOKAGetControlEnabled",
                                     "ZOKAGetWin32Charset", "ZOKAUnlockObject"});
    const size_t repaint = host.entryLog.size() - expected.size();
    EXPECT_SEQUENCE(expected, Lines(host.entryLog.begin() + static_cast<std::ptrdiff_t>(repaint), host.entryLog.end()));
    host.mouseUp(b, 110, 60);
}

TEST_F(BevelThemedTest, ParentBackgroundThroughATabControl) {
    pluginhost::InstanceOptions options;
    options.insideTabControl = true;
    Instance* b = CreateThemed("", options);
    ASSERT_NE(b, nullptr);
    ASSERT_NE(handle, nullptr);
    ASSERT_NE(b->tabControl, nullptr);
    window = b->window;
    // Away from the screen's corner, so that screen and client points differ.
    SetWindowPos(host.topWindow(), nullptr, 40, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    POINT origin{0, 0};
    MapWindowPoints(b->tabControl, host.topWindow(), &origin, 1);
    host.draw(b);
    const std::string expected = "parent " + std::to_string(origin.x) + "," + std::to_string(origin.y) + "," +
                                 std::to_string(origin.x + 60) + "," + std::to_string(origin.y + 22);
    EXPECT_EQ(Calls(), (std::vector<std::string>{expected, "background 1 1 101,51,159,71"}));
}

TEST_F(BevelThemedTest, DisabledThemedDrawsNoBackgroundButTheCaption) {
    pluginhost::InstanceOptions disabled;
    disabled.enabled = false;
    Instance* b = CreateThemed("Go", disabled);
    ASSERT_NE(b, nullptr);
    ASSERT_NE(handle, nullptr);
    host.setInteger(b, "HasMenu", 1);
    host.draw(b);
    EXPECT_EQ(Calls(), std::vector<std::string>{}) << "no background, no parent background";
    ASSERT_EQ(spy->texts.size(), 2u) << "disabled: caption twice";
    EXPECT_EQ(spy->texts[0].colour, GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(spy->texts[1].colour, GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(spy->texts[0].rect.left, spy->texts[1].rect.left + 1);
    EXPECT_EQ(spy->texts[0].rect.top, spy->texts[1].rect.top + 1);
    // The small themed arrow, centred on the face (101, 51, 159, 71).
    ASSERT_EQ(spy->polygons.size(), 1u);
    std::string arrow;
    for (const POINT& p : spy->polygons[0]) arrow += "(" + std::to_string(p.x) + "," + std::to_string(p.y) + ")";
    EXPECT_EQ(arrow, "(149,60)(153,60)(151,62)");
    // Neither frame nor face: the bounds' corners and the face's edges keep
    // the paper.
    for (const POINT p : {POINT{100, 50}, POINT{159, 71}, POINT{101, 51}, POINT{158, 70}, POINT{103, 69}}) {
        EXPECT_EQ(host.pixel(p.x, p.y), kPaper) << p.x << "," << p.y;
    }
}

TEST_F(BevelThemedTest, PressedThemedCaptionKeepsTheTextColour) {
    Instance* b = CreateThemed("Go");
    ASSERT_NE(b, nullptr);
    ASSERT_NE(handle, nullptr);
    Pressed(b) = true;
    host.draw(b);
    ASSERT_EQ(spy->texts.size(), 1u);
    EXPECT_EQ(spy->texts[0].colour, GetSysColor(COLOR_BTNTEXT));
}

TEST_F(BevelThemedTest, ThemedMenuArrowsAreSmallAndCentred) {
    Instance* b = CreateThemed();
    ASSERT_NE(b, nullptr);
    ASSERT_NE(handle, nullptr);
    for (const ArrowRow& row : kArrowRows) {
        EXPECT_EQ(ArrowsDrawn(b, row.hasMenu), row.themed) << "HasMenu " << row.hasMenu;
    }
}

TEST_F(BevelThemedTest, OtherBevelsStayClassicWithATheme) {
    Instance* b = CreateThemed();
    ASSERT_NE(b, nullptr);
    ASSERT_NE(handle, nullptr);
    host.setInteger(b, "Bevel", 1);
    host.draw(b);
    EXPECT_EQ(Calls(), std::vector<std::string>{});
    EXPECT_EQ(host.pixel(100, 50), kBlack);
}

// ---- the bevel clean-up ------------------------------------------------------------------

struct CleanUpRow {
    int32_t bevel;
    int32_t bevelAfter;
    int32_t buttonTypeAfter;  // starting from 2 (sticky)
};

const CleanUpRow kCleanUpRows[] = {
    {3, 0, 2}, {5, 0, 2}, {6, 0, 2}, {7, 0, 1}, {0, 0, 2}, {2, 2, 2}, {4, 4, 2}, {8, 8, 2}, {-1, -1, 2},
};

TEST_F(BevelPaintTest, RetiredBevelsAreRewrittenAtPaint) {
    Instance* b = Create(100, 50, 160, 72, "", 0);
    ASSERT_NE(b, nullptr);
    for (const CleanUpRow& row : kCleanUpRows) {
        host.setInteger(b, "Bevel", row.bevel);
        host.setInteger(b, "ButtonType", 2);
        EXPECT_EQ(host.getInteger(b, "Bevel"), row.bevel) << "stored as given";
        host.draw(b);
        EXPECT_EQ(host.getInteger(b, "Bevel"), row.bevelAfter) << "Bevel " << row.bevel;
        EXPECT_EQ(host.getInteger(b, "ButtonType"), row.buttonTypeAfter) << "Bevel " << row.bevel;
    }
    EXPECT_EQ(b->invalidations, 0) << "painting asks for no repaint";
}

// ---- device context --------------------------------------------------------------------

// The host's clip region is put back as it was, and the face clip stays on
// the face while it is in force.
TEST_F(BevelPaintTest, ClipRegionOfTheHostIsRestored) {
    Instance* b = Create(100, 50, 160, 72, "", 2);
    ASSERT_NE(b, nullptr);
    using GetGraphics = HostGraphics (*)(ControlInstance*);
    using GraphicsDC = HDC (*)(HostGraphics);
    using Unlock = void (*)(HostObject);
    auto getGraphics = reinterpret_cast<GetGraphics>(pluginhost::Host::resolve("ZOKAGetControlGraphics"));
    auto graphicsDC = reinterpret_cast<GraphicsDC>(pluginhost::Host::resolve("ZOKAGraphicsDC"));
    auto unlock = reinterpret_cast<Unlock>(pluginhost::Host::resolve("ZOKAUnlockObject"));
    ASSERT_TRUE(getGraphics && graphicsDC && unlock);
    HostGraphics graphics = getGraphics(b->control);
    HDC dc = graphicsDC(graphics);
    ASSERT_NE(dc, nullptr);
    HRGN mine = CreateRectRgn(0, 0, 30, 11);  // device coordinates: the left half, top half
    SelectClipRgn(dc, mine);
    DeleteObject(mine);
    b->definition->callbacks->draw(b->control, graphics);
    HRGN after = CreateRectRgn(0, 0, 0, 0);
    ASSERT_EQ(GetClipRgn(dc, after), 1);
    RECT box;
    GetRgnBox(after, &box);
    DeleteObject(after);
    EXPECT_EQ(RectText(box), "0,0,30,11");
    SelectClipRgn(dc, nullptr);
    unlock(graphics);
    EXPECT_TRUE(host.faults().empty()) << pluginhost::joinFaults(host.faults());
}

// ---- bad input ------------------------------------------------------------------------------

TEST_F(BevelPaintTest, OutOfRangeValuesDrawNothingOutsideTheBounds) {
    Instance* b = Create(100, 50, 160, 72, "Go", 0);
    ASSERT_NE(b, nullptr);
    host.setPicture(b, "Icon", host.makePicture(16, 16, [](int, int) { return RGB(200, 0, 0); }));
    const char* const kFields[] = {"IconAlign", "CaptionAlign", "CaptionPlacement", "Bevel", "HasMenu",
                                   "TextSize",  "CaptionDelta", "IconDX",           "IconDY"};
    const int32_t kValues[] = {INT_MIN, -100000, -7, 11, 99, 1000, 40000, 100000, INT_MAX};
    for (const char* field : kFields) {
        for (int32_t value : kValues) {
            host.setInteger(b, field, value);
            EXPECT_EQ(ChangedOutside(b, 40), 0) << field << " " << value;
            host.setInteger(b, field, 0);
        }
    }
    host.setInteger(b, "Bevel", 1000);
    host.setInteger(b, "HasMenu", 1);
    EXPECT_EQ(ChangedOutside(b, 40), 0) << "more rings than fit";
}

TEST_F(BevelPaintTest, FarOffIconIsNotWrappedIntoView) {
    Instance* b = Create(100, 50, 160, 72, "", 0);
    ASSERT_NE(b, nullptr);
    host.setPicture(b, "Icon", host.makePicture(16, 16, [](int, int) { return RGB(200, 0, 0); }));
    host.setInteger(b, "IconAlign", 6);
    host.setInteger(b, "IconDX", 65536 + 4);  // would land at 106 if cut to 16 bits
    host.draw(b);
    ASSERT_EQ(host.pictureDraws.size(), 1u);
    EXPECT_EQ(host.pictureDraws[0].destination.left, INT16_MAX);
    for (int x = 100; x < 160; ++x) EXPECT_NE(host.pixel(x, 60), RGB(200, 0, 0)) << x;
}

TEST_F(BevelPaintTest, AwkwardCaptionsAndFonts) {
    Instance* b = Create(100, 50, 160, 72, "", 0);
    ASSERT_NE(b, nullptr);
    const std::string kCaptions[] = {std::string(300, 'x'),
                                     "&&&&",
                                     "abc&",
                                     "&",
                                     "\xFF\xFE"
                                     "A\xC3",
                                     "\xC3\xA9t\xC3\xA9"};
    for (const std::string& caption : kCaptions) {
        SetCaption(b, caption);
        spy->texts.clear();
        EXPECT_EQ(ChangedOutside(b, 20), 0) << caption;
        ASSERT_EQ(spy->texts.size(), 1u) << caption;
    }
    EXPECT_EQ(spy->texts[0].wide, L"\u00E9t\u00E9");
    // The host's length byte reads 255 from 255 bytes on: the caption is
    // drawn whole all the same.
    for (size_t length : {254u, 255u, 256u, 300u}) {
        SetCaption(b, std::string(length, 'x'));
        spy->texts.clear();
        host.draw(b);
        ASSERT_EQ(spy->texts.size(), 1u);
        EXPECT_EQ(spy->texts[0].wide.size(), length);
    }
    SetCaption(b,
               "\xFF\xFE"
               "A\xC3");
    spy->texts.clear();
    host.draw(b);
    ASSERT_EQ(spy->texts.size(), 1u);
    EXPECT_NE(spy->texts[0].wide.find(L'A'), std::wstring::npos);
    host.setString(b, "Caption", nullptr);
    SetFont(b, nullptr);
    EXPECT_EQ(ChangedOutside(b, 20), 0);
}

// A UTF-16 caption from the host whose byte count is odd: only whole units
// are read, so the stray last byte is not taken for an ampersand.
TEST_F(BevelPaintTest, OddLengthUtf16CaptionReadsWholeUnitsOnly) {
    Instance* b = Create(100, 50, 160, 72, "", 0);
    ASSERT_NE(b, nullptr);
    SetCaption(b, "&&&", 0x00000100);  // one unit 0x2626 and a stray byte
    host.draw(b);
    ASSERT_EQ(spy->texts.size(), 1u);
    EXPECT_EQ(spy->texts[0].wide, L"\u2626");
    ASSERT_EQ(spy->measuredWide.size(), 1u);
    EXPECT_EQ(spy->measuredWide[0], L"\u2626");
}

// ---- white box: stripAmpersands and the borrowed surface ------------------------------------

TEST(StripAmpersands, BothWidths) {
    struct Row {
        const char* in;
        const char* out;
    };
    const Row kRows[] = {{"A&&B&c", "A&Bc"}, {"&&&", "&"}, {"x&", "x"}, {"", ""}, {"&&", "&"}};
    for (const Row& row : kRows) {
        const int32_t n = static_cast<int32_t>(std::string(row.in).size());
        char narrow[16];
        EXPECT_EQ(stripAmpersands(row.in, n, narrow), static_cast<int32_t>(std::string(row.out).size()));
        EXPECT_STREQ(narrow, row.out);
        wchar_t wideIn[16];
        wchar_t wideOut[16];
        for (int32_t i = 0; i <= n; ++i) wideIn[i] = static_cast<unsigned char>(row.in[i]);
        const int32_t count = stripAmpersands(wideIn, n, wideOut);
        EXPECT_EQ(std::string(wideOut, wideOut + count), row.out);
        EXPECT_EQ(wideOut[count], 0);
    }
    // Only n units are read: an "&" just past them does not pair up.
    char out[4];
    EXPECT_EQ(stripAmpersands("a&&", 2, out), 1);
    EXPECT_STREQ(out, "a");
}

// With no graphics object the painter borrows the control's surface and gives
// it back; the picture is the same as through draw.
TEST(BevelPaintInProcess, BorrowsAndReturnsTheControlSurface) {
    pluginhost::Host host;
    host.start(ZOKAPluginMain);
    host.fillImage(kPaper);
    Instance* b = host.create("BevelButton", 30, 40, 40, 48);
    ASSERT_NE(b, nullptr);
    HostString empty = host.makeString("");
    host.setString(b, "Caption", empty);
    host.releaseString(empty);
    HostRect bounds{40, 30, 48, 40};
    bevel_button::paintBevelButton(b->control, nullptr, b->at<InstanceData>(0), bounds, Surface::kOnScreen);
    EXPECT_EQ(capture(host, RECT{30, 40, 40, 48}, Legend()),
              "KKKKKKKKKK\n"
              "KWWWWWWWWK\n"
              "KWFFFFFFDK\n"
              "KWFFFFFFDK\n"
              "KWFFFFFFDK\n"
              "KWFFFFFFDK\n"
              "KWDDDDDDDK\n"
              "KKKKKKKKKK\n");
    const std::vector<std::string> faults = host.finish();
    EXPECT_TRUE(faults.empty()) << pluginhost::joinFaults(faults);
}

}  // namespace
