// The reference's sources in a plug-in: its registered records and the
// values of newly constructed instances, through the host component, and the
// gallery's cells drawn by it, section by section.
#pragma once

#include <memory>
#include <string>

#include "generate.h"
#include "plugin_host.h"

class PluginSources : public manual::Sources {
public:
    explicit PluginSources(std::string pluginPath);
    // Loads the plug-in; false with *error set when it cannot be loaded.
    bool load(std::string* error);

    std::vector<const ControlDefinition*> records() override;
    bool defaults(const manual::ClassRecord& c, manual::ClassDefaults* defaults, std::string* error) override;
    bool release(std::string* error) override;
    bool pictures(std::vector<manual::SectionPicture>* pictures, std::string* error) override;
    std::vector<manual::ContrastColour> contrastColours() override;

private:
    std::string pluginPath_;
    std::unique_ptr<pluginhost::Host> host_;
};
