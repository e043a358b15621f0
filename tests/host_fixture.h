// A fixture with a host that has loaded the plug-in; at the end of every
// test the host must report no fault.
#pragma once

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "call_recorder.h"
#include "plugin_host.h"

namespace pluginhost {

// The plug-in under test, built beside the test programs.
inline std::string pluginPath() { return besideProgram("ClassicControls.dll"); }

inline std::string joinFaults(const std::vector<std::string>& faults) {
    std::string text;
    for (const std::string& fault : faults) text += "  " + fault + "\n";
    return text;
}

// For EXPECT_SEQUENCE: on a difference both sequences are printed side by
// side with the lines around each difference.
inline ::testing::AssertionResult SameSequence(const char* expectedText, const char* actualText,
                                               const std::vector<std::string>& expected,
                                               const std::vector<std::string>& actual) {
    const std::string difference = sequenceDifference(expected, actual);
    if (difference.empty()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << actualText << " is not " << expectedText << ": " << difference;
}

}  // namespace pluginhost

// Compares a recorded sequence (calls, events, lock log) with the expected
// table.
#define EXPECT_SEQUENCE(expected, actual) EXPECT_PRED_FORMAT2(pluginhost::SameSequence, expected, actual)

class HostTest : public ::testing::Test {
protected:
    pluginhost::Host host;

    void SetUp() override { ASSERT_TRUE(host.load(pluginhost::pluginPath())) << host.lastError(); }

    void TearDown() override {
        const std::vector<std::string> faults = host.finish();
        EXPECT_TRUE(faults.empty()) << "host faults:\n" << pluginhost::joinFaults(faults);
    }
};
