// The system spy against the real plug-in: the version it answers decides
// the uxtheme references a theme-using control takes, and its scripted
// TrackPopupMenu sees the menu the bevel button builds and answers for it.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "host_fixture.h"
#include "system_spy.h"

using pluginhost::Instance;
using pluginhost::SystemSpy;

class SystemSpyTest : public HostTest {
protected:
    static intptr_t arg(const void* handle) { return reinterpret_cast<intptr_t>(handle); }
};

TEST_F(SystemSpyTest, ThemeUsersHoldOneUxthemeReferenceEachOnWindowsXPOnly) {
    struct Case {
        const char* system;
        pluginhost::WindowsVersion version;
        int references;
    };
    const Case kCases[] = {
        {"XP", pluginhost::kWindowsXP, 1}, {"7", pluginhost::kWindows7, 0}, {"98", pluginhost::kWindows98, 0}};
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.system);
        // A fresh copy of the plug-in: it asks for the version once per process.
        ASSERT_TRUE(host.load(pluginhost::pluginPath())) << host.lastError();
        SystemSpy spy(host);
        spy.version = c.version;
        // What the plug-in calls is watched; what it does not import is listed.
        for (const std::string& unseen : spy.unhooked())
            for (const char* needed : {"GetVersionExA", "GetTickCount", "GetKeyState", "LoadLibraryA", "FreeLibrary",
                                       "GetProcAddress", "CreatePopupMenu", "DestroyMenu", "TrackPopupMenu"})
                EXPECT_NE(unseen, needed);
        for (const char* name : {"BevelButton", "LittleArrows", "ChasingArrows"}) {
            Instance* instance = host.create(name, 0, 0, 20, 20);
            EXPECT_EQ(spy.uxthemeReferences(), c.references) << name;
            host.draw(instance);
            host.destroy(instance);
            EXPECT_EQ(spy.uxthemeReferences(), 0) << name;
            EXPECT_EQ(spy.openThemes(), 0) << name;
        }
        EXPECT_GE(spy.versionQueries(), 1);
        EXPECT_EQ(host.faults(), std::vector<std::string>{});
    }
}

TEST_F(SystemSpyTest, ScriptedMenuSeesTheRowsAndItsAnswerIsTheChoice) {
    SystemSpy spy(host);
    Instance* button = host.create("BevelButton", 10, 10, 70, 32);
    host.setInteger(button, "HasMenu", 1);
    HostString first = host.makeString("First");
    HostString second = host.makeString("Second");
    host.call(button, "AddRow", {arg(first)});
    host.call(button, "AddSeparator");
    host.call(button, "AddRow", {arg(second)});
    std::vector<pluginhost::PopupMenuCall> calls;
    spy.trackPopupMenu = [&](const pluginhost::PopupMenuCall& call) {
        calls.push_back(call);
        EXPECT_EQ(spy.liveMenus(), 1);
        return 1002u;
    };
    EXPECT_FALSE(host.mouseDown(button, 20, 20));
    ASSERT_EQ(calls.size(), 1u);
    const auto& items = calls[0].items;
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].id, 1000u);
    EXPECT_EQ(items[0].text, L"First");
    EXPECT_TRUE(items[0].checked);
    EXPECT_TRUE(items[1].separator);
    EXPECT_EQ(items[2].text, L"Second");
    EXPECT_EQ(calls[0].x, 10);
    EXPECT_EQ(calls[0].y, 32);
    EXPECT_EQ(spy.liveMenus(), 0);
    EXPECT_EQ(host.getInteger(button, "MenuValue"), 2);
    host.releaseString(first);
    host.releaseString(second);
}
