// What the plug-in does by Windows version, with the version the system
// answers and nothing scripted: under Wine, the version it plays. ctest runs
// this program once per version, as windows_version_test-<version>.exe
// (tools/wine-run --windows), and every case first checks that the system
// plays the version that the program's name asks for.
#include <string>
#include <vector>

#include <windows.h>

#include "call_recorder.h"
#include "host_fixture.h"
#include "theme_spy.h"

namespace {

using pluginhost::CallRecorder;
using pluginhost::Instance;
using pluginhost::ThemeSpy;
using Lines = std::vector<std::string>;

struct PlayedVersion {
    const char* name;  // Wine's name, the suffix of the program's name
    DWORD platform;
    DWORD major;
    DWORD minor;
};
constexpr PlayedVersion kPlayedVersions[] = {
    {"win98", VER_PLATFORM_WIN32_WINDOWS, 4, 10}, {"win2k", VER_PLATFORM_WIN32_NT, 5, 0},
    {"winxp", VER_PLATFORM_WIN32_NT, 5, 1},       {"winxp64", VER_PLATFORM_WIN32_NT, 5, 2},
    {"win7", VER_PLATFORM_WIN32_NT, 6, 1},        {"win10", VER_PLATFORM_WIN32_NT, 6, 2},
};

// The version the program's name asks for (<program>-<version>.exe), or
// null when it asks for none.
const PlayedVersion* askedVersion() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string name = path;
    const size_t dash = name.find_last_of('-');
    const size_t dot = name.find_last_of('.');
    if (dash == std::string::npos || dot == std::string::npos || dot < dash) return nullptr;
    const std::string suffix = name.substr(dash + 1, dot - dash - 1);
    for (const PlayedVersion& version : kPlayedVersions) {
        if (suffix == version.name) return &version;
    }
    return nullptr;
}

// "Ωmega" in UTF-8: one character beyond every narrow code page of the
// West, so that the narrow path shows in the text that reaches the system.
const std::string kOmegaUtf8 = "\xCE\xA9mega";
const std::wstring kOmega = L"\x03A9mega";

// kOmega as the narrow path hands it over: converted to the user's code page
// (1252 for an English user) by the system's own conversion.
std::string narrowOmega() {
    char bytes[16] = {};
    const int n = WideCharToMultiByte(1252, 0, kOmega.c_str(), static_cast<int>(kOmega.size()), bytes, sizeof bytes,
                                      nullptr, nullptr);
    return std::string(bytes, n);
}

std::string narrow(LPCSTR text, int count) {
    if (text == nullptr) return "<null>";
    return count < 0 ? std::string(text) : std::string(text, count);
}

std::string utf8(LPCWSTR text, int count) {
    if (text == nullptr) return "<null>";
    const int n = count < 0 ? lstrlenW(text) : count;
    std::string bytes(4 * n + 1, '\0');
    bytes.resize(WideCharToMultiByte(CP_UTF8, 0, text, n, &bytes[0], static_cast<int>(bytes.size()), nullptr, nullptr));
    return bytes;
}

class WindowsVersionTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        OSVERSIONINFOA version{};
        version.dwOSVersionInfoSize = sizeof version;
        ASSERT_TRUE(GetVersionExA(&version));
        nt_ = version.dwPlatformId == VER_PLATFORM_WIN32_NT;
        xp_ = nt_ && version.dwMajorVersion == 5 && version.dwMinorVersion == 1;
        if (const PlayedVersion* asked = askedVersion()) {
            ASSERT_EQ(version.dwPlatformId, asked->platform) << asked->name;
            ASSERT_EQ(version.dwMajorVersion, asked->major) << asked->name;
            ASSERT_EQ(version.dwMinorVersion, asked->minor) << asked->name;
        }
    }

    bool nt_ = false;
    bool xp_ = false;
};

TEST_F(WindowsVersionTest, VisualStylesOnlyOnWindowsXP) {
    ThemeSpy themes(host.module(), pluginhost::kAsTheSystemAnswers);
    ASSERT_TRUE(themes.installed());
    Instance* button = host.create("BevelButton", 10, 10, 70, 32);
    host.setInteger(button, "Bevel", 4);
    Instance* arrows = host.create("LittleArrows", 80, 10, 93, 33);
    Instance* chasing = host.create("ChasingArrows", 100, 10, 116, 26);
    for (Instance* instance : {button, arrows, chasing}) host.draw(instance);

    std::vector<std::wstring> opened;
    for (const pluginhost::ThemeCall& call : themes.callsOf("OpenThemeData")) opened.push_back(call.classList);
    const bool paintedThemed = !themes.callsOf("DrawThemeBackground").empty();
    const bool paintedParent = !themes.callsOf("DrawThemeParentBackground").empty();
    if (xp_) {
        EXPECT_EQ(opened, (std::vector<std::wstring>{L"Toolbar", L"Spin"}));
        EXPECT_EQ(themes.loads, 3) << "one library reference per construct";
        EXPECT_TRUE(paintedThemed);
        EXPECT_TRUE(paintedParent);
    } else {
        EXPECT_EQ(opened, std::vector<std::wstring>{});
        EXPECT_EQ(themes.loads, 0) << "uxtheme.dll is loaded on Windows XP only";
        EXPECT_FALSE(paintedThemed);
        EXPECT_FALSE(paintedParent);
    }
    for (Instance* instance : {button, arrows, chasing}) host.destroy(instance);
    EXPECT_EQ(themes.frees, themes.loads);
}

