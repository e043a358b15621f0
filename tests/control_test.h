// Shared by the tests of the small controls: a window image of a known
// paper colour, instances at given bounds, pictures of both drawing modes as
// character maps, and the recorded events as lines for EXPECT_SEQUENCE.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "host_fixture.h"

// The window image before painting; '.' in every legend.
constexpr COLORREF kPaper = RGB(0, 128, 128);

// A character map: one string per row, each ending in a newline as capture() writes them.
inline std::string Rows(std::initializer_list<const char*> rows) {
    std::string map;
    for (const char* row : rows) map += std::string(row) + "\n";
    return map;
}

// An expected sequence of calls or events, one line each.
using Lines = std::vector<std::string>;

class ControlTest : public HostTest {
protected:
    ControlTest(const char* className, std::map<COLORREF, char> legend)
        : className_(className), legend_(std::move(legend)) {
        legend_.emplace(kPaper, '.');
    }

    void SetUp() override {
        HostTest::SetUp();
        host.fillImage(kPaper);
    }

    pluginhost::Instance* Create(int left, int top, int right, int bottom, bool enabled = true) {
        pluginhost::InstanceOptions options;
        options.enabled = enabled;
        pluginhost::Instance* instance = host.create(className_, left, top, right, bottom, options);
        EXPECT_NE(instance, nullptr);
        return instance;
    }

    std::string Capture(RECT area) const { return pluginhost::capture(host, area, legend_); }

    // Draws both ways and returns the on-screen picture after checking that
    // the off-screen one is the same.
    std::string Paint(pluginhost::Instance* instance, RECT area) {
        host.fillImage(kPaper);
        host.draw(instance);
        const std::string onScreen = Capture(area);
        host.fillImage(kPaper);
        host.drawOffscreen(instance);
        EXPECT_EQ(Capture(area), onScreen) << "draw and drawOffscreen differ";
        return onScreen;
    }

    // Off-screen only: the on-screen surface is only as large as the control
    // and could not show what spills outside it.
    std::string PaintOffscreen(pluginhost::Instance* instance, RECT area) {
        host.fillImage(kPaper);
        host.drawOffscreen(instance);
        return Capture(area);
    }

    // The events fired so far: "MouseDown 2 3", "Action".
    Lines Events() const { return pluginhost::eventSequence(host); }

    void ExpectClean() const {
        EXPECT_EQ(host.faults(), std::vector<std::string>{});
        EXPECT_EQ(host.gdiLive(), 0) << "GDI objects left undeleted";
    }

private:
    const char* className_;
    std::map<COLORREF, char> legend_;
};
