// The eight control classes as the host sees them.
#pragma once

#include "plugin_interface.h"

extern ControlDefinition gBevelButtonDefinition;
extern ControlDefinition gChasingArrowsDefinition;
extern ControlDefinition gLittleArrowsDefinition;
extern ControlDefinition gPlacardDefinition;
extern ControlDefinition gSeparatorDefinition;
extern ControlDefinition gPopupArrowDefinition;
extern ControlDefinition gDisclosureTriangleDefinition;
extern ControlDefinition gImageWellDefinition;

// In registration order.
extern ControlDefinition* const kRegistrationOrder[8];
