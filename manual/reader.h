// Reads the records a plug-in registers (ControlDefinition and its property,
// method and event tables) into plain values that the reference is made of.
// A record it cannot read is refused with a message that names the class and
// the item, so that nothing is written from half a record.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "plugin_interface.h"

namespace manual {

// How the builder reads and writes a property's value, by its registered
// type name (which differs in letter case between rows: "Integer", "integer").
enum class ValueKind { Integer, Boolean, String, Picture };

struct PropertyRecord {
    std::string group;
    std::string name;
    std::string type;  // as registered
    ValueKind kind = ValueKind::Integer;
    bool readDirect = false;           // the builder reads the field itself
    bool writtenDirect = false;        // the builder writes the field itself
    std::vector<std::string> entries;  // the enumeration; the position is the value
};

struct MethodRecord {
    std::string name;  // the identifier the declaration starts with
    std::string declaration;
    bool hasParameters = false;
    bool assignable = false;  // it has an assignment form: List(row) = text
};

struct EventRecord {
    std::string name;
    std::string declaration;
    bool boolean = false;  // the handler's answer is a Boolean that the control uses
};

struct ClassRecord {
    std::string name;
    int32_t defaultWidth = 0;
    int32_t defaultHeight = 0;
    std::vector<PropertyRecord> properties;
    std::vector<MethodRecord> methods;
    std::vector<EventRecord> events;
};

// Reads the classes in the order given (the order of registration). False
// with *error set when a record cannot be read: "BevelButton: property
// CaptionAlign: enumeration entry 2 is null".
bool readClasses(const std::vector<const ControlDefinition*>& definitions, std::vector<ClassRecord>* classes,
                 std::string* error);

// The parts of a method's or an event's declaration: its name, whether it
// has parameters and its result type ("" for none). False when the text is
// not a declaration ("AddRow(text As String" or "(x)").
struct Declaration {
    std::string name;
    bool hasParameters = false;
    std::string resultType;
};
bool parseDeclaration(const std::string& text, Declaration* declaration);

}  // namespace manual
