// The library's one export: the host calls it once after loading us. The one
// file that names all eight controls.
#include "entry/plugin_entry.h"

#include "controls/bevel_button/model.h"
#include "controls/chasing_arrows.h"
#include "controls/disclosure_triangle.h"
#include "controls/image_well.h"
#include "controls/little_arrows.h"
#include "controls/placard.h"
#include "controls/popup_arrow.h"
#include "controls/separator.h"
#include "host_services/resolver.h"

ControlDefinition* const kRegistrationOrder[8] = {
    &gBevelButtonDefinition, &gChasingArrowsDefinition, &gLittleArrowsDefinition,       &gPlacardDefinition,
    &gSeparatorDefinition,   &gPopupArrowDefinition,    &gDisclosureTriangleDefinition, &gImageWellDefinition,
};

extern "C" void ZOKAPluginMain(HostResolver resolver) {
    SetHostResolver(resolver);
    // A host without RegisterPluginVersion is answered like any other
    // missing entry point: nothing is called, and registration goes on.
    host::RegisterPluginVersion(PLUGIN_INTERFACE_VERSION);
    for (ControlDefinition* definition : kRegistrationOrder) {
        host::PluginRegisterControl(definition);
    }
}
