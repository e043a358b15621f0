#include "base/japanese_encodings.h"

#include <cstdint>

namespace {

constexpr unsigned char kEscape = 0x1B;
constexpr unsigned char kCarriageReturn = 0x0D;
constexpr unsigned char kLineFeed = 0x0A;
constexpr unsigned char kSevenBitLimit = 0x80;
constexpr unsigned char kHighBit = 0x80;          // EUC-JP row offset; JIS X 0201 katakana offset
constexpr unsigned char kEucSingleShift2 = 0x8E;  // EUC-JP prefix of a half-width katakana

const unsigned char* bytesOf(const PluginString& s) { return reinterpret_cast<const unsigned char*>(s.text()); }

struct JisPair {
    unsigned char first;
    unsigned char second;
};

JisPair jisToShiftJis(unsigned char j1, unsigned char j2) {
    const int s1 = ((j1 + 1) >> 1) + (j1 < 0x5F ? 0x70 : 0xB0);
    const int s2 = j2 + ((j1 & 1) != 0 ? (j2 > 0x5F ? 0x20 : 0x1F) : 0x7E);
    return {static_cast<unsigned char>(s1), static_cast<unsigned char>(s2)};
}

JisPair shiftJisToJis(unsigned char s1, unsigned char s2) {
    const int j1 = 2 * (s1 - (s1 < 0xA0 ? 0x70 : 0xB0)) - (s2 < 0x9F ? 1 : 0);
    const int j2 = s2 - (s2 < 0x9F ? (s2 > 0x7F ? 0x20 : 0x1F) : 0x7E);
    return {static_cast<unsigned char>(j1), static_cast<unsigned char>(j2)};
}

bool inRange(unsigned char b, unsigned char first, unsigned char last) { return b >= first && b <= last; }

bool isShiftJisLead(unsigned char b) { return inRange(b, 0x81, 0x9F) || inRange(b, 0xE0, 0xEF); }

bool isShiftJisTrail(unsigned char b) { return inRange(b, 0x40, 0xFC); }

bool isHalfWidthKatakana(unsigned char b) { return inRange(b, 0xA1, 0xDF); }

// Collects a converter's output in a scratch body sized for the worst case,
// then hands out an exact copy.
struct ByteWriter {
    PluginString scratch;
    unsigned char* out = nullptr;
    int32_t capacity = 0;
    int32_t count = 0;
    bool sevenBitOnly = true;

    explicit ByteWriter(int64_t worstCase) {
        if (worstCase > 0 && worstCase <= INT32_MAX - 2) {
            scratch.reserve(static_cast<int32_t>(worstCase));
            if (scratch.hasText()) {
                out = reinterpret_cast<unsigned char*>(scratch.charAt(0));
                capacity = scratch.length();
            }
        }
    }
    void put(unsigned char b) {
        if (count < capacity) {
            out[count++] = b;
            sevenBitOnly = sevenBitOnly && b < kSevenBitLimit;
        }
    }
    void putPair(JisPair pair) {
        put(pair.first);
        put(pair.second);
    }
    void putEscape(char x, char y) {
        put(kEscape);
        put(static_cast<unsigned char>(x));
        put(static_cast<unsigned char>(y));
        sevenBitOnly = false;
    }
    PluginString finish() const { return MakePluginString(out, count, sevenBitOnly ? EncodingAscii : EncodingSystem); }
};

enum class JisMode { kRoman, kKanji, kKatakana };

constexpr int64_t kIsoWorstCasePerByte = 4;  // an escape sequence and the byte
constexpr int64_t kEscapeLength = 3;

}  // namespace

