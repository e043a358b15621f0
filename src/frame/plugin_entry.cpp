// The library's one export: the host calls it once after loading us.
#include "frame/definitions.h"
#include "frame/host_services.h"

#include "frame/plugin_entry.h"

extern "C" void ZOKAPluginMain(HostResolver resolver) {
    SetHostResolver(resolver);
    // A host without RegisterPluginVersion is answered like any other
    // missing entry point: nothing is called, and registration goes on.
    host::RegisterPluginVersion(kPluginInterfaceVersion);
    for (ControlDefinition* definition : kRegistrationOrder) {
        host::PluginRegisterControl(definition);
    }
}
