// Bevel button interaction through the real DLL: push, toggle and sticky
// clicks, dragging, the two inside tests, the MouseDown and MouseUp events,
// the accelerator, the popup menu (through hooked USER32 menu calls), the
// receivers before Action, and hot tracking.
#include <cstring>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "bevel_button_support.h"
#include "base/ampersands.h"
#include "controls/bevel_button/interaction.h"
#include "call_recorder.h"
#include "theme_spy.h"

namespace {

using bevel_test::BevelButtonTest;
using bevel_test::Expand;
using pluginhost::EventCall;

// ---- hooked USER32 and KERNEL32 calls of the plug-in ----------------------------------

struct TrackCall {
    HMENU menu = nullptr;
    UINT flags = 0;
    int x = 0;
    int y = 0;
    int reserved = 0;
    HWND owner = nullptr;
    bool hasRect = false;
    bool pressedMeanwhile = false;
};

// What the hooked menu, key and language calls answer, and what they saw.
struct Script {
    UINT answer = 0;                        // what TrackPopupMenu answers
    std::function<void()> whileMenuIsOpen;  // run inside TrackPopupMenu
    std::vector<TrackCall> tracks;
    std::vector<HMENU> destroyed;
    std::set<int> keysDown;
    std::vector<int> keysAsked;
    LANGID language = 0x0409;
};

std::string Narrow(const wchar_t* text) {
    if (text == nullptr) return "<none>";
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(n > 0 ? n - 1 : 0, '\0');
    if (n > 1) WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes.data(), n, nullptr, nullptr);
    return bytes;
}

std::string Hex(UINT value) {
    char text[16];
    snprintf(text, sizeof text, "0x%X", value);
    return text;
}

// The menu's rows as appended: "AppendMenuW 0x8 1002 text".
std::string Row(UINT flags, UINT_PTR id, const std::string& text) {
    return Hex(flags) + " " + std::to_string(id) + " " + text;
}

constexpr COLORREF kPaper = RGB(0, 128, 0);

class BevelInteractionTest : public BevelButtonTest {
protected:
    Script script;
    std::unique_ptr<pluginhost::CallRecorder> spy;
    HostObject receiver = nullptr;

    void SetUp() override {
        BevelButtonTest::SetUp();
        if (HasFatalFailure()) return;
        spy = std::make_unique<pluginhost::CallRecorder>(host.module());
        spy->hook<decltype(&AppendMenuW)>(
            "USER32.dll", "AppendMenuW",
            [](HMENU, UINT flags, UINT_PTR id, LPCWSTR text) { return Row(flags, id, Narrow(text)); });
        spy->hook<decltype(&AppendMenuA)>("USER32.dll", "AppendMenuA", [](HMENU, UINT flags, UINT_PTR id, LPCSTR text) {
            return Row(flags, id, text != nullptr ? text : "<none>");
        });
        spy->hook<decltype(&TrackPopupMenu)>(
            "USER32.dll", "TrackPopupMenu", nullptr,
            [this](auto, HMENU menu, UINT flags, int x, int y, int reserved, HWND owner, const RECT* rect) -> BOOL {
                script.tracks.push_back(
                    TrackCall{menu, flags, x, y, reserved, owner, rect != nullptr, data().pressed != 0});
                if (script.whileMenuIsOpen) script.whileMenuIsOpen();
                return static_cast<BOOL>(script.answer);
            });
        spy->hook<decltype(&DestroyMenu)>("USER32.dll", "DestroyMenu", nullptr, [this](auto real, HMENU menu) {
            script.destroyed.push_back(menu);
            return real(menu);
        });
        spy->hook<decltype(&CreatePopupMenu)>("USER32.dll", "CreatePopupMenu");
        spy->hook<decltype(&ClientToScreen)>("USER32.dll", "ClientToScreen");
        spy->hook<decltype(&GetKeyState)>("USER32.dll", "GetKeyState", nullptr, [this](auto, int key) {
            script.keysAsked.push_back(key);
            return script.keysDown.count(key) != 0 ? SHORT(0x8000) : SHORT(0);
        });
        spy->hook<decltype(&GetUserDefaultLangID)>("KERNEL32.dll", "GetUserDefaultLangID", nullptr,
                                                   [this](auto) { return script.language; });
        ASSERT_TRUE(spy->installed());
        receiver = host.makeReceiver();
        host.call(button, "addActionNotificationReceiver", {arg(receiver)});
        host.on(button, "Action");
        host.fillImage(kPaper);
    }

