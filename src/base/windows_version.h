// What the plug-in asks about the system it runs on: its version record,
// through GetVersionExA, and the two answers drawn from it, each asked once
// per process: Windows XP (visual styles are used there only) and the NT
// family (text goes to the wide functions there, to the narrow ones
// elsewhere).
#pragma once

#include <windows.h>

// Record sizes GetVersionExA takes: OSVERSIONINFOEXA and OSVERSIONINFOA.
constexpr DWORD kExtendedVersionRecordSize = 156;
constexpr DWORD kBasicVersionRecordSize = 148;

// Fills version (zeroed first, so a refused query leaves zeros) through
// GetVersionExA with a record of recordSize bytes; answers whether the
// system accepted that size.
bool ProbeWindowsVersion(DWORD recordSize, OSVERSIONINFOEXA* version);

// True on Windows XP (NT 5.1) only: the extended record first, the basic one
// where the system refuses it; false when both are refused.
bool IsWindowsXP();

// True on the NT family. The basic record only, and its answer is not
// tested: a refused query leaves the record zeroed, which is not NT.
bool isWindowsNT();
