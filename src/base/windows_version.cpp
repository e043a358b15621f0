#include "base/windows_version.h"

#include <cstdint>

static_assert(sizeof(OSVERSIONINFOEXA) == kExtendedVersionRecordSize, "OSVERSIONINFOEXA");
static_assert(sizeof(OSVERSIONINFOA) == kBasicVersionRecordSize, "OSVERSIONINFOA");

namespace {

constexpr DWORD kXPMajorVersion = 5;
constexpr DWORD kXPMinorVersion = 1;

// Each answer as a pending flag and the answer: decided on first use, kept
// for the life of the process.
uint8_t gXPTestPending = 1;
uint8_t gIsXP = 0;
uint8_t gNTTestPending = 1;
uint8_t gIsNT = 0;

}  // namespace

bool ProbeWindowsVersion(DWORD recordSize, OSVERSIONINFOEXA* version) {
    ZeroMemory(version, sizeof(*version));
    version->dwOSVersionInfoSize = recordSize;
    return GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(version)) != FALSE;
}

bool IsWindowsXP() {
    if (gXPTestPending == 0) return gIsXP != 0;
    gXPTestPending = 0;
    OSVERSIONINFOEXA version;
    if (!ProbeWindowsVersion(kExtendedVersionRecordSize, &version) &&
        !ProbeWindowsVersion(kBasicVersionRecordSize, &version)) {
        gIsXP = 0;
        return false;
    }
    if (version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion == kXPMajorVersion &&
        version.dwMinorVersion == kXPMinorVersion) {
        gIsXP = 1;
    }
    return gIsXP != 0;
}

bool isWindowsNT() {
    if (gNTTestPending != 0) {
        gNTTestPending = 0;
        OSVERSIONINFOEXA version;
        ProbeWindowsVersion(kBasicVersionRecordSize, &version);
        gIsNT = version.dwPlatformId == VER_PLATFORM_WIN32_NT ? 1 : 0;
    }
    return gIsNT != 0;
}