    void TearDown() override {
        BevelButtonTest::TearDown();
        spy.reset();
    }

    // Every row appended to a menu, in order, of either width.
    std::vector<std::string> appended() const { return spy->callsOf({"AppendMenuW", "AppendMenuA"}); }

    void setCaption(const std::string& text) {
        HostString caption = host.makeString(text);
        host.setString(button, "Caption", caption);
        host.releaseString(caption);
    }

    // A face pixel away from the caption: shadow-coloured while pushed in.
    char face() const {
        const COLORREF c = host.pixel(kLeft + 3, kTop + 3);
        if (c == GetSysColor(COLOR_BTNSHADOW)) return 'D';
        if (c == GetSysColor(COLOR_BTNFACE)) return 'F';
        return c == kPaper ? '.' : '?';
    }

    // The anchor point in screen coordinates.
    POINT screen(int x, int y) const {
        POINT p{x, y};
        ClientToScreen(host.topWindow(), &p);
        return p;
    }

    std::vector<std::string> actionEvents() const {
        return Expand({"PerformAction {r}", "Action"}, {{"r", name(receiver)}});
    }
};

// ---- the accelerator character ---------------------------------------------------------------

TEST(AcceleratorCharTest, TheLastSingleAmpersandWins) {
    struct Case {
        const char* text;
        char expected;
    };
    static const Case kCases[] = {
        {"&Save", 'S'}, {"&save", 'S'}, {"&&S", 0},        {"a&b&c", 'C'},     {"&", 0},  {"abc&", 0},
        {"&a&", 0},     {"&&&x", 'X'},  {"", 0},           {"&1", '1'},        {"&&", 0}, {"&&&", 0},
        {"x&&", 0},     {"&-", '-'},    {"&\xE9", '\xE9'}, {"S&ave &As", 'A'},
        {"&a", 'A'},    {"&z", 'Z'},    {"&`", '`'},       {"&{", '{'},
    };
    for (const Case& c : kCases)
        EXPECT_EQ(int(acceleratorChar(c.text)), int(c.expected)) << '"' << c.text << '"';
}

// ---- clicks ------------------------------------------------------------------------------------

TEST_F(BevelInteractionTest, ClickOutcomeByButtonType) {
    struct Case {
        int32_t buttonType;
        int32_t valueAfterFirst;
        int32_t valueAfterSecond;
    };
    static const Case kCases[] = {{0, 0, 0}, {1, 1, 0}, {2, 1, 1}, {3, 0, 0}, {9, 0, 0}, {-1, 0, 0}};
    for (const Case& c : kCases) {
        host.setInteger(button, "ButtonType", c.buttonType);
        host.setInteger(button, "Value", 0);
        for (int32_t expected : {c.valueAfterFirst, c.valueAfterSecond}) {
            host.events.clear();
            int32_t valueAtAction = -1;
            bool pressedAtAction = true;
            host.on(button, "Action", [&](const EventCall&) {
                valueAtAction = data().value;
                pressedAtAction = data().pressed;
                return false;
            });
            EXPECT_TRUE(host.mouseDown(button, 20, 20));
            EXPECT_TRUE(data().pressed);
            EXPECT_EQ(face(), 'D') << "pushed in at once";
            host.mouseUp(button, 20, 20);
            EXPECT_FALSE(data().pressed);
            EXPECT_EQ(host.getInteger(button, "Value"), expected) << "ButtonType " << c.buttonType;
            EXPECT_EQ(eventNames(), actionEvents()) << "ButtonType " << c.buttonType;
            // The new Value and picture come before the receivers and Action.
            EXPECT_EQ(valueAtAction, expected);
            EXPECT_FALSE(pressedAtAction);
            EXPECT_EQ(face(), expected ? 'D' : 'F');
        }
    }
}

