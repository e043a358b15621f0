/* The public interface as a C89 host or plug-in sees it: it compiles, and
 * its records can be filled statically and read back. Built with -std=c89
 * and every warning an error. */
#include "plugin_interface.h"

static HostBoolean probeMouseDown(ControlInstance* instance, int32_t x, int32_t y) {
    (void)instance;
    return (HostBoolean)(x == y);
}

static void probeRegister(int32_t version) { (void)version; }

static const char* const probeEntries[] = {"=#1", "=#2"};

static const PropertyDefinition probeProperties[] = {
    {"Appearance", "Facing", "Integer", 1, PLUGIN_DIRECT_ACCESS, PLUGIN_DIRECT_ACCESS, 4, 0, 2, probeEntries},
};

static EventDefinition probeEvents[] = {{"Action", 0}};

int plugin_interface_c89_probe(void) {
    ControlCallbacks callbacks = {0};
    ControlDefinition definition = {0};
    HostEntry_RegisterPluginVersion registerVersion = probeRegister;
    HostRect bounds = {0, 0, 10, 10};
    callbacks.mouseDown = probeMouseDown;
    definition.version = PLUGIN_INTERFACE_VERSION;
    definition.name = PLUGIN_MAIN_NAME;
    definition.properties = probeProperties;
    definition.propertyCount = 1;
    definition.events = probeEvents;
    definition.eventCount = 1;
    definition.callbacks = &callbacks;
    registerVersion(definition.version);
    return callbacks.mouseDown((ControlInstance*)0, bounds.right, bounds.bottom) + definition.propertyCount;
}
