// ImageWell through the real DLL: the frame, the picture centred or anchored
// and clipped on real GDI in both drawing modes, the Image setter's lock
// order, destruct, the mouse events, and descriptions or bounds that make no
// sense.
#include <cstddef>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "controls/image_well.h"
#include "control_test.h"

namespace {

using image_well::InstanceData;
using pluginhost::EventCall;
using pluginhost::Instance;

constexpr COLORREF kPictureEdge = RGB(0, 0, 200);  // the picture's first row and column
constexpr COLORREF kPictureBody = RGB(200, 0, 0);

// Bounds (10, 20, 20, 28): the interior is (12, 22, 18, 26), 6 x 4.
constexpr int kLeft = 10;
constexpr int kTop = 20;
constexpr int kRight = 20;
constexpr int kBottom = 28;
constexpr RECT kArea{kLeft - 1, kTop - 1, kRight + 1, kBottom + 1};

// Grey from (10,26) up to (10,20) and along to (17,20); white from (19,20)
// down to (19,27) and along to (11,27); black frame (11,21)-(19,27); white
// interior.
const std::string kEmpty = Rows({
    "............",
    ".gggggggg.W.",
    ".gKKKKKKKKW.",
    ".gKWWWWWWKW.",
    ".gKWWWWWWKW.",
    ".gKWWWWWWKW.",
    ".gKWWWWWWKW.",
    ".gKKKKKKKKW.",
    "..WWWWWWWWW.",
    "............",
});

// 4 x 2 centred: offsets (6 - 4) / 2 = 1 and (4 - 2) / 2 = 1, at (13, 23).
const std::string kFits = Rows({
    "............",
    ".gggggggg.W.",
    ".gKKKKKKKKW.",
    ".gKWWWWWWKW.",
    ".gKWBBBBWKW.",
    ".gKWBRRRWKW.",
    ".gKWWWWWWKW.",
    ".gKKKKKKKKW.",
    "..WWWWWWWWW.",
    "............",
});

// 6 x 4, or anything larger both ways: from (12, 22), filling the interior.
const std::string kFillsInterior = Rows({
    "............",
    ".gggggggg.W.",
    ".gKKKKKKKKW.",
    ".gKBBBBBBKW.",
    ".gKBRRRRRKW.",
    ".gKBRRRRRKW.",
    ".gKBRRRRRKW.",
    ".gKKKKKKKKW.",
    "..WWWWWWWWW.",
    "............",
});

// 5 x 4: the truncated half of 1 is 0, leaving a white column at the right.
const std::string kOneNarrower = Rows({
    "............",
    ".gggggggg.W.",
    ".gKKKKKKKKW.",
    ".gKBBBBBWKW.",
    ".gKBRRRRWKW.",
    ".gKBRRRRWKW.",
    ".gKBRRRRWKW.",
    ".gKKKKKKKKW.",
    "..WWWWWWWWW.",
    "............",
});

// 9 x 2: anchored at the interior's left, centred vertically, cut at the right.
const std::string kTooWide = Rows({
    "............",
    ".gggggggg.W.",
    ".gKKKKKKKKW.",
    ".gKWWWWWWKW.",
    ".gKBBBBBBKW.",
    ".gKBRRRRRKW.",
    ".gKWWWWWWKW.",
    ".gKKKKKKKKW.",
    "..WWWWWWWWW.",
    "............",
});

COLORREF Marked(int x, int y) { return x == 0 || y == 0 ? kPictureEdge : kPictureBody; }

HostRect Rect(int16_t top, int16_t left, int16_t bottom, int16_t right) { return HostRect{top, left, bottom, right}; }

std::string Text(const HostRect& r) {
    return "{top " + std::to_string(r.top) + ", left " + std::to_string(r.left) + ", bottom " +
           std::to_string(r.bottom) + ", right " + std::to_string(r.right) + "}";
}

// 'g' the outer bevel grey (153), 'W' white, 'K' black, 'B' and 'R' the
// picture's edge and body, '.' untouched.
class ImageWellTest : public ControlTest {
protected:
    ImageWellTest()
        : ControlTest("ImageWell", pluginhost::legend({}, {{RGB(153, 153, 153), 'g'},
                                                           {RGB(255, 255, 255), 'W'},
                                                           {RGB(0, 0, 0), 'K'},
                                                           {kPictureEdge, 'B'},
                                                           {kPictureBody, 'R'}})) {}

