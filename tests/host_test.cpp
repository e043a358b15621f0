// The host component itself: loading, lock accounting, import hooks, events,
// surfaces and the device-context and GDI checks. Most tests drive a small
// probe class registered from this file, so that each fault is made on purpose.
#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "host_fixture.h"
#include "plugin_host.h"

using pluginhost::EventCall;
using pluginhost::Host;
using pluginhost::Instance;

namespace {

// --- the probe plug-in ---------------------------------------------------------

// What the probe's draw callback does; each test picks one.
enum class DrawMode { FillBounds, LeavePen, LeakBrush, BorrowGraphics, DropClipAndMix };
DrawMode gDrawMode = DrawMode::FillBounds;
HostResolver gResolver = nullptr;

template <typename Fn>
Fn entry(const char* name) {
    return reinterpret_cast<Fn>(gResolver(name));
}

ControlDefinition gProbeDefinition{};
ControlDefinition gOtherDefinition{};

// Probe InstanceData: an Integer at 0, a Boolean at 4.
constexpr int32_t kProbeDataSize = 8;
constexpr int32_t kCountOffset = 0;
constexpr int32_t kFlagOffset = 4;

constexpr COLORREF kInk = RGB(0, 0, 255);
constexpr COLORREF kPaper = RGB(255, 255, 255);

void fillBounds(HDC dc, ControlInstance* instance) {
    HostRect b{};
    entry<void (*)(ControlInstance*, HostRect*)>("GetControlBounds")(instance, &b);
    RECT r{b.left, b.top, b.right, b.bottom};
    HBRUSH brush = CreateSolidBrush(kInk);
    FillRect(dc, &r, brush);
    DeleteObject(brush);
    // One pixel outside the bounds: a control-sized surface must not show it.
    SetPixel(dc, b.left - 1, b.top, kInk);
}

void probeDraw(ControlInstance* instance, HostGraphics graphics) {
    HDC dc = entry<HDC (*)(HostGraphics)>("ZOKAGraphicsDC")(graphics);
    switch (gDrawMode) {
        case DrawMode::FillBounds:
            fillBounds(dc, instance);
            break;
        case DrawMode::LeavePen:
            SelectObject(dc, GetStockObject(WHITE_PEN));
            break;
        case DrawMode::LeakBrush:
            CreateSolidBrush(kInk);
            break;
        case DrawMode::DropClipAndMix:
            SelectClipRgn(dc, nullptr);
            SetROP2(dc, R2_COPYPEN);
            break;
        case DrawMode::BorrowGraphics: {
            HostGraphics own = entry<HostGraphics (*)(ControlInstance*)>("ZOKAGetControlGraphics")(instance);
            fillBounds(entry<HDC (*)(HostGraphics)>("ZOKAGraphicsDC")(own), instance);
            entry<void (*)(HostObject)>("ZOKAUnlockObject")(own);
            break;
        }
    }
}

void probeDrawOffscreen(ControlInstance* instance, HostGraphics graphics) {
    fillBounds(entry<HDC (*)(HostGraphics)>("ZOKAGraphicsDC")(graphics), instance);
}

const ControlCallbacks kProbeCallbacks = [] {
    ControlCallbacks c{};
    c.draw = &probeDraw;
    c.drawOffscreen = &probeDrawOffscreen;
    return c;
}();

// Methods: the host passes pointer-sized arguments and reads the declared type.
int32_t probeTwice(ControlInstance*, int32_t n) { return 2 * n; }

HostString probeCaption(ControlInstance*) { return entry<HostString (*)()>("PluginDefaultControlCaption")(); }

struct ListAssignment {
    int32_t row;
    std::string text;
};
std::vector<ListAssignment> gListAssignments;

void probeAssignList(ControlInstance*, int32_t row, HostString text) {
    gListAssignments.push_back({row, std::string(reinterpret_cast<const char*>(text->storage + 1))});
}

HostString probeList(ControlInstance*, int32_t) { return nullptr; }

// Writes the byte just past the probe's InstanceData.
void probeScribble(ControlInstance* instance) {
    reinterpret_cast<unsigned char*>(instance)[gProbeDefinition.dataOffset + 8] = 0;
}

const MethodDefinition kProbeMethods[] = {
    {reinterpret_cast<const void*>(&probeTwice), nullptr, "Twice(n As Integer) As Integer"},
    {reinterpret_cast<const void*>(&probeCaption), nullptr, "Caption As String"},
    {reinterpret_cast<const void*>(&probeList), reinterpret_cast<const void*>(&probeAssignList),
     "List(row As Integer) As String"},
    {reinterpret_cast<const void*>(&probeScribble), nullptr, "Scribble"},
};

const PropertyDefinition kProbeProperties[] = {
    {"Behavior", "Count", "Integer", 1, PLUGIN_DIRECT_ACCESS, PLUGIN_DIRECT_ACCESS, kCountOffset, 0, 0, nullptr},
    {"Behavior", "Flag", "boolean", 1, PLUGIN_DIRECT_ACCESS, PLUGIN_DIRECT_ACCESS, kFlagOffset, 0, 0, nullptr},
};

EventDefinition gProbeEvents[] = {
    {"MouseDown(X As Integer, Y As Integer) As Boolean", 0},
    {"Action", 0},
};
EventDefinition gOtherEvents[] = {{"Up", 0}};

void probeMain(HostResolver resolver) {
    gResolver = resolver;
    gProbeDefinition = ControlDefinition{};
    gProbeDefinition.version = PLUGIN_INTERFACE_VERSION;
    gProbeDefinition.name = "Probe";
    gProbeDefinition.instanceDataSize = kProbeDataSize;
    gProbeDefinition.properties = kProbeProperties;
    gProbeDefinition.propertyCount = 2;
    gProbeDefinition.methods = kProbeMethods;
    gProbeDefinition.methodCount = 4;
    gProbeDefinition.events = gProbeEvents;
    gProbeDefinition.eventCount = 2;
    gProbeDefinition.callbacks = &kProbeCallbacks;
    gOtherDefinition = ControlDefinition{};
    gOtherDefinition.version = PLUGIN_INTERFACE_VERSION;
    gOtherDefinition.name = "Other";
    gOtherDefinition.instanceDataSize = 4;
    gOtherDefinition.events = gOtherEvents;
    gOtherDefinition.eventCount = 1;
    gOtherDefinition.callbacks = &kProbeCallbacks;
    entry<void (*)(int32_t)>("RegisterPluginVersion")(PLUGIN_INTERFACE_VERSION);
    entry<void (*)(ControlDefinition*)>("PluginRegisterControl")(&gProbeDefinition);
    entry<void (*)(ControlDefinition*)>("PluginRegisterControl")(&gOtherDefinition);
}

class ProbeTest : public ::testing::Test {
protected:
    Host host;
    void SetUp() override {
        gDrawMode = DrawMode::FillBounds;
        gListAssignments.clear();
        host.start(&probeMain);
    }
};

bool anyFaultContains(const std::vector<std::string>& faults, const std::string& a, const std::string& b = "") {
    return std::any_of(faults.begin(), faults.end(), [&](const std::string& f) {
        return f.find(a) != std::string::npos && f.find(b) != std::string::npos;
    });
}

// --- registration and the resolver ------------------------------------------------

TEST_F(ProbeTest, RegistrationWritesDistinctOffsetsAndUniqueEventIds) {
    ASSERT_EQ(host.versions, std::vector<int32_t>{6});
    ASSERT_EQ(host.registered.size(), 2u);
    EXPECT_NE(gProbeDefinition.dataOffset, gOtherDefinition.dataOffset);
    EXPECT_GE(gProbeDefinition.dataOffset, 16);
    std::vector<int32_t> ids = {gProbeEvents[0].hostEventId, gProbeEvents[1].hostEventId, gOtherEvents[0].hostEventId};
    for (int32_t id : ids) EXPECT_NE(id, 0);
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(std::unique(ids.begin(), ids.end()), ids.end()) << "event ids repeat";
    EXPECT_TRUE(host.finish().empty());
}

TEST_F(ProbeTest, WithheldEntryPointsAnswerNullAndAreCounted) {
    EXPECT_NE(Host::resolve("GetControlBounds"), nullptr);
    host.withhold("GetControlBounds");
    EXPECT_EQ(Host::resolve("GetControlBounds"), nullptr);
    host.supply("GetControlBounds");
    EXPECT_NE(Host::resolve("GetControlBounds"), nullptr);
    host.withholdAll();
    EXPECT_EQ(Host::resolve("ZOKAGraphicsDC"), nullptr);
    host.supplyAll();
    EXPECT_NE(Host::resolve("ZOKAGraphicsDC"), nullptr);
    EXPECT_EQ(Host::resolve("NoSuchEntryPoint"), nullptr);
    EXPECT_EQ(host.resolveCount("GetControlBounds"), 3);
    EXPECT_EQ(host.resolveCount("NoSuchEntryPoint"), 1);
}

// --- lock accounting ----------------------------------------------------------------

TEST_F(ProbeTest, LeakedLockIsReported) {
    HostString s = host.makeString("caption");
    entry<void (*)(HostString)>("ZOKALockString")(s);
    EXPECT_EQ(host.stringRefs(s), 2);
    host.releaseString(s);
    const std::vector<std::string> faults = host.finish();
    EXPECT_TRUE(anyFaultContains(faults, "kept 1 lock", host.nameOf(s))) << pluginhost::joinFaults(faults);
}

TEST_F(ProbeTest, OverReleaseIsReported) {
    HostObject picture = host.makePicture(2, 2, nullptr);
    entry<void (*)(HostObject)>("ZOKAUnlockObject")(picture);
    entry<void (*)(HostObject)>("ZOKAUnlockObject")(picture);
    const std::vector<std::string> faults = host.finish();
    EXPECT_TRUE(anyFaultContains(faults, "ZOKAUnlockObject", "picture#1")) << pluginhost::joinFaults(faults);
    const std::vector<std::string> expectedLog = {"ZOKAUnlockObject picture#1", "ZOKAUnlockObject picture#1"};
    EXPECT_EQ(host.lockLog, expectedLog);
}

TEST_F(ProbeTest, BalancedLocksAndDescriptionsPass) {
    HostObject picture = host.makePicture(3, 5, nullptr, 7);
    entry<void (*)(HostObject)>("ZOKALockObject")(picture);
    PictureDescription d{};
    entry<void (*)(HostObject, PictureDescription*)>("lockPictureDescription")(picture, &d);
    EXPECT_EQ(d.width, 3);
    EXPECT_EQ(d.height, 5);
    EXPECT_EQ(d.drawFlag, 7);
    EXPECT_EQ(host.descriptionLocks(picture), 1);
    entry<void (*)(HostObject)>("unlockPictureDescription")(picture);
    entry<void (*)(HostObject)>("ZOKAUnlockObject")(picture);
    entry<void (*)(HostString)>("ZOKAUnlockString")(nullptr);  // accepted
    const std::vector<std::string> expectedLog = {"ZOKALockObject picture#1", "lockPictureDescription picture#1",
                                                  "unlockPictureDescription picture#1", "ZOKAUnlockObject picture#1",
                                                  "ZOKAUnlockString nil"};
    EXPECT_EQ(host.lockLog, expectedLog);
    EXPECT_EQ(host.finish(), std::vector<std::string>{});
}

TEST_F(ProbeTest, AStringUsedAfterItsLastReleaseIsReported) {
    HostString s = host.makeString("gone");
    host.releaseString(s);
    EXPECT_EQ(entry<const char* (*)(HostString)>("StringGetCString")(s), nullptr);
    entry<void (*)(HostString)>("ZOKALockString")(s);
    const std::vector<std::string> faults = host.finish();
    EXPECT_TRUE(anyFaultContains(faults, "StringGetCString given string#1 after its last release"))
        << pluginhost::joinFaults(faults);
    EXPECT_TRUE(anyFaultContains(faults, "ZOKALockString of string#1 after its last release"))
        << pluginhost::joinFaults(faults);
}

TEST_F(ProbeTest, StringRecordLayout) {
    HostString s = host.makeString("abc", 0x0000FFFF);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->storage[0], 3);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(s->storage + 1)), "abc");
    EXPECT_EQ(entry<TextEncoding (*)(HostString)>("ZOKAGetStringEncoding")(s), 0x0000FFFFu);
    HostString interpreted = entry<HostString (*)(HostString)>("PluginInterpretConstantValue")(s);
    EXPECT_EQ(interpreted, s);
    EXPECT_EQ(host.stringRefs(s), 2);
    entry<void (*)(HostString)>("ZOKAUnlockString")(interpreted);
    host.releaseString(s);
    EXPECT_EQ(host.finish(), std::vector<std::string>{});
}