PluginString EucJpToShiftJis(const PluginString& s) {
    const unsigned char* in = bytesOf(s);
    const int32_t n = s.length();
    ByteWriter writer(n);
    for (int32_t i = 0; i < n;) {
        const unsigned char b = in[i++];
        if (inRange(b, 0xA1, 0xFE) && i < n) {
            const unsigned char b2 = in[i++];
            if (inRange(b2, 0xA1, 0xFE)) {
                writer.putPair(jisToShiftJis(b - kHighBit, b2 - kHighBit));
            } else {
                writer.putPair({b, b2});
            }
        } else if (b == kEucSingleShift2 && i < n) {
            const unsigned char b2 = in[i++];
            if (!isHalfWidthKatakana(b2)) {
                writer.put(b);
            }
            writer.put(b2);
        } else {
            writer.put(b);
        }
    }
    return writer.finish();
}

PluginString Iso2022JpToShiftJis(const PluginString& s) {
    const unsigned char* in = bytesOf(s);
    const int32_t n = s.length();
    ByteWriter writer(n);
    JisMode mode = JisMode::kRoman;
    for (int32_t i = 0; i < n;) {
        const unsigned char b = in[i++];
        if (b == kEscape) {
            const unsigned char x = i < n ? in[i++] : 0;
            if (x == '(') {
                const unsigned char y = i < n ? in[i++] : 0;
                mode = y == 'I' ? JisMode::kKatakana : JisMode::kRoman;
            } else if (x == '$') {
                if (i < n) {
                    ++i;
                }
                mode = JisMode::kKanji;
            } else if (x == 'K') {
                mode = JisMode::kKanji;
            } else {
                mode = JisMode::kRoman;
            }
        } else if (b == kCarriageReturn || b == kLineFeed) {
            writer.put(b);
            mode = JisMode::kRoman;
        } else if (mode == JisMode::kKanji && i < n) {
            writer.putPair(jisToShiftJis(b, in[i++]));
        } else if (mode == JisMode::kKatakana) {
            writer.put(static_cast<unsigned char>(b + kHighBit));
        } else {
            writer.put(b);
        }
    }
    return writer.finish();
}

PluginString ShiftJisToEucJp(const PluginString& s) {
    const unsigned char* in = bytesOf(s);
    const int32_t n = s.length();
    ByteWriter writer(2 * int64_t{n});
    for (int32_t i = 0; i < n;) {
        const unsigned char b = in[i++];
        if (isShiftJisLead(b) && i < n) {
            const unsigned char b2 = in[i++];
            if (isShiftJisTrail(b2)) {
                const JisPair jis = shiftJisToJis(b, b2);
                writer.putPair({static_cast<unsigned char>(jis.first + kHighBit),
                                static_cast<unsigned char>(jis.second + kHighBit)});
            } else {
                writer.putPair({b, b2});
            }
        } else if (isHalfWidthKatakana(b)) {
            writer.putPair({kEucSingleShift2, b});
        } else {
            writer.put(b);
        }
    }
    return writer.finish();
}

PluginString ShiftJisToIso2022Jp(const PluginString& s) {
    const unsigned char* in = bytesOf(s);
    const int32_t n = s.length();
    ByteWriter writer(kIsoWorstCasePerByte * n + kEscapeLength);
    JisMode mode = JisMode::kRoman;
    auto enter = [&](JisMode wanted, char x, char y) {
        if (mode != wanted) {
            writer.putEscape(x, y);
            mode = wanted;
        }
    };
    for (int32_t i = 0; i < n;) {
        const unsigned char b = in[i++];
        if (isShiftJisLead(b) && i < n) {
            const unsigned char b2 = in[i++];
            if (isShiftJisTrail(b2)) {
                enter(JisMode::kKanji, '$', 'B');
                writer.putPair(shiftJisToJis(b, b2));
            } else {
                writer.putPair({b, b2});
            }
        } else if (isHalfWidthKatakana(b)) {
            enter(JisMode::kKatakana, '(', 'I');
            writer.put(static_cast<unsigned char>(b - kHighBit));
        } else {
            // Line ends and every other byte are written in Roman.
            enter(JisMode::kRoman, '(', 'J');
            writer.put(b);
        }
    }
    enter(JisMode::kRoman, '(', 'J');
    return writer.finish();
}