    Instance* Create(int left = kLeft, int top = kTop, int right = kRight, int bottom = kBottom, bool enabled = true) {
        return ControlTest::Create(left, top, right, bottom, enabled);
    }

    // A picture the test hands to the well and lets go of at once, so that
    // the well's own lock is what keeps it.
    HostObject Store(Instance* well, int width, int height) {
        HostObject picture = host.makePicture(width, height, Marked);
        host.setPicture(well, "Image", picture);
        host.releaseObject(picture);
        return picture;
    }

    std::string Paint(Instance* well, RECT area = kArea) { return ControlTest::Paint(well, area); }

    int32_t& DescribedWidth(Instance* well) {
        return well->at<int32_t>(offsetof(InstanceData, description) + offsetof(PictureDescription, width));
    }
    int32_t& DescribedHeight(Instance* well) {
        return well->at<int32_t>(offsetof(InstanceData, description) + offsetof(PictureDescription, height));
    }

    void ExpectClean() {
        EXPECT_EQ(host.faults(), std::vector<std::string>{});
        EXPECT_EQ(host.gdiLive(), 0) << "GDI objects left undeleted";
    }
};

// --- drawing ---------------------------------------------------------------------

TEST_F(ImageWellTest, AnEmptyWellIsTheFrameAndTheWhiteInterior) {
    Instance* well = Create();
    EXPECT_EQ(Paint(well), kEmpty);
    EXPECT_TRUE(host.pictureDraws.empty());
    ExpectClean();
}

TEST_F(ImageWellTest, APictureThatFitsIsCentred) {
    Instance* well = Create();
    HostObject picture = Store(well, 4, 2);
    EXPECT_EQ(Paint(well), kFits);
    ASSERT_EQ(host.pictureDraws.size(), 2u);
    for (const pluginhost::DrawPictureCall& call : host.pictureDraws) {
        EXPECT_EQ(call.picture, picture);
        // The picture's own size, in the bounds' coordinates in both modes.
        EXPECT_EQ(Text(call.destination), Text(Rect(23, 13, 25, 17)));
        EXPECT_EQ(call.flag, 0);
    }
    ExpectClean();
}

// A picture as large as the interior has no offset; one column narrower
// leaves the spare pixel at the right; too wide is anchored left, centred
// vertically and cut; too large both ways is anchored top-left and cut.
TEST_F(ImageWellTest, PlacementBySizeAgainstTheInterior) {
    struct Row {
        const char* name;
        int32_t width, height;
        const std::string& picture;
        bool checksDestination;
        HostRect destination;
    } rows[] = {
        {"as large as the interior", 6, 4, kFillsInterior, true, Rect(22, 12, 26, 18)},
        {"one column narrower", 5, 4, kOneNarrower, false, {}},
        {"too wide", 9, 2, kTooWide, true, Rect(23, 12, 25, 21)},
        {"too large both ways", 9, 7, kFillsInterior, true, Rect(22, 12, 29, 21)},
    };
    for (const Row& row : rows) {
        Instance* well = Create();
        Store(well, row.width, row.height);
        host.pictureDraws.clear();
        EXPECT_EQ(Paint(well), row.picture) << row.name;
        if (row.checksDestination) {
            ASSERT_FALSE(host.pictureDraws.empty()) << row.name;
            EXPECT_EQ(Text(host.pictureDraws.back().destination), Text(row.destination)) << row.name;
        }
        host.destroy(well);
    }
    ExpectClean();
}

TEST_F(ImageWellTest, ADisabledWellLooksTheSame) {
    Instance* well = Create(kLeft, kTop, kRight, kBottom, false);
    Store(well, 4, 2);
    EXPECT_EQ(Paint(well), kFits);
    ExpectClean();
}

// --- the Image setter and the locks ----------------------------------------------

TEST_F(ImageWellTest, StoringAPictureLocksItThenItsDescription) {
    Instance* well = Create();
    HostObject picture = host.makePicture(4, 2, Marked);
    host.lockLog.clear();
    host.setPicture(well, "Image", picture);
    const std::string p = host.nameOf(picture);
    EXPECT_EQ(host.lockLog, (std::vector<std::string>{"ZOKALockObject " + p, "lockPictureDescription " + p}));
    EXPECT_EQ(host.objectRefs(picture), 2);
    EXPECT_EQ(host.descriptionLocks(picture), 1);
    EXPECT_EQ(host.getPicture(well, "Image"), picture);
    EXPECT_EQ(well->invalidations, 1);
    host.releaseObject(picture);
    ExpectClean();
}

TEST_F(ImageWellTest, StoringTheSamePictureAgainKeepsItAlive) {
    Instance* well = Create();
    HostObject picture = Store(well, 4, 2);  // the well's lock is the only one left
    host.lockLog.clear();
    host.setPicture(well, "Image", picture);
    const std::string p = host.nameOf(picture);
    EXPECT_EQ(host.lockLog, (std::vector<std::string>{"ZOKALockObject " + p, "unlockPictureDescription " + p,
                                                      "ZOKAUnlockObject " + p, "lockPictureDescription " + p}));
    EXPECT_EQ(host.objectRefs(picture), 1);
    EXPECT_EQ(host.descriptionLocks(picture), 1);
    EXPECT_EQ(Paint(well), kFits);
    ExpectClean();
}

TEST_F(ImageWellTest, ReplacingAPictureReleasesTheOldDescriptionBeforeTheOldPicture) {
    Instance* well = Create();
    HostObject first = Store(well, 4, 2);
    HostObject second = host.makePicture(6, 4, Marked);
    host.lockLog.clear();
    host.setPicture(well, "Image", second);
    const std::string a = host.nameOf(first);
    const std::string b = host.nameOf(second);
    EXPECT_EQ(host.lockLog, (std::vector<std::string>{"ZOKALockObject " + b, "unlockPictureDescription " + a,
                                                      "ZOKAUnlockObject " + a, "lockPictureDescription " + b}));
    EXPECT_EQ(host.descriptionLocks(first), 0);
    EXPECT_EQ(host.descriptionLocks(second), 1);
    EXPECT_EQ(Paint(well), kFillsInterior);
    host.releaseObject(second);
    ExpectClean();
}

TEST_F(ImageWellTest, StoringNilReleasesThePictureAndLeavesAnEmptyWell) {
    Instance* well = Create();
    HostObject picture = Store(well, 4, 2);
    host.lockLog.clear();
    host.setPicture(well, "Image", nullptr);
    const std::string p = host.nameOf(picture);
    EXPECT_EQ(host.lockLog, (std::vector<std::string>{"ZOKALockObject nil", "unlockPictureDescription " + p,
                                                      "ZOKAUnlockObject " + p}));
    EXPECT_EQ(host.getPicture(well, "Image"), nullptr);
    EXPECT_EQ(well->invalidations, 2);
    host.pictureDraws.clear();
    EXPECT_EQ(Paint(well), kEmpty);
    EXPECT_TRUE(host.pictureDraws.empty());
    ExpectClean();
}

TEST_F(ImageWellTest, DestroyingAWellGivesBackTheDescriptionThenThePicture) {
    Instance* well = Create();
    HostObject picture = Store(well, 4, 2);
    host.lockLog.clear();
    host.destroy(well);
    const std::string p = host.nameOf(picture);
    EXPECT_EQ(host.lockLog, (std::vector<std::string>{"unlockPictureDescription " + p, "ZOKAUnlockObject " + p}));
    ExpectClean();
}

TEST_F(ImageWellTest, DestroyingAnEmptyWellReleasesNothing) {
    Instance* well = Create();
    host.lockLog.clear();
    host.destroy(well);
    EXPECT_TRUE(host.lockLog.empty());
    ExpectClean();
}

// --- mouse -----------------------------------------------------------------------

TEST_F(ImageWellTest, MouseEventsReachTheHandlersWithLocalCoordinates) {
    Instance* well = Create();
    host.on(well, "MouseDown", [](const EventCall&) { return true; });
    host.on(well, "MouseDrag");
    host.on(well, "MouseUp");
    EXPECT_TRUE(host.mouseDown(well, kLeft + 2, kTop + 3));
    host.mouseDrag(well, kLeft + 40, kTop - 2);
    host.mouseUp(well, kLeft, kTop);
    EXPECT_SEQUENCE((Lines{"MouseDown 2 3", "MouseDrag 40 -2", "MouseUp 0 0"}), Events());
    EXPECT_EQ(well->invalidations, 0);
    ExpectClean();
}

TEST_F(ImageWellTest, MouseDownAnswersFalseWithoutAHandlerOrWhenTheHandlerSaysSo) {
    Instance* well = Create();
    EXPECT_FALSE(host.mouseDown(well, kLeft + 1, kTop + 1));
    host.mouseDrag(well, kLeft + 1, kTop + 1);
    host.mouseUp(well, kLeft + 1, kTop + 1);
    EXPECT_TRUE(host.events.empty());
    host.on(well, "MouseDown", [](const EventCall&) { return false; });
    EXPECT_FALSE(host.mouseDown(well, kLeft + 1, kTop + 1));
    EXPECT_SEQUENCE((Lines{"MouseDown 1 1"}), Events());
    ExpectClean();
}

TEST_F(ImageWellTest, ADisabledWellRefusesThePressButStillForwardsDragAndRelease) {
    Instance* well = Create(kLeft, kTop, kRight, kBottom, false);
    host.on(well, "MouseDown", [](const EventCall&) { return true; });
    host.on(well, "MouseDrag");
    host.on(well, "MouseUp");
    EXPECT_FALSE(host.mouseDown(well, kLeft + 1, kTop + 1));
    EXPECT_TRUE(host.events.empty()) << "no MouseDown for a disabled well";
    host.mouseDrag(well, kLeft + 2, kTop + 2);
    host.mouseUp(well, kLeft + 3, kTop + 3);
    EXPECT_SEQUENCE((Lines{"MouseDrag 2 2", "MouseUp 3 3"}), Events());
    ExpectClean();
}

// --- descriptions and bounds that make no sense ------------------------------------

// A width or height that is not positive, or a far edge beyond the host's
// 16-bit coordinates: no picture is drawn, the well shows empty.
TEST_F(ImageWellTest, SizesThatCannotShowDrawNoPicture) {
    Instance* well = Create();
    Store(well, 4, 2);
    const int32_t sizes[][2] = {{0, 2},   {4, 0},         {-4, 2},        {4, -2},        {INT32_MIN, INT32_MIN},
                                {-1, -1}, {INT32_MAX, 2}, {4, INT32_MAX}, {40000, 40000}, {32767 - 11, 2}};
    for (const auto& size : sizes) {
        DescribedWidth(well) = size[0];
        DescribedHeight(well) = size[1];
        host.pictureDraws.clear();
        EXPECT_EQ(Paint(well), kEmpty) << size[0] << " x " << size[1];
        EXPECT_TRUE(host.pictureDraws.empty()) << size[0] << " x " << size[1];
    }
    ExpectClean();
}

TEST_F(ImageWellTest, InvertedOrTooSmallBoundsDrawNothingOutsideThem) {
    const RECT around{0, 0, 40, 40};
    const std::string untouched = PaintOffscreen(Create(50, 50, 51, 51), around);
    for (RECT bounds : {RECT{20, 10, 10, 30}, RECT{10, 30, 30, 20}, RECT{10, 10, 11, 30}, RECT{10, 10, 30, 11}}) {
        Instance* well = Create(bounds.left, bounds.top, bounds.right, bounds.bottom);
        Store(well, 4, 2);
        EXPECT_EQ(PaintOffscreen(well, around), untouched)
            << "bounds " << bounds.left << "," << bounds.top << "," << bounds.right << "," << bounds.bottom;
        host.destroy(well);
    }
    EXPECT_TRUE(host.pictureDraws.empty());
    // Three by three: the bevel and a one-pixel border, no interior.
    Instance* tiny = Create(10, 20, 13, 23);
    Store(tiny, 4, 2);
    EXPECT_EQ(PaintOffscreen(tiny, RECT{9, 19, 14, 24}), Rows({".....", ".g.W.", ".gKW.", "..WW.", "....."}));
    EXPECT_TRUE(host.pictureDraws.empty());
    ExpectClean();
}

TEST_F(ImageWellTest, NegativeCoordinatesClipThePictureToTheInteriorInBothModes) {
    // Bounds (-10, -10, 10, 8): the interior is (-8, -8, 8, 6); a 20 x 20
    // picture starts at its top-left corner and is cut at (8, 6).
    Instance* well = Create(-10, -10, 10, 8);
    Store(well, 20, 20);
    EXPECT_EQ(Paint(well, RECT{0, 0, 11, 9}), Rows({
                                                  "RRRRRRRRKW.",
                                                  "RRRRRRRRKW.",
                                                  "RRRRRRRRKW.",
                                                  "RRRRRRRRKW.",
                                                  "RRRRRRRRKW.",
                                                  "RRRRRRRRKW.",
                                                  "KKKKKKKKKW.",
                                                  "WWWWWWWWWW.",
                                                  "...........",
                                              }));
    ExpectClean();
}

// --- the painter on a device context of the test's own --------------------------

class MemorySurface {
public:
    MemorySurface() {
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateCompatibleBitmap(dc_, 40, 40);
        kept_ = SelectObject(dc_, bitmap_);
    }
    ~MemorySurface() {
        SelectObject(dc_, kept_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    HDC dc() const { return dc_; }

private:
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ kept_ = nullptr;
};

// Any non-nil handle: without a host the picture itself is not drawn, but
// the clipping around it is done all the same.
HostObject SomePicture() {
    static int token;
    return reinterpret_cast<HostObject>(&token);
}

TEST(ImageWellPainterTest, AContextWithoutClippingHasNoneAfterwards) {
    MemorySurface surface;
    const HostRect bounds{20, 10, 28, 20};
    for (Surface mode : {Surface::kOnScreen, Surface::kOffScreen}) {
        image_well::paintWell(surface.dc(), bounds, image_well::WellLook{SomePicture(), 4, 2, mode});
        HRGN region = CreateRectRgn(0, 0, 0, 0);
        EXPECT_EQ(GetClipRgn(surface.dc(), region), 0);
        DeleteObject(region);
    }
}

TEST(ImageWellPainterTest, AContextWithClippingGetsItsRegionBack) {
    MemorySurface surface;
    HRGN clip = CreateRectRgn(3, 4, 30, 31);
    SelectClipRgn(surface.dc(), clip);
    DeleteObject(clip);
    const HostRect bounds{20, 10, 28, 20};
    for (Surface mode : {Surface::kOnScreen, Surface::kOffScreen}) {
        image_well::paintWell(surface.dc(), bounds, image_well::WellLook{SomePicture(), 4, 2, mode});
        HRGN region = CreateRectRgn(0, 0, 0, 0);
        ASSERT_EQ(GetClipRgn(surface.dc(), region), 1);
        RECT box{};
        GetRgnBox(region, &box);
        EXPECT_EQ(box.left, 3);
        EXPECT_EQ(box.top, 4);
        EXPECT_EQ(box.right, 30);
        EXPECT_EQ(box.bottom, 31);
        DeleteObject(region);
    }
}

TEST(ImageWellPainterTest, PlacementCentresEachDirectionThatFitsAndAnchorsTheOther) {
    const RECT interior{12, 22, 18, 26};  // 6 x 4
    struct Case {
        int32_t width, height;
        RECT expected;
    };
    const Case cases[] = {
        {4, 2, {13, 23, 17, 25}}, {6, 4, {12, 22, 18, 26}}, {5, 3, {12, 22, 17, 25}},
        {9, 2, {12, 23, 21, 25}}, {2, 9, {14, 22, 16, 31}}, {9, 7, {12, 22, 21, 29}},
        // One and two past the interior: the first step would centre it at
        // the same place (-1 / 2 is 0), only the second shows a centring.
        {7, 4, {12, 22, 19, 26}}, {8, 4, {12, 22, 20, 26}}, {6, 5, {12, 22, 18, 27}},
        {6, 6, {12, 22, 18, 28}},
    };
    for (const Case& c : cases) {
        RECT placed{};
        ASSERT_TRUE(image_well::placePicture(interior, c.width, c.height, &placed)) << c.width << " x " << c.height;
        EXPECT_TRUE(EqualRect(&placed, &c.expected)) << c.width << " x " << c.height << ": " << placed.left << ","
                                                     << placed.top << "," << placed.right << "," << placed.bottom;
    }
    RECT unused{};
    EXPECT_FALSE(image_well::placePicture(RECT{12, 22, 12, 26}, 4, 2, &unused)) << "interior 0 wide";
    EXPECT_FALSE(image_well::placePicture(RECT{12, 22, 18, 22}, 4, 2, &unused)) << "interior 0 high";
    EXPECT_FALSE(image_well::placePicture(interior, 0, 2, &unused));
    EXPECT_FALSE(image_well::placePicture(interior, 4, 0, &unused));
    EXPECT_FALSE(image_well::placePicture(interior, 4, -2, &unused));
    EXPECT_FALSE(image_well::placePicture(interior, INT32_MAX, 2, &unused));
    // The destination's far edges travel as 16-bit values: 32767 is the last.
    EXPECT_TRUE(image_well::placePicture(RECT{32700, 0, 32767, 10}, 67, 10, &unused));
    EXPECT_FALSE(image_well::placePicture(RECT{32700, 0, 32767, 10}, 68, 10, &unused));
    EXPECT_TRUE(image_well::placePicture(RECT{0, 32700, 10, 32767}, 10, 67, &unused));
    EXPECT_FALSE(image_well::placePicture(RECT{0, 32700, 10, 32767}, 10, 68, &unused));
}

}  // namespace
