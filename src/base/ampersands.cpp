#include "base/ampersands.h"

namespace {

constexpr char kAmpersand = '&';

template <typename Unit>
int32_t stripAmpersandUnits(const Unit* src, int32_t n, Unit* dst) {
    constexpr Unit kAmpersandUnit = static_cast<Unit>(kAmpersand);
    int32_t written = 0;
    // Only the n units are read: a string's terminator is not always a whole
    // unit, so the one written here comes from this loop, not from src.
    for (int32_t j = 0; j < n; ++j) {
        if (src[j] == kAmpersandUnit) {
            if (j + 1 < n && src[j + 1] == kAmpersandUnit) {
                dst[written++] = kAmpersandUnit;
                ++j;
            }
            continue;
        }
        dst[written++] = src[j];
    }
    dst[written] = 0;
    return written;
}

}  // namespace

char acceleratorChar(const char* text) {
    char result = 0;
    for (const char* p = text; *p != '\0'; ++p) {
        if (*p != kAmpersand) continue;
        ++p;
        if (*p == kAmpersand) continue;  // a literal ampersand
        result = (*p >= 'a' && *p <= 'z') ? char(*p - 'a' + 'A') : *p;
        if (*p == '\0') break;  // a trailing ampersand
    }
    return result;
}

int32_t stripAmpersands(const char* src, int32_t n, char* dst) { return stripAmpersandUnits(src, n, dst); }

int32_t stripAmpersands(const wchar_t* src, int32_t n, wchar_t* dst) { return stripAmpersandUnits(src, n, dst); }
