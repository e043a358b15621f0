#include "script.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace soak {
namespace {

constexpr const char* kMagic = "classiccontrols-soak";
constexpr int kFormatVersion = 1;

// How each op's arguments are written, in order: i slot, w word, v reaction,
// n number, m a last number that older scripts leave out (0), r ref, k keys,
// p menu pick, d redraw.
struct OpFormat {
    Op op;
    const char* name;
    const char* arguments;
};

// clang-format off
constexpr OpFormat kOps[] = {
    {Op::Create, "create", "iwnnnnn"},
    {Op::Destroy, "destroy", "i"},
    {Op::Bounds, "bounds", "innnn"},
    {Op::Enable, "enable", "in"},
    {Op::Visible, "visible", "in"},
    {Op::TabVisible, "tabvisible", "in"},
    {Op::Handler, "handler", "iwn"},
    {Op::NoHandler, "nohandler", "iw"},
    {Op::SetInteger, "seti", "iwn"},
    {Op::GetInteger, "geti", "iw"},
    {Op::SetString, "sets", "iwr"},
    {Op::GetString, "gets", "iw"},
    {Op::SetPicture, "setp", "iwr"},
    {Op::GetPicture, "getp", "iw"},
    {Op::Call, "call", "iwnr"},
    {Op::Assign, "assign", "inr"},
    {Op::Rows, "rows", "i"},
    {Op::Draw, "draw", "i"},
    {Op::DrawOffscreen, "drawoff", "i"},
    {Op::Down, "down", "innkpd"},
    {Op::Drag, "drag", "inn"},
    {Op::Up, "up", "inn"},
    {Op::Move, "move", "inn"},
    {Op::Enter, "enter", "i"},
    {Op::Exit, "exit", "i"},
    {Op::Idle, "idle", "i"},
    {Op::Open, "open", "i"},
    {Op::Close, "close", "i"},
    {Op::ConstantChanged, "constantchanged", "i"},
    {Op::DefaultsReset, "defaultsreset", "i"},
    {Op::StateChanged, "statechanged", "i"},
    {Op::Action, "action", "in"},
    {Op::HandleQuery, "handlequery", "i"},
    {Op::Tick, "tick", "n"},
    {Op::Supply, "supply", "w"},
    {Op::Release, "release", "r"},
    {Op::Surface, "surface", "n"},
    {Op::React, "react", "iwvrm"},
};
// clang-format on

const OpFormat& formatOf(Op op) {
    for (const OpFormat& f : kOps)
        if (f.op == op) return f;
    return kOps[0];
}

std::vector<std::string> words(const std::string& line) {
    std::vector<std::string> result;
    std::istringstream in(line);
    std::string word;
    while (in >> word) result.push_back(word);
    return result;
}

bool number(const std::string& text, int64_t& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    value = hex ? static_cast<int64_t>(std::strtoull(text.c_str(), &end, 16))
                : static_cast<int64_t>(std::strtoll(text.c_str(), &end, 10));
    return end && *end == '\0';
}

std::string hex32(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(value));
    return text;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Reads a quoted text starting at pos (the opening quote); pos ends after
// the closing quote.
bool unquote(const std::string& line, size_t& pos, std::string& bytes) {
    if (pos >= line.size() || line[pos] != '"') return false;
    bytes.clear();
    for (++pos; pos < line.size(); ++pos) {
        const char c = line[pos];
        if (c == '"') {
            ++pos;
            return true;
        }
        if (c != '\\') {
            bytes += c;
            continue;
        }
        if (pos + 3 >= line.size() || line[pos + 1] != 'x') return false;
        const int high = hexDigit(line[pos + 2]);
        const int low = hexDigit(line[pos + 3]);
        if (high < 0 || low < 0) return false;
        bytes += static_cast<char>(high * 16 + low);
        pos += 3;
    }
    return false;
}

bool parseStep(const std::string& line, Step& step, std::string& error) {
    const std::vector<std::string> w = words(line);
    if (w.empty()) return false;
    const OpFormat* format = nullptr;
    for (const OpFormat& f : kOps)
        if (w[0] == f.name) format = &f;
    if (!format) {
        error = "unknown step: " + line;
        return false;
    }
    step = Step{};
    step.op = format->op;
    size_t next = 1;
    int numbers = 0;
    for (const char* kind = format->arguments; *kind; ++kind, ++next) {
        if (next >= w.size() && *kind == 'm') {
            step.n[numbers++] = 0;
            continue;
        }
        if (next >= w.size()) {
            error = "too few arguments: " + line;
            return false;
        }
        const std::string& a = w[next];
        int64_t value = 0;
        switch (*kind) {
            case 'i':
                if (!number(a, value)) break;
                step.slot = static_cast<int32_t>(value);
                continue;
            case 'w':
                step.word = a;
                continue;
            case 'v':
                step.reaction = a;
                continue;
            case 'n':
            case 'm':
                if (!number(a, value)) break;
                step.n[numbers++] = value;
                continue;
            case 'r':
                step.ref = a;
                continue;
            case 'k': {
                if (a == "-") continue;
                std::istringstream keys(a);
                std::string key;
                bool ok = true;
                while (std::getline(keys, key, ',')) {
                    ok = ok && number(key, value);
                    step.keys.push_back(static_cast<int>(value));
                }
                if (!ok) break;
                continue;
            }
            case 'p':
                if (a == "none") {
                    step.pick = kNoChoice;
                    continue;
                }
                if (!number(a, value)) break;
                step.pick = static_cast<int32_t>(value);
                continue;
            case 'd':
                if (!number(a, value)) break;
                step.redraw = static_cast<int32_t>(value);
                continue;
        }
        error = "bad argument " + a + ": " + line;
        return false;
    }
    return true;
}

}  // namespace

