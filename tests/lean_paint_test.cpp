// The host component's lean path for timing: it paints what the host's own
// callbacks paint, counts the entry points a paint calls, gives back what it
// lends, and hands the plug-in back to the host's checks when it ends.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "host_fixture.h"
#include "lean_paint.h"

namespace {

using pluginhost::Host;
using pluginhost::Instance;
using pluginhost::LeanPainter;

constexpr COLORREF kPaper = RGB(0, 128, 0);
constexpr int kLeft = 30;
constexpr int kTop = 20;

class LeanPaintTest : public ::testing::Test {
protected:
    Host host;
    LeanPainter lean{host};  // before load(): the plug-in keeps what it is given first

    void SetUp() override { ASSERT_TRUE(host.load(pluginhost::pluginPath())) << host.lastError(); }
    void TearDown() override {
        lean.end();
        const std::vector<std::string> faults = host.finish();
        EXPECT_TRUE(faults.empty()) << "host faults:\n" << pluginhost::joinFaults(faults);
    }

    Instance* make(const char* className, int width, int height) {
        return host.create(className, kLeft, kTop, kLeft + width, kTop + height);
    }

    // The control's rectangle of the window image after the host's draw.
    std::vector<uint32_t> hostDraw(Instance* instance) {
        host.fillImage(kPaper);
        host.draw(instance);
        std::vector<uint32_t> pixels;
        for (int y = instance->bounds.top; y < instance->bounds.bottom; ++y)
            for (int x = instance->bounds.left; x < instance->bounds.right; ++x)
                pixels.push_back(host.imageBits()[y * Host::kWindowWidth + x]);
        return pixels;
    }

    std::vector<uint32_t> leanPixels(const uint32_t* rows, int stride, int left, int top) {
        std::vector<uint32_t> pixels;
        for (int y = 0; y < lean.controlHeight(); ++y)
            for (int x = 0; x < lean.controlWidth(); ++x) pixels.push_back(rows[(top + y) * stride + left + x]);
        return pixels;
    }
};

TEST_F(LeanPaintTest, DrawAndDrawOffscreenPaintWhatTheHostsDrawPaints) {
    struct Row {
        const char* className;
        int width, height;
    };
    static const Row kRows[] = {{"Separator", 64, 4},
                                {"Placard", 40, 20},
                                {"BevelButton", 60, 22},
                                {"DisclosureTriangle", 12, 12},
                                {"ChasingArrows", 16, 16}};
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.className);
        Instance* instance = make(row.className, row.width, row.height);
        ASSERT_NE(instance, nullptr);
        const std::vector<uint32_t> expected = hostDraw(instance);
        ASSERT_TRUE(lean.begin(instance));
        lean.fill(kPaper);
        lean.draw();
        EXPECT_EQ(leanPixels(lean.controlPixels(), lean.controlWidth(), 0, 0), expected) << "draw";
        lean.fill(kPaper);
        lean.drawOffscreen();
        EXPECT_EQ(leanPixels(lean.offscreenPixels(), Host::kWindowWidth, kLeft, kTop), expected) << "drawOffscreen";
        lean.end();
        host.destroy(instance);
    }
}

TEST_F(LeanPaintTest, CountsTheEntryPointsOfOnePaintAndGivesBackWhatItLends) {
    using E = HostEntryPoint;
    Instance* arrows = make("ChasingArrows", 16, 16);
    ASSERT_TRUE(lean.begin(arrows));
    lean.resetCounts();
    lean.idle();
    static const struct {
        E entry;
        int calls;
    } kIdleCalls[] = {{E::GetControlVisible, 1},      {E::GetTabPanelVisible, 1}, {E::GetControlBounds, 1},
                      {E::ZOKAGetControlGraphics, 1}, {E::ZOKAGraphicsDC, 1},     {E::ZOKASetSpecialBackground, 1},
                      {E::ZOKAUnlockObject, 1}};
    int total = 0;
    for (const auto& row : kIdleCalls) {
        EXPECT_EQ(lean.calls(row.entry), row.calls) << kHostEntryPointNames[static_cast<int>(row.entry)];
        total += row.calls;
    }
    EXPECT_EQ(lean.totalCalls(), total);
    EXPECT_EQ(lean.lentLocks(), 0) << "the borrowed surface was not given back";

    const auto costs = lean.callCosts(10, 1);
    EXPECT_GE(costs[static_cast<int>(E::GetControlBounds)], 0);
    EXPECT_GE(costs[static_cast<int>(E::ZOKAGetControlGraphics)], 0);
    // Never handed to the plug-in, so not timed.
    EXPECT_LT(costs[static_cast<int>(E::ZOKASetAccelerator)], 0);
    EXPECT_EQ(lean.totalCalls(), total) << "timing the answers changed the counts";
}

TEST_F(LeanPaintTest, TheHostsGdiAccountingIsLiftedOnlyDuringTheRun) {
    Instance* separator = make("Separator", 64, 4);
    const int before = host.gdiCreated();
    host.draw(separator);
    const int perPaint = host.gdiCreated() - before;
    EXPECT_EQ(perPaint, 2) << "the separator's two pens";

    ASSERT_TRUE(lean.begin(separator));
    lean.draw();
    EXPECT_EQ(host.gdiCreated(), before + perPaint) << "counted during a lean run";
    lean.end();

    host.draw(separator);
    EXPECT_EQ(host.gdiCreated(), before + 2 * perPaint) << "not counted after the run";
    EXPECT_GT(lean.calls(HostEntryPoint::GetControlBounds), 0) << "the host's own calls are counted too";
}

}  // namespace
