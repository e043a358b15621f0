#include "reference.h"

#include <set>

namespace manual {

namespace {

constexpr const char kTimes[] = "\xC3\x97";     // the multiplication sign, between width and height
constexpr const char kDash[] = "\xE2\x80\x94";  // the em dash, between a value's label and the rest of its meaning

std::string where(const std::string& source, int line) { return source + ":" + std::to_string(line) + ": "; }

// Items of one kind: each that the DLL has needs prose, each that the prose
// has must be in the DLL. required says which DLL items need the block
// (a @bad-input only where a method takes parameters).
template <typename Item, typename Required>
void coverItems(const std::string& kind, const std::string& className, const std::vector<Item>& items,
                const std::map<std::string, ProseText>& prose, Required required, const std::string& why,
                const std::string& source, std::vector<std::string>& problems) {
    std::set<std::string> wanted;
    for (const Item& item : items) {
        if (!required(item)) continue;
        wanted.insert(item.name);
        if (!prose.count(item.name))
            problems.push_back(source + ": " + className + " lacks @" + kind + " " + item.name);
    }
    for (const auto& [name, text] : prose) {
        if (wanted.count(name)) continue;
        bool known = false;
        for (const Item& item : items) known = known || item.name == name;
        problems.push_back(where(source, text.line) + "@" + kind + " " + name + ": " +
                           (known ? name + " " + why : className + " registers no " + name));
    }
}

void coverClass(const ClassRecord& c, const ClassProse& p, const std::string& source,
                std::vector<std::string>& problems) {
    if (!p.use.line) problems.push_back(where(source, p.line) + "@class " + c.name + " lacks its @use");
    if (!p.purpose.line) problems.push_back(where(source, p.line) + "@class " + c.name + " lacks its @purpose");
    const auto always = [](const auto&) { return true; };
    coverItems("property", c.name, c.properties, p.properties, always, "", source, problems);
    coverItems("method", c.name, c.methods, p.methods, always, "", source, problems);
    coverItems(
        "bad-input", c.name, c.methods, p.badInput, [](const MethodRecord& m) { return m.hasParameters; },
        "takes no parameters", source, problems);
    coverItems("event", c.name, c.events, p.events, always, "", source, problems);
    coverItems(
        "answer", c.name, c.events, p.answers, [](const EventRecord& e) { return e.boolean; }, "is not a Boolean event",
        source, problems);

    for (const PropertyRecord& property : c.properties)
        for (size_t v = 0; v < property.entries.size(); ++v)
            if (!p.values.count({property.name, static_cast<int>(v)}))
                problems.push_back(source + ": " + c.name + " lacks @value " + property.name + " " + std::to_string(v));
    for (const auto& [key, value] : p.values) {
        const PropertyRecord* property = nullptr;
        for (const PropertyRecord& candidate : c.properties)
            if (candidate.name == key.first) property = &candidate;
        const std::string item =
            where(source, value.more.line) + "@value " + key.first + " " + std::to_string(key.second) + ": ";
        if (!property)
            problems.push_back(item + c.name + " registers no property " + key.first);
        else if (property->entries.empty())
            problems.push_back(item + key.first + " has no enumeration");
        else if (size_t(key.second) >= property->entries.size())
            problems.push_back(item + key.first + " has " + std::to_string(property->entries.size()) + " entries");
    }
}

Block heading(int level, const std::string& text, const std::string& anchor = std::string()) {
    Block b;
    b.kind = Block::Kind::Heading;
    b.level = level;
    b.text = text;
    b.anchor = anchor;
    return b;
}

// "black", "white", "grey 64" or "RGB 1, 2, 3".
std::string colourName(uint32_t colour) {
    const uint32_t r = colour >> 16 & 0xFF, g = colour >> 8 & 0xFF, b = colour & 0xFF;
    if (r == g && g == b) return r == 0 ? "black" : r == 0xFF ? "white" : "grey " + std::to_string(r);
    return "RGB " + std::to_string(r) + ", " + std::to_string(g) + ", " + std::to_string(b);
}

Block paragraph(const std::string& text) {
    Block b;
    b.kind = Block::Kind::Paragraph;
    b.text = text;
    return b;
}

Block figure(const std::string& file, const std::string& text) {
    Block b;
    b.kind = Block::Kind::Figure;
    b.file = file;
    b.text = text;
    return b;
}

std::string code(const std::string& text) { return "`" + text + "`"; }

std::string size(int32_t width, int32_t height) {
    return std::to_string(width) + " " + kTimes + " " + std::to_string(height);
}

std::string access(bool direct) { return direct ? "direct" : "function"; }

std::string defaultText(const PropertyRecord& p, const DefaultValue& v, const ClassProse& prose) {
    if (!v.hostSetting.empty()) return v.hostSetting;
    switch (p.kind) {
        case ValueKind::Integer: {
            std::string text = code(std::to_string(v.integer));
            const auto label = prose.values.find({p.name, v.integer});
            if (label != prose.values.end()) text += " (" + label->second.label + ")";
            return text;
        }
        case ValueKind::Boolean:
            return v.integer ? "true" : "false";
        case ValueKind::String:
            return v.text.empty() ? "empty" : code("\"" + v.text + "\"");
        case ValueKind::Picture:
            return v.hasPicture ? "a picture" : "none";
    }
    return std::string();
}

// "List(row As Integer) As String" assigned to: "List(row As Integer) = value".
std::string assignmentForm(const std::string& declaration) {
    const size_t close = declaration.find(')');
    return declaration.substr(0, close == std::string::npos ? declaration.find(' ') : close + 1) + " = value";
}

void addProperties(Document& d, const ClassRecord& c, const ClassDefaults& defaults, const ClassProse& prose) {
    d.push_back(heading(3, "Properties"));
    if (c.properties.empty()) {
        d.push_back(paragraph("None."));
        return;
    }
    Block table;
    table.kind = Block::Kind::Table;
    table.rows.push_back({"Group", "Property", "Type", "Read", "Written", "After construct"});
    for (const PropertyRecord& p : c.properties)
        table.rows.push_back({p.group, code(p.name), p.type, access(p.readDirect), access(p.writtenDirect),
                              defaultText(p, defaults.at(p.name), prose)});
    d.push_back(table);
    for (const PropertyRecord& p : c.properties) {
        d.push_back(heading(4, code(p.name)));
        addProse(d, prose.properties.at(p.name).text);
        if (p.entries.empty()) continue;
        Block values;
        values.kind = Block::Kind::Table;
        values.rows.push_back({"Value", "Entry", "Meaning"});
        for (size_t v = 0; v < p.entries.size(); ++v) {
            const ValueProse& meaning = prose.values.at({p.name, static_cast<int>(v)});
            std::string text = meaning.label;
            if (!meaning.more.text.empty()) text += " " + std::string(kDash) + " " + oneLine(meaning.more.text);
            values.rows.push_back({code(std::to_string(v)), code(p.entries[v]), text});
        }
        d.push_back(values);
    }
}

void addMethods(Document& d, const ClassRecord& c, const ClassProse& prose) {
    d.push_back(heading(3, "Methods"));
    if (c.methods.empty()) d.push_back(paragraph("None."));
    for (const MethodRecord& m : c.methods) {
        d.push_back(heading(4, code(m.declaration)));
        addProse(d, prose.methods.at(m.name).text);
        if (m.assignable) d.push_back(paragraph("*Assigned to:* " + code(assignmentForm(m.declaration))));
        if (m.hasParameters) addProse(d, prose.badInput.at(m.name).text, "*Bad input:* ");
    }
}

void addEvents(Document& d, const ClassRecord& c, const ClassProse& prose) {
    d.push_back(heading(3, "Events"));
    if (c.events.empty()) d.push_back(paragraph("None."));
    for (const EventRecord& e : c.events) {
        d.push_back(heading(4, code(e.declaration)));
        addProse(d, prose.events.at(e.name).text);
        if (e.boolean) addProse(d, prose.answers.at(e.name).text, "*The answer:* ");
    }
}

std::string pictureText(const SectionPicture& picture) {
    std::string text = picture.title + ":";
    for (size_t i = 0; i < picture.labels.size(); ++i) text += (i ? ", " : " ") + picture.labels[i];
    return text;
}

}  // namespace

std::vector<std::string> coverageProblems(const std::vector<ClassRecord>& classes, const Prose& prose,
                                          const std::string& source) {
    std::vector<std::string> problems;
    for (const ClassRecord& c : classes) {
        if (const ClassProse* p = prose.find(c.name))
            coverClass(c, *p, source, problems);
        else
            problems.push_back(source + ": lacks @class " + c.name);
    }
    for (const ClassProse& p : prose.classes) {
        bool registered = false;
        for (const ClassRecord& c : classes) registered = registered || c.name == p.name;
        if (!registered)
            problems.push_back(where(source, p.line) + "@class " + p.name + ": the DLL registers no such class");
    }
    return problems;
}

Document buildReference(const ReferenceInputs& in) {
    Document d;
    Block note;
    note.kind = Block::Kind::Comment;
    note.text = "Made by make docs from the DLL and " + in.proseSource + ": edit those, not this file.";
    d.push_back(note);
    d.push_back(heading(1, kReferenceTitle));
    addProse(d, in.prose.intro.text);

    d.push_back(heading(2, "Which control for what", "Overview"));
    Block overview;
    overview.kind = Block::Kind::Table;
    overview.rows.push_back({"Control", "Use it for", "Default size"});
    for (const ClassRecord& c : in.classes)
        overview.rows.push_back({"[" + c.name + "](#" + c.name + ")", in.prose.find(c.name)->use.text,
                                 size(c.defaultWidth, c.defaultHeight)});
    d.push_back(overview);
    d.push_back(figure(in.overviewPicture, oneLine(in.prose.demo.text)));

    d.push_back(heading(2, "Reading this manual", "Reading"));
    addProse(d, in.prose.reading.text);

    d.push_back(heading(2, "High contrast", "HighContrast"));
    addProse(d, in.prose.contrast.text);
    Block colours;
    colours.kind = Block::Kind::Table;
    colours.rows.push_back({"Element", "High contrast off", "High contrast on"});
    for (const ContrastColour& c : in.contrastColours)
        colours.rows.push_back({c.element, colourName(c.classic), "`" + c.systemColour + "`"});
    d.push_back(colours);

    for (const ClassRecord& c : in.classes) {
        const ClassProse& prose = *in.prose.find(c.name);
        d.push_back(heading(2, c.name, c.name));
        for (const SectionPicture& picture : in.pictures)
            if (picture.className == c.name) d.push_back(figure(picture.file, pictureText(picture)));
        addProse(d, prose.purpose.text);
        d.push_back(paragraph("Default size: " + size(c.defaultWidth, c.defaultHeight) + " pixels."));
        const auto defaults = in.defaults.find(c.name);
        addProperties(d, c, defaults == in.defaults.end() ? ClassDefaults() : defaults->second, prose);
        addMethods(d, c, prose);
        addEvents(d, c, prose);
        if (prose.behaviours.empty()) continue;
        d.push_back(heading(3, "Behaviour"));
        for (const auto& [title, text] : prose.behaviours) {
            d.push_back(heading(4, title));
            addProse(d, text.text);
        }
    }
    return d;
}

}  // namespace manual
