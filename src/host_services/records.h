// Building the records that describe a control class to the host, and the
// callbacks that several classes share and that do nothing. Each control's
// own file ends with its records, built from these.
#pragma once

#include <cstddef>
#include <cstdint>

#include "host_services/events.h"
#include "plugin_interface.h"

namespace records {

constexpr int32_t kRecordVersion = PLUGIN_INTERFACE_VERSION;
// propertyFlags: 1 on every property but BevelButton.Caption and
// DisclosureTriangle.Value, which carry 0.
constexpr int32_t kDefaultPropertyFlags = 1;
constexpr int32_t kPlainPropertyFlags = 0;

// A getter or setter slot for direct access at param.
inline const void* const kDirect = PLUGIN_DIRECT_ACCESS;

template <typename Function>
const void* Fn(Function function) {
    return reinterpret_cast<const void*>(function);
}

// An enumeration list: the entry's position is the property's value.
struct Enumeration {
    int32_t count;
    const char* const* entries;
};
constexpr Enumeration kNoEnumeration{0, nullptr};
template <size_t N>
constexpr Enumeration Entries(const char* const (&entries)[N]) {
    return Enumeration{static_cast<int32_t>(N), entries};
}

// A property row in the class tables' column order: group, name, type,
// getter, setter (a function or kDirect), param (the field's offset in
// InstanceData, 0 where both are functions) and the enumeration;
// propertyFlags is 1 unless a row gives kPlainPropertyFlags, the reserved
// word 0.
PropertyDefinition Property(const char* group, const char* name, const char* type, const void* getter,
                            const void* setter, size_t param, Enumeration enumeration = kNoEnumeration,
                            int32_t propertyFlags = kDefaultPropertyFlags);

// A ControlDefinition built field by field under the record's own names;
// what a class does not set stays 0 or null (dataOffset is the host's to
// write, the reserved words stay 0). A class without properties, methods or
// events keeps null tables and zero counts. The class table's columns come
// first: name, block size, flags, the first picture identifier (the second
// is the next number), default width and height.
class ClassRecord {
public:
    constexpr ClassRecord(const char* name, size_t instanceDataSize, int32_t flags, int32_t pictureId1,
                          int32_t defaultWidth, int32_t defaultHeight)
        : record_{} {
        record_.version = kRecordVersion;
        record_.name = name;
        record_.instanceDataSize = static_cast<int32_t>(instanceDataSize);
        record_.flags = flags;
        record_.pictureId1 = pictureId1;
        record_.pictureId2 = pictureId1 + 1;
        record_.defaultWidth = defaultWidth;
        record_.defaultHeight = defaultHeight;
    }
    template <size_t N>
    constexpr ClassRecord& properties(const PropertyDefinition (&table)[N]) {
        record_.properties = table;
        record_.propertyCount = static_cast<int32_t>(N);
        return *this;
    }
    template <size_t N>
    constexpr ClassRecord& methods(const MethodDefinition (&table)[N]) {
        record_.methods = table;
        record_.methodCount = static_cast<int32_t>(N);
        return *this;
    }
    template <size_t N>
    constexpr ClassRecord& events(EventDefinition (&table)[N]) {
        record_.events = table;
        record_.eventCount = static_cast<int32_t>(N);
        return *this;
    }
    constexpr ClassRecord& binding(const char* interfaces, const BindingDefinition (&table)[1]) {
        record_.interfaces = interfaces;
        record_.bindings = table;
        record_.bindingCount = 1;
        return *this;
    }
    constexpr ClassRecord& callbacks(const ControlCallbacks& table) {
        record_.callbacks = &table;
        return *this;
    }
    constexpr operator ControlDefinition() const { return record_; }

private:
    ControlDefinition record_;
};

// The shared callbacks: close and stateChanged do nothing, the one for slot
// 13 (Placard's) does nothing, handleQuery answers 0.
void CloseNoOp(ControlInstance* instance);
void StateChangedNoOp(ControlInstance* instance);
void Slot13NoOp(ControlInstance* instance);
int32_t HandleQueryZero(ControlInstance* instance);

// A callback table under the slots' own names, starting from the slots that
// every class fills with the shared callbacks; each class adds its own.
class Slots {
public:
    using Plain = void (*)(ControlInstance*);
    using Paint = void (*)(ControlInstance*, HostGraphics);
    using Press = HostBoolean (*)(ControlInstance*, int32_t, int32_t);
    using Track = void (*)(ControlInstance*, int32_t, int32_t);
    using Act = void (*)(ControlInstance*, int32_t);

    constexpr Slots() : table_{} {
        table_.close = CloseNoOp;
        table_.stateChanged = StateChangedNoOp;
        table_.handleQuery = HandleQueryZero;
    }
    constexpr Slots& construct(Plain f) { return set(table_.construct, f); }
    constexpr Slots& destruct(Plain f) { return set(table_.destruct, f); }
    constexpr Slots& draw(Paint f) { return set(table_.draw, f); }
    constexpr Slots& mouseDown(Press f) { return set(table_.mouseDown, f); }
    constexpr Slots& mouseDrag(Track f) { return set(table_.mouseDrag, f); }
    constexpr Slots& mouseUp(Track f) { return set(table_.mouseUp, f); }
    constexpr Slots& open(Plain f) { return set(table_.open, f); }
    constexpr Slots& idle(Plain f) { return set(table_.idle, f); }
    constexpr Slots& drawOffscreen(Paint f) { return set(table_.drawOffscreen, f); }
    constexpr Slots& slot13(Plain f) { return set(table_.slot13, f); }
    constexpr Slots& constantChanged(Plain f) { return set(table_.constantChanged, f); }
    constexpr Slots& defaultsReset(Plain f) { return set(table_.defaultsReset, f); }
    constexpr Slots& mouseEnter(Plain f) { return set(table_.mouseEnter, f); }
    constexpr Slots& mouseExit(Plain f) { return set(table_.mouseExit, f); }
    constexpr Slots& mouseMove(Track f) { return set(table_.mouseMove, f); }
    constexpr Slots& action(Act f) { return set(table_.action, f); }
    // The three mouse slots of a class that hands the mouse to the
    // application's MouseDown, MouseDrag and MouseUp events.
    template <const ControlDefinition& kDefinition>
    constexpr Slots& forwardMouse() {
        using Forwarding = control_events::MouseForwarding<kDefinition>;
        return mouseDown(Forwarding::mouseDown).mouseDrag(Forwarding::mouseDrag).mouseUp(Forwarding::mouseUp);
    }
    constexpr operator ControlCallbacks() const { return table_; }

private:
    template <typename Slot>
    constexpr Slots& set(Slot& slot, Slot function) {
        slot = function;
        return *this;
    }
    ControlCallbacks table_;
};

}  // namespace records
