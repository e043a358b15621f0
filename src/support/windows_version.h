// The one question the plug-in asks about the system it runs on: its version
// record, through GetVersionExA. The Windows XP test (theme_api) and the NT
// test (the bevel button's painter) both ask it, each in its own way.
#pragma once

#include <windows.h>

// Record sizes GetVersionExA takes: OSVERSIONINFOEXA and OSVERSIONINFOA.
constexpr DWORD kExtendedVersionRecordSize = 156;
constexpr DWORD kBasicVersionRecordSize = 148;

// Fills version (zeroed first, so a refused query leaves zeros) through
// GetVersionExA with a record of recordSize bytes; answers whether the
// system accepted that size.
bool ProbeWindowsVersion(DWORD recordSize, OSVERSIONINFOEXA* version);
