#pragma once

#include "plugin_interface.h"

// The instance's data block: the instance address plus the offset the host
// wrote into the class's definition.
template <typename T>
T* InstanceDataOf(ControlInstance* instance, const ControlDefinition& definition) {
    return reinterpret_cast<T*>(reinterpret_cast<unsigned char*>(instance) + definition.dataOffset);
}
