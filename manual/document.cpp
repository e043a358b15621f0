#include "document.h"

#include <cctype>

namespace manual {

namespace {

constexpr const char kListMark[] = "- ";
constexpr size_t kListMarkLength = sizeof kListMark - 1;

bool blank(const std::string& s) { return s.find_first_not_of(" \t") == std::string::npos; }
bool startsList(const std::string& line) { return line.compare(0, kListMarkLength, kListMark) == 0; }

std::string trimmed(const std::string& s) {
    const size_t first = s.find_first_not_of(" \t");
    if (first == std::string::npos) return std::string();
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        result.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return result;
}

void joinLine(std::string& to, const std::string& line) {
    const std::string t = trimmed(line);
    if (t.empty()) return;
    if (!to.empty()) to += ' ';
    to += t;
}

// ---- Markdown ----------------------------------------------------------------

// The anchor that GitHub gives a heading: letters and digits in lower case,
// spaces as hyphens.
std::string headingSlug(const std::string& text) {
    std::string slug;
    for (char c : text) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (std::isalnum(u) || c == '-' || c == '_') slug += static_cast<char>(std::tolower(u));
        if (c == ' ') slug += '-';
    }
    return slug;
}

// Links to a section point at the heading's anchor.
std::string markdownInline(const std::string& text, bool inTable) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 3, "](#") == 0) {
            const size_t close = text.find(')', i);
            if (close != std::string::npos) {
                out += "](#" + headingSlug(text.substr(i + 3, close - i - 3)) + ")";
                i = close;
                continue;
            }
        }
        if (inTable && text[i] == '|') out += '\\';
        out += text[i];
    }
    return out;
}

// ---- HTML --------------------------------------------------------------------

std::string escapeHtml(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string htmlInline(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '`') {
            const size_t close = text.find('`', i + 1);
            if (close != std::string::npos) {
                out += "<code>" + escapeHtml(text.substr(i + 1, close - i - 1)) + "</code>";
                i = close;
                continue;
            }
        }
        if (c == '*' && i + 1 < text.size() && text[i + 1] != ' ') {
            const size_t close = text.find('*', i + 1);
            if (close != std::string::npos) {
                out += "<em>" + htmlInline(text.substr(i + 1, close - i - 1)) + "</em>";
                i = close;
                continue;
            }
        }
        if (c == '[') {
            const size_t middle = text.find("](#", i);
            const size_t close = middle == std::string::npos ? middle : text.find(')', middle);
            if (close != std::string::npos) {
                const std::string anchor = text.substr(middle + 3, close - middle - 3);
                out += "<a href=\"#" + escapeHtml(anchor) + "\">" + htmlInline(text.substr(i + 1, middle - i - 1)) +
                       "</a>";
                i = close;
                continue;
            }
        }
        out += escapeHtml(std::string(1, c));
    }
    return out;
}

// Simple enough for Internet Explorer 5 and 6: no selectors beyond element
// and class, no max-width, sizes in points. Tables set their font size
// because in quirks mode (Internet Explorer 5) they do not inherit it.
constexpr const char kStyle[] =
    "body { font-family: Tahoma, Verdana, Arial, sans-serif; font-size: 10pt; color: #000000; background: #ffffff; "
    "margin: 12px 24px; }\n"
    "h1 { font-size: 18pt; }\n"
    "h2 { font-size: 14pt; margin-top: 28px; border-bottom: 1px solid #808080; }\n"
    "h3 { font-size: 12pt; margin-top: 18px; }\n"
    "h4 { font-size: 10pt; margin: 14px 0 4px 0; }\n"
    "table { border-collapse: collapse; margin: 6px 0 12px 0; font-size: 10pt; }\n"
    "th, td { border: 1px solid #a0a0a0; padding: 2px 6px; text-align: left; vertical-align: top; }\n"
    "th { background: #e8e8e8; }\n"
    "code { font-family: \"Courier New\", Courier, monospace; }\n"
    "img { border: 0; }\n";

// The pictures are opaque RGB PNG files, which Internet Explorer 5.01 and 6
// draw as every later browser does. The text of the page never depends on a
// picture: each one's description is its alternative text.
std::string htmlFigure(const Block& b) {
    return "<div class=\"figure\"><img src=\"" + escapeHtml(pagePicture(b.file)) + "\" alt=\"" + escapeHtml(b.text) +
           "\"></div>\n";
}

// The summary names the columns, for readers that speak the page.
std::string htmlTable(const Block& b) {
    std::string summary;
    for (const std::string& heading : b.rows.empty() ? std::vector<std::string>() : b.rows[0])
        summary += (summary.empty() ? "" : ", ") + heading;
    std::string out = "<table summary=\"" + escapeHtml(summary) + "\">\n";
    for (size_t r = 0; r < b.rows.size(); ++r) {
        const char* cell = r == 0 ? "th" : "td";
        out += "<tr>";
        for (const std::string& text : b.rows[r])
            out += std::string("<") + cell + ">" + htmlInline(text) + "</" + cell + ">";
        out += "</tr>\n";
    }
    return out + "</table>\n";
}

}  // namespace

