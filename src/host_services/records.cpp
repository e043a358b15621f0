#include "host_services/records.h"

namespace records {

PropertyDefinition Property(const char* group, const char* name, const char* type, const void* getter,
                            const void* setter, size_t param, Enumeration enumeration, int32_t propertyFlags) {
    PropertyDefinition row{};
    row.group = group;
    row.name = name;
    row.type = type;
    row.propertyFlags = propertyFlags;
    row.getter = getter;
    row.setter = setter;
    row.param = static_cast<int32_t>(param);
    row.enumCount = enumeration.count;
    row.enumEntries = enumeration.entries;
    return row;
}

void CloseNoOp(ControlInstance*) {}

void StateChangedNoOp(ControlInstance*) {}

void Slot13NoOp(ControlInstance*) {}

int32_t HandleQueryZero(ControlInstance*) { return 0; }

}  // namespace records
