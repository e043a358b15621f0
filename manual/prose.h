// The reference's prose: what each class, property, value, method and event
// means, kept as data beside the generator and keyed by the names under
// which the plug-in registers them. The file is a list of blocks; each starts
// with a line "@kind key" and runs to the next such line:
//
//   @intro                 the opening paragraphs of the reference
//   @reading               how to read a class's tables
//   @demo                  what the overview's picture of the demo shows
//   @contrast              the controls under the high-contrast setting,
//                          above the table of their colours there
//   @class BevelButton     starts a class; the blocks below belong to it
//   @use <one line>        what the class is for, in the overview's table
//   @purpose               the paragraphs under the class's pictures
//   @property Caption      what a property does
//   @value Bevel 4 themed toolbar button
//                          a label for an enumeration's value by its
//                          position (shown with the default), then
//                          optionally more text
//   @method AddRow         what a method does, by its declaration's name
//   @bad-input AddRow      what it does with input it cannot use
//   @event MouseDown       when an event fires
//   @answer MouseDown      what a Boolean event's answer does
//   @behaviour Mouse       a titled part of the class's behaviour, in order
//
// Text is paragraphs separated by blank lines; a line starting "- " starts a
// list item; `code` and *emphasis* are marked as in Markdown. Lines that
// start with "#" are comments.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace manual {

struct ProseText {
    std::string text;
    int line = 0;  // of the block's "@" line, for messages
};

struct ValueProse {
    std::string label;  // a few words: "themed toolbar button"
    ProseText more;     // may be empty
};

struct ClassProse {
    std::string name;
    int line = 0;
    ProseText use;
    ProseText purpose;
    std::map<std::string, ProseText> properties;
    std::map<std::pair<std::string, int>, ValueProse> values;  // (property, value)
    std::map<std::string, ProseText> methods;
    std::map<std::string, ProseText> badInput;
    std::map<std::string, ProseText> events;
    std::map<std::string, ProseText> answers;
    std::vector<std::pair<std::string, ProseText>> behaviours;  // titled, in file order
};

struct Prose {
    ProseText intro;
    ProseText reading;
    ProseText demo;
    ProseText contrast;
    std::vector<ClassProse> classes;  // in file order
    const ClassProse* find(const std::string& className) const;
};

// Parses the prose file's text; source names it in messages. False with
// *error set ("prose.txt:12: @value Bevel x: the value is not a number").
bool parseProse(const std::string& text, const std::string& source, Prose* prose, std::string* error);

}  // namespace manual
