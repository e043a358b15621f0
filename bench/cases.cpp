// The cases: what each instance is set to, its peer and its floor.
#include <algorithm>

#include "bench.h"

namespace bench {

namespace {

using pluginhost::Host;
using pluginhost::Instance;

constexpr int kButtonWidth = 60;
constexpr int kButtonHeight = 22;
constexpr int kIconButtonWidth = 80;
constexpr int kIconButtonHeight = 24;
constexpr int kIconSize = 16;
constexpr int kIconDX = 4;
constexpr int kCaptionDelta = 2;
constexpr int kTriangleSize = 12;
constexpr int kArrowsWidth = 13;
constexpr int kArrowsHeight = 23;
constexpr int kChasingSize = 16;
constexpr int kWellSize = 32;
constexpr int kPictureWidth = 16;
constexpr int kPictureHeight = 12;
constexpr int kPopupArrowSize = 12;
constexpr int kPopupDownLarge = 3;
constexpr int kSeparatorWidth = 64;
constexpr int kSeparatorHeight = 4;
constexpr int32_t kThemedBevel = 4;
// IconAlign 0 puts the icon at the left by IconDX; CaptionPlacement 2 puts
// the caption right of it.
constexpr int32_t kIconLeft = 0;
constexpr int32_t kCaptionRightOfIcon = 2;
constexpr int32_t kMenuBelow = 1;
// BS_SPLITBUTTON (comctl32 6.0; the MinGW headers name it only for Vista on).
constexpr DWORD kSplitButton = 0x0000000C;

Case makeCase(const std::string& name, const char* className, Look look, Work work, int width, int height) {
    Case c;
    c.name = name;
    c.className = className;
    c.look = look;
    c.work = work;
    c.width = width;
    c.height = height;
    return c;
}

void setText(Host& host, Instance* b, const char* property, const char* text) {
    HostString s = host.makeString(text);
    host.setString(b, property, s);
    host.releaseString(s);
}

InstanceSetup bevel(int32_t value, const char* caption, int32_t hasMenu = 0) {
    return [=](Host& host, Instance* b) {
        setText(host, b, "Caption", caption);
        host.setInteger(b, "Bevel", value);
        host.setInteger(b, "HasMenu", hasMenu);
    };
}

InstanceSetup bevelWithIcon() {
    return [](Host& host, Instance* b) {
        bevel(1, "OK")(host, b);
        HostObject icon = host.makePicture(kIconSize, kIconSize, [](int x, int y) { return iconPixel(x, y); });
        host.setPicture(b, "Icon", icon);
        host.releaseObject(icon);
        host.setInteger(b, "IconAlign", kIconLeft);
        host.setInteger(b, "IconDX", kIconDX);
        host.setInteger(b, "CaptionPlacement", kCaptionRightOfIcon);
        host.setInteger(b, "CaptionDelta", kCaptionDelta);
    };
}

InstanceSetup themedBevel(const char* caption, bool hot, int32_t hasMenu = 0) {
    return [=](Host& host, Instance* b) {
        bevel(kThemedBevel, caption, hasMenu)(host, b);
        if (hot) host.mouseEnter(b);
    };
}

BevelFloorLook classicLook(int rings, const wchar_t* caption, int hasMenu = 0) {
    BevelFloorLook look;
    look.rings = rings;
    look.caption = caption;
    look.hasMenu = hasMenu;
    return look;
}

BevelFloorLook themedLook(const wchar_t* caption, bool hot, int hasMenu = 0) {
    BevelFloorLook look;
    look.themed = true;
    look.hot = hot;
    look.caption = caption;
    look.hasMenu = hasMenu;
    return look;
}

Case classicBevel(const std::string& name, int32_t value, const char* caption, const wchar_t* wideCaption) {
    Case c = makeCase("BevelButton " + name, "BevelButton", Look::kClassic, Work::kPaint, kButtonWidth, kButtonHeight);
    c.setup = bevel(value, caption);
    c.peerName = "BUTTON (user32)";
    c.peer = [wideCaption](const CaseContext& x) { return userButtonPeer(x, wideCaption); };
    c.floor = [=](const CaseContext& x) { return bevelFloor(x, classicLook(value + 1, wideCaption)); };
    return c;
}

Case chasing(const std::string& name, Look look, Work work) {
    Case c = makeCase("ChasingArrows " + name, "ChasingArrows", look, work, kChasingSize, kChasingSize);
    const bool step = work == Work::kIdleStep;
    c.peerName = step ? "SysAnimate32 seek" : "SysAnimate32";
    c.peer = [step](const CaseContext& x) { return animatePeer(x, step); };
    c.floor = [look, step](const CaseContext& x) { return chasingArrowsFloor(x, look == Look::kThemed, step); };
    return c;
}

}  // namespace

std::vector<Case> allCases() {
    std::vector<Case> cases;
    cases.push_back(classicBevel("Bevel 0", 0, "", L""));
    cases.push_back(classicBevel("Bevel 1", 1, "", L""));
    cases.push_back(classicBevel("Bevel 2", 2, "", L""));
    cases.push_back(classicBevel("caption", 1, "OK", L"OK"));
    {
        Case c = makeCase("BevelButton caption and icon", "BevelButton", Look::kClassic, Work::kPaint, kIconButtonWidth,
                          kIconButtonHeight);
        c.setup = bevelWithIcon();
        c.peerName = "BUTTON 6.0 image list, unthemed";
        c.peer = [](const CaseContext& x) {
            return v6ButtonPeer(x, L"OK", BS_PUSHBUTTON, false, false, makeBitmap(kIconSize, kIconSize, iconPixel));
        };
        c.floor = [](const CaseContext& x) {
            BevelFloorLook look = classicLook(2, L"OK");
            look.icon = true;
            look.iconDX = kIconDX;
            look.captionDelta = kCaptionDelta;
            return bevelFloor(x, look);
        };
        cases.push_back(c);
    }
    {
        Case c = makeCase("BevelButton menu arrow", "BevelButton", Look::kClassic, Work::kPaint, kButtonWidth,
                          kButtonHeight);
        c.setup = bevel(1, "Menu", kMenuBelow);
        c.peerName = "BUTTON 6.0 split, unthemed";
        c.peer = [](const CaseContext& x) { return v6ButtonPeer(x, L"Menu", kSplitButton, false, false, nullptr); };
        c.floor = [](const CaseContext& x) { return bevelFloor(x, classicLook(2, L"Menu", kMenuBelow)); };
        cases.push_back(c);
    }
    {
        Case c =
            makeCase("BevelButton themed", "BevelButton", Look::kThemed, Work::kPaint, kButtonWidth, kButtonHeight);
        c.setup = themedBevel("OK", false);
        c.peerName = "BUTTON 6.0 themed";
        c.peer = [](const CaseContext& x) { return v6ButtonPeer(x, L"OK", BS_PUSHBUTTON, true, false, nullptr); };
        c.floor = [](const CaseContext& x) { return bevelFloor(x, themedLook(L"OK", false)); };
        cases.push_back(c);
    }
    {
        Case c =
            makeCase("BevelButton themed hot", "BevelButton", Look::kThemed, Work::kPaint, kButtonWidth, kButtonHeight);
        c.setup = themedBevel("OK", true);
        c.peerName = "BUTTON 6.0 themed, hot";
        c.peer = [](const CaseContext& x) { return v6ButtonPeer(x, L"OK", BS_PUSHBUTTON, true, true, nullptr); };
        c.floor = [](const CaseContext& x) { return bevelFloor(x, themedLook(L"OK", true)); };
        cases.push_back(c);
    }
    {
        Case c = makeCase("BevelButton themed menu", "BevelButton", Look::kThemed, Work::kPaint, kButtonWidth,
                          kButtonHeight);
        c.setup = themedBevel("Menu", false, kMenuBelow);
        c.peerName = "BUTTON 6.0 split, themed";
        c.peer = [](const CaseContext& x) { return v6ButtonPeer(x, L"Menu", kSplitButton, true, false, nullptr); };
        c.floor = [](const CaseContext& x) { return bevelFloor(x, themedLook(L"Menu", false, kMenuBelow)); };
        cases.push_back(c);
    }
    {
        Case c = makeCase("DisclosureTriangle", "DisclosureTriangle", Look::kClassic, Work::kPaint, kTriangleSize,
                          kTriangleSize);
        c.peerName = "DrawFrameControl menu arrow";
        c.peer = [](const CaseContext& x) {
            const RECT area{0, 0, x.instance->bounds.right - x.instance->bounds.left,
                            x.instance->bounds.bottom - x.instance->bounds.top};
            return functionPeer([area](HDC dc) {
                RECT r = area;
                DrawFrameControl(dc, &r, DFC_MENU, DFCS_MENUARROW);
            });
        };
        c.floor = triangleFloor;
        cases.push_back(c);
    }
    for (Look look : {Look::kClassic, Look::kThemed}) {
        const bool themed = look == Look::kThemed;
        Case c = makeCase(themed ? "LittleArrows themed" : "LittleArrows", "LittleArrows", look, Work::kPaint,
                          kArrowsWidth, kArrowsHeight);
        c.peerName = themed ? "msctls_updown32 themed" : "DrawFrameControl scroll up + down";
        c.peer = [themed](const CaseContext& x) { return upDownPeer(x, themed); };
        c.floor = [themed](const CaseContext& x) { return littleArrowsFloor(x, themed); };
        cases.push_back(c);
    }
    cases.push_back(chasing("frame", Look::kClassic, Work::kPaint));
    cases.push_back(chasing("idle step", Look::kClassic, Work::kIdleStep));
    cases.push_back(chasing("frame XP", Look::kThemed, Work::kPaint));
    cases.push_back(chasing("idle step XP", Look::kThemed, Work::kIdleStep));
    {
        Case c = makeCase("ImageWell", "ImageWell", Look::kClassic, Work::kPaint, kWellSize, kWellSize);
        c.setup = [](Host& host, Instance* well) {
            HostObject picture =
                host.makePicture(kPictureWidth, kPictureHeight, [](int x, int y) { return picturePixel(x, y); });
            host.setPicture(well, "Image", picture);
            host.releaseObject(picture);
        };
        c.peerName = "STATIC centred bitmap";
        c.peer = [](const CaseContext& x) {
            return bitmapStaticPeer(x, makeBitmap(kPictureWidth, kPictureHeight, picturePixel));
        };
        c.floor = imageWellFloor;
        cases.push_back(c);
    }
    {
        Case c = makeCase("PopupArrow", "PopupArrow", Look::kClassic, Work::kPaint, kPopupArrowSize, kPopupArrowSize);
        c.setup = [](Host& host, Instance* arrow) { host.setInteger(arrow, "Facing", kPopupDownLarge); };
        c.peerName = "DrawFrameControl menu arrow";
        c.peer = [](const CaseContext&) {
            return functionPeer([](HDC dc) {
                RECT r{0, 0, kPopupArrowSize, kPopupArrowSize};
                DrawFrameControl(dc, &r, DFC_MENU, DFCS_MENUARROW);
            });
        };
        c.floor = [](const CaseContext& x) { return popupArrowFloor(x, kPopupDownLarge); };
        cases.push_back(c);
    }
    {
        Case c = makeCase("Placard", "Placard", Look::kClassic, Work::kPaint, kButtonWidth, kButtonHeight);
        c.peerName = "FrameRect + DrawEdge";
        c.peer = [](const CaseContext&) {
            return functionPeer([](HDC dc) {
                RECT r{0, 0, kButtonWidth, kButtonHeight};
                FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
                InflateRect(&r, -1, -1);
                DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT | BF_MIDDLE);
            });
        };
        c.floor = placardFloor;
        cases.push_back(c);
    }
    {
        Case c = makeCase("Separator", "Separator", Look::kClassic, Work::kPaint, kSeparatorWidth, kSeparatorHeight);
        c.peerName = "DrawEdge EDGE_ETCHED";
        c.peer = [](const CaseContext&) {
            return functionPeer([](HDC dc) {
                RECT r{0, kSeparatorHeight / 2, kSeparatorWidth, kSeparatorHeight};
                DrawEdge(dc, &r, EDGE_ETCHED, BF_TOP);
            });
        };
        c.floor = separatorFloor;
        cases.push_back(c);
    }
    return cases;
}