TEST_F(BevelInteractionTest, DraggingOutAndReleasingOutsideFiresNothing) {
    host.setInteger(button, "ButtonType", 1);
    host.mouseDown(button, 20, 20);
    host.mouseDrag(button, 200, 20);
    EXPECT_FALSE(data().pressed);
    EXPECT_EQ(face(), 'F');
    host.mouseUp(button, 200, 20);
    EXPECT_TRUE(host.events.empty());
    EXPECT_EQ(host.getInteger(button, "Value"), 0);
}

TEST_F(BevelInteractionTest, DraggingBackInRestoresThePushedLookAndTheClickCounts) {
    host.setInteger(button, "ButtonType", 1);
    host.mouseDown(button, 20, 20);
    host.mouseDrag(button, 20, 5);
    EXPECT_FALSE(data().pressed);
    host.mouseDrag(button, 21, 21);
    EXPECT_TRUE(data().pressed);
    EXPECT_EQ(face(), 'D');
    host.mouseUp(button, 21, 21);
    EXPECT_EQ(host.getInteger(button, "Value"), 1);
    EXPECT_EQ(eventNames(), actionEvents());
}

TEST_F(BevelInteractionTest, TheRightAndBottomEdgesAreOutsideForDragsButInsideForTheRelease) {
    host.setInteger(button, "ButtonType", 1);
    struct Case {
        int x;
        int y;
        bool dragInside;
        bool releaseInside;
    };
    static const Case kCases[] = {
        {kRight - 1, kBottom - 1, true, true},
        {kRight, 20, false, true},
        {20, kBottom, false, true},
        {kRight, kBottom, false, true},
        {kRight + 1, 20, false, false},
        {20, kBottom + 1, false, false},
        {kLeft, kTop, true, true},
        {kLeft - 1, 20, false, false},
        {20, kTop - 1, false, false},
    };
    for (const Case& c : kCases) {
        host.setInteger(button, "Value", 0);
        host.events.clear();
        host.mouseDown(button, 20, 20);
        host.mouseDrag(button, c.x, c.y);
        EXPECT_EQ(data().pressed, c.dragInside) << c.x << "," << c.y;
        host.mouseUp(button, c.x, c.y);
        // Value follows the drag test, Action the release test.
        EXPECT_EQ(host.getInteger(button, "Value"), c.dragInside ? 1 : 0) << c.x << "," << c.y;
        EXPECT_EQ(eventNames(), c.releaseInside ? actionEvents() : std::vector<std::string>{}) << c.x << "," << c.y;
    }
}

TEST_F(BevelInteractionTest, AMouseDownHandlerThatTakesTheClickGetsTheMouseUpInstead) {
    host.setInteger(button, "ButtonType", 1);
    host.on(button, "MouseDown", [](const EventCall&) { return true; });
    host.on(button, "MouseUp");
    EXPECT_TRUE(host.mouseDown(button, 15, 17));
    EXPECT_FALSE(data().pressed);
    EXPECT_EQ(face(), '.') << "not painted";
    host.mouseDrag(button, 16, 18);
    EXPECT_FALSE(data().pressed);
    host.mouseUp(button, 25, 19);
    EXPECT_EQ(host.getInteger(button, "Value"), 0);
    EXPECT_EQ(eventNames(), (std::vector<std::string>{"MouseDown 5 7", "MouseUp 15 9"}));
    EXPECT_FALSE(data().mouseDownHandled);
}

TEST_F(BevelInteractionTest, AMouseDownHandlerThatDeclinesLeavesTheClickToTheButton) {
    host.on(button, "MouseDown", [](const EventCall&) { return false; });
    EXPECT_TRUE(host.mouseDown(button, 12, 30));
    EXPECT_TRUE(data().pressed);
    host.mouseUp(button, 12, 30);
    std::vector<std::string> expected{"MouseDown 2 20"};
    for (const std::string& e : actionEvents()) expected.push_back(e);
    EXPECT_EQ(eventNames(), expected);
}

