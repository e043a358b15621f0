// A fixture with a test host that has loaded the plug-in; at the end of every
// test the host must report no fault.
#pragma once

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "test_host.h"

namespace testhost {

// The plug-in under test, built beside the test programs.
inline std::string pluginPath() { return besideProgram("ClassicControls.dll"); }

inline std::string joinFaults(const std::vector<std::string>& faults) {
    std::string text;
    for (const std::string& fault : faults) text += "  " + fault + "\n";
    return text;
}

}  // namespace testhost

class HostTest : public ::testing::Test {
protected:
    testhost::Host host;

    void SetUp() override { ASSERT_TRUE(host.load(testhost::pluginPath())) << host.lastError(); }

    void TearDown() override {
        const std::vector<std::string> faults = host.finish();
        EXPECT_TRUE(faults.empty()) << "host faults:\n" << testhost::joinFaults(faults);
    }
};
