#include "prose.h"

#include <string>

namespace manual {

namespace {

// Digits of the longest value a @value names: enumerations are short.
constexpr size_t kLongestValue = 4;

struct Block {
    std::string kind;  // after the "@"
    std::string key;   // the rest of the "@" line, trimmed
    int line = 0;
    std::vector<std::string> body;
};

std::string trimmed(const std::string& s) {
    const size_t first = s.find_first_not_of(" \t");
    if (first == std::string::npos) return std::string();
    const size_t last = s.find_last_not_of(" \t");
    return s.substr(first, last - first + 1);
}

bool blank(const std::string& s) { return s.find_first_not_of(" \t") == std::string::npos; }

// The body without blank lines at either end, lines joined by '\n'.
std::string bodyText(const std::vector<std::string>& lines) {
    size_t first = 0;
    size_t end = lines.size();
    while (first < end && blank(lines[first])) ++first;
    while (end > first && blank(lines[end - 1])) --end;
    std::string text;
    for (size_t i = first; i < end; ++i) {
        if (i > first) text += '\n';
        text += lines[i];
    }
    return text;
}

// The first word of a key and what follows it.
std::pair<std::string, std::string> firstWord(const std::string& key) {
    const size_t space = key.find(' ');
    if (space == std::string::npos) return {key, std::string()};
    return {key.substr(0, space), trimmed(key.substr(space + 1))};
}

class Parser {
public:
    Parser(const std::string& source, Prose* prose, std::string* error)
        : source_(source), prose_(prose), error_(error) {}

    bool add(const Block& b) {
        const std::string body = bodyText(b.body);
        if (ProseText* global = globalBlock(b.kind)) {
            ProseText& target = *global;
            if (target.line)
                return fail(b, "a second @" + b.kind + " (the first is on line " + std::to_string(target.line) + ")");
            if (!b.key.empty()) return fail(b, "@" + b.kind + " takes no name");
            return text(b, body, &target);
        }
        if (b.kind == "class") {
            if (b.key.empty() || b.key.find(' ') != std::string::npos) return fail(b, "@class takes one class name");
            for (const ClassProse& c : prose_->classes)
                if (c.name == b.key)
                    return fail(b,
                                "a second @class " + b.key + " (the first is on line " + std::to_string(c.line) + ")");
            if (!body.empty()) return fail(b, "@class " + b.key + " takes no text; its blocks follow it");
            ClassProse c;
            c.name = b.key;
            c.line = b.line;
            prose_->classes.push_back(c);
            return true;
        }
        if (prose_->classes.empty()) return fail(b, "@" + b.kind + " before the first @class");
        ClassProse& c = prose_->classes.back();
        if (b.kind == "use") {
            if (c.use.line) return fail(b, "a second @use for " + c.name);
            if (b.key.empty() || !body.empty()) return fail(b, "@use takes its one line of text on the same line");
            c.use = ProseText{b.key, b.line};
            return true;
        }
        if (b.kind == "purpose") {
            if (c.purpose.line) return fail(b, "a second @purpose for " + c.name);
            if (!b.key.empty()) return fail(b, "@purpose takes no name");
            return text(b, body, &c.purpose);
        }
        if (b.kind == "value") return value(b, body, c);
        if (b.kind == "behaviour") {
            if (b.key.empty()) return fail(b, "@behaviour needs a title");
            for (const auto& existing : c.behaviours)
                if (existing.first == b.key) return fail(b, "a second @behaviour " + b.key + " for " + c.name);
            ProseText t;
            if (!text(b, body, &t)) return false;
            c.behaviours.emplace_back(b.key, t);
            return true;
        }
        std::map<std::string, ProseText>* table = nullptr;
        if (b.kind == "property") table = &c.properties;
        if (b.kind == "method") table = &c.methods;
        if (b.kind == "bad-input") table = &c.badInput;
        if (b.kind == "event") table = &c.events;
        if (b.kind == "answer") table = &c.answers;
        if (!table) return fail(b, "unknown block @" + b.kind);
        if (b.key.empty() || b.key.find(' ') != std::string::npos) return fail(b, "@" + b.kind + " takes one name");
        const auto found = table->find(b.key);
        if (found != table->end())
            return fail(b, "a second @" + b.kind + " " + b.key + " for " + c.name + " (the first is on line " +
                               std::to_string(found->second.line) + ")");
        return text(b, body, &(*table)[b.key]);
    }

    bool fail(const Block& b, const std::string& message) { return fail(b.line, message); }
    bool fail(int line, const std::string& message) {
        *error_ = source_ + ":" + std::to_string(line) + ": " + message;
        return false;
    }

private:
    // The blocks that belong to the whole reference rather than to a class.
    ProseText* globalBlock(const std::string& kind) {
        if (kind == "intro") return &prose_->intro;
        if (kind == "reading") return &prose_->reading;
        if (kind == "demo") return &prose_->demo;
        if (kind == "contrast") return &prose_->contrast;
        return nullptr;
    }

    bool text(const Block& b, const std::string& body, ProseText* target) {
        if (body.empty()) return fail(b, "@" + b.kind + (b.key.empty() ? "" : " " + b.key) + " has no text");
        *target = ProseText{body, b.line};
        return true;
    }

    // "@value Bevel 4 themed toolbar button"
    bool value(const Block& b, const std::string& body, ClassProse& c) {
        const auto [property, rest] = firstWord(b.key);
        const auto [number, label] = firstWord(rest);
        if (property.empty() || number.empty()) return fail(b, "@value takes a property, a value and a label");
        if (number.find_first_not_of("0123456789") != std::string::npos || number.size() > kLongestValue)
            return fail(b, "@value " + property + " " + number + ": the value is not a number");
        const int v = std::stoi(number);
        if (label.empty()) return fail(b, "@value " + property + " " + number + " has no label");
        const auto key = std::make_pair(property, v);
        const auto found = c.values.find(key);
        if (found != c.values.end())
            return fail(b, "a second @value " + property + " " + number + " for " + c.name + " (the first is on line " +
                               std::to_string(found->second.more.line) + ")");
        c.values[key] = ValueProse{label, ProseText{body, b.line}};
        return true;
    }

    std::string source_;
    Prose* prose_;
    std::string* error_;
};

}  // namespace

const ClassProse* Prose::find(const std::string& className) const {
    for (const ClassProse& c : classes)
        if (c.name == className) return &c;
    return nullptr;
}

bool parseProse(const std::string& text, const std::string& source, Prose* prose, std::string* error) {
    Prose parsed;
    Parser parser(source, &parsed, error);
    std::vector<Block> blocks;
    size_t start = 0;
    int lineNumber = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line[0] == '#') continue;
        if (!line.empty() && line[0] == '@') {
            const auto [kind, key] = firstWord(trimmed(line.substr(1)));
            blocks.push_back(Block{kind, key, lineNumber, {}});
            continue;
        }
        if (blocks.empty()) {
            if (!blank(line)) return parser.fail(lineNumber, "text before the first @ block");
            continue;
        }
        blocks.back().body.push_back(line);
    }
    for (const Block& b : blocks)
        if (!parser.add(b)) return false;
    if (!parsed.intro.line) return parser.fail(1, "no @intro");
    if (!parsed.reading.line) return parser.fail(1, "no @reading");
    if (!parsed.demo.line) return parser.fail(1, "no @demo");
    if (!parsed.contrast.line) return parser.fail(1, "no @contrast");
    *prose = std::move(parsed);
    return true;
}

}  // namespace manual
