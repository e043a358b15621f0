// The host's entry points as a table for C++ code on either side of the
// interface: an enumeration in the order of the interface's list, their
// names, and the function pointer type of each
// (HostEntryType<HostEntryPoint::GetControlBounds>::type). The binary
// interface itself is plugin_interface.h.
#pragma once

#include "plugin_interface.h"

enum class HostEntryPoint {
#define PLUGIN_HOST_ENTRY_ID(name, result, parameters) name,
    PLUGIN_HOST_ENTRY_POINTS(PLUGIN_HOST_ENTRY_ID)
#undef PLUGIN_HOST_ENTRY_ID
};

constexpr const char* kHostEntryPointNames[] = {
#define PLUGIN_HOST_ENTRY_NAME(name, result, parameters) #name,
    PLUGIN_HOST_ENTRY_POINTS(PLUGIN_HOST_ENTRY_NAME)
#undef PLUGIN_HOST_ENTRY_NAME
};

constexpr int kHostEntryPointCount = static_cast<int>(sizeof kHostEntryPointNames / sizeof kHostEntryPointNames[0]);

template <HostEntryPoint>
struct HostEntryType;
#define PLUGIN_HOST_ENTRY_TRAIT(name, result, parameters) \
    template <>                                           \
    struct HostEntryType<HostEntryPoint::name> {          \
        using type = HostEntry_##name;                    \
    };
PLUGIN_HOST_ENTRY_POINTS(PLUGIN_HOST_ENTRY_TRAIT)
#undef PLUGIN_HOST_ENTRY_TRAIT
