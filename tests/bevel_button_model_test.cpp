// Bevel button model through the real DLL: construction and destruction,
// the 18 properties with their side effects and lock order, the rows and
// their methods, the receiver list, and lock balance on every path.
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "bevel_button_support.h"
#include "theme_spy.h"

namespace {

using bevel_test::BevelButtonTest;
using bevel_test::Expand;

class BevelModelTest : public BevelButtonTest {
protected:
    HostString makeString(const std::string& text) { return host.makeString(text); }

    HostObject makeIcon(int width, int height, uint8_t flag = 0) {
        return host.makePicture(
            width, height, [](int, int) { return RGB(255, 0, 0); }, flag);
    }

    // Rows a, b and c.
    void addThreeRows(HostString a, HostString b, HostString c) {
        for (HostString s : {a, b, c}) host.call(button, "AddRow", {arg(s)});
    }
};

// ---- construct and destruct -------------------------------------------------------

TEST_F(BevelModelTest, ConstructTakesTheHostDefaultsWithoutFurtherLocks) {
    host.defaultCaption = "Press";
    host.defaultFont = "Geneva";
    host.defaultFontSize = 10;
    const size_t mark = host.lockLog.size();
    pluginhost::Instance* fresh = host.create("BevelButton", 100, 100, 160, 122);
    ASSERT_NE(fresh, nullptr);
    const auto& block = *reinterpret_cast<const bevel_button::InstanceData*>(fresh->data());
    // The defaults arrive owned by the control: no lock is added.
    EXPECT_SEQUENCE(Expand({"PluginDefaultControlCaption {caption}", "PluginDefaultControlFont {font}"},
                           {{"caption", name(block.caption)}, {"font", name(block.textFont)}}),
                    logSince(mark));
    EXPECT_EQ(host.stringRefs(block.caption), 1);
    EXPECT_EQ(host.stringRefs(block.textFont), 1);

    EXPECT_EQ(host.getString(fresh, "Caption"), "Press");
    EXPECT_EQ(host.getString(fresh, "TextFont"), "Geneva");
    EXPECT_EQ(host.getInteger(fresh, "TextSize"), 10);
    EXPECT_EQ(host.getInteger(fresh, "CaptionPlacement"), 1);
    EXPECT_EQ(host.getInteger(fresh, "CaptionAlign"), 3);
    for (const char* zero : {"CaptionDelta", "IconAlign", "IconDX", "IconDY", "Bevel", "HasMenu", "Value", "MenuValue",
                             "ButtonType", "Bold", "Italic", "Underline"})
        EXPECT_EQ(host.getInteger(fresh, zero), 0) << zero;
    EXPECT_EQ(host.getPicture(fresh, "Icon"), nullptr);
    EXPECT_EQ(block.rows, nullptr);
    EXPECT_EQ(block.receivers, nullptr);
    EXPECT_FALSE(block.pressed);
    EXPECT_FALSE(block.hot);
    EXPECT_FALSE(block.mouseDownHandled);
    // Not Windows XP: no theme.
    EXPECT_EQ(block.themeHandle, nullptr);
}

TEST_F(BevelModelTest, DestructGivesBackEverythingInOrder) {
    HostString caption = makeString("Go");
    HostString font = makeString("Courier");
    HostString first = makeString("one");
    HostString second = makeString("two");
    HostObject icon = makeIcon(16, 16);
    HostObject older = host.makeReceiver();
    HostObject newer = host.makeReceiver();
    host.setString(button, "Caption", caption);
    host.setString(button, "TextFont", font);
    host.call(button, "AddRow", {arg(first)});
    host.call(button, "AddSeparator");
    host.call(button, "AddRow", {arg(second)});
    host.setPicture(button, "Icon", icon);
    host.call(button, "addActionNotificationReceiver", {arg(older)});
    host.call(button, "addActionNotificationReceiver", {arg(newer)});

    const size_t mark = host.lockLog.size();
    host.destroy(button);
    EXPECT_SEQUENCE(Expand(
                        {
                            "ZOKAUnlockString {caption}",
                            "ZOKAUnlockString {font}",
                            "ZOKAUnlockString {first}",
                            "ZOKAUnlockString nil",  // the separator has no text
                            "ZOKAUnlockString {second}",
                            "unlockPictureDescription {icon}",
                            "ZOKAUnlockObject {icon}",
                            "ZOKAUnlockObject {newer}",  // most recent first
                            "ZOKAUnlockObject {older}",
                        },
                        {{"caption", name(caption)},
                         {"font", name(font)},
                         {"first", name(first)},
                         {"second", name(second)},
                         {"icon", name(icon)},
                         {"newer", name(newer)},
                         {"older", name(older)}}),
                    logSince(mark));
    for (HostString s : {caption, font, first, second}) EXPECT_EQ(host.stringRefs(s), 1) << name(s);
    for (HostObject o : {icon, older, newer}) EXPECT_EQ(host.objectRefs(o), 1) << name(o);
    EXPECT_EQ(host.descriptionLocks(icon), 0);
}

// The Windows version is asked once per process, at the first construct, so
// these tests make their buttons only after the version hook is in place.
using BevelThemeTest = HostTest;

TEST_F(BevelThemeTest, OnWindowsXpEachButtonOpensAndClosesItsToolbarTheme) {
    auto spy = std::make_unique<pluginhost::ThemeSpy>(host.module());
    ASSERT_TRUE(spy->installed());
    pluginhost::Instance* themed = host.create("BevelButton", 100, 100, 160, 122);
    ASSERT_NE(themed, nullptr);
    const auto& block = *reinterpret_cast<const bevel_button::InstanceData*>(themed->data());
    const std::vector<pluginhost::ThemeCall> opens = spy->callsOf("OpenThemeData");
    ASSERT_EQ(opens.size(), 1u);
    EXPECT_EQ(opens[0].window, nullptr);
    EXPECT_EQ(opens[0].classList, L"Toolbar");
    EXPECT_EQ(block.themeHandle, opens[0].theme);
    EXPECT_EQ(spy->loads, 1);

    const HANDLE theme = block.themeHandle;
    host.destroy(themed);
    const std::vector<pluginhost::ThemeCall> closes = spy->callsOf("CloseThemeData");
    if (theme != nullptr) {
        ASSERT_EQ(closes.size(), 1u);
        EXPECT_EQ(closes[0].theme, theme);
    } else {
        EXPECT_TRUE(closes.empty());
    }
    EXPECT_EQ(spy->frees, 1);
}

TEST_F(BevelThemeTest, WithoutAToolbarThemeTheLibraryIsStillReleased) {
    auto spy = std::make_unique<pluginhost::ThemeSpy>(host.module());
    spy->openAnswersNull = true;
    pluginhost::Instance* plain = host.create("BevelButton", 100, 100, 160, 122);
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(reinterpret_cast<const bevel_button::InstanceData*>(plain->data())->themeHandle, nullptr);
    host.destroy(plain);
    EXPECT_TRUE(spy->callsOf("CloseThemeData").empty());
    EXPECT_EQ(spy->loads, 1);
    EXPECT_EQ(spy->frees, 1);
}

// ---- properties ---------------------------------------------------------------------

TEST_F(BevelModelTest, OnlyTheVisiblePropertySettersAskForARepaint) {
    HostString caption = makeString("A");
    HostString font = makeString("Times");
    HostObject icon = makeIcon(8, 8);
    struct Case {
        const char* property;
        int32_t value;
        bool repaints;
    };
    static const Case kIntegerCases[] = {
        {"CaptionAlign", 1, true}, {"CaptionPlacement", 2, true}, {"CaptionDelta", 4, true},
        {"IconAlign", 9, true},    {"IconDX", 2, true},           {"IconDY", 3, true},
        {"Value", 1, true},        {"MenuValue", 2, false},       {"TextSize", 14, false},
        {"Bold", 1, false},        {"Italic", 1, false},          {"Underline", 1, false},
        {"Bevel", 2, false},       {"HasMenu", 1, false},         {"ButtonType", 1, false},
    };
    for (const Case& c : kIntegerCases) {
        const int before = button->invalidations;
        host.setInteger(button, c.property, c.value);
        EXPECT_EQ(button->invalidations - before, c.repaints ? 1 : 0) << c.property;
        EXPECT_EQ(host.getInteger(button, c.property), c.value) << c.property;
    }
    int before = button->invalidations;
    host.setString(button, "Caption", caption);
    EXPECT_EQ(button->invalidations - before, 1) << "Caption";
    before = button->invalidations;
    host.setPicture(button, "Icon", icon);
    EXPECT_EQ(button->invalidations - before, 1) << "Icon";
    before = button->invalidations;
    host.setString(button, "TextFont", font);
    EXPECT_EQ(button->invalidations - before, 0) << "TextFont";
}

TEST_F(BevelModelTest, OutOfRangeValuesAreStoredUnchanged) {
    static const char* const kProperties[] = {"CaptionAlign", "CaptionPlacement", "CaptionDelta", "IconAlign",
                                              "IconDX",       "IconDY",           "Bevel",        "HasMenu",
                                              "ButtonType",   "TextSize"};
    for (const char* property : kProperties) {
        for (int32_t value : {-1, 77, INT32_MIN, INT32_MAX}) {
            host.setInteger(button, property, value);
            EXPECT_EQ(host.getInteger(button, property), value) << property;
        }
    }
}

TEST_F(BevelModelTest, MenuValueKeepsItsLow16BitsWithTheirSign) {
    struct Case {
        int32_t stored;
        int32_t readBack;
    };
    static const Case kCases[] = {
        {(1 << 16) + 5, 5}, {1 << 15, -(1 << 15)}, {-1, -1}, {0x12345678, 0x5678}, {0x7FFF, 0x7FFF}, {2, 2},
    };
    for (const Case& c : kCases) {
        host.setInteger(button, "MenuValue", c.stored);
        EXPECT_EQ(host.getInteger(button, "MenuValue"), c.readBack) << c.stored;
        EXPECT_EQ(data().menuValue, c.readBack) << c.stored;
    }
}

TEST_F(BevelModelTest, ValueTakesItsLowByte) {
    struct Case {
        int32_t stored;
        int32_t readBack;
    };
    // The byte itself, not a normalised 0 or 1: the host reads the field back.
    static const Case kCases[] = {{1, 1},       {0, 0}, {0x100, 0},    {0x101, 1},
                                  {0xFF, 0xFF}, {2, 2}, {0x1FE, 0xFE}, {-256, 0}};
    for (const Case& c : kCases) {
        host.setInteger(button, "Value", c.stored);
        EXPECT_EQ(host.getInteger(button, "Value"), c.readBack) << c.stored;
    }
}

TEST_F(BevelModelTest, CaptionSetterLocksTheNewTextThenSetsTheAccelerator) {
    HostString old = data().caption;
    HostString caption = makeString("&Save");
    const size_t mark = host.lockLog.size();
    const int accelerators = button->acceleratorCalls;
    host.setString(button, "Caption", caption);
    EXPECT_SEQUENCE(Expand(
                        {
                            "ZOKALockString {new}",
                            "ZOKAUnlockString {old}",
                            "PluginInterpretConstantValue {new}",
                            "ZOKAUnlockString {new}",
                        },
                        {{"new", name(caption)}, {"old", name(old)}}),
                    logSince(mark));
    EXPECT_EQ(button->acceleratorCalls - accelerators, 1);
    EXPECT_EQ(button->accelerator, "&Save");
    EXPECT_EQ(host.stringRefs(caption), 2);  // the test's and the button's

    const size_t getterMark = host.lockLog.size();
    EXPECT_EQ(host.getString(button, "Caption"), "&Save");
    EXPECT_SEQUENCE(Expand({"ZOKALockString {new}"}, {{"new", name(caption)}}), logSince(getterMark));
    EXPECT_EQ(host.stringRefs(caption), 2);
}

TEST_F(BevelModelTest, StoringTheHeldCaptionFontOrIconAgainKeepsThemAlive) {
    // After the test lets go, the button holds the only reference; storing
    // the same handle again must not release it in between.
    HostString caption = makeString("Only");
    HostString font = makeString("Helvetica");
    HostObject icon = makeIcon(16, 16);
    host.setString(button, "Caption", caption);
    host.setString(button, "TextFont", font);
    host.setPicture(button, "Icon", icon);
    host.releaseString(caption);
    host.releaseString(font);
    host.releaseObject(icon);

    const size_t mark = host.lockLog.size();
    host.setString(button, "Caption", caption);
    host.setString(button, "TextFont", font);
    host.setPicture(button, "Icon", icon);
    EXPECT_SEQUENCE(Expand(
                        {
                            "ZOKALockString {caption}",
                            "ZOKAUnlockString {caption}",
                            "PluginInterpretConstantValue {caption}",
                            "ZOKAUnlockString {caption}",
                            "ZOKALockString {font}",
                            "ZOKAUnlockString {font}",
                            "ZOKALockObject {icon}",
                            "unlockPictureDescription {icon}",
                            "ZOKAUnlockObject {icon}",
                            "lockPictureDescription {icon}",
                        },
                        {{"caption", name(caption)}, {"font", name(font)}, {"icon", name(icon)}}),
                    logSince(mark));
    EXPECT_TRUE(host.faults().empty()) << pluginhost::joinFaults(host.faults());
    EXPECT_EQ(host.stringRefs(caption), 1);
    EXPECT_EQ(host.stringRefs(font), 1);
    EXPECT_EQ(host.objectRefs(icon), 1);
    EXPECT_EQ(host.descriptionLocks(icon), 1);
    EXPECT_EQ(host.getString(button, "Caption"), "Only");
    EXPECT_EQ(host.getString(button, "TextFont"), "Helvetica");
}

TEST_F(BevelModelTest, TextFontSetterReplacesTheNameWithoutARepaint) {
    HostString old = data().textFont;
    HostString font = makeString("Courier");
    const size_t mark = host.lockLog.size();
    const int before = button->invalidations;
    host.setString(button, "TextFont", font);
    EXPECT_SEQUENCE(
        Expand({"ZOKALockString {new}", "ZOKAUnlockString {old}"}, {{"new", name(font)}, {"old", name(old)}}),
        logSince(mark));
    EXPECT_EQ(button->invalidations, before);
    EXPECT_EQ(host.getString(button, "TextFont"), "Courier");
}

TEST_F(BevelModelTest, IconSetterHoldsThePictureAndItsDescription) {
    HostObject first = makeIcon(16, 12, 0x5A);
    HostObject second = makeIcon(32, 24, 0x07);
    const size_t mark = host.lockLog.size();
    host.setPicture(button, "Icon", first);
    EXPECT_EQ(data().iconDescription.width, 16);
    EXPECT_EQ(data().iconDescription.height, 12);
    EXPECT_EQ(data().iconDescription.drawFlag, 0x5A);
    host.setPicture(button, "Icon", second);
    EXPECT_EQ(data().iconDescription.width, 32);
    EXPECT_EQ(data().iconDescription.height, 24);
    EXPECT_EQ(data().iconDescription.drawFlag, 0x07);
    EXPECT_EQ(host.getPicture(button, "Icon"), second);
    host.setPicture(button, "Icon", nullptr);
    EXPECT_EQ(host.getPicture(button, "Icon"), nullptr);
    // A nil picture is handed to the host's object lock too; the new
    // picture's lock always comes before the old one is given back.
    EXPECT_SEQUENCE(Expand(
                        {
                            "ZOKALockObject {first}",
                            "lockPictureDescription {first}",
                            "ZOKALockObject {second}",
                            "unlockPictureDescription {first}",
                            "ZOKAUnlockObject {first}",
                            "lockPictureDescription {second}",
                            "ZOKALockObject nil",
                            "unlockPictureDescription {second}",
                            "ZOKAUnlockObject {second}",
                        },
                        {{"first", name(first)}, {"second", name(second)}}),
                    logSince(mark));
    EXPECT_EQ(host.objectRefs(first), 1);
    EXPECT_EQ(host.objectRefs(second), 1);
    EXPECT_EQ(host.descriptionLocks(first), 0);
    EXPECT_EQ(host.descriptionLocks(second), 0);
}

TEST_F(BevelModelTest, DefaultsResetReplacesTheFontWithoutARepaint) {
    HostString font = makeString("Times");
    host.setString(button, "TextFont", font);
    host.setInteger(button, "TextSize", 30);
    host.defaultFont = "Osaka";
    host.defaultFontSize = 9;
    const size_t mark = host.lockLog.size();
    const int before = button->invalidations;
    host.defaultsReset(button);
    EXPECT_SEQUENCE(Expand({"ZOKAUnlockString {old}", "PluginDefaultControlFont {new}"},
                           {{"old", name(font)}, {"new", name(data().textFont)}}),
                    logSince(mark));
    EXPECT_EQ(host.getString(button, "TextFont"), "Osaka");
    EXPECT_EQ(host.getInteger(button, "TextSize"), 9);
    EXPECT_EQ(button->invalidations, before);
    EXPECT_EQ(host.stringRefs(font), 1);
}

TEST_F(BevelModelTest, ConstantChangedRepaintsAndHandsOverTheAcceleratorAgain) {
    HostString caption = makeString("E&xit");
    host.setString(button, "Caption", caption);
    const size_t mark = host.lockLog.size();
    const int repaints = button->invalidations;
    const int accelerators = button->acceleratorCalls;
    host.constantChanged(button);
    EXPECT_SEQUENCE(Expand({"PluginInterpretConstantValue {c}", "ZOKAUnlockString {c}"}, {{"c", name(caption)}}),
                    logSince(mark));
    EXPECT_EQ(button->invalidations - repaints, 1);
    EXPECT_EQ(button->acceleratorCalls - accelerators, 1);
    EXPECT_EQ(button->accelerator, "E&xit");
}

TEST_F(BevelModelTest, RetiredBevelValuesAreRewrittenAtTheNextPaint) {
    struct Case {
        int32_t bevel;
        int32_t bevelAfter;
        int32_t buttonTypeAfter;
    };
    // ButtonType starts at 2 (sticky) so that the toggle rewrite shows.
    static const Case kCases[] = {{7, 0, 1}, {3, 0, 2}, {5, 0, 2},   {6, 0, 2},  {0, 0, 2},
                                  {2, 2, 2}, {4, 4, 2}, {8, 8, 2}, {-1, -1, 2}};
    for (const Case& c : kCases) {
        host.setInteger(button, "ButtonType", 2);
        host.setInteger(button, "Bevel", c.bevel);
        EXPECT_EQ(host.getInteger(button, "Bevel"), c.bevel) << "before painting";
        host.draw(button);
        EXPECT_EQ(host.getInteger(button, "Bevel"), c.bevelAfter) << c.bevel;
        EXPECT_EQ(host.getInteger(button, "ButtonType"), c.buttonTypeAfter) << c.bevel;
    }
}

// ---- rows -------------------------------------------------------------------------------

TEST_F(BevelModelTest, InsertRowClampsItsPositionToTheList) {
    struct Case {
        int32_t row;
        std::vector<std::string> after;
    };
    static const Case kCases[] = {
        {-5, {"t", "a", "b", "c"}}, {-1, {"t", "a", "b", "c"}}, {0, {"t", "a", "b", "c"}},
        {1, {"a", "t", "b", "c"}},  {2, {"a", "b", "t", "c"}},  {3, {"a", "b", "c", "t"}},
        {4, {"a", "b", "c", "t"}},  {100, {"a", "b", "c", "t"}},
    };
    HostString a = makeString("a");
    HostString b = makeString("b");
    HostString c = makeString("c");
    HostString t = makeString("t");
    for (const Case& k : kCases) {
        host.call(button, "DeleteAllRows");
        addThreeRows(a, b, c);
        host.call(button, "InsertRow", {k.row, arg(t)});
        EXPECT_EQ(rows(), k.after) << "InsertRow(" << k.row << ")";
        EXPECT_EQ(host.stringRefs(t), 2);
    }
    host.call(button, "DeleteAllRows");
    host.call(button, "InsertRow", {5, arg(t)});
    EXPECT_EQ(rows(), std::vector<std::string>{"t"}) << "into an empty list";
    host.call(button, "DeleteAllRows");
    for (HostString s : {a, b, c, t}) EXPECT_EQ(host.stringRefs(s), 1) << name(s);
}

TEST_F(BevelModelTest, RemoveRowAndListIgnoreMissingRows) {
    HostString a = makeString("a");
    HostString b = makeString("b");
    HostString c = makeString("c");
    addThreeRows(a, b, c);
    const size_t mark = host.lockLog.size();
    host.call(button, "RemoveRow", {-1});
    host.call(button, "RemoveRow", {3});
    EXPECT_EQ(host.call(button, "List", {3}), 0);
    EXPECT_EQ(host.call(button, "List", {-1}), 0);
    HostString x = makeString("x");
    host.callSetter(button, "List", {3, arg(x)});
    host.callSetter(button, "List", {-1, arg(x)});
    EXPECT_SEQUENCE(std::vector<std::string>{}, logSince(mark));  // no lock taken or given
    EXPECT_EQ(rows(), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(host.stringRefs(x), 1);

    const size_t removeMark = host.lockLog.size();
    host.call(button, "RemoveRow", {1});
    EXPECT_SEQUENCE(Expand({"ZOKAUnlockString {b}"}, {{"b", name(b)}}), logSince(removeMark));
    EXPECT_EQ(rows(), (std::vector<std::string>{"a", "c"}));
    EXPECT_EQ(host.stringRefs(b), 1);
    // The last row, then the first.
    host.call(button, "RemoveRow", {1});
    EXPECT_EQ(rows(), (std::vector<std::string>{"a"}));
    host.call(button, "RemoveRow", {0});
    EXPECT_EQ(rows(), (std::vector<std::string>{}));
}

TEST_F(BevelModelTest, ListAssignmentLocksTheNewTextBeforeReleasingTheOld) {
    HostString a = makeString("a");
    HostString b = makeString("b");
    HostString c = makeString("c");
    addThreeRows(a, b, c);
    HostString x = makeString("x");
    const size_t mark = host.lockLog.size();
    host.callSetter(button, "List", {2, arg(x)});
    EXPECT_SEQUENCE(Expand({"ZOKALockString {x}", "ZOKAUnlockString {c}"}, {{"x", name(x)}, {"c", name(c)}}),
                    logSince(mark));
    EXPECT_EQ(rows(), (std::vector<std::string>{"a", "b", "x"}));
    EXPECT_EQ(host.stringRefs(c), 1);
    EXPECT_EQ(host.stringRefs(x), 2);

    const size_t getMark = host.lockLog.size();
    auto text = reinterpret_cast<HostString>(host.call(button, "List", {0}));
    EXPECT_EQ(text, a);
    EXPECT_SEQUENCE(Expand({"ZOKALockString {a}"}, {{"a", name(a)}}), logSince(getMark));
    host.releaseString(text);
}

TEST_F(BevelModelTest, SeparatorsCountAsRowsAndKeepTheirKindWhenGivenText) {
    HostString a = makeString("a");
    HostString b = makeString("b");
    host.call(button, "AddRow", {arg(a)});
    host.call(button, "AddSeparator");
    host.call(button, "AddRow", {arg(b)});
    EXPECT_EQ(rows(), (std::vector<std::string>{"a", "<nil>", "b"}));
    ASSERT_NE(data().rows, nullptr);
    const bevel_button::MenuRow* separator = data().rows->next;
    ASSERT_NE(separator, nullptr);
    EXPECT_TRUE(separator->isSeparator);
    EXPECT_EQ(separator->text, nullptr);

    HostString x = makeString("x");
    host.callSetter(button, "List", {1, arg(x)});
    EXPECT_EQ(rows(), (std::vector<std::string>{"a", "x", "b"}));
    EXPECT_TRUE(data().rows->next->isSeparator);
    EXPECT_FALSE(data().rows->isSeparator);
    host.call(button, "RemoveRow", {1});
    EXPECT_EQ(rows(), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(host.stringRefs(x), 1);
}

TEST_F(BevelModelTest, DeleteAllRowsReleasesEveryText) {
    HostString a = makeString("a");
    HostString b = makeString("b");
    host.call(button, "AddRow", {arg(a)});
    host.call(button, "AddRow", {arg(a)});  // the same text twice: two locks
    host.call(button, "AddSeparator");
    host.call(button, "AddRow", {arg(b)});
    EXPECT_EQ(host.stringRefs(a), 3);
    const size_t mark = host.lockLog.size();
    host.call(button, "DeleteAllRows");
    EXPECT_SEQUENCE(
        Expand({"ZOKAUnlockString {a}", "ZOKAUnlockString {a}", "ZOKAUnlockString nil", "ZOKAUnlockString {b}"},
               {{"a", name(a)}, {"b", name(b)}}),
        logSince(mark));
    EXPECT_EQ(data().rows, nullptr);
    EXPECT_EQ(host.call(button, "List", {0}), 0);
    EXPECT_EQ(host.stringRefs(a), 1);
    EXPECT_EQ(host.stringRefs(b), 1);
}

// ---- receivers -----------------------------------------------------------------------------

TEST_F(BevelModelTest, ReceiversAddedTwiceAndRemovedOnceStayRegisteredOnce) {
    HostObject a = host.makeReceiver();
    HostObject b = host.makeReceiver();
    HostObject stranger = host.makeReceiver();
    const size_t mark = host.lockLog.size();
    host.call(button, "addActionNotificationReceiver", {arg(a)});
    host.call(button, "addActionNotificationReceiver", {arg(a)});
    host.call(button, "addActionNotificationReceiver", {arg(b)});
    EXPECT_EQ(host.objectRefs(a), 3);
    host.action(button);
    EXPECT_EQ(performed(), (std::vector<std::string>{name(b), name(a), name(a)}));

    host.call(button, "removeActionNotificationReceiver", {arg(a)});
    host.call(button, "removeActionNotificationReceiver", {arg(stranger)});
    EXPECT_SEQUENCE(Expand({"ZOKALockObject {a}", "ZOKALockObject {a}", "ZOKALockObject {b}", "ZOKAUnlockObject {a}"},
                           {{"a", name(a)}, {"b", name(b)}}),
                    logSince(mark));
    host.events.clear();
    host.action(button);
    EXPECT_EQ(performed(), (std::vector<std::string>{name(b), name(a)}));
    EXPECT_EQ(host.objectRefs(a), 2);
    EXPECT_EQ(host.objectRefs(stranger), 1);
}

// A receiver's PerformAction may change the registrations while the button
// is telling them: each receiver registered when the action began is told
// once unless it was removed before its turn; one added meanwhile waits for
// the next action.
TEST_F(BevelModelTest, ReceiversChangedDuringANotificationAreToldAsRegistered) {
    struct Case {
        const char* what;
        char actor;  // the receiver whose PerformAction makes the change
        const char* method;
        char target;
        const char* told;  // this action, then the next one
        const char* toldNext;
    };
    static const Case kCases[] = {
        {"the next one removed", 'c', "removeActionNotificationReceiver", 'b', "ca", "ca"},
        {"itself removed", 'c', "removeActionNotificationReceiver", 'c', "cba", "ba"},
        {"a later one removed", 'c', "removeActionNotificationReceiver", 'a', "cb", "cb"},
        {"an earlier one removed", 'a', "removeActionNotificationReceiver", 'c', "cba", "ba"},
        {"one added", 'b', "addActionNotificationReceiver", 'd', "cba", "dcba"},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        std::map<char, HostObject> receivers;
        for (char r : std::string("abcd")) receivers[r] = host.makeReceiver();
        for (char r : std::string("abc")) host.call(button, "addActionNotificationReceiver", {arg(receivers[r])});
        bool changed = false;
        host.onPerformAction = [&](HostObject receiver) {
            if (changed || receiver != receivers[c.actor]) return;
            changed = true;
            host.call(button, c.method, {arg(receivers[c.target])});
        };
        auto told = [&] {
            std::string letters;
            for (const pluginhost::EventCall& call : host.events)
                for (const auto& r : receivers)
                    if (call.name == "PerformAction" && call.receiver == r.second) letters += r.first;
            host.events.clear();
            return letters;
        };
        host.events.clear();
        host.action(button);
        EXPECT_EQ(told(), c.told);
        host.action(button);
        EXPECT_EQ(told(), c.toldNext);
        host.onPerformAction = nullptr;
        host.call(button, "DeleteAllRows");
        for (char r : std::string("abcd")) {
            while (host.objectRefs(receivers[r]) > 1)
                host.call(button, "removeActionNotificationReceiver", {arg(receivers[r])});
            host.releaseObject(receivers[r]);
        }
    }
}

// The plug-in's own heap, through its import of malloc, for the blocks that
// hold the receivers to tell (one entry per receiver: a node and its serial):
// refused, or handed out with a live entry just past their end, as a heap may
// leave one there from an earlier, longer list.
struct ListedEntry {
    const void* node;
    uint64_t serial;
};
struct ScriptedListHeap {
    static inline size_t size = 0;
    static inline bool refuse = false;
    static inline ListedEntry pastTheEnd{};
    static inline void* (*realMalloc)(size_t) = nullptr;
    static void* scripted(size_t n) {
        if (n != size) return realMalloc(n);
        if (refuse) return nullptr;
        auto* block = static_cast<unsigned char*>(realMalloc(n + sizeof(ListedEntry)));
        if (block != nullptr) std::memcpy(block + n, &pastTheEnd, sizeof pastTheEnd);
        return block;
    }
};

TEST_F(BevelModelTest, ReceiversAreToldOnceEachWhateverTheHeapDoes) {
    std::vector<HostObject> receivers;
    for (int i = 0; i < 3; ++i) {
        receivers.push_back(host.makeReceiver());
        host.call(button, "addActionNotificationReceiver", {arg(receivers.back())});
    }
    host.on(button, "Action");
    const std::vector<std::string> expected = Expand(
        {"PerformAction {c}", "PerformAction {b}", "PerformAction {a}", "Action"},
        {{"a", name(receivers[0])}, {"b", name(receivers[1])}, {"c", name(receivers[2])}});
    pluginhost::ImportHook hook(host.module(), "msvcrt.dll", "malloc", reinterpret_cast<void*>(&ScriptedListHeap::scripted));
    ASSERT_TRUE(hook.installed());
    ScriptedListHeap::realMalloc = reinterpret_cast<void* (*)(size_t)>(hook.original());
    ScriptedListHeap::size = 3 * sizeof(ListedEntry);
    ScriptedListHeap::pastTheEnd = ListedEntry{data().receivers, data().receivers->serial};
    for (bool refuse : {false, true}) {
        ScriptedListHeap::refuse = refuse;
        host.events.clear();
        host.action(button);
        EXPECT_EQ(eventNames(), expected) << (refuse ? "no room for the list" : "a live entry past the list");
    }
    ScriptedListHeap::size = 0;
}

// ---- lock balance and bad input ------------------------------------------------------------

TEST_F(BevelModelTest, EveryMethodAndSetterLeavesTheLocksBalanced) {
    HostString caption = makeString("Bal&ance");
    HostString font = makeString("SmallSystem");
    HostString row = makeString("row");
    HostObject icon = makeIcon(16, 16);
    HostObject receiver = host.makeReceiver();
    for (int round = 0; round < 2; ++round) {
        host.setString(button, "Caption", caption);
        host.setString(button, "TextFont", font);
        host.setPicture(button, "Icon", icon);
        host.call(button, "AddRow", {arg(row)});
        host.call(button, "AddSeparator");
        host.call(button, "InsertRow", {1, arg(row)});
        host.callSetter(button, "List", {0, arg(caption)});
        HostString listed = reinterpret_cast<HostString>(host.call(button, "List", {0}));
        host.releaseString(listed);
        host.call(button, "RemoveRow", {2});
        host.call(button, "addActionNotificationReceiver", {arg(receiver)});
        host.constantChanged(button);
        host.defaultsReset(button);
        host.action(button);
        host.draw(button);
        EXPECT_EQ(host.getString(button, "Caption"), "Bal&ance");
    }
    host.call(button, "removeActionNotificationReceiver", {arg(receiver)});
    EXPECT_TRUE(host.faults().empty()) << pluginhost::joinFaults(host.faults());
    // Destructed with rows, a receiver and the icon held.
    host.destroy(button);
    EXPECT_EQ(host.stringRefs(caption), 1);
    EXPECT_EQ(host.stringRefs(font), 1);
    EXPECT_EQ(host.stringRefs(row), 1);
    EXPECT_EQ(host.objectRefs(icon), 1);
    EXPECT_EQ(host.objectRefs(receiver), 1);
}

TEST_F(BevelModelTest, NilCaptionFontRowTextAndReceiverAreAccepted) {
    host.setString(button, "Caption", nullptr);
    host.setString(button, "TextFont", nullptr);
    EXPECT_EQ(host.getString(button, "Caption"), "");
    EXPECT_EQ(host.getString(button, "TextFont"), "");
    host.constantChanged(button);
    host.call(button, "AddRow", {0});
    host.call(button, "InsertRow", {0, 0});
    EXPECT_EQ(rows(), (std::vector<std::string>{"<nil>", "<nil>"}));
    const size_t mark = host.lockLog.size();
    host.call(button, "addActionNotificationReceiver", {0});
    host.call(button, "removeActionNotificationReceiver", {0});
    host.setPicture(button, "Icon", nullptr);
    // Only the nil icon reaches the host, whose object lock takes any value.
    EXPECT_SEQUENCE(std::vector<std::string>{"ZOKALockObject nil"}, logSince(mark));
    EXPECT_EQ(data().receivers, nullptr);
    host.draw(button);
    host.action(button);
    EXPECT_TRUE(performed().empty());
}

TEST_F(BevelModelTest, LongCaptionsAndHundredsOfRowsAreHeldAndReleased) {
    const std::string longText(300, 'W');
    HostString caption = makeString(longText);
    host.setString(button, "Caption", caption);
    EXPECT_EQ(host.getString(button, "Caption"), longText);
    HostString row = makeString("row");
    constexpr int kRows = 600;
    for (int i = 0; i < kRows; ++i) {
        if (i % 10 == 9)
            host.call(button, "AddSeparator");
        else
            host.call(button, "AddRow", {arg(row)});
    }
    EXPECT_EQ(host.stringRefs(row), 1 + kRows - kRows / 10);
    auto last = reinterpret_cast<HostString>(host.call(button, "List", {kRows - 2}));
    EXPECT_EQ(last, row);
    host.releaseString(last);
    EXPECT_EQ(host.call(button, "List", {kRows - 1}), 0);
    host.destroy(button);
    EXPECT_EQ(host.stringRefs(row), 1);
    EXPECT_EQ(host.stringRefs(caption), 1);
}

}  // namespace
