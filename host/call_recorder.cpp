#include "call_recorder.h"

#include <algorithm>

namespace pluginhost {

// Lines shown before and after each difference.
constexpr size_t kContextLines = 3;
// The expected column's width at most; longer lines push the other column.
constexpr size_t kColumnWidth = 44;

CallRecorder::CallRecorder(HMODULE module) : module_(module) {}

CallRecorder::~CallRecorder() {
    // Newest first: a later hook over the same import chains to an earlier one.
    while (!entries_.empty()) {
        Entry& entry = entries_.back();
        entry.hook.reset();
        entry.freeSlot();
        entries_.pop_back();
    }
}

void CallRecorder::record(const char* function, const std::string& description) {
    calls.push_back(description.empty() ? std::string(function) : std::string(function) + " " + description);
}

std::vector<std::string> CallRecorder::callsOf(const std::string& function) const { return callsOf({function}); }

std::vector<std::string> CallRecorder::callsOf(std::initializer_list<std::string> functions) const {
    std::vector<std::string> found;
    for (const std::string& line : calls) {
        const std::string name = line.substr(0, line.find(' '));
        if (std::find(functions.begin(), functions.end(), name) != functions.end()) found.push_back(line);
    }
    return found;
}

static std::string padded(std::string text, size_t width) {
    if (text.size() < width) text.resize(width, ' ');
    return text;
}

std::string sequenceDifference(const std::vector<std::string>& expected, const std::vector<std::string>& actual) {
    if (expected == actual) return std::string();
    const size_t count = std::max(expected.size(), actual.size());
    std::vector<bool> differs(count);
    size_t first = count;
    for (size_t i = 0; i < count; ++i) {
        differs[i] = i >= expected.size() || i >= actual.size() || expected[i] != actual[i];
        if (differs[i] && first == count) first = i;
    }
    size_t width = 8;
    for (const std::string& line : expected) width = std::max(width, std::min(line.size(), kColumnWidth));

    std::string report = std::to_string(expected.size()) + " expected, " + std::to_string(actual.size()) +
                         " recorded; the first difference is at " + std::to_string(first + 1) + ":\n";
    report += "       " + padded("expected", width) + " | recorded\n";
    bool skipped = false;
    for (size_t i = 0; i < count; ++i) {
        bool shown = false;
        for (size_t j = i > kContextLines ? i - kContextLines : 0; j < count && j <= i + kContextLines; ++j) {
            shown = shown || differs[j];
        }
        if (!shown) {
            skipped = true;
            continue;
        }
        if (skipped) report += "   ...\n";
        skipped = false;
        const std::string number = std::to_string(i + 1);
        report += std::string(differs[i] ? " ! " : "   ") + padded(number, 4) +
                  padded(i < expected.size() ? expected[i] : "-", width) + " | " +
                  (i < actual.size() ? actual[i] : "-") + "\n";
    }
    if (skipped) report += "   ...\n";
    return report;
}

std::vector<std::string> eventSequence(const Host& host) {
    std::vector<std::string> lines;
    for (const EventCall& call : host.events) {
        std::string line = call.name;
        if (call.receiver != nullptr) line += " " + host.nameOf(call.receiver);
        for (int32_t argument : call.args) line += " " + std::to_string(argument);
        lines.push_back(line);
    }
    return lines;
}

}  // namespace pluginhost