TEST(BevelDisabledTest, ADisabledButtonAnswersTrueAndDoesNothing) {
    pluginhost::Host host;
    ASSERT_TRUE(host.load(pluginhost::pluginPath())) << host.lastError();
    pluginhost::InstanceOptions options;
    options.enabled = false;
    pluginhost::Instance* button = host.create("BevelButton", 10, 10, 70, 32, options);
    ASSERT_NE(button, nullptr);
    host.on(button, "MouseDown", [](const EventCall&) { return false; });
    host.on(button, "MouseUp");
    host.on(button, "Action");
    host.setInteger(button, "ButtonType", 1);
    const int repaints = button->invalidations;
    EXPECT_TRUE(host.mouseDown(button, 20, 20));
    host.mouseDrag(button, 21, 20);
    host.mouseUp(button, 20, 20);
    EXPECT_TRUE(host.events.empty());
    EXPECT_EQ(host.getInteger(button, "Value"), 0);
    EXPECT_EQ(button->invalidations, repaints);
    const auto& block = *reinterpret_cast<const bevel_button::InstanceData*>(button->data());
    EXPECT_FALSE(block.pressed);
    const std::vector<std::string> faults = host.finish();
    EXPECT_TRUE(faults.empty()) << pluginhost::joinFaults(faults);
}

TEST_F(BevelInteractionTest, ReceiversAreToldMostRecentFirstBeforeAction) {
    HostObject later = host.makeReceiver();
    host.call(button, "addActionNotificationReceiver", {arg(later)});
    host.mouseDown(button, 20, 20);
    host.mouseUp(button, 20, 20);
    EXPECT_EQ(eventNames(), Expand({"PerformAction {later}", "PerformAction {first}", "Action"},
                                   {{"later", name(later)}, {"first", name(receiver)}}));
    host.events.clear();
    host.action(button, 12345);
    EXPECT_EQ(eventNames(), Expand({"PerformAction {later}", "PerformAction {first}", "Action"},
                                   {{"later", name(later)}, {"first", name(receiver)}}));
    host.off(button, "Action");
    host.events.clear();
    host.action(button);
    EXPECT_EQ(performed(), (std::vector<std::string>{name(later), name(receiver)})) << "without an Action handler";
}

// ---- the accelerator ---------------------------------------------------------------------------

TEST_F(BevelInteractionTest, AltAndTheAcceleratorActWithoutAPushedLook) {
    setCaption("&save");
    host.on(button, "MouseDown", [](const EventCall&) { return false; });
    script.keysDown = {VK_MENU, 'S'};
    const int repaints = button->invalidations;
    EXPECT_TRUE(host.mouseDown(button, 20, 20));
    EXPECT_EQ(eventNames(), actionEvents()) << "no MouseDown event";
    EXPECT_FALSE(data().pressed);
    EXPECT_FALSE(data().mouseDownHandled);
    EXPECT_EQ(face(), '.') << "no immediate repaint";
    EXPECT_EQ(button->invalidations - repaints, 1);
    EXPECT_TRUE(script.tracks.empty());
}

TEST_F(BevelInteractionTest, TheAcceleratorNeedsAltAndTheKey) {
    struct Case {
        const char* caption;
        std::set<int> keys;
        bool activates;
    };
    static const Case kCases[] = {
        {"&Save", {VK_MENU, 'S'}, true},   {"&Save", {'S'}, false},          {"&Save", {VK_MENU}, false},
        {"&&Save", {VK_MENU, 'S'}, false}, {"Save&", {VK_MENU, 'S'}, false}, {"Save", {VK_MENU, 'S'}, false},
        {"E&xit", {VK_MENU, 'X'}, true},   {"&7", {VK_MENU, '7'}, true},
    };
    host.on(button, "MouseDown", [](const EventCall&) { return false; });
    for (const Case& c : kCases) {
        setCaption(c.caption);
        script.keysDown = c.keys;
        host.events.clear();
        host.mouseDown(button, 20, 20);
        // An activation is a mouseDown alone; a click goes on to mouseUp.
        if (!c.activates) host.mouseUp(button, 20, 20);
        std::vector<std::string> expected;
        if (!c.activates) expected.push_back("MouseDown 10 10");
        for (const std::string& e : actionEvents()) expected.push_back(e);
        EXPECT_EQ(eventNames(), expected) << c.caption;
    }
}

