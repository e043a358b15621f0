// The driver's processes: a soak command run again as a child process with its
// output caught and a time limit, the progress record it fills in (its run,
// step, calls and any crash), and the report it leaves for its parent.
#pragma once

#include <cstdint>
#include <string>

#include <windows.h>

#include "run.h"
#include "script.h"

namespace soak {

constexpr DWORD kChunkTimeoutMs = 2 * 60 * 1000;
constexpr DWORD kReplayTimeoutMs = 2 * 60 * 1000;
constexpr int kExitClean = 0;
constexpr int kExitFault = 1;
constexpr int kExitUsage = 2;

bool readFile(const std::string& path, std::string& text);
bool writeFile(const std::string& path, const std::string& text);
std::string temporaryPath(const std::string& stem);  // a new file name in the temporary folder
std::string quoteArgument(const std::string& text);

// Faults as text, between a child and its parent.
std::string faultText(const Fault& f);
void readReport(const std::string& text, int64_t& runs, int64_t& calls, bool& faulted, Fault& fault, int64_t& run,
                Coverage* coverage = nullptr);

struct ChildResult {
    DWORD exitCode = 0;
    bool timedOut = false;
    bool started = false;
    std::string output;      // what it wrote to stdout and stderr
    bool abnormal() const {  // crashed, hung or printed
        return timedOut || (exitCode != kExitClean && exitCode != kExitFault) || !output.empty();
    }
};

// Options every child process is given as its parent was.
extern std::string gChildOptions;

ChildResult runChild(const std::string& arguments, DWORD timeoutMs);

// A crash, a hang or output of a child, as a fault at the step it reached.
Fault childFault(const ChildResult& child, const Progress& progress, const Script& script);

// A progress record in a named mapping that a child process fills in.
struct SharedProgress {
    HANDLE mapping = nullptr;
    Progress* progress = nullptr;
    std::string name;

    SharedProgress();
    ~SharedProgress();
    SharedProgress(const SharedProgress&) = delete;
    SharedProgress& operator=(const SharedProgress&) = delete;
};

// In the child: the parent's progress record, and crashes recorded there.
Progress* openProgress(const std::string& name);
void becomeChild(Progress* progress);

// A replay in a process of its own, for faults that end or hang a process.
RunResult replayInChild(const Script& script, const std::string& plugin);

}  // namespace soak