// --- pictures and surfaces ------------------------------------------------------------

COLORREF iconPixel(int x, int y) {
    if (x == y || x + 1 == y) return RGB(255, 220, 0);
    return (x == 0 || y == 0 || x == kIconSize - 1 || y == kIconSize - 1) ? RGB(0, 0, 128) : RGB(60, 110, 220);
}

COLORREF picturePixel(int x, int y) {
    if (x == 0 || y == 0 || x == kPictureWidth - 1 || y == kPictureHeight - 1) return RGB(0, 70, 140);
    return x == y ? RGB(240, 200, 0) : RGB(90, 160, 230);
}

HBITMAP makeBitmap(int width, int height, COLORREF (*paint)(int x, int y)) {
    uint32_t* bits = nullptr;
    HBITMAP bitmap = pluginhost::makeTopDownDib(width, height, &bits);
    for (int y = 0; bits && y < height; ++y)
        for (int x = 0; x < width; ++x) bits[y * width + x] = pluginhost::imageColour(paint(x, y));
    return bitmap;
}

Dib::Dib(int width, int height) : width_(std::max(width, 1)), height_(std::max(height, 1)) {
    bitmap_ = pluginhost::makeTopDownDib(width_, height_, &bits_);
    dc_ = bitmap_ ? CreateCompatibleDC(nullptr) : nullptr;
    if (dc_) kept_ = SelectObject(dc_, bitmap_);
}

Dib::~Dib() {
    if (dc_) {
        SelectObject(dc_, kept_);
        DeleteDC(dc_);
    }
    if (bitmap_) DeleteObject(bitmap_);
}

void Dib::fill(COLORREF colour) {
    GdiFlush();
    std::fill(bits_, bits_ + size_t(width_) * size_t(height_), pluginhost::imageColour(colour));
}

uint32_t Dib::pixel(int x, int y) const {
    GdiFlush();
    return bits_[size_t(y) * size_t(width_) + size_t(x)] & 0x00FFFFFF;
}

}  // namespace bench
