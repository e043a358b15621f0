#pragma once

#include "plugin_interface.h"

extern "C" void ZOKAPluginMain(HostResolver resolver);
