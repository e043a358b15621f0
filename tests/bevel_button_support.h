// Shared by the bevel button's model and interaction tests: a fixture with one
// button and expected call sequences written as tables with named handles.
#pragma once

#include <algorithm>
#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "controls/bevel_button/model.h"
#include "host_fixture.h"

namespace bevel_test {

// Each line of table with every "{name}" replaced by its value.
inline std::vector<std::string> Expand(const std::vector<std::string>& table,
                                       const std::map<std::string, std::string>& names) {
    std::vector<std::string> lines;
    for (std::string line : table) {
        for (const auto& [key, value] : names) {
            const std::string placeholder = "{" + key + "}";
            for (size_t at = line.find(placeholder); at != std::string::npos; at = line.find(placeholder, at))
                line.replace(at, placeholder.size(), value);
        }
        lines.push_back(line);
    }
    return lines;
}

// A fixture with one bevel button of the default size at (10, 10).
class BevelButtonTest : public HostTest {
protected:
    static constexpr int kLeft = 10;
    static constexpr int kTop = 10;
    static constexpr int kRight = 70;
    static constexpr int kBottom = 32;

    pluginhost::Instance* button = nullptr;

    void SetUp() override {
        HostTest::SetUp();
        if (HasFatalFailure()) return;
        button = host.create("BevelButton", kLeft, kTop, kRight, kBottom);
        ASSERT_NE(button, nullptr);
    }

    bevel_button::InstanceData& data() const { return *reinterpret_cast<bevel_button::InstanceData*>(button->data()); }

    // The lock log from mark on.
    std::vector<std::string> logSince(size_t mark) const {
        return std::vector<std::string>(host.lockLog.begin() + static_cast<ptrdiff_t>(mark), host.lockLog.end());
    }

    std::string name(const void* handle) const { return host.nameOf(handle); }

    static intptr_t arg(const void* handle) { return reinterpret_cast<intptr_t>(handle); }

    // The texts of all rows through List, "<nil>" for a row without text.
    std::vector<std::string> rows() {
        std::vector<std::string> texts;
        for (const bevel_button::MenuRow* row = data().rows; row != nullptr; row = row->next) {
            const int32_t index = static_cast<int32_t>(texts.size());
            auto text = reinterpret_cast<HostString>(host.call(button, "List", {index}));
            texts.push_back(text != nullptr ? host.text(text) : "<nil>");
            if (text != nullptr) host.releaseString(text);
        }
        return texts;
    }

    // Names of the receivers told of the last actions, in order.
    std::vector<std::string> performed() const {
        std::vector<std::string> names;
        for (const pluginhost::EventCall& call : host.events)
            if (call.name == "PerformAction") names.push_back(host.nameOf(call.receiver));
        return names;
    }

    // Every event and receiver call, in order.
    std::vector<std::string> eventNames() const { return pluginhost::eventSequence(host); }
};

}  // namespace bevel_test
