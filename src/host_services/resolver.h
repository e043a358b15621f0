// The host's entry points, looked up by name on first use and cached. When
// the host does not supply one, the call does nothing and answers 0, null or
// false (PluginInterpretConstantValue answers its argument, locked once more).
// Every control reaches the host through these.
#pragma once

#include <cstdint>

#include <windows.h>

#include "plugin_interface.h"

// Stores the resolver; every entry point is looked up through it.
void SetHostResolver(HostResolver resolver);

namespace host {

void RegisterPluginVersion(int32_t version);
void PluginRegisterControl(ControlDefinition* definition);
const char* StringGetCString(HostString string);
HostString PluginInterpretConstantValue(HostString string);
HostString PluginDefaultControlFont();
HostString PluginDefaultControlCaption();
int32_t PluginDefaultControlFontSize();
void ZOKALockObject(HostObject object);
void ZOKAUnlockObject(HostObject object);
void ZOKALockString(HostString string);
void ZOKAUnlockString(HostString string);
void* GetInterfaceRoutine(HostObject object, const char* interfaceName, const char* routineName);
void lockPictureDescription(HostObject picture, PictureDescription* description);
void unlockPictureDescription(HostObject picture);
void drawPicturePrimitive(HDC dc, HostObject picture, const HostRect* destination, int32_t flag);
void* GetEventInstance(ControlInstance* instance, int32_t hostEventId);
// Without the host the rectangle comes back all zero.
void GetControlBounds(ControlInstance* instance, HostRect* bounds);
int32_t GetControlVisible(ControlInstance* instance);
bool ZOKAGetControlEnabled(ControlInstance* instance);
HostGraphics ZOKAGetControlGraphics(ControlInstance* instance);
int32_t ZOKAGetWin32Charset();
HDC ZOKAGraphicsDC(HostGraphics graphics);
void ZOKAInvalidateControl(ControlInstance* instance);
// True when the host was asked (it supplies the entry point); the colour is
// then the host's.
bool ZOKASetSpecialBackground(ControlInstance* instance, uint32_t* colour);
HostWindow getControlWindow(ControlInstance* instance);
void ZOKASetAccelerator(ControlInstance* instance, HostString caption);
int32_t GetTabPanelVisible(ControlInstance* instance);
HWND ZOKAGetControlHandle(ControlInstance* instance);
HWND ZOKAGetWindowHandle(HostWindow window);
TextEncoding ZOKAGetStringEncoding(HostString string);

}  // namespace host
