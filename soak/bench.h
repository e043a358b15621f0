// What every room of a run acts through and reports to: the host component
// and its system spy set up as the script's system, the host's handles that
// the script names, the calls made into the plug-in and the run's first
// fault.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>

#include "run.h"
#include "script.h"
#include "system_spy.h"
#include "plugin_host.h"

namespace soak {

struct Bench {
    Bench(const Script& script, const RunOptions& options) : script(script), options(options) {}

    // The host as the script's system: its defaults, the entry points it
    // withholds, the plug-in loaded under the spy, the device contexts it
    // lends in the style of the last Surface step. False, with the fault,
    // when the plug-in does not load or the spy cannot watch it.
    bool start();

    const Script& script;
    RunOptions options;
    pluginhost::Host host;
    std::unique_ptr<pluginhost::SystemSpy> spy;
    uint32_t surfaceStyle = 0;
    size_t baseFaults = 0;  // faults the host reported before the first step
    RunResult result;
    int64_t step = 0;
    std::string currentClass;
    std::map<std::string, void*> handles;  // by ref, once made
    std::set<std::string> dropped;         // refs whose host reference is gone
    std::set<const void*> strings;         // string handles whose locks are checked
    std::set<const void*> objects;         // picture and receiver handles likewise

    // The run's first fault, at the step under way; later ones are not kept.
    void fail(const std::string& category, const std::string& message);
    void call(int n = 1);  // counts calls into the plug-in
    // The handle a ref names, made on first use; false when the host has let
    // it go (a script that uses a handle after that is not a host's).
    bool resolve(const std::string& ref, void*& handle);
    std::string textOf(HostString s) const { return s ? host.text(s) : std::string(); }
};

}  // namespace soak
