// The plug-in frame, white-box: entry-point resolution and its fallbacks,
// and the shared helpers.
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include "base/case_compare.h"
#include "base/win32.h"
#include "host_services/host_helpers.h"
#include "host_services/resolver.h"

namespace {

// A resolver that answers only the names a test gives it, and counts asks.
struct FakeResolver {
    std::map<std::string, void*> answers;
    std::map<std::string, int> asks;
};
FakeResolver* gFake = nullptr;

void* FakeResolve(const char* name) {
    gFake->asks[name]++;
    auto it = gFake->answers.find(name);
    return it == gFake->answers.end() ? nullptr : it->second;
}

class ResolverTest : public ::testing::Test {
protected:
    void SetUp() override {
        gFake = &fake;
        SetHostResolver(FakeResolve);
    }
    void TearDown() override {
        SetHostResolver(nullptr);
        gFake = nullptr;
    }
    FakeResolver fake;
};

int gVisibleCalls = 0;
int32_t CountingVisible(ControlInstance*) {
    ++gVisibleCalls;
    return 7;
}

TEST_F(ResolverTest, MissingEntryPointsAnswerZeroNullOrFalse) {
    ControlInstance* instance = reinterpret_cast<ControlInstance*>(0x1000);
    HostString s = reinterpret_cast<HostString>(0x2000);
    HostObject o = reinterpret_cast<HostObject>(0x3000);

    EXPECT_EQ(host::StringGetCString(s), nullptr);
    EXPECT_EQ(host::PluginDefaultControlFont(), nullptr);
    EXPECT_EQ(host::PluginDefaultControlCaption(), nullptr);
    EXPECT_EQ(host::PluginDefaultControlFontSize(), 0);
    EXPECT_EQ(host::GetInterfaceRoutine(o, "actionNotificationReceiver", "PerformAction"), nullptr);
    EXPECT_EQ(host::GetEventInstance(instance, 3), nullptr);
    EXPECT_EQ(host::GetControlVisible(instance), 0);
    EXPECT_FALSE(host::ZOKAGetControlEnabled(instance));
    EXPECT_EQ(host::ZOKAGetControlGraphics(instance), nullptr);
    EXPECT_EQ(host::ZOKAGetWin32Charset(), 0);
    EXPECT_EQ(host::ZOKAGraphicsDC(o), nullptr);
    EXPECT_EQ(host::getControlWindow(instance), nullptr);
    EXPECT_EQ(host::GetTabPanelVisible(instance), 0);
    EXPECT_EQ(host::ZOKAGetControlHandle(instance), nullptr);
    EXPECT_EQ(host::ZOKAGetWindowHandle(o), nullptr);
    EXPECT_EQ(host::ZOKAGetStringEncoding(s), 0u);

    // Calls without a result do nothing; those with an out argument leave it.
    host::RegisterPluginVersion(6);
    host::PluginRegisterControl(nullptr);
    host::ZOKALockObject(o);
    host::ZOKAUnlockObject(o);
    host::ZOKALockString(s);
    host::ZOKAUnlockString(s);
    host::unlockPictureDescription(o);
    host::drawPicturePrimitive(nullptr, o, nullptr, 0);
    host::ZOKAInvalidateControl(instance);
    host::ZOKASetAccelerator(instance, s);
    PictureDescription description;
    std::memset(&description, 0xAB, sizeof description);
    host::lockPictureDescription(o, &description);
    EXPECT_EQ(description.width, static_cast<int32_t>(0xABABABAB));
    uint32_t colour = 0x00123456;
    host::ZOKASetSpecialBackground(instance, &colour);
    EXPECT_EQ(colour, 0x00123456u);

    // Every missing name is asked for again on every call.
    EXPECT_EQ(fake.asks["ZOKAGetControlEnabled"], 1);
    host::ZOKAGetControlEnabled(instance);
    EXPECT_EQ(fake.asks["ZOKAGetControlEnabled"], 2);
}

TEST_F(ResolverTest, MissingBoundsComeBackZeroed) {
    HostRect bounds{11, 22, 33, 44};
    host::GetControlBounds(nullptr, &bounds);
    EXPECT_EQ(bounds.top, 0);
    EXPECT_EQ(bounds.left, 0);
    EXPECT_EQ(bounds.bottom, 0);
    EXPECT_EQ(bounds.right, 0);
}

int gLocks = 0;
void CountingLockString(HostString) { ++gLocks; }

TEST_F(ResolverTest, InterpretConstantValueWithoutHostLocksAndReturnsItsArgument) {
    gLocks = 0;
    fake.answers["ZOKALockString"] = reinterpret_cast<void*>(CountingLockString);
    HostString s = reinterpret_cast<HostString>(0x2000);
    EXPECT_EQ(host::PluginInterpretConstantValue(s), s);
    EXPECT_EQ(gLocks, 1);
}

TEST_F(ResolverTest, EntryPointSuppliedLaterIsFoundAndThenCached) {
    gVisibleCalls = 0;
    EXPECT_EQ(host::GetControlVisible(nullptr), 0);
    EXPECT_EQ(gVisibleCalls, 0);

    fake.answers["GetControlVisible"] = reinterpret_cast<void*>(CountingVisible);
    EXPECT_EQ(host::GetControlVisible(nullptr), 7);
    EXPECT_EQ(host::GetControlVisible(nullptr), 7);
    EXPECT_EQ(gVisibleCalls, 2);
    // Two misses, then one successful ask: a found entry point is kept.
    EXPECT_EQ(fake.asks["GetControlVisible"], 2);
}

// ---- helpers ------------------------------------------------------------------

TEST(PointInHostRect, TopAndLeftEdgesAreInsideRightAndBottomAreNot) {
    const HostRect r{10, 20, 30, 40};            // top, left, bottom, right
    EXPECT_TRUE(PointInHostRect({10, 20}, r));   // top-left corner
    EXPECT_TRUE(PointInHostRect({29, 39}, r));   // last pixel inside
    EXPECT_FALSE(PointInHostRect({30, 25}, r));  // bottom edge
    EXPECT_FALSE(PointInHostRect({15, 40}, r));  // right edge
    EXPECT_FALSE(PointInHostRect({9, 25}, r));
    EXPECT_FALSE(PointInHostRect({15, 19}, r));
    const HostRect negative{-10, -20, -5, -15};
    EXPECT_TRUE(PointInHostRect({-10, -20}, negative));
    EXPECT_FALSE(PointInHostRect({-5, -16}, negative));
    const HostRect empty{5, 5, 5, 5};
    EXPECT_FALSE(PointInHostRect({5, 5}, empty));
}

// The Mac OS Roman capitals of the non-ASCII lower-case letters, as published.
struct RomanPair {
    unsigned char lower;
    unsigned char upper;
};
const RomanPair kPublishedPairs[] = {
    {0x87, 0xE7}, {0x88, 0xCB}, {0x89, 0xE5}, {0x8A, 0x80}, {0x8B, 0xCC}, {0x8C, 0x81}, {0x8D, 0x82}, {0x8E, 0x83},
    {0x8F, 0xE9}, {0x90, 0xE6}, {0x91, 0xE8}, {0x92, 0xEA}, {0x93, 0xED}, {0x94, 0xEB}, {0x95, 0xEC}, {0x96, 0x84},
    {0x97, 0xEE}, {0x98, 0xF1}, {0x99, 0xEF}, {0x9A, 0x85}, {0x9B, 0xCD}, {0x9C, 0xF2}, {0x9D, 0xF4}, {0x9E, 0xF3},
    {0x9F, 0x86}, {0xBE, 0xAE}, {0xBF, 0xAF}, {0xCF, 0xCE}, {0xD8, 0xD9}, {0xF5, 0x49},
};

TEST(UpperCaseTable, EveryByteMapsAsPublished) {
    unsigned char expected[256];
    for (int i = 0; i < 256; ++i) expected[i] = static_cast<unsigned char>(i);
    for (int c = 'a'; c <= 'z'; ++c) expected[c] = static_cast<unsigned char>(c - 32);
    for (const RomanPair& p : kPublishedPairs) expected[p.lower] = p.upper;
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(kUpperCaseTable[i], expected[i]) << "byte 0x" << std::hex << i;
    }
}

