// Separator: an etched line across the control, horizontal when the control
// is wider than tall, vertical otherwise.
#pragma once

#include <cstdint>

#include <windows.h>

#include "plugin_interface.h"

namespace separator {

struct InstanceData {
    int32_t unused;
};

// Paints the line for the given bounds with the system's shadow and
// highlight colours; leaves the device context as it found it.
void paintSeparator(HDC dc, const HostRect& bounds);

void construct(ControlInstance* instance);
void destruct(ControlInstance* instance);
void draw(ControlInstance* instance, HostGraphics graphics);
void drawOffscreen(ControlInstance* instance, HostGraphics graphics);
void open(ControlInstance* instance);

}  // namespace separator

extern ControlDefinition gSeparatorDefinition;
