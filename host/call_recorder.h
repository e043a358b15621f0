// A recorder of the calls a module makes into the system, and the comparison
// of recorded sequences with expected tables.
//
// Each hooked import is replaced in the module's import table by a wrapper
// that writes one line per call, "AppendMenuW 0x8 1000 alpha" (the name, then
// what the test's describe function makes of the arguments), and then calls
// the real function, or the test's stand-in, which receives the real function
// first:
//
//     pluginhost::CallRecorder calls(host.module());
//     calls.hook<decltype(&AppendMenuW)>("USER32.dll", "AppendMenuW",
//         [](HMENU, UINT flags, UINT_PTR id, LPCWSTR) { return std::to_string(id); });
//     calls.hook<decltype(&GetKeyState)>("USER32.dll", "GetKeyState", nullptr,
//         [](auto real, int key) { return key == VK_MENU ? SHORT(0x8000) : real(key); });
//     ... EXPECT_SEQUENCE(expectedTable, calls.callsOf("AppendMenuW"));
//
// The wrappers have the system's calling convention (WINAPI), so they stand
// in for the real functions on i686 too. Hooks come off when the recorder
// goes, newest first; at most kHooksPerSignature functions of one signature
// are hooked at a time in the whole process.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <windows.h>

#include "plugin_host.h"

namespace pluginhost {

class CallRecorder;

namespace recorder_detail {

constexpr int kHooksPerSignature = 8;

template <typename Function>
struct Wrappers;

// The wrappers of one signature: a fixed set of slots, each a WINAPI
// function that finds its recorder, name and real function in its slot.
template <typename R, typename... A>
struct Wrappers<R(WINAPI*)(A...)> {
    using Function = R(WINAPI*)(A...);
    using Describe = std::function<std::string(A...)>;
    using Answer = std::function<R(Function real, A...)>;

    struct Slot {
        CallRecorder* recorder = nullptr;
        const char* name = nullptr;
        Function real = nullptr;
        Describe describe;
        Answer answer;
    };
    static inline Slot slots[kHooksPerSignature];

    template <int I>
    static R WINAPI call(A... arguments);

    template <size_t... I>
    static std::array<Function, kHooksPerSignature> table(std::index_sequence<I...>) {
        return {&call<static_cast<int>(I)>...};
    }
    static Function wrapper(int index) {
        static const std::array<Function, kHooksPerSignature> kTable =
            table(std::make_index_sequence<kHooksPerSignature>());
        return kTable[index];
    }
};

}  // namespace recorder_detail

class CallRecorder {
public:
    template <typename Function>
    using Describe = typename recorder_detail::Wrappers<Function>::Describe;
    template <typename Function>
    using Answer = typename recorder_detail::Wrappers<Function>::Answer;

    explicit CallRecorder(HMODULE module);
    ~CallRecorder();
    CallRecorder(const CallRecorder&) = delete;
    CallRecorder& operator=(const CallRecorder&) = delete;

    // Hooks the module's import dll!function; Function is its pointer type
    // (decltype(&function)). Without describe the line is the name alone;
    // without answer the real function answers. False (and installed()
    // false) when the module does not import it or no slot is free.
    template <typename Function>
    bool hook(const char* dll, const char* function, Describe<Function> describe = nullptr,
              Answer<Function> answer = nullptr);

    // True when every hook asked for is in place.
    bool installed() const { return failures_ == 0; }

    // Every call recorded, in order, and those of the functions named.
    std::vector<std::string> calls;
    std::vector<std::string> callsOf(const std::string& function) const;
    std::vector<std::string> callsOf(std::initializer_list<std::string> functions) const;

    // Adds a line for function; the wrappers call it.
    void record(const char* function, const std::string& description);

private:
    struct Entry {
        std::unique_ptr<ImportHook> hook;
        std::function<void()> freeSlot;
    };
    HMODULE module_;
    std::vector<Entry> entries_;
    int failures_ = 0;
};

// An empty text when expected and actual hold the same lines; otherwise the
// two side by side, each difference marked with the lines around it, as
// Wine's ok_sequence reports a call sequence that went another way.
std::string sequenceDifference(const std::vector<std::string>& expected, const std::vector<std::string>& actual);

// The host's recorded event and receiver calls as lines: "MouseDown 5 7",
// "PerformAction receiver#2", "Action".
std::vector<std::string> eventSequence(const Host& host);

// ---------------------------------------------------------------------------

template <typename R, typename... A>
template <int I>
R WINAPI recorder_detail::Wrappers<R(WINAPI*)(A...)>::call(A... arguments) {
    Slot& slot = slots[I];
    slot.recorder->record(slot.name, slot.describe ? slot.describe(arguments...) : std::string());
    if (slot.answer) return slot.answer(slot.real, arguments...);
    return slot.real(arguments...);
}

template <typename Function>
bool CallRecorder::hook(const char* dll, const char* function, Describe<Function> describe, Answer<Function> answer) {
    using Wrappers = recorder_detail::Wrappers<Function>;
    int index = 0;
    while (index < recorder_detail::kHooksPerSignature && Wrappers::slots[index].recorder != nullptr) ++index;
    if (index == recorder_detail::kHooksPerSignature) {
        ++failures_;
        return false;
    }
    typename Wrappers::Slot& slot = Wrappers::slots[index];
    // Filled before the hook goes in: the module may call it at once.
    slot.recorder = this;
    slot.name = function;
    slot.describe = std::move(describe);
    slot.answer = std::move(answer);
    auto importHook =
        std::make_unique<ImportHook>(module_, dll, function, reinterpret_cast<void*>(Wrappers::wrapper(index)));
    slot.real = reinterpret_cast<Function>(importHook->original());
    auto freeSlot = [index] { Wrappers::slots[index] = typename Wrappers::Slot{}; };
    if (!importHook->installed()) {
        freeSlot();
        ++failures_;
        return false;
    }
    entries_.push_back(Entry{std::move(importHook), freeSlot});
    return true;
}

}  // namespace pluginhost