const char* opName(Op op) { return formatOf(op).name; }

std::string quoted(const std::string& bytes) {
    std::string text = "\"";
    for (unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
            text += static_cast<char>(c);
        } else {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02X", c);
            text += escape;
        }
    }
    return text + "\"";
}

std::string formatStep(const Step& step) {
    const OpFormat& format = formatOf(step.op);
    std::string line = format.name;
    int numbers = 0;
    for (const char* kind = format.arguments; *kind; ++kind) {
        line += ' ';
        switch (*kind) {
            case 'i':
                line += std::to_string(step.slot);
                break;
            case 'w':
                line += step.word;
                break;
            case 'v':
                line += step.reaction.empty() ? "none" : step.reaction;
                break;
            case 'n':
            case 'm':
                line += std::to_string(step.n[numbers++]);
                break;
            case 'r':
                line += step.ref.empty() ? "nil" : step.ref;
                break;
            case 'k':
                if (step.keys.empty()) line += '-';
                for (size_t i = 0; i < step.keys.size(); ++i) line += (i ? "," : "") + std::to_string(step.keys[i]);
                break;
            case 'p':
                line += step.pick == kNoChoice ? std::string("none") : std::to_string(step.pick);
                break;
            case 'd':
                line += std::to_string(step.redraw);
                break;
        }
    }
    return line;
}

std::string formatScript(const Script& script) {
    const Config& c = script.config;
    std::string text = std::string(kMagic) + " " + std::to_string(kFormatVersion) + "\n";
    text += "seed " + std::to_string(c.seed) + " run " + std::to_string(c.run) + "\n";
    text += "system " + c.system + " language " + std::to_string(c.language) + " uxtheme " + c.uxtheme + "\n";
    text += "withhold";
    for (const std::string& name : c.withheld) text += " " + name;
    text += "\nclock " + std::to_string(c.clock) + "\n";
    text += "defaults caption " + quoted(c.defaultCaption) + " font " + quoted(c.defaultFont) + " size " +
            std::to_string(c.defaultFontSize) + " charset " + std::to_string(c.charset) + "\n";
    for (const auto& s : script.strings)
        text += "string " + s.first + " " + hex32(s.second.encoding) + " " + quoted(s.second.bytes) + "\n";
    for (const auto& p : script.pictures)
        text += "picture " + p.first + " " + std::to_string(p.second.width) + " " + std::to_string(p.second.height) +
                " " + std::to_string(p.second.flag) + (p.second.odd ? " odd" : " plain") + "\n";
    for (const std::string& r : script.receivers) text += "receiver " + r + "\n";
    text += "steps\n";
    for (const Step& step : script.steps) text += formatStep(step) + "\n";
    return text;
}

