// A run of a script: what it is given and what it reports, shared by the
// driver, the minimiser and the executor's rooms.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

namespace soak {

// Shared with the driver (in a file mapping) so that a crash can be
// attributed to its run and step.
struct Progress {
    volatile int64_t run;
    volatile int64_t step;
    volatile int64_t calls;
    volatile uint32_t exceptionCode;
    volatile uint64_t exceptionAddress;
};

struct Fault {
    // gdi, dc, lock, released, guard, late (a destroyed block written), gone (an entry point given a
    // destroyed instance), menu, uxtheme, printed, behaviour, host, crash, hang
    std::string category;
    std::string message;
    int64_t step = -1;      // index into the script's steps; steps.size() and on: the run's final destroys
    std::string className;  // of the instance the step drove, if any
    std::string signature() const { return category + ":" + className; }
};

// How much of the checking a run got to do, for the figures.
struct Coverage {
    int64_t menus = 0;  // popup menus compared with the model
    int64_t menuItems = 0;
    int64_t events = 0;               // events compared
    int64_t themed = 0;               // instances that drew with a theme
    int64_t withheld = 0;             // runs with entry points withheld
    int64_t destroyedInHandlers = 0;  // controls the application's code destroyed
    int64_t modalLoops = 0;           // modal loops run in handlers
    void add(const Coverage& o) {
        menus += o.menus, menuItems += o.menuItems, events += o.events, themed += o.themed, withheld += o.withheld;
        destroyedInHandlers += o.destroyedInHandlers, modalLoops += o.modalLoops;
    }
    // As a child's report and the trace write it.
    std::string text() const {
        return "coverage " + std::to_string(menus) + " " + std::to_string(menuItems) + " " + std::to_string(events) +
               " " + std::to_string(themed) + " " + std::to_string(withheld) + " " +
               std::to_string(destroyedInHandlers) + " " + std::to_string(modalLoops) + "\n";
    }
};

struct RunResult {
    int64_t steps = 0;  // steps carried out
    int64_t calls = 0;  // calls into the plug-in
    Coverage coverage;
    bool faulted = false;
    Fault fault;
};

struct RunOptions {
    std::string plugin;        // path of the DLL
    bool checkOutput = false;  // stdout and stderr are files that must stay empty
    Progress* progress = nullptr;
    // Told of the fault the moment it is found, before the run is taken down.
    std::function<void(const Fault&)> onFault;
    // When given, one line per step (what was done, the calls so far, the
    // events the host saw, the state the model holds for the step's control)
    // and the run's verdict: two builds of the soak that do the same write
    // the same trace.
    std::FILE* trace = nullptr;
};

}  // namespace soak
