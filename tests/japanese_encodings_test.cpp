// The Japanese byte converters: EUC-JP and ISO-2022-JP to and from
// Shift-JIS, every JIS X 0208 pair both ways, and input cut short.
#include <gtest/gtest.h>

#include "base/TextEncodingUtil.h"
#include "base/japanese_encodings.h"
#include "encoding_support.h"

namespace {

TEST(JapaneseConverters, EucJpToShiftJis) {
    // あ, 漢, half-width ｱ, ASCII, a single-shift with a non-katakana byte.
    const Bytes euc = {0xA4, 0xA2, 0xB4, 0xC1, 0x8E, 0xB1, 'A', 0x8E, 0x41};
    const Bytes sjis = {0x82, 0xA0, 0x8A, 0xBF, 0xB1, 'A', 0x8E, 0x41};
    PluginString out = EucJpToShiftJis(make(euc, EncodingEucJp));
    EXPECT_EQ(bytesOf(out), sjis);
    EXPECT_EQ(out.encoding(), EncodingSystem);
    EXPECT_EQ(EucJpToShiftJis(make("abc", EncodingEucJp)).encoding(), EncodingAscii);
}

TEST(JapaneseConverters, ShiftJisToEucJp) {
    const Bytes sjis = {'x', 0x82, 0xA0, 0x8A, 0xBF, 0xB1, 0x81, 0x20};
    const Bytes euc = {'x', 0xA4, 0xA2, 0xB4, 0xC1, 0x8E, 0xB1, 0x81, 0x20};
    EXPECT_EQ(bytesOf(ShiftJisToEucJp(make(sjis, EncodingShiftJis))), euc);
}

TEST(JapaneseConverters, ShiftJisToIso2022Jp) {
    const Bytes sjis = {'a', 0x82, 0xA0, 0x8A, 0xBF, 0xB1, 'b', '\r', 0x82, 0xA0};
    const Bytes iso = {'a', ESC, '$', 'B',  0x24, 0x22, 0x34, 0x41, ESC,  '(', 'I', 0x31, ESC,
                       '(', 'J', 'b', '\r', ESC,  '$',  'B',  0x24, 0x22, ESC, '(', 'J'};
    PluginString out = ShiftJisToIso2022Jp(make(sjis, EncodingShiftJis));
    EXPECT_EQ(bytesOf(out), iso);
    EXPECT_EQ(out.encoding(), EncodingSystem);  // escape sequences
    PluginString plain = ShiftJisToIso2022Jp(make("plain", EncodingShiftJis));
    EXPECT_EQ(bytesOf(plain), (Bytes{'p', 'l', 'a', 'i', 'n'}));
    EXPECT_EQ(plain.encoding(), EncodingAscii);
}

TEST(JapaneseConverters, Iso2022JpToShiftJis) {
    const Bytes iso = {'a',  ESC,  '$',  'B', 0x24, 0x22, 0x34, 0x41, ESC, '(', 'I',
                       0x31, '\n', 0x31, ESC, 'K',  0x24, 0x22, ESC,  '(', 'B', 'c'};
    const Bytes sjis = {'a', 0x82, 0xA0, 0x8A, 0xBF, 0xB1, '\n', 0x31, 0x82, 0xA0, 'c'};
    EXPECT_EQ(bytesOf(Iso2022JpToShiftJis(make(iso, EncodingIso2022Jp))), sjis);
}

TEST(JapaneseConverters, EveryJisPairRoundTrips) {
    for (unsigned j1 = 0x21; j1 <= 0x7E; ++j1) {
        for (unsigned j2 = 0x21; j2 <= 0x7E; ++j2) {
            const Bytes euc = {static_cast<unsigned char>(j1 + 0x80), static_cast<unsigned char>(j2 + 0x80)};
            const Bytes sjis = bytesOf(EucJpToShiftJis(make(euc, EncodingEucJp)));
            ASSERT_EQ(sjis.size(), 2u);
            const bool lead = (sjis[0] >= 0x81 && sjis[0] <= 0x9F) || (sjis[0] >= 0xE0 && sjis[0] <= 0xEF);
            ASSERT_TRUE(lead) << j1 << " " << j2;
            ASSERT_TRUE(sjis[1] >= 0x40 && sjis[1] <= 0xFC && sjis[1] != 0x7F) << j1 << " " << j2;
            ASSERT_EQ(bytesOf(ShiftJisToEucJp(make(sjis, EncodingShiftJis))), euc);
            const Bytes iso = {ESC, '$', 'B', static_cast<unsigned char>(j1), static_cast<unsigned char>(j2),
                               ESC, '(', 'J'};
            ASSERT_EQ(bytesOf(ShiftJisToIso2022Jp(make(sjis, EncodingShiftJis))), iso);
            ASSERT_EQ(bytesOf(Iso2022JpToShiftJis(make(iso, EncodingIso2022Jp))), sjis);
        }
    }
}

// The first and last byte of each range the converters test, and the byte
// just outside each end (see edges.md).
TEST(JapaneseConverters, EachByteRangeOnBothSidesOfItsEnds) {
    using Converter = PluginString (*)(const PluginString&);
    const struct {
        const char* edge;
        Converter convert;
        Bytes in, out;
    } rows[] = {
        {"EUC-JP lead below", EucJpToShiftJis, {0xA0, 0xA1}, {0xA0, 0xA1}},
        {"EUC-JP lead and trail first", EucJpToShiftJis, {0xA1, 0xA1}, {0x81, 0x40}},
        {"EUC-JP lead and trail last", EucJpToShiftJis, {0xFE, 0xFE}, {0xEF, 0xFC}},
        {"EUC-JP lead above", EucJpToShiftJis, {0xFF, 0xA1}, {0xFF, 0xA1}},
        {"EUC-JP trail below", EucJpToShiftJis, {0xA1, 0xA0}, {0xA1, 0xA0}},
        {"EUC-JP trail above", EucJpToShiftJis, {0xA1, 0xFF}, {0xA1, 0xFF}},
        {"EUC-JP katakana below", EucJpToShiftJis, {0x8E, 0xA0}, {0x8E, 0xA0}},
        {"EUC-JP katakana first", EucJpToShiftJis, {0x8E, 0xA1}, {0xA1}},
        {"EUC-JP katakana last", EucJpToShiftJis, {0x8E, 0xDF}, {0xDF}},
        {"EUC-JP katakana above", EucJpToShiftJis, {0x8E, 0xE0}, {0x8E, 0xE0}},
        {"Shift-JIS lead below", ShiftJisToEucJp, {0x80, 0x40}, {0x80, 0x40}},
        {"Shift-JIS lead and trail first", ShiftJisToEucJp, {0x81, 0x40}, {0xA1, 0xA1}},
        {"Shift-JIS first lead run last", ShiftJisToEucJp, {0x9F, 0xFC}, {0xDE, 0xFE}},
        {"Shift-JIS between the lead runs", ShiftJisToEucJp, {0xA0, 0x40}, {0xA0, 0x40}},
        {"Shift-JIS second lead run first", ShiftJisToEucJp, {0xE0, 0x40}, {0xDF, 0xA1}},
        {"Shift-JIS second lead run last", ShiftJisToEucJp, {0xEF, 0xFC}, {0xFE, 0xFE}},
        {"Shift-JIS lead above", ShiftJisToEucJp, {0xF0, 0x40}, {0xF0, 0x40}},
        {"Shift-JIS trail below", ShiftJisToEucJp, {0x81, 0x3F}, {0x81, 0x3F}},
        {"Shift-JIS trail above", ShiftJisToEucJp, {0x81, 0xFD}, {0x81, 0xFD}},
        {"Shift-JIS trail 0x7F, below the 0x80 step", ShiftJisToEucJp, {0x81, 0x7F}, {0xA1, 0xE0}},
        {"Shift-JIS katakana first", ShiftJisToEucJp, {0xA1}, {0x8E, 0xA1}},
        {"Shift-JIS katakana last", ShiftJisToEucJp, {0xDF}, {0x8E, 0xDF}},
        {"Shift-JIS katakana above", ShiftJisToIso2022Jp, {0xE0}, {0xE0}},
        {"Shift-JIS katakana first", ShiftJisToIso2022Jp, {0xA1}, {ESC, '(', 'I', 0x21, ESC, '(', 'J'}},
        {"Shift-JIS katakana last", ShiftJisToIso2022Jp, {0xDF}, {ESC, '(', 'I', 0x5F, ESC, '(', 'J'}},
        {"ISO-2022-JP ESC ( J", Iso2022JpToShiftJis, {ESC, '(', 'I', 0x21, ESC, '(', 'J', 0x21}, {0xA1, 0x21}},
        {"ISO-2022-JP ESC ( H", Iso2022JpToShiftJis, {ESC, '(', 'I', 0x21, ESC, '(', 'H', 0x21}, {0xA1, 0x21}},
        {"ISO-2022-JP ESC ( other", Iso2022JpToShiftJis, {ESC, '(', 'I', 0x21, ESC, '(', 'Z', 0x21}, {0xA1, 0x21}},
        {"ISO-2022-JP ESC other", Iso2022JpToShiftJis, {ESC, '$', 'B', 0x24, 0x22, ESC, 'N', 0x21}, {0x82, 0xA0, 0x21}},
        {"ISO-2022-JP CR", Iso2022JpToShiftJis, {ESC, '(', 'I', 0x21, '\r', 0x21}, {0xA1, '\r', 0x21}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(bytesOf(row.convert(make(row.in, EncodingSystem))), row.out) << row.edge;
    }
}

TEST(JapaneseConverters, TruncatedInputStaysInside) {
    EXPECT_EQ(bytesOf(EucJpToShiftJis(make(Bytes{'a', 0xA4}, EncodingEucJp))), (Bytes{'a', 0xA4}));
    EXPECT_EQ(bytesOf(EucJpToShiftJis(make(Bytes{0x8E}, EncodingEucJp))), (Bytes{0x8E}));
    // After a katakana pair has made the result shorter than the text.
    EXPECT_EQ(bytesOf(EucJpToShiftJis(make(Bytes{0x8E, 0xB1, 0xA4}, EncodingEucJp))), (Bytes{0xB1, 0xA4}));
    EXPECT_EQ(bytesOf(ShiftJisToEucJp(make(Bytes{0x82}, EncodingShiftJis))), (Bytes{0x82}));
    EXPECT_EQ(bytesOf(ShiftJisToIso2022Jp(make(Bytes{0x82}, EncodingShiftJis))), (Bytes{0x82}));
    EXPECT_EQ(bytesOf(Iso2022JpToShiftJis(make(Bytes{'a', ESC}, EncodingIso2022Jp))), (Bytes{'a'}));
    EXPECT_EQ(bytesOf(Iso2022JpToShiftJis(make(Bytes{ESC, '$', 'B', 0x24}, EncodingIso2022Jp))), (Bytes{0x24}));
    EXPECT_EQ(ShiftJisToIso2022Jp(PluginString()).body, nullptr);
}

}  // namespace
