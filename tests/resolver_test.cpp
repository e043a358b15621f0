// The plug-in with hosts that lack entry points: through the real DLL.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "host_services/resolver.h"
#include "entry/plugin_entry.h"
#include "host_fixture.h"
#include "plugin_host.h"

namespace {

using pluginhost::Host;
using pluginhost::Instance;

// Every entry point a host offers the plug-in, by its published name.
const char* const kEntryPoints[] = {
    "RegisterPluginVersion",
    "PluginRegisterControl",
    "StringGetCString",
    "PluginInterpretConstantValue",
    "PluginDefaultControlFont",
    "PluginDefaultControlCaption",
    "PluginDefaultControlFontSize",
    "ZOKALockObject",
    "ZOKAUnlockObject",
    "ZOKALockString",
    "ZOKAUnlockString",
    "GetInterfaceRoutine",
    "lockPictureDescription",
    "unlockPictureDescription",
    "drawPicturePrimitive",
    "GetEventInstance",
    "GetControlBounds",
    "GetControlVisible",
    "ZOKAGetControlEnabled",
    "ZOKAGetControlGraphics",
    "ZOKAGetWin32Charset",
    "ZOKAGraphicsDC",
    "ZOKAInvalidateControl",
    "ZOKASetSpecialBackground",
    "getControlWindow",
    "ZOKASetAccelerator",
    "GetTabPanelVisible",
    "ZOKAGetControlHandle",
    "ZOKAGetWindowHandle",
    "ZOKAGetStringEncoding",
};

const char* const kClasses[] = {"BevelButton", "ChasingArrows", "LittleArrows",       "Placard",
                                "Separator",   "PopupArrow",    "DisclosureTriangle", "ImageWell"};

// Drives one instance of every class through every callback the class has.
// Returns how many instances were made.
int Exercise(Host& host) {
    int made = 0;
    for (const char* className : kClasses) {
        if (!host.definition(className)) continue;
        Instance* instance = host.create(className, 20, 30, 80, 60);
        if (!instance) continue;
        ++made;
        host.open(instance);
        host.draw(instance);
        host.drawOffscreen(instance);
        host.idle(instance);
        host.mouseEnter(instance);
        host.mouseMove(instance, 25, 35);
        host.mouseDown(instance, 25, 35);
        host.mouseDrag(instance, 200, 200);
        host.mouseDrag(instance, 26, 36);
        host.mouseUp(instance, 26, 36);
        host.mouseExit(instance);
        host.constantChanged(instance);
        host.defaultsReset(instance);
        host.stateChanged(instance);
        host.action(instance);
        host.handleQuery(instance);
        host.close(instance);
        host.destroy(instance);
    }
    return made;
}

TEST(Resolver, HostWithOnlyTheRegistrationEntryPointsStillRegistersAndRuns) {
    Host host;
    host.withholdAll();
    host.supply("RegisterPluginVersion");
    host.supply("PluginRegisterControl");
    ASSERT_TRUE(host.load(pluginhost::pluginPath())) << host.lastError();
    EXPECT_EQ(host.versions, std::vector<int32_t>{6});
    EXPECT_EQ(host.registered.size(), 8u);
    EXPECT_EQ(Exercise(host), 8);
    EXPECT_EQ(host.gdiLive(), 0);
    const std::vector<std::string> faults = host.finish();
    EXPECT_TRUE(faults.empty()) << ::testing::PrintToString(faults);
}

TEST(Resolver, WithoutRegisterPluginVersionTheClassesAreStillRegistered) {
    Host host;
    host.withhold("RegisterPluginVersion");
    ASSERT_TRUE(host.load(pluginhost::pluginPath())) << host.lastError();
    EXPECT_TRUE(host.versions.empty());
    EXPECT_EQ(host.registered.size(), 8u);
    const std::vector<std::string> faults = host.finish();
    EXPECT_TRUE(faults.empty()) << ::testing::PrintToString(faults);
}

TEST(Resolver, WithoutPluginRegisterControlNothingIsRegistered) {
    Host host;
    host.withhold("PluginRegisterControl");
    ASSERT_TRUE(host.load(pluginhost::pluginPath())) << host.lastError();
    EXPECT_EQ(host.versions, std::vector<int32_t>{6});
    EXPECT_TRUE(host.registered.empty());
}

TEST(Resolver, AnyOneEntryPointMissingBreaksNothing) {
    for (const char* name : kEntryPoints) {
        SCOPED_TRACE(name);
        Host host;
        host.withhold(name);
        ASSERT_TRUE(host.load(pluginhost::pluginPath())) << host.lastError();
        const bool registers = std::string(name) != "PluginRegisterControl";
        EXPECT_EQ(host.registered.size(), registers ? 8u : 0u);
        EXPECT_EQ(Exercise(host), registers ? 8 : 0);
        // Without the unlock entry points the host cannot be given its locks
        // back; every other host must end balanced.
        const std::string missing = name;
        const std::vector<std::string> faults = host.finish();
        if (missing != "ZOKAUnlockObject" && missing != "ZOKAUnlockString" && missing != "unlockPictureDescription") {
            EXPECT_TRUE(faults.empty()) << ::testing::PrintToString(faults);
        }
    }
}

TEST(Resolver, AllEntryPointsMissing) {
    Host host;
    host.withholdAll();
    // Without PluginRegisterControl there is nothing to drive: register the
    // classes in-process and drive those.
    host.start(ZOKAPluginMain);
    EXPECT_TRUE(host.versions.empty());
    EXPECT_TRUE(host.registered.empty());
    host.supply("PluginRegisterControl");
    host.start(ZOKAPluginMain);
    host.withhold("PluginRegisterControl");
    EXPECT_EQ(host.registered.size(), 8u);
    EXPECT_EQ(Exercise(host), 8);
}

TEST(Resolver, EntryPointSuppliedLaterIsUsedFromThenOn) {
    Host host;
    host.withhold("ZOKAInvalidateControl");
    ASSERT_TRUE(host.load(pluginhost::pluginPath())) << host.lastError();
    Instance* placard = host.create("Placard", 10, 10, 74, 74);
    ASSERT_NE(placard, nullptr);
    host.setInteger(placard, "Value", 1);
    EXPECT_EQ(placard->invalidations, 0);
    host.supply("ZOKAInvalidateControl");
    host.setInteger(placard, "Value", 0);
    EXPECT_EQ(placard->invalidations, 1);
    host.setInteger(placard, "Value", 1);
    EXPECT_EQ(placard->invalidations, 2);
    // Asked while missing, then once when found.
    EXPECT_EQ(host.resolveCount("ZOKAInvalidateControl"), 2);
    const std::vector<std::string> faults = host.finish();
    EXPECT_TRUE(faults.empty()) << ::testing::PrintToString(faults);
}

TEST(Resolver, InterpretConstantValueMissingLeavesTheLockCountBalanced) {
    Host host;
    host.withhold("PluginInterpretConstantValue");
    host.start(ZOKAPluginMain);  // the in-process plug-in reaches the host's entry points directly
    HostString caption = host.makeString("Caption");
    const int before = host.stringRefs(caption);
    HostString interpreted = host::PluginInterpretConstantValue(caption);
    EXPECT_EQ(interpreted, caption);
    EXPECT_EQ(host.stringRefs(caption), before + 1);
    host::ZOKAUnlockString(interpreted);
    EXPECT_EQ(host.stringRefs(caption), before);
    host.releaseString(caption);
    const std::vector<std::string> faults = host.finish();
    EXPECT_TRUE(faults.empty()) << ::testing::PrintToString(faults);
}

}  // namespace
