// The library's one export, and the eight control classes in the order the
// host registers them.
#pragma once

#include "plugin_interface.h"

extern "C" void ZOKAPluginMain(HostResolver resolver);

// In registration order.
extern ControlDefinition* const kRegistrationOrder[8];