// --- import hooks -------------------------------------------------------------------

DWORD WINAPI fakeTickCount() { return 12345; }

TEST(ImportHookTest, InstallsAndRestores) {
    HMODULE self = GetModuleHandleW(nullptr);
    void* before = nullptr;
    {
        // The DLL name in a different letter case still matches.
        pluginhost::ImportHook hook(self, "kernel32.DLL", "GetTickCount", reinterpret_cast<void*>(&fakeTickCount));
        ASSERT_TRUE(hook.installed());
        before = hook.original();
        EXPECT_NE(before, nullptr);
        EXPECT_EQ(GetTickCount(), 12345u);
    }
    pluginhost::ImportHook probe(self, "KERNEL32.dll", "GetTickCount", reinterpret_cast<void*>(&fakeTickCount));
    EXPECT_EQ(probe.original(), before) << "the first hook did not put the original back";
    pluginhost::ImportHook missing(self, "KERNEL32.dll", "NoSuchFunction", reinterpret_cast<void*>(&fakeTickCount));
    EXPECT_FALSE(missing.installed());
}

TEST_F(ProbeTest, ATestHookChainsToTheHostsAccounting) {
    gDrawMode = DrawMode::LeakBrush;
    {
        pluginhost::CallRecorder calls(host.module());
        ASSERT_TRUE(calls.hook<decltype(&CreateSolidBrush)>("gdi32.dll", "CreateSolidBrush"));
        host.draw(host.create("Probe", 12, 3, 16, 5));
        EXPECT_SEQUENCE((std::vector<std::string>{"CreateSolidBrush"}), calls.calls);
    }
    EXPECT_EQ(host.gdiCreated(), 1) << "the host's own hook was skipped";
    EXPECT_EQ(host.faults().size(), 1u) << "the leaked brush went unnoticed";
}

