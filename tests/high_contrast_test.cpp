// The controls under the high-contrast setting, answered through the
// plug-in's imports: while it is on, every element painted in a fixed colour
// takes the system colour of its role; while it is off, or when the query
// fails, the fixed colours stay. A theme handle that visual styles being
// turned off have made stale gives way to the classic look.
#include <cstddef>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "colour_scheme.h"
#include "controls/bevel_button/model.h"
#include "host_fixture.h"
#include "system_spy.h"

namespace {

using pluginhost::ColourScheme;
using pluginhost::Host;
using pluginhost::Instance;
using pluginhost::SchemeSpy;

constexpr COLORREF kPaper = RGB(0, 128, 128);
constexpr int kLeft = 10;
constexpr int kTop = 10;

// Every system colour a colour of its own, none black, white or a grey of
// the classic look, so that a pixel names the index that painted it.
ColourScheme distinctScheme() {
    ColourScheme scheme{"distinct", true, {}};
    for (int i = 0; i < pluginhost::kSystemColourCount; ++i)
        scheme.colours[i] = RGB(20 + 7 * i, 200 - 5 * i, 90 + 3 * i);
    return scheme;
}

using Prepare = std::function<void(Host&, Instance*)>;

Prepare integer(const char* name, int32_t value) {
    return [name, value](Host& host, Instance* i) { host.setInteger(i, name, value); };
}

class HighContrastTest : public HostTest {
protected:
    std::unique_ptr<SchemeSpy> spy;

    void SetUp() override {
        HostTest::SetUp();
        if (HasFatalFailure()) return;
        spy = std::make_unique<SchemeSpy>(host, distinctScheme());
        ASSERT_TRUE(spy->installed());
        host.fillImage(kPaper);
    }

    void TearDown() override {
        // The plug-in asks with the structure's size, as Windows requires.
        EXPECT_EQ(spy ? spy->malformedQueries() : 0, 0);
        HostTest::TearDown();
        spy.reset();
    }

    Instance* make(const char* className, int width, int height, const Prepare& setup = {}, bool enabled = true) {
        pluginhost::InstanceOptions options;
        options.enabled = enabled;
        Instance* instance = host.create(className, kLeft, kTop, kLeft + width, kTop + height, options);
        EXPECT_NE(instance, nullptr);
        if (instance && setup) setup(host, instance);
        return instance;
    }

    COLORREF paintedAt(Instance* instance, int dx, int dy) {
        host.fillImage(kPaper);
        host.draw(instance);
        return host.pixel(kLeft + dx, kTop + dy);
    }

