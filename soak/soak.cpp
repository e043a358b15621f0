// soak: a seeded random host for the plug-in, run in chunks of its own
// processes, with every fault reproducible from its seed, run and step and
// shrunk to a shortest replay.
//
//   soak run [--calls N] [--seed S] [--chunk-calls C] [--steps-per-run K]
//            [--plugin DLL] [--out DIR] [--max-faults F] [--trace FILE]
//       the soak: N calls into the plug-in; figures and faults on stdout,
//       replays of the faults (whole and minimised) in DIR; with --trace,
//       every step of every run and each run's verdict in FILE (the
//       minimiser's replays are not traced)
//   soak replay FILE [--plugin DLL] [--trace FILE]
//                                             one script; exit status 1 on a fault
//   soak script --seed S --run R [--steps K] [--upto STEP]
//                                             prints the script of a run
//   soak minimise FILE [--plugin DLL] [--out FILE]
//   soak selftest --plugin FAULTY --clean DLL --expect CATEGORY[,CATEGORY...]
//                 [--status FILE] [--seed S] [--calls N] [--through-driver]
//       a build with a planted fault: the soak must catch it (as a CATEGORY),
//       and its minimised replay must fail on FAULTY and pass on DLL
//   soak departures                          the model's table of the plug-in's departures
//
// Every command takes --published NAME[,NAME...] (or all): the model follows
// the published rule of those rows of the departures table.
//
// The plug-in defaults to ClassicControls.dll beside the program.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <windows.h>

#include "departures.h"
#include "executor.h"
#include "generator.h"
#include "minimise.h"
#include "processes.h"
#include "script.h"
#include "plugin_host.h"

namespace soak {
namespace {

constexpr int64_t kDefaultCalls = 1000000;
constexpr int64_t kDefaultChunkCalls = 25000;
constexpr int kDefaultStepsPerRun = 2500;
constexpr int kDefaultMaxFaults = 3;

struct Arguments {
    std::vector<std::string> positional;
    std::map<std::string, std::string> options;