// --- the call recorder --------------------------------------------------------------

// Through this program's own imports: a stand-in and a forwarding wrapper of
// many arguments, which on i686 only work with the system's convention; each
// import is as before once its recorder is gone, and the wrappers' slots are
// free again (more recorders than a signature has slots).
TEST(CallRecorderTest, RecordsStandsInAndUnhooks) {
    HMODULE self = GetModuleHandleW(nullptr);
    const void* tickBefore = nullptr;
    {
        pluginhost::ImportHook probe(self, "KERNEL32.dll", "GetTickCount", reinterpret_cast<void*>(&fakeTickCount));
        tickBefore = probe.original();
    }
    for (int round = 0; round < 2 * pluginhost::recorder_detail::kHooksPerSignature; ++round) {
        pluginhost::CallRecorder calls(self);
        ASSERT_TRUE(calls.hook<decltype(&GetTickCount)>("KERNEL32.dll", "GetTickCount", nullptr,
                                                        [](auto) { return DWORD{777}; }));
        ASSERT_TRUE(calls.hook<decltype(&MultiByteToWideChar)>(
            "KERNEL32.dll", "MultiByteToWideChar",
            [](UINT codePage, DWORD, LPCCH, int bytes, LPWSTR, int) {
                return std::to_string(codePage) + " " + std::to_string(bytes);
            }));
        EXPECT_EQ(GetTickCount(), 777u);
        wchar_t wide[4] = {};
        EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "ab", 2, wide, 4), 2);
        EXPECT_EQ(std::wstring(wide), L"ab");
        EXPECT_SEQUENCE((std::vector<std::string>{"GetTickCount", "MultiByteToWideChar 65001 2"}), calls.calls);
        EXPECT_EQ(calls.callsOf("MultiByteToWideChar").size(), 1u);
        EXPECT_FALSE(calls.hook<decltype(&GetTickCount)>("KERNEL32.dll", "NoSuchFunction"));
        EXPECT_FALSE(calls.installed());
    }
    pluginhost::ImportHook probe(self, "KERNEL32.dll", "GetTickCount", reinterpret_cast<void*>(&fakeTickCount));
    EXPECT_EQ(probe.original(), tickBefore) << "a recorder left its wrapper in the import table";
}