TEST(CompareNoCase, OrdersCaseInsensitivelyAndNullFirst) {
    EXPECT_EQ(CompareNoCase("abc", "ABC"), 0);
    EXPECT_EQ(CompareNoCase("ab", "abc"), -1);
    EXPECT_EQ(CompareNoCase("abc", "ab"), 1);
    EXPECT_EQ(CompareNoCase("abd", "ABC"), 1);
    EXPECT_EQ(CompareNoCase("", ""), 0);
    EXPECT_EQ(CompareNoCase(nullptr, nullptr), 0);
    EXPECT_EQ(CompareNoCase(nullptr, ""), -1);
    EXPECT_EQ(CompareNoCase("", nullptr), 1);
    EXPECT_EQ(CompareNoCase("SysTabControl32", "systabcontrol32"), 0);
    EXPECT_EQ(CompareNoCase("\x8A", "\x80"), 0);  // a-umlaut and A-umlaut
    EXPECT_EQ(CompareNoCase("\xF5", "i"), 0);     // dotless i is an I
    // Bytes without an entry compare by their own unsigned value.
    EXPECT_EQ(CompareNoCase("\xB0", "\xA0"), 1);
    EXPECT_EQ(CompareNoCase("\x7F", "\xC0"), -1);
    // The capital that a lower-case letter maps to sorts by that capital.
    EXPECT_EQ(CompareNoCase("\x87", "\xE8"), -1);  // E7 < E8
}