    std::string get(const std::string& name, const std::string& otherwise = "") const {
        auto it = options.find(name);
        return it == options.end() ? otherwise : it->second;
    }
    int64_t number(const std::string& name, int64_t otherwise) const {
        auto it = options.find(name);
        return it == options.end() ? otherwise : std::strtoll(it->second.c_str(), nullptr, 0);
    }
    bool flag(const std::string& name) const { return options.count(name) != 0; }
};

Arguments parseArguments(int argc, char** argv, int first) {
    Arguments a;
    for (int i = first; i < argc; ++i) {
        const std::string word = argv[i];
        if (word.rfind("--", 0) == 0) {
            const bool valued = i + 1 < argc && std::strncmp(argv[i + 1], "--", 2) != 0 && word != "--through-driver";
            a.options[word.substr(2)] = valued ? argv[++i] : "1";
        } else {
            a.positional.push_back(word);
        }
    }
    return a;
}

// The trace named by --trace, opened for appending (the chunks of a run
// write one after the other); null without the option.
std::FILE* openTrace(const Arguments& a) {
    const std::string path = a.get("trace");
    return path.empty() ? nullptr : std::fopen(path.c_str(), "ab");
}

std::string pluginOf(const Arguments& a) { return a.get("plugin", pluginhost::besideProgram("ClassicControls.dll")); }

RunResult replayInProcess(const Script& script, const std::string& plugin) {
    RunOptions options;
    options.plugin = plugin;
    return runScript(script, options);
}

// A replay where the fault can show: a crash, a hang or output in a process of its own.
RunResult replayFor(const Fault& f, const Script& script, const std::string& plugin) {
    const bool own = f.category == "crash" || f.category == "hang" || f.category == "printed";
    return own ? replayInChild(script, plugin) : replayInProcess(script, plugin);
}

Script minimiseFault(const Script& failing, const Fault& fault, const std::string& plugin, int* replays) {
    const Replay replay = [&](const Script& s) { return replayFor(fault, s, plugin); };
    return minimise(failing, fault, replay, replays);
}

void printFault(const Fault& f, const Config& c) {
    std::printf("FAULT %s at seed %llu run %lld step %lld%s%s: %s\n", f.category.c_str(),
                static_cast<unsigned long long>(c.seed), static_cast<long long>(c.run), static_cast<long long>(f.step),
                f.className.empty() ? "" : " on ", f.className.c_str(), f.message.c_str());
}

// The part of a run up to and including the failing step.
Script failingPart(const Script& whole, const Fault& f) {
    Script s = whole;
    if (f.step >= 0 && f.step + 1 < static_cast<int64_t>(s.steps.size()))
        s.steps.resize(static_cast<size_t>(f.step + 1));
    return s;
}

// --- commands ------------------------------------------------------------------------

int chunkCommand(const Arguments& a) {
    Progress* progress = openProgress(a.get("progress"));
    becomeChild(progress);
    const uint64_t seed = static_cast<uint64_t>(a.number("seed", 1));
    const int64_t firstRun = a.number("first-run", 0);
    const int64_t calls = a.number("calls", kDefaultChunkCalls);
    const int steps = static_cast<int>(a.number("steps-per-run", kDefaultStepsPerRun));
    const std::string reportPath = a.get("report");
    int64_t done = 0, runs = 0;
    Coverage coverage;
    std::FILE* trace = openTrace(a);
    for (int64_t run = firstRun; done < calls; ++run) {
        if (progress) progress->run = run;
        const Script script = generateRun(seed, run, steps);
        RunOptions options;
        options.plugin = pluginOf(a);
        options.checkOutput = true;
        options.progress = progress;
        options.trace = trace;
        options.onFault = [&](const Fault& f) {
            writeFile(reportPath, "runs " + std::to_string(runs) + "\ncalls " + std::to_string(done) + "\nrun " +
                                      std::to_string(run) + "\n" + faultText(f));
        };
        const RunResult result = runScript(script, options);
        done += result.calls;
        if (result.faulted) {
            if (trace) std::fclose(trace);
            return kExitFault;
        }
        coverage.add(result.coverage);
        ++runs;
    }
    if (trace) std::fclose(trace);
    writeFile(reportPath, "runs " + std::to_string(runs) + "\ncalls " + std::to_string(done) + "\n" + coverage.text());
    return kExitClean;
}

// The script named by the first positional argument; false, with a message
// when there is a file to name, if there is none or it does not parse.
bool readScriptArgument(const Arguments& a, Script& script) {
    if (a.positional.empty()) return false;
    std::string text, error;
    if (readFile(a.positional[0], text) && parseScript(text, script, error)) return true;
    std::fprintf(stderr, "soak: cannot read %s: %s\n", a.positional[0].c_str(), error.c_str());
    return false;
}

int replayCommand(const Arguments& a) {
    Script script;
    if (!readScriptArgument(a, script)) return kExitUsage;
    Progress* progress = openProgress(a.get("progress"));
    const bool child = progress != nullptr;
    if (child) becomeChild(progress);
    const std::string reportPath = a.get("report");
    RunOptions options;
    options.plugin = pluginOf(a);
    options.checkOutput = child;
    options.progress = progress;
    options.onFault = [&](const Fault& f) {
        if (!reportPath.empty()) writeFile(reportPath, faultText(f));
    };
    options.trace = openTrace(a);
    const RunResult result = runScript(script, options);
    if (options.trace) std::fclose(options.trace);
    if (!child) {
        if (result.faulted)
            printFault(result.fault, script.config);
        else
            std::printf("no fault in %lld steps, %lld calls\n", static_cast<long long>(result.steps),
                        static_cast<long long>(result.calls));
    }
    return result.faulted ? kExitFault : kExitClean;
}

int scriptCommand(const Arguments& a) {
    Script script = generateRun(static_cast<uint64_t>(a.number("seed", 1)), a.number("run", 0),
                                static_cast<int>(a.number("steps", kDefaultStepsPerRun)));
    const int64_t upto = a.number("upto", -1);
    if (upto >= 0 && upto + 1 < static_cast<int64_t>(script.steps.size())) script.steps.resize(size_t(upto + 1));
    std::fputs(formatScript(script).c_str(), stdout);
    return kExitClean;
}

int minimiseCommand(const Arguments& a) {
    Script script;
    if (!readScriptArgument(a, script)) return kExitUsage;
    const std::string plugin = pluginOf(a);
    RunResult first = replayInChild(script, plugin);
    if (!first.faulted) {
        std::printf("no fault to minimise\n");
        return kExitClean;
    }
    int replays = 0;
    const Script smallest = minimiseFault(script, first.fault, plugin, &replays);
    const std::string out = a.get("out");
    if (!out.empty()) writeFile(out, formatScript(smallest));
    std::printf("%zu of %zu steps after %d replays\n%s", smallest.steps.size(), script.steps.size(), replays,
                formatScript(smallest).c_str());
    return kExitFault;
}

struct Figures {
    Coverage coverage;
    int64_t calls = 0;
    int64_t runs = 0;
    int processes = 0;
    std::vector<std::string> faults;
};

// Finds, writes and minimises one fault of a run.
std::string reportFault(const Fault& fault, uint64_t seed, int64_t run, int steps, const std::string& plugin,
                        const std::string& out, int index) {
    const Script whole = generateRun(seed, run, steps);
    const Script failing = failingPart(whole, fault);
    printFault(fault, whole.config);
    const std::string stem = out + "\\fault-" + std::to_string(index) + "-seed" + std::to_string(seed) + "-run" +
                             std::to_string(run) + "-step" + std::to_string(fault.step);
    writeFile(stem + ".txt", formatScript(failing));
    int replays = 0;
    const Script smallest = minimiseFault(failing, fault, plugin, &replays);
    writeFile(stem + "-minimal.txt", formatScript(smallest));
    std::printf("  replay: %s.txt (%zu steps); minimised after %d replays to %zu step(s): %s-minimal.txt\n",
                stem.c_str(), failing.steps.size(), replays, smallest.steps.size(), stem.c_str());
    for (const Step& s : smallest.steps) std::printf("    %s\n", formatStep(s).c_str());
    std::fflush(stdout);
    return fault.category + " at seed " + std::to_string(seed) + " run " + std::to_string(run) + " step " +
           std::to_string(fault.step);
}

int runCommand(const Arguments& a) {
    const int64_t calls = a.number("calls", kDefaultCalls);
    const uint64_t seed = static_cast<uint64_t>(a.number("seed", 1));
    const int64_t chunkCalls = a.number("chunk-calls", kDefaultChunkCalls);
    const int steps = static_cast<int>(a.number("steps-per-run", kDefaultStepsPerRun));
    const int maxFaults = static_cast<int>(a.number("max-faults", kDefaultMaxFaults));
    const std::string plugin = pluginOf(a);
    std::string out = a.get("out", ".");
    CreateDirectoryA(out.c_str(), nullptr);
    const std::string trace = a.get("trace");
    if (!trace.empty()) DeleteFileA(trace.c_str());  // the chunks append to it
    std::printf("soak of %s: %lld calls, seed %llu, %lld calls a process, %d steps a run\n", plugin.c_str(),
                static_cast<long long>(calls), static_cast<unsigned long long>(seed),
                static_cast<long long>(chunkCalls), steps);
    std::fflush(stdout);
    const auto start = std::chrono::steady_clock::now();
    Figures figures;
    int64_t run = 0;
    while (figures.calls < calls && static_cast<int>(figures.faults.size()) < maxFaults) {
        SharedProgress shared;
        const std::string reportPath = temporaryPath("report.txt");
        const int64_t want = std::min(chunkCalls, calls - figures.calls);
        const ChildResult child =
            runChild("chunk --seed " + std::to_string(seed) + " --first-run " + std::to_string(run) + " --calls " +
                         std::to_string(want) + " --steps-per-run " + std::to_string(steps) + " --plugin " +
                         quoteArgument(plugin) + " --report " + quoteArgument(reportPath) + " --progress " +
                         shared.name + (trace.empty() ? std::string() : " --trace " + quoteArgument(trace)),
                     kChunkTimeoutMs);
        ++figures.processes;
        if (!child.started) {
            std::printf("soak: could not start a chunk process\n");
            return kExitUsage;
        }
        std::string report;
        int64_t runs = 0, done = 0, faultRun = shared.progress->run;
        bool faulted = false;
        Fault fault;
        Coverage coverage;
        if (readFile(reportPath, report)) readReport(report, runs, done, faulted, fault, faultRun, &coverage);
        figures.coverage.add(coverage);
        DeleteFileA(reportPath.c_str());
        if (!faulted && child.abnormal()) {
            faulted = true;
            faultRun = shared.progress->run;
            fault = childFault(child, *shared.progress, generateRun(seed, faultRun, steps));
        }
        figures.calls += faulted ? shared.progress->calls : done;
        figures.runs += faulted ? faultRun - run : runs;
        if (faulted) {
            figures.faults.push_back(
                reportFault(fault, seed, faultRun, steps, plugin, out, static_cast<int>(figures.faults.size()) + 1));
            run = faultRun + 1;
        } else {
            run += runs;
        }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%lld calls in %lld runs, %d processes, %.1f s: %.0f calls per second; %zu fault(s)\n",
                static_cast<long long>(figures.calls), static_cast<long long>(figures.runs), figures.processes, seconds,
                seconds > 0 ? figures.calls / seconds : 0.0, figures.faults.size());
    const Coverage& c = figures.coverage;
    std::printf(
        "checked: %lld popup menus (%lld items), %lld events, %lld themed instances, %lld runs with entry "
        "points withheld, %lld controls destroyed by their application's code, %lld modal loops in handlers\n",
        static_cast<long long>(c.menus), static_cast<long long>(c.menuItems), static_cast<long long>(c.events),
        static_cast<long long>(c.themed), static_cast<long long>(c.withheld),
        static_cast<long long>(c.destroyedInHandlers), static_cast<long long>(c.modalLoops));
    for (const std::string& f : figures.faults) std::printf("  %s\n", f.c_str());
    return figures.faults.empty() ? kExitClean : kExitFault;
}

int selftestCommand(const Arguments& a) {
    const std::string expect = a.get("expect");
    const std::string status = a.get("status");
    std::string planted;
    if (!status.empty() && (!readFile(status, planted) || planted.rfind("planted", 0) != 0)) {
        std::printf("the fault could not be planted: %s\n", planted.empty() ? "no status" : planted.c_str());
        return kExitFault;
    }
    const std::string faulty = a.get("plugin");
    const std::string clean = a.get("clean", pluginhost::besideProgram("ClassicControls.dll"));
    const uint64_t seed = static_cast<uint64_t>(a.number("seed", 1));
    const int64_t calls = a.number("calls", 200000);
    const int steps = static_cast<int>(a.number("steps-per-run", 400));
    int64_t done = 0;
    for (int64_t run = 0; done < calls; ++run) {
        const Script script = generateRun(seed, run, steps);
        RunResult result = a.flag("through-driver") ? replayInChild(script, faulty) : replayInProcess(script, faulty);
        done += result.calls > 0 ? result.calls : steps;
        if (!result.faulted) continue;
        printFault(result.fault, script.config);
        // CATEGORY may name several, separated by commas.
        if (("," + expect + ",").find("," + result.fault.category + ",") == std::string::npos) {
            std::printf("caught as %s, not as %s\n", result.fault.category.c_str(), expect.c_str());
            return kExitFault;
        }
        int replays = 0;
        const Script smallest = minimiseFault(failingPart(script, result.fault), result.fault, faulty, &replays);
        std::printf("minimised after %d replays to %zu step(s):\n%s", replays, smallest.steps.size(),
                    formatScript(smallest).c_str());
        const RunResult again = replayFor(result.fault, smallest, faulty);
        if (!again.faulted || again.fault.signature() != result.fault.signature()) {
            std::printf("the minimised replay does not show the fault again\n");
            return kExitFault;
        }
        const RunResult shipping = replayFor(result.fault, smallest, clean);
        if (shipping.faulted) {
            std::printf("the minimised replay fails on the shipping plug-in too: %s\n", shipping.fault.message.c_str());
            return kExitFault;
        }
        std::printf("caught after %lld calls; the replay passes on the shipping plug-in\n",
                    static_cast<long long>(done));
        return kExitClean;
    }
    std::printf("the planted fault was not caught in %lld calls\n", static_cast<long long>(done));
    return kExitFault;
}

int departuresCommand() {
    int count = 0;
    const DepartureRow* rows = departureTable(count);
    std::printf("| Row | Published | The plug-in | Why |\n|---|---|---|---|\n");
    for (int i = 0; i < count; ++i)
        std::printf("| %s | %s | %s | %s |\n", rows[i].name, rows[i].published, rows[i].plugin, rows[i].reason);
    return kExitClean;
}

// --published NAME[,NAME...]: false for a name that no row has.
bool followPublishedRows(const Arguments& a) {
    const std::string names = a.get("published");
    if (names.empty()) return true;
    std::istringstream list(names);
    std::string name;
    while (std::getline(list, name, ','))
        if (!followPublished(name)) {
            std::fprintf(stderr, "soak: no departure is named %s (soak departures lists them)\n", name.c_str());
            return false;
        }
    gChildOptions = " --published " + names;
    return true;
}

}  // namespace
}  // namespace soak

int main(int argc, char** argv) {
    using namespace soak;
    if (argc < 2) {
        std::fprintf(stderr, "usage: soak run|replay|script|minimise|selftest ... (see soak.cpp)\n");
        return kExitUsage;
    }
    const std::string command = argv[1];
    const Arguments arguments = parseArguments(argc, argv, 2);
    if (!followPublishedRows(arguments)) return kExitUsage;
    if (command == "departures") return departuresCommand();
    if (command == "run") return runCommand(arguments);
    if (command == "chunk") return chunkCommand(arguments);
    if (command == "replay") return replayCommand(arguments);
    if (command == "script") return scriptCommand(arguments);
    if (command == "minimise") return minimiseCommand(arguments);
    if (command == "selftest") return selftestCommand(arguments);
    std::fprintf(stderr, "soak: unknown command %s\n", command.c_str());
    return kExitUsage;
}