    COLORREF system(int index) const { return spy->scheme.colours[index]; }
};

// One pixel of one element: its colour in the classic look and the system
// colour it takes under high contrast.
struct Probe {
    const char* element;
    const char* className;
    int width;
    int height;
    Prepare setup;
    bool enabled;
    int dx;
    int dy;
    COLORREF classic;
    int systemColour;
};

const COLORREF kBlack = RGB(0, 0, 0);
const COLORREF kWhite = RGB(255, 255, 255);

// clang-format off
const Probe kProbes[] = {
    {"popup arrow's fill", "PopupArrow", 10, 10, integer("Facing", 3), true, 4, 1, kBlack, COLOR_BTNTEXT},
    {"popup arrow's edge", "PopupArrow", 10, 10, integer("Facing", 3), true, 0, 0, kBlack, COLOR_BTNTEXT},
    {"bevel button's frame", "BevelButton", 60, 22, integer("Bevel", 0), true, 0, 0, kBlack, COLOR_BTNTEXT},
    {"disabled bevel button's frame", "BevelButton", 60, 22, {}, false, 0, 0, RGB(64, 64, 64), COLOR_GRAYTEXT},
    {"pushed-in edge", "BevelButton", 60, 22, integer("Value", 1), true, 1, 1, RGB(85, 85, 85), COLOR_3DDKSHADOW},
    // The face is (2, 2, 58, 20); the large arrow's anchor (48, 14).
    {"menu arrow", "BevelButton", 60, 22, integer("HasMenu", 1), true, 52, 15, kBlack, COLOR_BTNTEXT},
    {"disclosure triangle's edge", "DisclosureTriangle", 12, 12, {}, true, 2, 0, kBlack, COLOR_BTNTEXT},
    {"little arrows' frame", "LittleArrows", 13, 23, {}, true, 0, 0, kBlack, COLOR_BTNTEXT},
    {"little arrows' divider", "LittleArrows", 13, 23, {}, true, 5, 11, kBlack, COLOR_BTNTEXT},
    {"little arrows' up arrow", "LittleArrows", 13, 23, {}, true, 6, 6, kBlack, COLOR_BTNTEXT},
    {"disabled little arrows' frame", "LittleArrows", 13, 23, {}, false, 0, 0, RGB(64, 64, 64), COLOR_GRAYTEXT},
    {"disabled little arrows' arrow", "LittleArrows", 13, 23, {}, false, 6, 6, RGB(192, 192, 192), COLOR_GRAYTEXT},
    {"chasing arrows' head", "ChasingArrows", 16, 16, {}, true, 11, 7, kBlack, COLOR_BTNTEXT},
    {"chasing arrows' tail", "ChasingArrows", 16, 16, {}, true, 6, 2, kBlack, COLOR_BTNTEXT},
    {"well's bevel, top", "ImageWell", 32, 32, {}, true, 0, 1, RGB(153, 153, 153), COLOR_BTNSHADOW},
    {"well's bevel, right", "ImageWell", 32, 32, {}, true, 31, 1, kWhite, COLOR_BTNHIGHLIGHT},
    {"well's border", "ImageWell", 32, 32, {}, true, 1, 1, kBlack, COLOR_WINDOWTEXT},
    {"well's interior", "ImageWell", 32, 32, {}, true, 5, 5, kWhite, COLOR_WINDOW},
    {"placard's frame", "Placard", 48, 24, {}, true, 0, 0, kBlack, COLOR_BTNTEXT},
    {"disabled placard's frame", "Placard", 48, 24, {}, false, 0, 0, RGB(153, 153, 153), COLOR_GRAYTEXT},
    {"disabled placard's face", "Placard", 48, 24, {}, false, 5, 5, RGB(238, 238, 238), COLOR_BTNFACE},
};
// clang-format on

TEST_F(HighContrastTest, EachFixedColourTakesTheSystemColourOfItsRoleOnlyWhileTheSettingIsOn) {
    for (const Probe& p : kProbes) {
        SCOPED_TRACE(p.element);
        Instance* instance = make(p.className, p.width, p.height, p.setup, p.enabled);
        spy->scheme.highContrast = false;
        EXPECT_EQ(paintedAt(instance, p.dx, p.dy), p.classic);
        spy->scheme.highContrast = true;
        EXPECT_EQ(paintedAt(instance, p.dx, p.dy), system(p.systemColour));
        host.destroy(instance);
    }
}

TEST_F(HighContrastTest, APressedCaptionTakesTheButtonTextColour) {
    Instance* button = make("BevelButton", 60, 22, integer("Bevel", 0));
    HostString caption = host.makeString("WWW");
    host.setString(button, "Caption", caption);
    host.releaseString(caption);
    button->at<uint8_t>(offsetof(bevel_button::InstanceData, pressed)) = 1;
    const auto count = [&](COLORREF colour) {
        host.fillImage(kPaper);
        host.draw(button);
        int n = 0;
        for (int y = kTop + 2; y < kTop + 20; ++y)
            for (int x = kLeft + 2; x < kLeft + 58; ++x) n += host.pixel(x, y) == colour;
        return n;
    };
    spy->scheme.highContrast = false;
    EXPECT_GT(count(kWhite), 20);
    spy->scheme.highContrast = true;
    EXPECT_GT(count(system(COLOR_BTNTEXT)), 20);
    EXPECT_EQ(count(kWhite), 0);
}

TEST_F(HighContrastTest, AFailedQueryOrAnAnswerOfAnotherSizeCountsAsOff) {
    Instance* arrow = make("PopupArrow", 10, 10, integer("Facing", 3));
    for (SchemeSpy::Answer answer : {SchemeSpy::Answer::kFailure, SchemeSpy::Answer::kOtherSize}) {
        spy->answer = answer;
        EXPECT_EQ(paintedAt(arrow, 4, 1), kBlack) << static_cast<int>(answer);
    }
    spy->answer = SchemeSpy::Answer::kSetting;
    EXPECT_EQ(paintedAt(arrow, 4, 1), system(COLOR_BTNTEXT));
}

// Asked afresh by every paint, once, and by nothing else.
TEST_F(HighContrastTest, TheSettingIsAskedAtEveryPaintAndOnlyThere) {
    Instance* arrow = make("PopupArrow", 10, 10, integer("Facing", 0));
    Instance* placard = make("Placard", 48, 24);
    Instance* arrows = make("ChasingArrows", 16, 16);
    host.on(arrow, "MouseDown", [](const pluginhost::EventCall&) { return false; });
    host.mouseDown(arrow, kLeft + 1, kTop + 1);
    host.mouseUp(placard, kLeft + 1, kTop + 1);
    host.setInteger(placard, "Value", 1);
    arrows->visible = false;
    host.idle(arrows);
    EXPECT_EQ(spy->highContrastQueries(), 0);

    const bool settings[] = {true, false, true};
    for (size_t i = 0; i < std::size(settings); ++i) {
        spy->scheme.highContrast = settings[i];
        EXPECT_EQ(paintedAt(arrow, 0, 0), settings[i] ? system(COLOR_BTNTEXT) : kBlack) << i;
        EXPECT_EQ(spy->highContrastQueries(), static_cast<int>(i + 1));
    }
    arrows->visible = true;
    host.idle(arrows);
    EXPECT_EQ(spy->highContrastQueries(), 4);
}

// Windows XP turns visual styles off under high contrast: a control made
// then opens no theme; one made before keeps a handle the theme can no
// longer draw with. Both draw the classic look, which the setting colours.
class StaleThemeTest : public HighContrastTest {
protected:
    std::unique_ptr<pluginhost::SystemSpy> system_;

