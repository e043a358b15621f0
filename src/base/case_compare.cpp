#include "base/case_compare.h"

namespace {

// Lower-case letters of Mac OS Roman beyond ASCII, each with its capital.
struct CaseMapping {
    unsigned char lower;
    unsigned char upper;
};
// clang-format off
constexpr CaseMapping kRomanCaseMappings[] = {
    {0x87, 0xE7}, {0x88, 0xCB}, {0x89, 0xE5}, {0x8A, 0x80}, {0x8B, 0xCC}, {0x8C, 0x81},
    {0x8D, 0x82}, {0x8E, 0x83}, {0x8F, 0xE9}, {0x90, 0xE6}, {0x91, 0xE8}, {0x92, 0xEA},
    {0x93, 0xED}, {0x94, 0xEB}, {0x95, 0xEC}, {0x96, 0x84}, {0x97, 0xEE}, {0x98, 0xF1},
    {0x99, 0xEF}, {0x9A, 0x85}, {0x9B, 0xCD}, {0x9C, 0xF2}, {0x9D, 0xF4}, {0x9E, 0xF3},
    {0x9F, 0x86}, {0xBE, 0xAE}, {0xBF, 0xAF}, {0xCF, 0xCE}, {0xD8, 0xD9}, {0xF5, 0x49},
};
// clang-format on

constexpr std::array<unsigned char, 256> MakeUpperCaseTable() {
    std::array<unsigned char, 256> table{};
    for (int i = 0; i < 256; ++i) table[i] = static_cast<unsigned char>(i);
    for (int c = 'a'; c <= 'z'; ++c) table[c] = static_cast<unsigned char>(c - 'a' + 'A');
    for (const CaseMapping& m : kRomanCaseMappings) table[m.lower] = m.upper;
    return table;
}

int32_t CompareMapped(unsigned char a, unsigned char b) {
    const unsigned char upperA = kUpperCaseTable[a];
    const unsigned char upperB = kUpperCaseTable[b];
    if (upperA > upperB) return 1;
    if (upperA < upperB) return -1;
    return 0;
}

}  // namespace

extern constexpr std::array<unsigned char, 256> kUpperCaseTable = MakeUpperCaseTable();

int32_t CStringLength(const char* text) {
    int32_t length = 0;
    while (text[length] != '\0') ++length;
    return length;
}

int32_t CompareNoCase(const char* a, const char* b) {
    if (a == nullptr) return b == nullptr ? 0 : -1;
    if (b == nullptr) return 1;
    for (int32_t i = 0;; ++i) {
        const unsigned char byteA = static_cast<unsigned char>(a[i]);
        const unsigned char byteB = static_cast<unsigned char>(b[i]);
        if (int32_t order = CompareMapped(byteA, byteB)) return order;
        if (byteA == 0) return 0;  // both ended (their mapped bytes are equal and only 0 maps to 0)
    }
}

int32_t CompareNoCaseN(const unsigned char* a, int32_t lengthA, const unsigned char* b, int32_t lengthB) {
    for (int32_t i = 0; i < lengthA && i < lengthB; ++i) {
        if (int32_t order = CompareMapped(a[i], b[i])) return order;
    }
    if (lengthA > lengthB) return 1;
    if (lengthA < lengthB) return -1;
    return 0;
}
