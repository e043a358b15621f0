// Case-insensitive comparison of byte texts through the Mac OS Roman
// upper-case table, and the length of a NUL-terminated text.
#pragma once

#include <array>
#include <cstdint>

int32_t CStringLength(const char* text);

// Each answers -1, 0 or 1. A null text orders before any other text.
int32_t CompareNoCase(const char* a, const char* b);
int32_t CompareNoCaseN(const unsigned char* a, int32_t lengthA, const unsigned char* b, int32_t lengthB);

// The upper-case form of every byte in Mac OS Roman.
extern const std::array<unsigned char, 256> kUpperCaseTable;
