// The counter's seven-segment digits.
#include "demo.h"

namespace {

struct Segment {
    int left, top, right, bottom;
};

// a to g, from the cell's corner. The end-to-end test reads the digits back
// at the centre of each segment; keep its table in step.
constexpr Segment kSegments[7] = {
    {2, 0, 7, 2}, {7, 2, 9, 7}, {7, 9, 9, 14}, {2, 14, 7, 16}, {0, 9, 2, 14}, {0, 2, 2, 7}, {2, 7, 7, 9},
};

// Bit i lights segment i (a = bit 0).
constexpr unsigned char kLit[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};

}  // namespace

void drawDigits(HDC dc, int left, int top, int value, COLORREF ink) {
    if (value < 0) value = 0;
    HBRUSH brush = CreateSolidBrush(ink);
    for (int cell = kDigits - 1; cell >= 0; --cell) {
        const int x = left + cell * kDigitPitch;
        for (int s = 0; s < 7; ++s) {
            if ((kLit[value % 10] & (1 << s)) == 0) continue;
            const RECT r{x + kSegments[s].left, top + kSegments[s].top, x + kSegments[s].right,
                         top + kSegments[s].bottom};
            FillRect(dc, &r, brush);
        }
        value /= 10;
        if (value == 0) break;
    }
    DeleteObject(brush);
}