TEST_F(BevelInteractionTest, KeysAreAskedOnlyForAnAcceleratorAndNeverWithANegativeCode) {
    struct Case {
        const char* caption;
        std::vector<int> asked;
    };
    static const Case kCases[] = {
        {"Plain", {}}, {"&", {}}, {"&&&", {}}, {"", {}}, {"&q", {VK_MENU}}, {"&\xE9", {VK_MENU}},
    };
    for (const Case& c : kCases) {
        setCaption(c.caption);
        script.keysAsked.clear();
        script.keysDown.clear();
        host.mouseDown(button, 20, 20);
        host.mouseUp(button, 20, 20);
        EXPECT_EQ(script.keysAsked, c.asked) << c.caption;
    }
    setCaption("&\xE9");
    script.keysAsked.clear();
    script.keysDown = {VK_MENU};
    host.mouseDown(button, 20, 20);
    host.mouseUp(button, 20, 20);
    EXPECT_EQ(script.keysAsked, (std::vector<int>{VK_MENU, 0xE9}));
}

TEST_F(BevelInteractionTest, TheAcceleratorOfAMenuButtonOpensTheMenu) {
    setCaption("&Go");
    host.setInteger(button, "HasMenu", 1);
    host.on(button, "MouseDown", [](const EventCall&) { return false; });
    script.keysDown = {VK_MENU, 'G'};
    EXPECT_FALSE(host.mouseDown(button, 20, 20));
    EXPECT_EQ(script.tracks.size(), 1u);
    EXPECT_TRUE(host.events.empty()) << "no MouseDown event, no choice";
}

// ---- the popup menu ----------------------------------------------------------------------------

TEST_F(BevelInteractionTest, TheMenuShowsTheRowsWithSeparatorAndCheckMarkAndStoresTheChoice) {
    HostString alpha = host.makeString("alpha");
    HostString beta = host.makeString("beta");
    host.call(button, "AddRow", {arg(alpha)});
    host.call(button, "AddSeparator");
    host.call(button, "AddRow", {arg(beta)});
    host.setInteger(button, "HasMenu", 1);
    host.setInteger(button, "MenuValue", 2);
    script.answer = 1002;
    char faceWhileOpen = 0;
    script.whileMenuIsOpen = [&] {
        host.draw(button);  // the host may paint while the menu runs
        faceWhileOpen = face();
    };

    EXPECT_FALSE(host.mouseDown(button, 20, 20));
    static const std::vector<std::string> kAppended = {
        "AppendMenuW 0x0 1000 alpha",
        "AppendMenuA 0x800 1001 <none>",
        "AppendMenuW 0x8 1002 beta",
    };
    EXPECT_SEQUENCE(kAppended, appended());
    ASSERT_EQ(script.tracks.size(), 1u);
    const TrackCall& track = script.tracks[0];
    const POINT below = screen(kLeft, kBottom);
    EXPECT_EQ(track.flags, 0x180u);
    EXPECT_EQ(track.x, below.x);
    EXPECT_EQ(track.y, below.y);
    EXPECT_EQ(track.reserved, 0);
    EXPECT_EQ(track.owner, host.topWindow());
    EXPECT_FALSE(track.hasRect);
    EXPECT_TRUE(track.pressedMeanwhile);
    EXPECT_EQ(faceWhileOpen, 'D');
    EXPECT_EQ(script.destroyed, std::vector<HMENU>{track.menu});
    EXPECT_FALSE(data().pressed);
    EXPECT_EQ(face(), 'F') << "repainted released";
    EXPECT_EQ(host.getInteger(button, "MenuValue"), 2);
    EXPECT_EQ(eventNames(), actionEvents());

    // Another choice, then none.
    host.events.clear();
    script.answer = 1000;
    EXPECT_FALSE(host.mouseDown(button, 20, 20));
    EXPECT_EQ(host.getInteger(button, "MenuValue"), 0);
    EXPECT_EQ(eventNames(), actionEvents());
    host.events.clear();
    spy->calls.clear();
    script.answer = 0;
    EXPECT_FALSE(host.mouseDown(button, 20, 20));
    EXPECT_SEQUENCE((std::vector<std::string>{"AppendMenuW 0x8 1000 alpha", "AppendMenuA 0x800 1001 <none>",
                                              "AppendMenuW 0x0 1002 beta"}),
                    appended());
    EXPECT_EQ(host.getInteger(button, "MenuValue"), 0);
    EXPECT_TRUE(host.events.empty());
    // Releasing a menu button fires nothing.
    host.mouseUp(button, 20, 20);
    EXPECT_TRUE(host.events.empty());
    EXPECT_EQ(script.destroyed.size(), 3u);
}

