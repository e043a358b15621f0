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

TEST(JapaneseConverters, TruncatedInputStaysInside) {
    EXPECT_EQ(bytesOf(EucJpToShiftJis(make(Bytes{'a', 0xA4}, EncodingEucJp))), (Bytes{'a', 0xA4}));
    EXPECT_EQ(bytesOf(EucJpToShiftJis(make(Bytes{0x8E}, EncodingEucJp))), (Bytes{0x8E}));
    EXPECT_EQ(bytesOf(ShiftJisToEucJp(make(Bytes{0x82}, EncodingShiftJis))), (Bytes{0x82}));
    EXPECT_EQ(bytesOf(Iso2022JpToShiftJis(make(Bytes{'a', ESC}, EncodingIso2022Jp))), (Bytes{'a'}));
    EXPECT_EQ(bytesOf(Iso2022JpToShiftJis(make(Bytes{ESC, '$', 'B', 0x24}, EncodingIso2022Jp))), (Bytes{0x24}));
    EXPECT_EQ(ShiftJisToIso2022Jp(PluginString()).body, nullptr);
}

}  // namespace
