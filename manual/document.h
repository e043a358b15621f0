// The reference as a list of blocks, written out as Markdown or as one
// HTML page. Texts carry the prose's inline marks: `code`, *emphasis* and
// links to a section, [BevelButton](#BevelButton).
#pragma once

#include <cstdint>
#include <set>
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

// The folder beside the page that holds its pictures as PNG files. The
// browsers of Windows 2000 and XP as installed (Internet Explorer 5.01 and
// 6) show no picture from a data: URI, and Internet Explorer 8 none over
// 32 KB; every browser shows a picture from a file beside the page.
constexpr const char kPagePictureFolder[] = "Manual";

// A figure's picture file as the page names it: "manual/Separator.png"
// gives "Manual/Separator.png".
std::string pagePicture(const std::string& figureFile);

// The page, every figure an image of its picture's file (pagePicture).
// False, naming the file, when a figure's file is not among pictures.
bool toHtml(const Document& document, const std::string& title, const std::set<std::string>& pictures,
            std::string* html, std::string* error);

}  // namespace manual
