// Makes the reference from its sources and either writes it or compares it
// with the committed one. Everything is read, checked and made in memory
// first: a record that cannot be read or prose that does not cover the DLL
// stops the run before any file is touched. It writes only the Markdown file
// and the pictures under the docs folder, and the HTML page with the folder
// of its pictures beside it; a check writes the page too once the committed
// reference is found current.
#pragma once

#include <string>
#include <vector>

#include "reference.h"

namespace manual {

// Under the docs folder.
constexpr const char kMarkdownFile[] = "manual.md";
constexpr const char kPictureFolder[] = "manual";
constexpr const char kOverviewPicture[] = "demo.png";  // already there: the demo's form

// What the reference is made of. The program's own sources read a plug-in
// through the host component and draw the gallery's cells.
class Sources {
public:
    virtual ~Sources() = default;
    // The registered records, readable until release().
    virtual std::vector<const ControlDefinition*> records() = 0;
    // The value of every property of a newly constructed instance.
    virtual bool defaults(const ClassRecord& c, ClassDefaults* defaults, std::string* error) = 0;
    // Lets go of the records before the pictures are drawn; false with
    // *error set when the plug-in left something behind.
    virtual bool release(std::string* error) = 0;
    // Each section of the classes' cells, without its file name.
    virtual bool pictures(std::vector<SectionPicture>* pictures, std::string* error) = 0;
    // The elements painted in fixed colours and their colours under high
    // contrast, in the plug-in's order.
    virtual std::vector<ContrastColour> contrastColours() = 0;
};

struct Options {
    std::string docs;    // the docs folder
    std::string html;    // the HTML page to write, its pictures beside it; not written when empty
    bool check = false;  // compare with the committed reference, write nothing under docs
    std::string proseText;
    std::string proseSource;  // its name in messages
};

enum Outcome {
    kCurrent = 0,  // written, or (check) the committed reference is what the DLL yields
    kStale = 1,    // (check) the committed reference differs
    kFailed = 2,   // nothing could be made; nothing was written
};

// Messages say what failed or what differs, one per line.
Outcome generate(Sources& sources, const Options& options, std::vector<std::string>* messages);

// The picture's file for a section title: "BevelButton: themed (Bevel 4)"
// gives "manual/BevelButton-themed-Bevel-4.png".
std::string pictureFile(const std::string& title);

}  // namespace manual