// The menu is made and filled first; only then is its place worked out and
// the menu run, and it is destroyed once it closes.
TEST_F(BevelInteractionTest, TheMenuIsBuiltBeforeItsAnchorIsPlaced) {
    HostString alpha = host.makeString("alpha");
    host.call(button, "AddRow", {arg(alpha)});
    host.call(button, "AddSeparator");
    host.setInteger(button, "HasMenu", 1);
    EXPECT_FALSE(host.mouseDown(button, 20, 20));
    static const std::vector<std::string> kCalls = {
        "CreatePopupMenu",
        "AppendMenuW 0x8 1000 alpha",
        "AppendMenuA 0x800 1001 <none>",
        "ClientToScreen",
        "TrackPopupMenu",
        "DestroyMenu",
    };
    EXPECT_SEQUENCE(kCalls, spy->calls);
}

TEST_F(BevelInteractionTest, EveryOtherMenuModeOpensToTheRight) {
    for (int32_t mode : {2, 3, -1, 100}) {
        script.tracks.clear();
        host.setInteger(button, "HasMenu", mode);
        EXPECT_FALSE(host.mouseDown(button, 20, 20));
        ASSERT_EQ(script.tracks.size(), 1u) << mode;
        const POINT right = screen(kRight, kTop);
        EXPECT_EQ(script.tracks[0].x, right.x) << mode;
        EXPECT_EQ(script.tracks[0].y, right.y) << mode;
    }
}

TEST_F(BevelInteractionTest, AMenuWithoutRowsOpensEmptyAndChangesNothing) {
    host.setInteger(button, "HasMenu", 1);
    host.setInteger(button, "MenuValue", 4);
    EXPECT_FALSE(host.mouseDown(button, 20, 20));
    EXPECT_TRUE(appended().empty());
    EXPECT_EQ(script.tracks.size(), 1u);
    EXPECT_EQ(host.getInteger(button, "MenuValue"), 4);
    EXPECT_TRUE(host.events.empty());
}

TEST_F(BevelInteractionTest, ASeparatorGivenTextStaysASeparatorAndNilRowsAreEmptyItems) {
    HostString x = host.makeString("x");
    host.call(button, "AddSeparator");
    host.callSetter(button, "List", {0, arg(x)});
    host.call(button, "AddRow", {0});
    host.setInteger(button, "HasMenu", 1);
    host.setInteger(button, "MenuValue", -1);
    host.mouseDown(button, 20, 20);
    EXPECT_SEQUENCE((std::vector<std::string>{"AppendMenuA 0x800 1000 <none>", "AppendMenuW 0x0 1001 "}), appended());
}

