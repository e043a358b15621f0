// The reference made of the registered classes, their values after
// construct, their pictures and the prose: one section per class, in the
// order of registration.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "document.h"
#include "prose.h"
#include "reader.h"

namespace manual {

// A property's value in a newly constructed instance.
struct DefaultValue {
    int32_t integer = 0;      // Integer and Boolean
    std::string text;         // String
    bool hasPicture = false;  // Picture
    // Not empty when the value is the builder's own setting rather than the
    // control's: "the builder's default caption".
    std::string hostSetting;
};
using ClassDefaults = std::map<std::string, DefaultValue>;  // by property name

// One section of a class's gallery cells.
struct SectionPicture {
    std::string className;
    std::string title;                // "BevelButton: bevels"
    std::vector<std::string> labels;  // its cells, in order
    std::string file;                 // relative to the Markdown file: "manual/BevelButton-bevels.png"
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;  // top-down 0x00RRGGBB rows
};

// An element the controls paint in a fixed colour, and the system colour it
// takes under high contrast.
struct ContrastColour {
    std::string element;
    uint32_t classic = 0;      // 0x00RRGGBB
    std::string systemColour;  // "COLOR_BTNTEXT"
};

struct ReferenceInputs {
    std::vector<ClassRecord> classes;
    std::vector<ContrastColour> contrastColours;
    std::map<std::string, ClassDefaults> defaults;  // by class name
    std::vector<SectionPicture> pictures;
    Prose prose;
    std::string proseSource;      // the prose file's name, for messages
    std::string overviewPicture;  // relative to the Markdown file
};

// Where the classes and the prose disagree: an item of the DLL that the
// prose lacks, an item of the prose that the DLL lacks, a Boolean event
// without the meaning of its answer. Empty when they cover each other.
std::vector<std::string> coverageProblems(const std::vector<ClassRecord>& classes, const Prose& prose,
                                          const std::string& proseSource);

// The reference. Call it only when coverageProblems is empty and every
// property of every class has its default.
Document buildReference(const ReferenceInputs& inputs);

constexpr const char kReferenceTitle[] = "ClassicControls: the controls' manual";

}  // namespace manual