TEST(CompareNoCaseN, ComparesCountedBytesThenLengths) {
    const unsigned char abcde[] = {'a', 'b', 'c', 'd', 'e'};
    const unsigned char ABC[] = {'A', 'B', 'C'};
    EXPECT_EQ(CompareNoCaseN(ABC, 3, abcde, 5), -1);
    EXPECT_EQ(CompareNoCaseN(abcde, 5, ABC, 3), 1);
    EXPECT_EQ(CompareNoCaseN(abcde, 3, ABC, 3), 0);
    EXPECT_EQ(CompareNoCaseN(abcde, 0, ABC, 0), 0);
    const unsigned char withNul1[] = {'a', 0, 'b'};
    const unsigned char withNul2[] = {'A', 0, 'C'};
    EXPECT_EQ(CompareNoCaseN(withNul1, 3, withNul2, 3), -1);  // NUL is a byte like others
    const unsigned char umlaut[] = {0x8A};
    const unsigned char capital[] = {0x80};
    EXPECT_EQ(CompareNoCaseN(umlaut, 1, capital, 1), 0);
}

TEST(HostStringText, ReadsPastTheLengthByteAndToleratesNull) {
    const unsigned char storage[] = {3, 'a', 'b', 'c', 0};
    HostStringRecord record{0, storage};
    EXPECT_STREQ(HostStringText(&record), "abc");
    EXPECT_STREQ(HostStringText(nullptr), "");
    EXPECT_EQ(CStringLength("abc"), 3);
    EXPECT_EQ(CStringLength(""), 0);
}

TEST(TickCount16, IsTheTickCountInSixteenMillisecondUnits) {
    const uint32_t before = GetTickCount() >> 4;
    const uint32_t ticks = TickCount16();
    const uint32_t after = GetTickCount() >> 4;
    EXPECT_LE(before, ticks);
    EXPECT_LE(ticks, after);
}

HWND MakeWindow(const char* className, HWND parent) {
    const DWORD style = parent ? WS_CHILD | WS_VISIBLE : WS_OVERLAPPEDWINDOW;
    return CreateWindowExA(0, className, "", style, 0, 0, 100, 100, parent, nullptr, GetModuleHandleA(nullptr),
                           nullptr);
}

TEST(FindTabControlAncestor, FindsTheNearestTabControlAboveTheWindow) {
    INITCOMMONCONTROLSEX init{sizeof(INITCOMMONCONTROLSEX), ICC_TAB_CLASSES};
    ASSERT_TRUE(InitCommonControlsEx(&init));
    HWND top = MakeWindow("STATIC", nullptr);
    ASSERT_NE(top, nullptr);
    HWND outerTab = MakeWindow(WC_TABCONTROLA, top);
    HWND panel = MakeWindow("STATIC", outerTab);
    HWND innerTab = MakeWindow(WC_TABCONTROLA, panel);
    HWND child = MakeWindow("STATIC", innerTab);
    HWND grandchild = MakeWindow("STATIC", child);
    ASSERT_TRUE(outerTab && panel && innerTab && child && grandchild);

    EXPECT_EQ(FindTabControlAncestor(grandchild), innerTab);
    EXPECT_EQ(FindTabControlAncestor(child), innerTab);
    EXPECT_EQ(FindTabControlAncestor(innerTab), outerTab);  // the window itself is not tested
    EXPECT_EQ(FindTabControlAncestor(panel), outerTab);
    EXPECT_EQ(FindTabControlAncestor(outerTab), nullptr);
    EXPECT_EQ(FindTabControlAncestor(top), nullptr);
    EXPECT_EQ(FindTabControlAncestor(nullptr), nullptr);
    DestroyWindow(top);
}

}  // namespace