TEST_F(WindowsVersionTest, CaptionIsWideOnNTAndNarrowElsewhere) {
    CallRecorder calls(host.module());
    calls.hook<decltype(&DrawTextW)>("USER32.dll", "DrawTextW",
                                     [](HDC, LPCWSTR text, int count, LPRECT, UINT) { return utf8(text, count); });
    calls.hook<decltype(&DrawTextA)>("USER32.dll", "DrawTextA",
                                     [](HDC, LPCSTR text, int count, LPRECT, UINT) { return narrow(text, count); });
    calls.hook<decltype(&GetTextExtentPoint32W)>(
        "GDI32.dll", "GetTextExtentPoint32W", [](HDC, LPCWSTR text, int count, LPSIZE) { return utf8(text, count); });
    calls.hook<decltype(&GetTextExtentPoint32A)>(
        "GDI32.dll", "GetTextExtentPoint32A", [](HDC, LPCSTR text, int count, LPSIZE) { return narrow(text, count); });
    ASSERT_TRUE(calls.installed());
    Instance* button = host.create("BevelButton", 10, 10, 90, 32);
    HostString caption = host.makeString(kOmegaUtf8);
    host.setString(button, "Caption", caption);
    host.releaseString(caption);
    host.draw(button);

    const std::vector<std::string> text =
        calls.callsOf({"DrawTextW", "DrawTextA", "GetTextExtentPoint32W", "GetTextExtentPoint32A"});
    if (nt_) {
        EXPECT_SEQUENCE((Lines{"GetTextExtentPoint32W " + kOmegaUtf8, "DrawTextW " + kOmegaUtf8}), text);
    } else {
        EXPECT_SEQUENCE((Lines{"GetTextExtentPoint32A " + narrowOmega(), "DrawTextA " + narrowOmega()}), text);
    }
}

TEST_F(WindowsVersionTest, MenuRowsAreWideOnNTAndNarrowElsewhere) {
    CallRecorder calls(host.module());
    calls.hook<decltype(&AppendMenuW)>("USER32.dll", "AppendMenuW", [](HMENU, UINT flags, UINT_PTR, LPCWSTR text) {
        return (flags & MF_SEPARATOR) != 0 ? std::string("separator") : utf8(text, -1);
    });
    calls.hook<decltype(&AppendMenuA)>("USER32.dll", "AppendMenuA", [](HMENU, UINT flags, UINT_PTR, LPCSTR text) {
        return (flags & MF_SEPARATOR) != 0 ? std::string("separator") : narrow(text, -1);
    });
    // The menu as the system holds it, read back wide; it closes unchosen.
    std::vector<std::string> shown;
    calls.hook<decltype(&TrackPopupMenu)>("USER32.dll", "TrackPopupMenu", nullptr,
                                          [&shown](auto, HMENU menu, UINT, int, int, int, HWND, const RECT*) -> BOOL {
                                              for (int i = 0; i < GetMenuItemCount(menu); ++i) {
                                                  wchar_t item[64] = {};
                                                  GetMenuStringW(menu, i, item, 64, MF_BYPOSITION);
                                                  shown.push_back(utf8(item, -1));
                                              }
                                              return 0;
                                          });
    ASSERT_TRUE(calls.installed());
    Instance* button = host.create("BevelButton", 10, 10, 70, 32);
    host.setInteger(button, "HasMenu", 1);
    for (const std::string& row : {kOmegaUtf8, std::string("Two")}) {
        HostString text = host.makeString(row);
        host.call(button, "AddRow", {reinterpret_cast<intptr_t>(text)});
        host.releaseString(text);
        if (row == kOmegaUtf8) host.call(button, "AddSeparator");
    }
    EXPECT_FALSE(host.mouseDown(button, 20, 20));

    const std::vector<std::string> appended = calls.callsOf({"AppendMenuW", "AppendMenuA"});
    if (nt_) {
        EXPECT_SEQUENCE((Lines{"AppendMenuW " + kOmegaUtf8, "AppendMenuA separator", "AppendMenuW Two"}), appended);
        EXPECT_SEQUENCE((Lines{kOmegaUtf8, "", "Two"}), shown);
    } else {
        EXPECT_SEQUENCE((Lines{"AppendMenuA " + narrowOmega(), "AppendMenuA separator", "AppendMenuA Two"}), appended);
        wchar_t wide[16] = {};
        const std::string narrowText = narrowOmega();
        MultiByteToWideChar(1252, 0, narrowText.c_str(), -1, wide, 16);
        EXPECT_SEQUENCE((Lines{utf8(wide, -1), "", "Two"}), shown);
    }
}

}  // namespace
