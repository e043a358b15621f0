// The reference as a list of blocks, written out as Markdown or as one
// HTML page. Texts carry the prose's inline marks: `code`, *emphasis* and
// links to a section, [BevelButton](#BevelButton).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace manual {

struct Block {
    enum class Kind { Comment, Heading, Paragraph, Bullets, Table, Figure };
    Kind kind = Kind::Paragraph;
    int level = 0;                               // Heading: 1 to 4
    std::string anchor;                          // Heading: the name that links use, if any
    std::string text;                            // Comment, Heading, Paragraph; Figure: what the picture shows
    std::vector<std::string> items;              // Bullets
    std::vector<std::vector<std::string>> rows;  // Table, the header row first
    std::string file;                            // Figure: the PNG, relative to the Markdown file
};
using Document = std::vector<Block>;

// Appends prose text: paragraphs separated by blank lines, "- " list items.
// lead starts the first paragraph ("*Bad input:* ").
void addProse(Document& document, const std::string& text, const std::string& lead = std::string());

// The text as one line: the lines of its paragraphs joined by spaces.
std::string oneLine(const std::string& text);

std::string toMarkdown(const Document& document);

// Internet Explorer 8, the last that Windows XP runs, shows a data: URI of
// at most this many characters.
constexpr size_t kLongestDataUri = 32768;

// The page with every figure embedded from pngs (by the figure's file).
// False, naming the file, when a figure is missing from pngs or too large
// for Internet Explorer 8.
bool toHtml(const Document& document, const std::string& title, const std::map<std::string, std::vector<uint8_t>>& pngs,
            std::string* html, std::string* error);

}  // namespace manual
