#include "support/windows_version.h"

static_assert(sizeof(OSVERSIONINFOEXA) == kExtendedVersionRecordSize, "OSVERSIONINFOEXA");
static_assert(sizeof(OSVERSIONINFOA) == kBasicVersionRecordSize, "OSVERSIONINFOA");

bool ProbeWindowsVersion(DWORD recordSize, OSVERSIONINFOEXA* version) {
    ZeroMemory(version, sizeof(*version));
    version->dwOSVersionInfoSize = recordSize;
    return GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(version)) != FALSE;
}
