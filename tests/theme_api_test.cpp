// Theme access: the Windows XP test and the uxtheme references, through the
// real DLL with a scripted version query; the unbound wrappers in-process.
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "host_fixture.h"
#include "base/theme_api.h"
#include "call_recorder.h"
#include "theme_spy.h"

namespace {

using pluginhost::Instance;
using pluginhost::loaderCount;
using pluginhost::SystemVersion;
using pluginhost::ThemeSpy;

constexpr DWORD kExtendedRecord = 156;
constexpr DWORD kBasicRecord = 148;
constexpr COLORREF kPaper = RGB(0, 128, 128);

class ThemeTest : public HostTest {
protected:
    void Install(SystemVersion version) {
        spy = std::make_unique<ThemeSpy>(host.module(), version);
        ASSERT_TRUE(spy->installed());
        uxthemeCountBefore = loaderCount(GetModuleHandleA("uxtheme.dll"));
        ASSERT_GT(uxthemeCountBefore, 0) << "no load count for uxtheme.dll";
    }

    int UxthemeCount() const { return loaderCount(GetModuleHandleA("uxtheme.dll")); }

    std::unique_ptr<ThemeSpy> spy;
    int uxthemeCountBefore = 0;
};

// ---- IsWindowsXP --------------------------------------------------------------

struct VersionCase {
    const char* name;
    SystemVersion version;
    bool windowsXP;
};

const VersionCase kVersionCases[] = {
    {"NT_5_1", {VER_PLATFORM_WIN32_NT, 5, 1}, true},
    {"NT_5_0", {VER_PLATFORM_WIN32_NT, 5, 0}, false},
    {"NT_5_2", {VER_PLATFORM_WIN32_NT, 5, 2}, false},
    {"NT_6_0", {VER_PLATFORM_WIN32_NT, 6, 0}, false},
    {"Windows_5_1", {VER_PLATFORM_WIN32_WINDOWS, 5, 1}, false},
};

class WindowsXPTest : public ThemeTest, public ::testing::WithParamInterface<VersionCase> {};

// Only Windows XP binds uxtheme and opens the "Spin" theme; the system is
// asked once, with the extended record, however many controls come.
TEST_P(WindowsXPTest, OnlyNT51CountsAndTheSystemIsAskedOnce) {
    Install(GetParam().version);
    Instance* a = host.create("LittleArrows", 10, 10, 23, 33);
    Instance* b = host.create("ChasingArrows", 40, 10, 56, 26);
    Instance* c = host.create("LittleArrows", 70, 10, 83, 33);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    ASSERT_NE(c, nullptr);
    const int binds = GetParam().windowsXP ? 3 : 0;
    EXPECT_EQ(spy->versionQueries, std::vector<DWORD>{kExtendedRecord});
    EXPECT_EQ(spy->loads, binds);
    EXPECT_EQ(spy->callsOf("OpenThemeData").size(), GetParam().windowsXP ? 2u : 0u);
    host.destroy(a);
    host.destroy(b);
    host.destroy(c);
    EXPECT_EQ(spy->frees, binds);
    EXPECT_EQ(spy->versionQueries.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Versions, WindowsXPTest, ::testing::ValuesIn(kVersionCases),
                         [](const ::testing::TestParamInfo<VersionCase>& info) { return info.param.name; });

TEST_F(ThemeTest, SystemRefusingTheExtendedRecordIsAskedWithTheBasicOne) {
    Install(pluginhost::kWindowsXP);
    spy->refuseExtendedRecord = true;
    ASSERT_NE(host.create("ChasingArrows", 10, 10, 26, 26), nullptr);
    ASSERT_NE(host.create("ChasingArrows", 40, 10, 56, 26), nullptr);
    EXPECT_EQ(spy->versionQueries, (std::vector<DWORD>{kExtendedRecord, kBasicRecord}));
    EXPECT_EQ(spy->loads, 2);
}

TEST_F(ThemeTest, SystemRefusingBothRecordsIsNotWindowsXPForGood) {
    Install(pluginhost::kWindowsXP);
    spy->refuseExtendedRecord = true;
    spy->refuseBasicRecord = true;
    ASSERT_NE(host.create("LittleArrows", 10, 10, 23, 33), nullptr);
    spy->refuseExtendedRecord = false;
    spy->refuseBasicRecord = false;
    ASSERT_NE(host.create("LittleArrows", 40, 10, 53, 33), nullptr);
    EXPECT_EQ(spy->versionQueries, (std::vector<DWORD>{kExtendedRecord, kBasicRecord}));
    EXPECT_EQ(spy->loads, 0);
}

// ---- library references -------------------------------------------------------

TEST_F(ThemeTest, EachThemedControlHoldsOneLibraryReference) {
    Install(pluginhost::kWindowsXP);
    Instance* a = host.create("LittleArrows", 10, 10, 23, 33);
    Instance* b = host.create("LittleArrows", 40, 10, 53, 33);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(spy->loads, 2);
    EXPECT_EQ(UxthemeCount(), uxthemeCountBefore + 2);
    EXPECT_EQ(spy->lookups, (std::vector<std::string>{"OpenThemeData", "CloseThemeData", "DrawThemeBackground",
                                                      "DrawThemeParentBackground", "OpenThemeData", "CloseThemeData",
                                                      "DrawThemeBackground", "DrawThemeParentBackground"}));
    host.destroy(a);
    EXPECT_EQ(spy->frees, 1);
    EXPECT_EQ(UxthemeCount(), uxthemeCountBefore + 1);
    host.destroy(b);
    EXPECT_EQ(spy->frees, 2);
    EXPECT_EQ(UxthemeCount(), uxthemeCountBefore);
    EXPECT_EQ(spy->callsOf("OpenThemeData").size(), 2u);
    EXPECT_EQ(spy->callsOf("CloseThemeData").size(), 2u);
}

TEST_F(ThemeTest, ChasingArrowsHoldOneReferenceEach) {
    Install(pluginhost::kWindowsXP);
    Instance* a = host.create("ChasingArrows", 10, 10, 26, 26);
    Instance* b = host.create("ChasingArrows", 40, 10, 56, 26);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(UxthemeCount(), uxthemeCountBefore + 2);
    EXPECT_TRUE(spy->callsOf("OpenThemeData").empty());
    host.destroy(a);
    host.destroy(b);
    EXPECT_EQ(spy->frees, 2);
    EXPECT_EQ(UxthemeCount(), uxthemeCountBefore);
}

// Visual styles off: OpenThemeData answers null. The control draws
// classically and still gives back the reference its construct took.
TEST_F(ThemeTest, ControlWithoutThemeGivesBackItsReference) {
    Install(pluginhost::kWindowsXP);
    spy->openAnswersNull = true;
    host.fillImage(kPaper);
    Instance* arrows = host.create("LittleArrows", 10, 10, 23, 33);
    ASSERT_NE(arrows, nullptr);
    EXPECT_EQ(UxthemeCount(), uxthemeCountBefore + 1);
    host.draw(arrows);
    EXPECT_TRUE(spy->callsOf("DrawThemeBackground").empty());
    EXPECT_EQ(host.pixel(10, 10 + 11), RGB(0, 0, 0)) << "no classic divider";
    host.mouseMove(arrows, 12, 12);
    EXPECT_EQ(arrows->invalidations, 0);
    host.destroy(arrows);
    EXPECT_TRUE(spy->callsOf("CloseThemeData").empty());
    EXPECT_EQ(spy->frees, 1);
    EXPECT_EQ(UxthemeCount(), uxthemeCountBefore);
}

TEST_F(ThemeTest, UnloadableLibraryLeavesEveryControlClassic) {
    Install(pluginhost::kWindowsXP);
    spy->unloadable = true;
    host.fillImage(kPaper);
    Instance* arrows = host.create("LittleArrows", 10, 10, 23, 33);
    Instance* chasing = host.create("ChasingArrows", 40, 10, 56, 26);
    ASSERT_NE(arrows, nullptr);
    ASSERT_NE(chasing, nullptr);
    EXPECT_EQ(spy->loads, 2);
    EXPECT_TRUE(spy->lookups.empty());
    host.draw(arrows);
    host.draw(chasing);
    EXPECT_TRUE(spy->calls.empty());
    EXPECT_EQ(host.pixel(10, 10 + 11), RGB(0, 0, 0)) << "no classic divider";
    EXPECT_EQ(host.pixel(40 + 11, 10 + 7), RGB(0, 0, 0)) << "no arrowhead";
    host.mouseMove(arrows, 12, 12);
    host.mouseExit(arrows);
    EXPECT_EQ(arrows->invalidations, 0);
    host.destroy(arrows);
    host.destroy(chasing);
    EXPECT_EQ(spy->frees, 0);
    EXPECT_EQ(UxthemeCount(), uxthemeCountBefore);
}

// A failed load after the last reference was given back must not leave
// pointers into a library that may be gone.
TEST_F(ThemeTest, FailedLoadAfterAReleaseLeavesTheWrappersUnbound) {
    Install(pluginhost::kWindowsXP);
    Instance* first = host.create("LittleArrows", 10, 10, 23, 33);
    ASSERT_NE(first, nullptr);
    host.destroy(first);
    spy->unloadable = true;
    spy->calls.clear();
    Instance* second = host.create("LittleArrows", 10, 10, 23, 33);
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(spy->callsOf("OpenThemeData").empty());
    host.mouseMove(second, 12, 12);
    EXPECT_EQ(second->invalidations, 0) << "hot tracking without a theme";
    host.draw(second);
    EXPECT_TRUE(spy->calls.empty());
    host.destroy(second);
    EXPECT_EQ(spy->frees, 1);
    EXPECT_EQ(UxthemeCount(), uxthemeCountBefore);
}

// ---- the wrappers, in-process ------------------------------------------------------

// A 16 x 16 memory surface filled with kPaper.
struct Surface {
    Surface() {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = kSize;
        info.bmiHeader.biHeight = -kSize;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        dc = CreateCompatibleDC(nullptr);
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, nullptr, nullptr, 0);
        kept = SelectObject(dc, bitmap);
        Clear();
    }
    void Clear() {
        for (int y = 0; y < kSize; ++y)
            for (int x = 0; x < kSize; ++x) SetPixel(dc, x, y, kPaper);
    }
    ~Surface() {
        SelectObject(dc, kept);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    int Painted() const {
        int painted = 0;
        for (int y = 0; y < kSize; ++y)
            for (int x = 0; x < kSize; ++x) painted += GetPixel(dc, x, y) != kPaper;
        return painted;
    }
    static constexpr int kSize = 16;
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ kept;
};

// The only test in this program that binds in-process, so it starts unbound.
TEST(ThemeWrappers, FixedResultsWhileUnboundAndRealCallsWhileBound) {
    // The hooks sit in this program's own import table: the wrappers are linked in.
    bool loadFails = false;
    pluginhost::CallRecorder system(GetModuleHandleA(nullptr));
    system.hook<decltype(&LoadLibraryA)>("KERNEL32.dll", "LoadLibraryA", nullptr,
                                         [&](auto real, LPCSTR name) { return loadFails ? nullptr : real(name); });
    system.hook<decltype(&FreeLibrary)>("KERNEL32.dll", "FreeLibrary");
    ASSERT_TRUE(system.installed());
    auto frees = [&] { return system.callsOf("FreeLibrary").size(); };
    const RECT rect{0, 0, Surface::kSize, Surface::kSize};
    Surface surface;
    HWND window = GetDesktopWindow();

    auto expectUnbound = [&](const char* when) {
        EXPECT_EQ(ThemeOpen(nullptr, L"Spin"), nullptr) << when;
        EXPECT_EQ(ThemeClose(reinterpret_cast<ThemeHandle>(1)), 1) << when;
        EXPECT_EQ(ThemeDrawBackground(reinterpret_cast<ThemeHandle>(1), surface.dc, 1, 1, &rect, nullptr), 1) << when;
        EXPECT_EQ(ThemeDrawParentBackground(window, surface.dc, &rect), 1) << when;
        EXPECT_EQ(surface.Painted(), 0) << when;
    };

    expectUnbound("before any bind");
    ReleaseThemeApi();
    EXPECT_EQ(frees(), 0u) << "released a library never loaded";

    loadFails = true;
    BindThemeApi();
    expectUnbound("after a failed load");
    ReleaseThemeApi();
    EXPECT_EQ(frees(), 0u);

    loadFails = false;
    const int countBefore = loaderCount(GetModuleHandleA("uxtheme.dll"));
    BindThemeApi();
    EXPECT_EQ(loaderCount(GetModuleHandleA("uxtheme.dll")), countBefore + 1);
    ThemeHandle spin = ThemeOpen(nullptr, L"Spin");
    ASSERT_NE(spin, nullptr);
    EXPECT_EQ(ThemeDrawBackground(spin, surface.dc, 1, 1, &rect, nullptr), S_OK);
    EXPECT_GT(surface.Painted(), 0);
    EXPECT_EQ(ThemeClose(spin), S_OK);
    ReleaseThemeApi();
    EXPECT_EQ(frees(), 1u);
    EXPECT_EQ(loaderCount(GetModuleHandleA("uxtheme.dll")), countBefore);

    loadFails = true;
    BindThemeApi();
    surface.Clear();
    expectUnbound("after a failed load that followed a release");
}

}  // namespace
