#pragma once

#include "frame/host_abi.h"

extern "C" void ZOKAPluginMain(HostResolver resolver);