TEST_F(BevelInteractionTest, RowTextsAreConvertedFromTheirOwnEncoding) {
    HostString utf8 = host.makeString("caf\xC3\xA9");
    HostString latin1 = host.makeString("caf\xE9", 0xFFFF04E4);  // code page 1252
    HostString invalid = host.makeString("\xFF\xFE\xC3");
    for (HostString s : {utf8, latin1, invalid}) host.call(button, "AddRow", {arg(s)});
    host.setInteger(button, "HasMenu", 2);
    host.setInteger(button, "MenuValue", 9);
    host.mouseDown(button, 20, 20);
    ASSERT_EQ(appended().size(), 3u);
    EXPECT_EQ(appended()[0], "AppendMenuW 0x0 1000 caf\xC3\xA9");
    EXPECT_EQ(appended()[1], "AppendMenuW 0x0 1001 caf\xC3\xA9");
    EXPECT_EQ(appended()[2].rfind("AppendMenuW 0x0 1002 ", 0), 0u) << appended()[2];
}

TEST_F(BevelInteractionTest, HundredsOfRowsGetConsecutiveIdentifiers) {
    HostString row = host.makeString("row");
    constexpr int kRows = 400;
    for (int i = 0; i < kRows; ++i) host.call(button, "AddRow", {arg(row)});
    host.setInteger(button, "HasMenu", 1);
    script.answer = 1000 + kRows - 1;
    host.setInteger(button, "MenuValue", 0);
    EXPECT_FALSE(host.mouseDown(button, 20, 20));
    ASSERT_EQ(appended().size(), size_t(kRows));
    EXPECT_EQ(appended().front(), "AppendMenuW 0x8 1000 row");
    EXPECT_EQ(appended().back(), "AppendMenuW 0x0 " + std::to_string(1000 + kRows - 1) + " row");
    EXPECT_EQ(host.getInteger(button, "MenuValue"), kRows - 1);
}

// ---- hot tracking --------------------------------------------------------------------------------

// Buttons made while the system reports Windows XP, so that each opens its
// own "Toolbar" theme through the real uxtheme (with recording wrappers).
class BevelHotTrackingTest : public HostTest {
protected:
    std::unique_ptr<pluginhost::ThemeSpy> theme;

    void SetUp() override {
        HostTest::SetUp();
        if (HasFatalFailure()) return;
        theme = std::make_unique<pluginhost::ThemeSpy>(host.module());
        ASSERT_TRUE(theme->installed());
    }

    void TearDown() override {
        HostTest::TearDown();
        theme.reset();
    }

    // The uxtheme drawing calls since the last look: "parent" for the parent
    // background, the toolbar state for the button's own background.
    std::string drawn(HANDLE toolbar) {
        std::string seen;
        for (const pluginhost::ThemeCall& call : theme->calls) {
            if (call.function == "DrawThemeParentBackground") seen += "parent ";
            if (call.function == "DrawThemeBackground") {
                seen += std::string(call.theme == toolbar ? "" : "(another theme) ") + "state " +
                        std::to_string(call.state) + " ";
            }
        }
        theme->calls.clear();
        return seen.empty() ? "-" : seen.substr(0, seen.size() - 1);
    }
};