// Both sides with their line numbers, the differing lines marked and the
// lines far from any difference left out.
TEST(SequenceDifferenceTest, ShowsEachDifferenceWithItsContext) {
    EXPECT_EQ(pluginhost::sequenceDifference({"a", "b"}, {"a", "b"}), "");
    const std::vector<std::string> expected = {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"};
    std::vector<std::string> actual = expected;
    actual[8] = "nine";
    actual.push_back("11");
    EXPECT_EQ(pluginhost::sequenceDifference(expected, actual),
              "10 expected, 11 recorded; the first difference is at 9:\n"
              "       expected | recorded\n"
              "   ...\n"
              "   6   6        | 6\n"
              "   7   7        | 7\n"
              "   8   8        | 8\n"
              " ! 9   9        | nine\n"
              "   10  10       | 10\n"
              " ! 11  -        | 11\n");
}

// --- events -------------------------------------------------------------------------

using EventRoutine = bool (*)(ControlInstance*, int32_t, int32_t);

TEST_F(ProbeTest, EventRoutineRecordsArgumentsAndAnswersTheHandler) {
    Instance* probe = host.create("Probe", 10, 10, 20, 20);
    auto getEvent = entry<void* (*)(ControlInstance*, int32_t)>("GetEventInstance");
    EXPECT_EQ(getEvent(probe->control, gProbeEvents[0].hostEventId), nullptr) << "no handler registered yet";
    host.on(probe, "MouseDown", [](const EventCall& call) { return call.args.size() == 2 && call.args[0] == 3; });
    host.on(probe, "Action");
    auto mouseDown = reinterpret_cast<EventRoutine>(getEvent(probe->control, gProbeEvents[0].hostEventId));
    ASSERT_NE(mouseDown, nullptr);
    EXPECT_TRUE(mouseDown(probe->control, 3, 4));
    EXPECT_FALSE(mouseDown(probe->control, 5, 6));
    auto action = reinterpret_cast<void (*)(ControlInstance*)>(getEvent(probe->control, gProbeEvents[1].hostEventId));
    ASSERT_NE(action, nullptr);
    action(probe->control);
    ASSERT_EQ(host.events.size(), 3u);
    EXPECT_EQ(host.events[0].name, "MouseDown");
    EXPECT_EQ(host.events[0].args, (std::vector<int32_t>{3, 4}));
    EXPECT_EQ(host.events[0].instance, probe->control);
    EXPECT_EQ(host.events[1].args, (std::vector<int32_t>{5, 6}));
    EXPECT_EQ(host.events[2].name, "Action");
    EXPECT_TRUE(host.events[2].args.empty());
    // An id of another class is a fault, and no routine.
    EXPECT_EQ(getEvent(probe->control, gOtherEvents[0].hostEventId), nullptr);
    EXPECT_TRUE(anyFaultContains(host.faults(), "GetEventInstance", "another class"));
}

TEST_F(ProbeTest, PerformActionRoutineRecordsTheReceiver) {
    HostObject receiver = host.makeReceiver();
    auto routine = entry<void* (*)(HostObject, const char*, const char*)>("GetInterfaceRoutine");
    EXPECT_EQ(routine(receiver, "actionNotificationReceiver", "Other"), nullptr);
    auto perform =
        reinterpret_cast<PerformActionRoutine>(routine(receiver, "actionNotificationReceiver", "PerformAction"));
    ASSERT_NE(perform, nullptr);
    perform(receiver);
    ASSERT_EQ(host.events.size(), 1u);
    EXPECT_EQ(host.events[0].name, "PerformAction");
    EXPECT_EQ(host.events[0].receiver, receiver);
    EXPECT_EQ(host.finish(), std::vector<std::string>{});
}

// --- properties -----------------------------------------------------------------------

TEST_F(ProbeTest, DirectPropertiesUseTheTypeWidthAtParam) {
    Instance* probe = host.create("Probe", 0, 0, 4, 4);
    probe->at<uint8_t>(kFlagOffset + 1) = 0x5A;  // the byte after the Boolean
    host.setInteger(probe, "Count", -7);
    host.setInteger(probe, "Flag", 1);
    EXPECT_EQ(probe->at<int32_t>(kCountOffset), -7);
    EXPECT_EQ(probe->at<uint8_t>(kFlagOffset), 1);
    EXPECT_EQ(probe->at<uint8_t>(kFlagOffset + 1), 0x5A) << "a Boolean is one byte wide";
    EXPECT_EQ(host.getInteger(probe, "Count"), -7);
    EXPECT_EQ(host.getInteger(probe, "Flag"), 1);
    EXPECT_EQ(host.finish(), std::vector<std::string>{});
}

TEST_F(ProbeTest, MethodsFollowTheirDeclarations) {
    Instance* probe = host.create("Probe", 0, 0, 4, 4);
    EXPECT_EQ(host.call(probe, "Twice", {-21}), -42);
    auto caption = reinterpret_cast<HostString>(host.call(probe, "Caption"));
    EXPECT_EQ(host.text(caption), "Untitled");
    host.releaseString(caption);  // the result's lock passed to the test
    HostString text = host.makeString("row text");
    host.callSetter(probe, "List", {3, reinterpret_cast<intptr_t>(text)});
    ASSERT_EQ(gListAssignments.size(), 1u);
    EXPECT_EQ(gListAssignments[0].row, 3);
    EXPECT_EQ(gListAssignments[0].text, "row text");
    host.releaseString(text);
    EXPECT_EQ(host.finish(), std::vector<std::string>{});
}

TEST_F(ProbeTest, WritingPastInstanceDataIsReported) {
    host.call(host.create("Probe", 0, 0, 4, 4), "Scribble");
    const std::vector<std::string> faults = host.finish();
    ASSERT_EQ(faults.size(), 1u) << pluginhost::joinFaults(faults);
    EXPECT_TRUE(anyFaultContains(faults, "Probe wrote outside its InstanceData")) << faults[0];
}

TEST_F(ProbeTest, UnknownInstanceIsAFaultNotACrash) {
    alignas(16) unsigned char stranger[64] = {};
    HostRect bounds{1, 2, 3, 4};
    entry<void (*)(ControlInstance*, HostRect*)>("GetControlBounds")(reinterpret_cast<ControlInstance*>(stranger),
                                                                     &bounds);
    EXPECT_EQ(bounds.top, 1) << "the rectangle is left alone";
    EXPECT_TRUE(anyFaultContains(host.faults(), "GetControlBounds", "does not know"));
}

// --- surfaces ---------------------------------------------------------------------------

// The probe paints its bounds 12..16 x 3..5 in ink, and one pixel left of them.
const RECT kAround{10, 2, 18, 6};
const std::map<COLORREF, char> kInkLegend = {{kInk, '#'}, {kPaper, '.'}};
// kAround after a paint composed into the control's area only.
const std::string kControlAreaOnly =
    "........\n"
    "..####..\n"
    "..####..\n"
    "........\n";

TEST_F(ProbeTest, DrawComposesOnlyTheControlArea) {
    host.fillImage(kPaper);
    Instance* probe = host.create("Probe", 12, 3, 16, 5);
    host.draw(probe);
    EXPECT_EQ(pluginhost::capture(host, kAround, kInkLegend), kControlAreaOnly);
    EXPECT_EQ(host.finish(), std::vector<std::string>{});
}

TEST_F(ProbeTest, CaptureMarksUnknownColoursAndPixelsOutsideTheImage) {
    host.fillImage(kPaper);
    Instance* probe = host.create("Probe", 0, 0, 2, 1);
    host.draw(probe);
    EXPECT_EQ(pluginhost::capture(host, RECT{-1, -1, 3, 1}, {{kInk, '#'}}),
              "    \n"
              " ##?\n");
    EXPECT_EQ(pluginhost::capture(host, RECT{Host::kWindowWidth - 1, 0, Host::kWindowWidth + 1, 1}, kInkLegend), ". \n");
    EXPECT_EQ(host.finish(), std::vector<std::string>{});
}

TEST_F(ProbeTest, DrawOffscreenPaintsTheWholeWindowImage) {
    host.fillImage(kPaper);
    Instance* probe = host.create("Probe", 12, 3, 16, 5);
    host.drawOffscreen(probe);
    EXPECT_EQ(pluginhost::capture(host, kAround, kInkLegend),
              "........\n"
              ".#####..\n"
              "..####..\n"
              "........\n");
    EXPECT_EQ(host.finish(), std::vector<std::string>{});
}

TEST_F(ProbeTest, ControlGraphicsComposeWhenReleased) {
    host.fillImage(kPaper);
    gDrawMode = DrawMode::BorrowGraphics;
    Instance* probe = host.create("Probe", 12, 3, 16, 5);
    host.draw(probe);
    EXPECT_EQ(pluginhost::capture(host, kAround, kInkLegend), kControlAreaOnly);
    const std::vector<std::string> expectedLog = {"ZOKAUnlockObject graphics#2"};
    EXPECT_EQ(host.lockLog, expectedLog);
    EXPECT_EQ(host.finish(), std::vector<std::string>{});
}

TEST_F(ProbeTest, PenLeftSelectedIsReported) {
    gDrawMode = DrawMode::LeavePen;
    host.draw(host.create("Probe", 12, 3, 16, 5));
    const std::vector<std::string> faults = host.finish();
    ASSERT_EQ(faults.size(), 1u) << pluginhost::joinFaults(faults);
    EXPECT_TRUE(anyFaultContains(faults, "Probe.draw did not restore", "pen")) << faults[0];
}

TEST_F(ProbeTest, UndeletedGdiObjectIsReported) {
    gDrawMode = DrawMode::LeakBrush;
    host.draw(host.create("Probe", 12, 3, 16, 5));
    EXPECT_EQ(host.gdiCreated(), 1);
    const std::vector<std::string> faults = host.finish();
    ASSERT_EQ(faults.size(), 1u) << pluginhost::joinFaults(faults);
    EXPECT_TRUE(anyFaultContains(faults, "Probe.draw", "CreateSolidBrush")) << faults[0];
}

TEST_F(ProbeTest, SurfacesMayArriveInAnyStateAndMustLeaveInIt) {
    host.surfaceSetup = [](HDC dc) {
        HRGN clip = CreateRectRgn(0, 0, 3, 1);
        SelectClipRgn(dc, clip);
        DeleteObject(clip);
        SetROP2(dc, R2_XORPEN);
    };
    Instance* probe = host.create("Probe", 12, 3, 16, 5);
    host.draw(probe);
    EXPECT_EQ(host.faults(), std::vector<std::string>{});
    gDrawMode = DrawMode::DropClipAndMix;
    host.draw(probe);
    const std::vector<std::string> faults = host.finish();
    ASSERT_EQ(faults.size(), 1u) << pluginhost::joinFaults(faults);
    EXPECT_TRUE(anyFaultContains(faults, "the clip region is gone", "mix mode 13 instead of 7")) << faults[0];
}

TEST_F(ProbeTest, ControlsLargerThanAnyScreenGetASurface) {
    Instance* probe = host.create("Probe", -32768, -32768, 32767, 32767);
    host.draw(probe);
    EXPECT_EQ(host.finish(), std::vector<std::string>{});
}

// --- checks a driver makes while instances live -----------------------------------

TEST_F(ProbeTest, LocksAndGuardsCanBeReadAtAnyTime) {
    Instance* probe = host.create("Probe", 0, 0, 4, 4);
    HostString s = host.makeString("held");
    entry<void (*)(HostString)>("ZOKALockString")(s);
    EXPECT_EQ(host.pluginRefs(s), 1);
    ASSERT_EQ(host.lockImbalances().size(), 1u);
    EXPECT_TRUE(anyFaultContains(host.lockImbalances(), "kept 1 lock", host.nameOf(s)));
    entry<void (*)(HostString)>("ZOKAUnlockString")(s);
    EXPECT_EQ(host.lockImbalances(), std::vector<std::string>{});
    EXPECT_TRUE(host.guardsIntact(probe));
    host.call(probe, "Scribble");
    EXPECT_FALSE(host.guardsIntact(probe));
    host.reportFault("seen by a driver");
    EXPECT_TRUE(anyFaultContains(host.faults(), "seen by a driver"));
}

TEST_F(ProbeTest, PoisonedStringsAreUnreadableAfterTheirLastRelease) {
    host.poisonReleasedStrings();
    HostString s = host.makeString("gone");
    const unsigned char* storage = s->storage;
    EXPECT_EQ(reinterpret_cast<const unsigned char*>(entry<const char* (*)(HostString)>("StringGetCString")(s)),
              storage + 1);
    SYSTEM_INFO system{};
    GetSystemInfo(&system);
    // Length byte, four bytes, NUL: the NUL is the last byte of its page.
    EXPECT_EQ(reinterpret_cast<uintptr_t>(storage + 6) % system.dwPageSize, 0u);
    MEMORY_BASIC_INFORMATION page{};
    VirtualQuery(storage, &page, sizeof page);
    EXPECT_EQ(page.State, static_cast<DWORD>(MEM_COMMIT));
    entry<void (*)(HostString)>("ZOKALockString")(s);
    host.releaseString(s);
    VirtualQuery(storage, &page, sizeof page);
    EXPECT_EQ(page.State, static_cast<DWORD>(MEM_COMMIT)) << "the plug-in's lock keeps it";
    entry<void (*)(HostString)>("ZOKAUnlockString")(s);
    VirtualQuery(storage, &page, sizeof page);
    EXPECT_NE(page.State, static_cast<DWORD>(MEM_COMMIT));
    EXPECT_EQ(host.text(s), "gone");
    EXPECT_EQ(host.finish(), std::vector<std::string>{});
}

TEST_F(ProbeTest, InstanceServices) {
    pluginhost::InstanceOptions options;
    options.enabled = false;
    options.background = RGB(1, 2, 3);
    options.insideTabControl = true;
    Instance* probe = host.create("Probe", 30, 40, 50, 45, options);
    ControlInstance* c = probe->control;
    HostRect bounds{};
    entry<void (*)(ControlInstance*, HostRect*)>("GetControlBounds")(c, &bounds);
    EXPECT_EQ(bounds.left, 30);
    EXPECT_EQ(bounds.top, 40);
    EXPECT_EQ(bounds.right, 50);
    EXPECT_EQ(bounds.bottom, 45);
    EXPECT_EQ(entry<HostEntry_ZOKAGetControlEnabled>("ZOKAGetControlEnabled")(c), 0);
    uint32_t colour = 0;
    entry<void (*)(ControlInstance*, uint32_t*)>("ZOKASetSpecialBackground")(c, &colour);
    EXPECT_EQ(colour, RGB(1, 2, 3));
    HWND window = entry<HWND (*)(ControlInstance*)>("ZOKAGetControlHandle")(c);
    ASSERT_EQ(window, probe->window);
    char className[64] = {};
    GetClassNameA(GetParent(window), className, sizeof className);
    EXPECT_STREQ(className, "SysTabControl32");
    HostWindow w = entry<HostWindow (*)(ControlInstance*)>("getControlWindow")(c);
    EXPECT_EQ(entry<HWND (*)(HostWindow)>("ZOKAGetWindowHandle")(w), host.topWindow());
    EXPECT_EQ(reinterpret_cast<unsigned char*>(c) + gProbeDefinition.dataOffset, probe->data());
    EXPECT_EQ(host.finish(), std::vector<std::string>{});
}

// --- the real plug-in ----------------------------------------------------------------

TEST(HostLoadTest, EveryLoadStartsAFreshPlugin) {
    for (int round = 0; round < 2; ++round) {
        Host host;
        ASSERT_TRUE(host.load(pluginhost::pluginPath())) << host.lastError();
        EXPECT_EQ(host.versions, std::vector<int32_t>{6}) << "round " << round;
        EXPECT_EQ(host.resolveCount("RegisterPluginVersion"), 1) << "round " << round;
        EXPECT_EQ(host.registered.size(), 8u);
        // The accounting hooks sit on the library's own imports.
        host.draw(host.create("Separator", 10, 10, 74, 14));
        EXPECT_GT(host.gdiCreated(), 0);
        EXPECT_EQ(host.gdiLive(), 0);
        EXPECT_EQ(host.finish(), std::vector<std::string>{});
    }
}

}  // namespace