    void SetUp() override {
        HighContrastTest::SetUp();
        if (HasFatalFailure()) return;
        system_ = std::make_unique<pluginhost::SystemSpy>(host);
        system_->version = pluginhost::kWindowsXP;
    }

    void TearDown() override {
        HighContrastTest::TearDown();
        system_.reset();
    }

    // A themed bevel button and little arrows, with the frame's corner.
    void expectClassicFrames(COLORREF frame) {
        Instance* button = make("BevelButton", 60, 22, integer("Bevel", 4));
        Instance* arrows = make("LittleArrows", 13, 23);
        turnOn();
        EXPECT_EQ(paintedAt(button, 0, 0), frame) << "bevel button";
        EXPECT_EQ(paintedAt(arrows, 0, 0), frame) << "little arrows";
        host.destroy(button);
        host.destroy(arrows);
        EXPECT_EQ(system_->openThemes(), 0);
    }

    std::function<void()> turnOn;
};

TEST_F(StaleThemeTest, AControlMadeWhileHighContrastIsOnDrawsClassic) {
    system_->openThemeAnswersNull = true;
    turnOn = [] {};
    expectClassicFrames(system(COLOR_BTNTEXT));
    EXPECT_EQ(system_->themesOpened(), 0);
}

TEST_F(StaleThemeTest, AControlMadeBeforeHighContrastWasTurnedOnDrawsClassic) {
    spy->scheme.highContrast = false;
    turnOn = [this] {
        EXPECT_EQ(system_->themesOpened(), 2);
        system_->themesStale = true;
        spy->scheme.highContrast = true;
    };
    expectClassicFrames(system(COLOR_BTNTEXT));
}

TEST_F(StaleThemeTest, AThemeThatCannotDrawGivesWayToTheClassicLookWithHighContrastOffToo) {
    spy->scheme.highContrast = false;
    turnOn = [this] { system_->themesStale = true; };
    expectClassicFrames(kBlack);
}

}  // namespace
