#include "reader.h"

#include <cctype>
#include <cstring>
#include <set>

namespace manual {

namespace {

// More rows than any class could sensibly have: a count beyond it is a
// damaged record, not a table to walk.
constexpr int32_t kMaxRows = 256;
constexpr const char kResultMarker[] = " As ";

struct TypeName {
    const char* name;
    ValueKind kind;
};
// The type names the builder knows for properties; compared without regard
// to letter case, as the records spell them both ways.
constexpr TypeName kTypeNames[] = {
    {"Integer", ValueKind::Integer},
    {"Boolean", ValueKind::Boolean},
    {"String", ValueKind::String},
    {"Picture", ValueKind::Picture},
};

bool sameNoCase(const std::string& a, const char* b) {
    if (a.size() != std::strlen(b)) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

bool isIdentifier(const std::string& text) {
    if (text.empty() || !(std::isalpha(static_cast<unsigned char>(text[0])) || text[0] == '_')) return false;
    for (char c : text)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_')) return false;
    return true;
}

// A text field of a record: null and empty are both missing.
bool present(const char* text) { return text && *text; }

// Checks a table's count and pointer; names the table in the error.
bool tableReadable(const std::string& owner, const char* what, int32_t count, const void* table, std::string* error) {
    if (count < 0 || count > kMaxRows) {
        *error = owner + ": " + std::to_string(count) + " " + what + " is not a count";
        return false;
    }
    if (count > 0 && !table) {
        *error = owner + ": " + std::to_string(count) + " " + what + " but no table";
        return false;
    }
    return true;
}

// The item's name for messages: its own name when it has one, else its
// position, counted from 1 as in the class tables.
std::string itemName(const char* kind, int32_t index, const char* name) {
    return std::string(kind) + " " + (present(name) ? std::string(name) : std::to_string(index + 1));
}

bool readProperty(const std::string& owner, int32_t index, const PropertyDefinition& p, PropertyRecord* out,
                  std::string* error) {
    const std::string item = owner + ": " + itemName("property", index, p.name);
    if (!present(p.name)) {
        *error = item + " has no name";
        return false;
    }
    if (!present(p.group)) {
        *error = item + " has no group";
        return false;
    }
    if (!present(p.type)) {
        *error = item + " has no type";
        return false;
    }
    out->group = p.group;
    out->name = p.name;
    out->type = p.type;
    bool known = false;
    for (const TypeName& t : kTypeNames) {
        if (sameNoCase(out->type, t.name)) {
            out->kind = t.kind;
            known = true;
        }
    }
    if (!known) {
        *error = item + " has the type \"" + out->type + "\", which is none of Integer, Boolean, String, Picture";
        return false;
    }
    if (!p.getter || !p.setter) {
        *error = item + (p.getter ? " has no setter" : " has no getter");
        return false;
    }
    out->readDirect = p.getter == PLUGIN_DIRECT_ACCESS;
    out->writtenDirect = p.setter == PLUGIN_DIRECT_ACCESS;
    if (!tableReadable(item, "enumeration entries", p.enumCount, p.enumEntries, error)) return false;
    if (p.enumCount > 0 && out->kind != ValueKind::Integer) {
        *error = item + " has an enumeration but the type " + out->type;
        return false;
    }
    for (int32_t i = 0; i < p.enumCount; ++i) {
        if (!present(p.enumEntries[i])) {
            *error = item + ": enumeration entry " + std::to_string(i) + (p.enumEntries[i] ? " is empty" : " is null");
            return false;
        }
        out->entries.push_back(p.enumEntries[i]);
    }
    return true;
}

// Reads a method's or an event's declaration into its name, which no other
// item of that kind in the class may carry.
bool readDeclaration(const std::string& owner, const char* kind, int32_t index, const char* text,
                     std::set<std::string>* names, Declaration* declaration, std::string* error) {
    const std::string item = owner + ": " + kind + " " + std::to_string(index + 1);
    if (!present(text)) {
        *error = item + " has no declaration";
        return false;
    }
    if (!parseDeclaration(text, declaration)) {
        *error = item + " has the declaration \"" + std::string(text) + "\", which cannot be read";
        return false;
    }
    if (!names->insert(declaration->name).second) {
        *error = owner + ": two " + kind + "s are named " + declaration->name;
        return false;
    }
    return true;
}

bool readClass(int32_t index, const ControlDefinition* d, ClassRecord* out, std::string* error) {
    const std::string position = "class " + std::to_string(index + 1);
    if (!d) {
        *error = position + " is a null record";
        return false;
    }
    if (!present(d->name)) {
        *error = position + " has no name";
        return false;
    }
    out->name = d->name;
    out->defaultWidth = d->defaultWidth;
    out->defaultHeight = d->defaultHeight;
    const std::string& owner = out->name;

    if (!tableReadable(owner, "properties", d->propertyCount, d->properties, error)) return false;
    std::set<std::string> names;
    for (int32_t i = 0; i < d->propertyCount; ++i) {
        PropertyRecord p;
        if (!readProperty(owner, i, d->properties[i], &p, error)) return false;
        if (!names.insert(p.name).second) {
            *error = owner + ": two properties are named " + p.name;
            return false;
        }
        out->properties.push_back(p);
    }

    if (!tableReadable(owner, "methods", d->methodCount, d->methods, error)) return false;
    names.clear();
    for (int32_t i = 0; i < d->methodCount; ++i) {
        const MethodDefinition& m = d->methods[i];
        Declaration declaration;
        if (!readDeclaration(owner, "method", i, m.declaration, &names, &declaration, error)) return false;
        MethodRecord record;
        record.name = declaration.name;
        record.declaration = m.declaration;
        record.hasParameters = declaration.hasParameters;
        record.assignable = m.setterFunction != nullptr;
        out->methods.push_back(record);
    }

    if (!tableReadable(owner, "events", d->eventCount, d->events, error)) return false;
    names.clear();
    for (int32_t i = 0; i < d->eventCount; ++i) {
        const EventDefinition& e = d->events[i];
        Declaration declaration;
        if (!readDeclaration(owner, "event", i, e.declaration, &names, &declaration, error)) return false;
        EventRecord record;
        record.name = declaration.name;
        record.declaration = e.declaration;
        record.boolean = sameNoCase(declaration.resultType, "Boolean");
        out->events.push_back(record);
    }
    return true;
}

}  // namespace

bool parseDeclaration(const std::string& text, Declaration* declaration) {
    size_t end = text.find_first_of("( ");
    declaration->name = text.substr(0, end);
    declaration->hasParameters = false;
    declaration->resultType.clear();
    if (!isIdentifier(declaration->name)) return false;
    std::string rest = end == std::string::npos ? std::string() : text.substr(end);
    if (!rest.empty() && rest[0] == '(') {
        const size_t close = rest.find(')');
        if (close == std::string::npos) return false;
        const std::string parameters = rest.substr(1, close - 1);
        if (parameters.find('(') != std::string::npos) return false;
        declaration->hasParameters = parameters.find_first_not_of(' ') != std::string::npos;
        rest = rest.substr(close + 1);
    }
    if (rest.empty()) return true;
    if (rest.compare(0, std::strlen(kResultMarker), kResultMarker) != 0) return false;
    declaration->resultType = rest.substr(std::strlen(kResultMarker));
    return isIdentifier(declaration->resultType);
}

bool readClasses(const std::vector<const ControlDefinition*>& definitions, std::vector<ClassRecord>* classes,
                 std::string* error) {
    std::vector<ClassRecord> read;
    std::set<std::string> names;
    for (size_t i = 0; i < definitions.size(); ++i) {
        ClassRecord record;
        if (!readClass(static_cast<int32_t>(i), definitions[i], &record, error)) return false;
        if (!names.insert(record.name).second) {
            *error = "two classes are named " + record.name;
            return false;
        }
        read.push_back(std::move(record));
    }
    *classes = std::move(read);
    return true;
}

}  // namespace manual