void addProse(Document& document, const std::string& text, const std::string& lead) {
    std::string paragraph;
    Block list;
    list.kind = Block::Kind::Bullets;
    bool first = true;
    const auto flush = [&] {
        if (!paragraph.empty()) {
            Block p;
            p.kind = Block::Kind::Paragraph;
            p.text = (first ? lead : std::string()) + paragraph;
            document.push_back(p);
            first = false;
            paragraph.clear();
        }
        if (!list.items.empty()) {
            if (first && !lead.empty()) {
                Block p;
                p.kind = Block::Kind::Paragraph;
                p.text = trimmed(lead);
                document.push_back(p);
            }
            document.push_back(list);
            first = false;
            list.items.clear();
        }
    };
    for (const std::string& line : lines(text)) {
        if (blank(line)) {
            flush();
        } else if (startsList(line)) {
            if (!paragraph.empty()) flush();
            list.items.push_back(trimmed(line.substr(kListMarkLength)));
        } else if (!list.items.empty()) {
            joinLine(list.items.back(), line);
        } else {
            joinLine(paragraph, line);
        }
    }
    flush();
}

std::string oneLine(const std::string& text) {
    std::string out;
    for (const std::string& line : lines(text)) joinLine(out, line);
    return out;
}

std::string toMarkdown(const Document& document) {
    std::string out;
    for (const Block& b : document) {
        if (!out.empty()) out += '\n';
        switch (b.kind) {
            case Block::Kind::Comment:
                out += "<!-- " + b.text + " -->\n";
                break;
            case Block::Kind::Heading:
                out += std::string(size_t(b.level), '#') + " " + b.text + "\n";
                break;
            case Block::Kind::Paragraph:
                out += markdownInline(b.text, false) + "\n";
                break;
            case Block::Kind::Bullets:
                for (const std::string& item : b.items) out += "- " + markdownInline(item, false) + "\n";
                break;
            case Block::Kind::Table:
                for (size_t r = 0; r < b.rows.size(); ++r) {
                    out += "|";
                    for (const std::string& cell : b.rows[r]) out += " " + markdownInline(cell, true) + " |";
                    out += "\n";
                    if (r == 0) {
                        out += "|";
                        for (size_t c = 0; c < b.rows[r].size(); ++c) out += "---|";
                        out += "\n";
                    }
                }
                break;
            case Block::Kind::Figure:
                out += "![" + b.text + "](" + b.file + ")\n";
                break;
        }
    }
    return out;
}

std::string pagePicture(const std::string& figureFile) {
    const size_t slash = figureFile.find_last_of('/');
    return std::string(kPagePictureFolder) + "/" +
           (slash == std::string::npos ? figureFile : figureFile.substr(slash + 1));
}

bool toHtml(const Document& document, const std::string& title, const std::set<std::string>& pictures,
            std::string* html, std::string* error) {
    std::string out =
        "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01//EN\" \"http://www.w3.org/TR/html4/strict.dtd\">\n"
        "<html lang=\"en\">\n<head>\n"
        "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\n"
        "<title>" +
        escapeHtml(title) + "</title>\n<style type=\"text/css\">\n" + kStyle + "</style>\n</head>\n<body>\n";
    for (const Block& b : document) {
        switch (b.kind) {
            case Block::Kind::Comment:
                out += "<!-- " + escapeHtml(b.text) + " -->\n";
                break;
            case Block::Kind::Heading: {
                const std::string tag = "h" + std::to_string(b.level);
                out += "<" + tag + ">";
                if (!b.anchor.empty()) {
                    const std::string anchor = escapeHtml(b.anchor);
                    out += "<a name=\"" + anchor + "\" id=\"" + anchor + "\">" + htmlInline(b.text) + "</a>";
                } else {
                    out += htmlInline(b.text);
                }
                out += "</" + tag + ">\n";
                break;
            }
            case Block::Kind::Paragraph:
                out += "<p>" + htmlInline(b.text) + "</p>\n";
                break;
            case Block::Kind::Bullets:
                out += "<ul>\n";
                for (const std::string& item : b.items) out += "<li>" + htmlInline(item) + "</li>\n";
                out += "</ul>\n";
                break;
            case Block::Kind::Table:
                out += htmlTable(b);
                break;
            case Block::Kind::Figure:
                if (!pictures.count(b.file)) {
                    *error = "no picture " + b.file + " for the page";
                    return false;
                }
                out += htmlFigure(b);
                break;
        }
    }
    *html = out + "</body>\n</html>\n";
    return true;
}

}  // namespace manual