bool parseScript(const std::string& text, Script& script, std::string& error) {
    script = Script{};
    std::istringstream in(text);
    std::string line;
    bool inSteps = false;
    bool sawMagic = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        if (inSteps) {
            Step step;
            if (!parseStep(line, step, error)) return false;
            script.steps.push_back(step);
            continue;
        }
        const std::vector<std::string> w = words(line);
        Config& c = script.config;
        int64_t value = 0;
        auto field = [&](size_t i, int64_t& out) { return i < w.size() && number(w[i], out); };
        if (w[0] == kMagic) {
            sawMagic = w.size() > 1 && w[1] == std::to_string(kFormatVersion);
        } else if (w[0] == "seed" && w.size() >= 4 && field(1, value)) {
            c.seed = static_cast<uint64_t>(value);
            if (!field(3, c.run)) return error = "bad run: " + line, false;
        } else if (w[0] == "system" && w.size() >= 6) {
            c.system = w[1];
            if (!field(3, value)) return error = "bad language: " + line, false;
            c.language = static_cast<uint16_t>(value);
            c.uxtheme = w[5];
        } else if (w[0] == "withhold") {
            c.withheld.assign(w.begin() + 1, w.end());
        } else if (w[0] == "clock" && field(1, value)) {
            c.clock = static_cast<uint32_t>(value);
        } else if (w[0] == "defaults") {
            size_t pos = line.find('"');
            if (!unquote(line, pos, c.defaultCaption)) return error = "bad defaults: " + line, false;
            pos = line.find('"', pos);
            if (!unquote(line, pos, c.defaultFont)) return error = "bad defaults: " + line, false;
            const std::vector<std::string> rest = words(line.substr(pos));
            if (rest.size() < 4 || !number(rest[1], value)) return error = "bad defaults: " + line, false;
            c.defaultFontSize = static_cast<int32_t>(value);
            if (!number(rest[3], value)) return error = "bad defaults: " + line, false;
            c.charset = static_cast<int32_t>(value);
        } else if (w[0] == "string" && w.size() >= 4) {
            StringDef def;
            if (!number(w[2], value)) return error = "bad string: " + line, false;
            def.encoding = static_cast<uint32_t>(value);
            size_t pos = line.find('"');
            if (!unquote(line, pos, def.bytes)) return error = "bad string: " + line, false;
            script.strings[w[1]] = def;
        } else if (w[0] == "picture" && w.size() >= 6) {
            PictureDef def;
            int64_t width = 0, height = 0, flag = 0;
            if (!field(2, width) || !field(3, height) || !field(4, flag)) return error = "bad picture: " + line, false;
            def.width = static_cast<int32_t>(width);
            def.height = static_cast<int32_t>(height);
            def.flag = static_cast<uint8_t>(flag);
            def.odd = w[5] == "odd";
            script.pictures[w[1]] = def;
        } else if (w[0] == "receiver" && w.size() >= 2) {
            script.receivers.push_back(w[1]);
        } else if (w[0] == "steps") {
            inSteps = true;
        } else {
            error = "unknown line: " + line;
            return false;
        }
    }
    if (!sawMagic) {
        error = std::string("not a ") + kMagic + " " + std::to_string(kFormatVersion) + " script";
        return false;
    }
    return true;
}

}  // namespace soak