TEST_F(BevelHotTrackingTest, HotTrackingFollowsTheMouseOnThemedToolbarButtonsOnly) {
    pluginhost::Instance* b = host.create("BevelButton", 10, 10, 70, 32);
    ASSERT_NE(b, nullptr);
    const std::vector<pluginhost::ThemeCall> opens = theme->callsOf("OpenThemeData");
    ASSERT_EQ(opens.size(), 1u);
    EXPECT_EQ(opens[0].classList, L"Toolbar");
    const HANDLE toolbar = opens[0].theme;
    ASSERT_NE(toolbar, nullptr) << "no \"Toolbar\" theme";
    theme->calls.clear();

    auto& block = *reinterpret_cast<bevel_button::InstanceData*>(b->data());
    // Each step, then what the button asked of the host and what the next
    // paint drew: TS_NORMAL 1 (over the parent), TS_HOT 2, TS_PRESSED 3,
    // TS_HOTCHECKED 6; "-" when the classic look was painted.
    std::vector<std::string> seen;
    auto step = [&](const std::string& what, const std::function<void()>& act) {
        const int before = b->invalidations;
        act();
        const std::string immediate = drawn(toolbar);  // painted at once by the mouse callbacks
        host.draw(b);
        seen.push_back(what + ": hot " + std::to_string(block.hot) + ", repaints " +
                       std::to_string(b->invalidations - before) + ", at once " + immediate + ", paint " +
                       drawn(toolbar));
    };
    step("Bevel 4", [&] { host.setInteger(b, "Bevel", 4); });
    step("enter", [&] { host.mouseEnter(b); });
    step("down", [&] { host.mouseDown(b, 20, 20); });
    step("up", [&] { host.mouseUp(b, 20, 20); });
    step("Value", [&] { host.setInteger(b, "Value", 1); });
    step("exit", [&] { host.mouseExit(b); });
    step("Value off", [&] { host.setInteger(b, "Value", 0); });
    step("Bevel 0", [&] { host.setInteger(b, "Bevel", 0); });
    step("enter", [&] { host.mouseEnter(b); });
    step("Bevel 2", [&] { host.setInteger(b, "Bevel", 2); });
    step("exit", [&] {
        block.hot = true;
        host.mouseExit(b);
    });
    static const std::vector<std::string> kSeen = {
        "Bevel 4: hot 0, repaints 0, at once -, paint parent state 1",
        "enter: hot 1, repaints 1, at once -, paint state 2",
        "down: hot 1, repaints 0, at once state 3, paint state 3",
        "up: hot 1, repaints 0, at once state 2, paint state 2",
        "Value: hot 1, repaints 1, at once -, paint state 6",
        "exit: hot 0, repaints 1, at once -, paint state 5",
        "Value off: hot 0, repaints 1, at once -, paint parent state 1",
        "Bevel 0: hot 0, repaints 0, at once -, paint -",
        "enter: hot 0, repaints 0, at once -, paint -",
        "Bevel 2: hot 0, repaints 0, at once -, paint -",
        "exit: hot 1, repaints 0, at once -, paint -",
    };
    EXPECT_SEQUENCE(kSeen, seen);
}

TEST_F(BevelHotTrackingTest, AButtonWithoutAToolbarThemeDoesNotTrack) {
    theme->openAnswersNull = true;
    pluginhost::Instance* b = host.create("BevelButton", 10, 10, 70, 32);
    ASSERT_NE(b, nullptr);
    ASSERT_EQ(theme->callsOf("OpenThemeData").size(), 1u);
    theme->calls.clear();
    auto& block = *reinterpret_cast<bevel_button::InstanceData*>(b->data());
    host.setInteger(b, "Bevel", 4);
    host.mouseEnter(b);
    EXPECT_FALSE(block.hot);
    EXPECT_EQ(b->invalidations, 0);
    host.draw(b);
    EXPECT_EQ(drawn(nullptr), "-") << "classic look";
    block.hot = true;
    host.mouseExit(b);
    EXPECT_TRUE(block.hot);
    EXPECT_EQ(b->invalidations, 0);
}

// ---- the narrow text path --------------------------------------------------------------------------

TEST_F(BevelInteractionTest, ElsewhereThanNtRowsGoInTheUsersNarrowEncoding) {
    pluginhost::ThemeSpy spy(host.module(), {VER_PLATFORM_WIN32_WINDOWS, 4, 10});
    ASSERT_TRUE(spy.installed());
    HostString utf8 = host.makeString("caf\xC3\xA9");
    HostString ascii = host.makeString("plain", 0x0600);
    host.call(button, "AddRow", {arg(utf8)});
    host.call(button, "AddSeparator");
    host.call(button, "AddRow", {arg(ascii)});
    host.setInteger(button, "HasMenu", 1);
    script.language = 0x0409;
    host.mouseDown(button, 20, 20);
    EXPECT_SEQUENCE((std::vector<std::string>{"AppendMenuA 0x8 1000 caf\xE9", "AppendMenuA 0x800 1001 <none>",
                                              "AppendMenuA 0x0 1002 plain"}),
                    appended());
}

}  // namespace
