// TextEncodingUtil on the system's real code-page tables: the code-page map,
// the user-language table, conversions and their cache, common encodings,
// comparison, and the Japanese encodings carried through Shift-JIS (the byte
// converters' own tests are japanese_encodings_test.cpp).
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <windows.h>

#include "base/TextEncodingUtil.h"
#include "base/japanese_encodings.h"
#include "base/pool.h"
#include "base/string.h"
#include "call_recorder.h"
#include "encoding_support.h"

namespace {

constexpr TextEncoding kDirect1252 = 0xFFFF04E4;

// UTF-16 units as the bytes of a string tagged EncodingUtf16.
PluginString makeWide(const std::u16string& units) {
    return MakePluginString(units.data(), static_cast<int32_t>(2 * units.size()), EncodingUtf16);
}

std::u16string unitsOf(const PluginString& s) {
    std::u16string units(static_cast<size_t>(s.length() / 2), u'\0');
    std::memcpy(&units[0], s.text(), units.size() * 2);
    return units;
}

// Every test starts and ends with the process-wide caches as at start-up.
class Encoding : public ::testing::Test {
protected:
    void SetUp() override { ResetEncodingCaches(); }
    void TearDown() override { ResetEncodingCaches(); }
};

// The user's language as the test says, through this program's own import
// table (the conversions are linked in).
class ScriptedLanguage : public Encoding {
protected:
    LANGID scriptedLanguage = 1033;
    pluginhost::CallRecorder system{GetModuleHandle(nullptr)};
    void SetUp() override {
        system.hook<decltype(&GetUserDefaultLangID)>("KERNEL32.dll", "GetUserDefaultLangID", nullptr,
                                                     [this](auto) { return scriptedLanguage; });
        ASSERT_TRUE(system.installed());
        Encoding::SetUp();
    }
};

// Every conversion the system is asked for, in either direction.
class CountedConversions : public Encoding {
protected:
    pluginhost::CallRecorder system{GetModuleHandle(nullptr)};
    void SetUp() override {
        system.hook<decltype(&MultiByteToWideChar)>("KERNEL32.dll", "MultiByteToWideChar");
        system.hook<decltype(&WideCharToMultiByte)>("KERNEL32.dll", "WideCharToMultiByte");
        ASSERT_TRUE(system.installed());
        Encoding::SetUp();
    }
    int SystemConversions() const { return static_cast<int>(system.calls.size()); }
};

// --- code pages ---------------------------------------------------------------------

struct CodePageCase {
    TextEncoding encoding;
    uint32_t codePage;
};

// Tags whose code page the system is asked about.
constexpr CodePageCase kSystemCodePages[] = {
    {0x0000, 10000},     {0x0001, 10001},    {0x0002, 10002}, {0x0003, 10003}, {0x0004, 10004}, {0x0005, 10005},
    {0x0006, 10006},     {0x0007, 10007},    {0x0015, 10021}, {0x0019, 10008}, {0x001D, 10029}, {0x0023, 10081},
    {0x0024, 10082},     {0x0025, 10079},    {0x0026, 10010}, {0x0201, 28591}, {0x0202, 28592}, {0x0203, 28593},
    {0x0204, 28594},     {0x0205, 28595},    {0x0206, 708},   {0x0207, 28597}, {0x0208, 28598}, {0x0209, 28599},
    {0x020F, 28605},     {0x0400, 437},      {0x0405, 737},   {0x0406, 775},   {0x0410, 850},   {0x0411, 851},
    {0x0412, 852},       {0x0413, 855},      {0x0414, 857},   {0x0415, 860},   {0x0416, 861},   {0x0417, 862},
    {0x0418, 863},       {0x0419, 864},      {0x041A, 865},   {0x041B, 866},   {0x041C, 869},   {0x041D, 874},
    {0x0420, 932},       {0x0421, 936},      {0x0422, 949},   {0x0423, 950},   {0x0500, 1252},  {0x0501, 1250},
    {0x0502, 1251},      {0x0503, 1253},     {0x0504, 1254},  {0x0505, 1255},  {0x0506, 1256},  {0x0507, 1257},
    {0x0508, 1258},      {0x0510, 1361},     {0x0600, 1252},  {0x0631, 936},   {0x0A01, 932},   {0x0C01, 37},
    {0x0C02, 37},        {0x04000500, 1252},  // the format variant does not matter
    {kDirect1252, 1252}, {0xFFFF03B5, 949},
};

TEST_F(Encoding, CodePagesTheSystemIsAskedAbout) {
    for (const CodePageCase& c : kSystemCodePages) {
        SCOPED_TRACE(c.encoding);
        uint32_t codePage = 12345;
        const bool ok = EncodingToCodePage(c.encoding, codePage);
        EXPECT_EQ(ok, IsValidCodePage(c.codePage) != FALSE);
        if (ok) {
            EXPECT_EQ(codePage, c.codePage);
        }
    }
    // The ones the conversions below rely on are there.
    for (uint32_t codePage : {1252u, 932u, 936u, 949u, 950u, 1250u, 1251u, 437u, 10000u}) {
        EXPECT_TRUE(IsValidCodePage(codePage)) << codePage;
    }
}

TEST_F(Encoding, CodePagesAcceptedWithoutAsking) {
    const CodePageCase cases[] = {
        {EncodingUtf16, 1200},       {0x0101, 1200},        {0x0103, 1200},
        {0x04000100, 1200},          {EncodingUtf8, 65001}, {EncodingEucJp, 900000},
        {EncodingIso2022Jp, 900001},
    };
    for (const CodePageCase& c : cases) {
        SCOPED_TRACE(c.encoding);
        uint32_t codePage = 0;
        EXPECT_TRUE(EncodingToCodePage(c.encoding, codePage));
        EXPECT_EQ(codePage, c.codePage);
    }
}

TEST_F(Encoding, BasesWithoutACodePage) {
    for (TextEncoding e :
         {0x0008u, 0x0102u, 0x0200u, 0x0300u, 0x0401u, 0x0509u, 0x0601u, 0x0A02u, 0x7FFFu, 0x08000300u}) {
        SCOPED_TRACE(e);
        uint32_t codePage = 77;
        EXPECT_FALSE(EncodingToCodePage(e, codePage));
        EXPECT_EQ(codePage, 0u);
    }
    uint32_t codePage = 0;
    EXPECT_FALSE(EncodingToCodePage(0xFFFF0001, codePage));  // no such code page
}

// --- user language and system encoding --------------------------------------------------

TEST_F(ScriptedLanguage, UserLanguageTable) {
    const struct {
        LANGID language;
        TextEncoding encoding;
    } cases[] = {
        {1028, 0x0423},
        {2052, 0x0423},
        {3076, 0x0423},
        {4100, 0x0423},
        {1041, 0x0A01},
        {1033, 0x0500},
        {1042, 0x0500},
        {1049, 0x0500},
        {1031, 0x0500},
        {0, 0x0500},
        {0x0411 + 0x0400, 0x0500},
    };
    for (const auto& c : cases) {
        scriptedLanguage = c.language;
        EXPECT_EQ(UserLanguageEncoding(), c.encoding) << c.language;
    }
}

TEST_F(ScriptedLanguage, NarrowTextFollowsTheLanguageAtEachCall) {
    const PluginString zhong = makeWide(u"\u4E2D");
    scriptedLanguage = 2052;
    PluginString big5 = ToUserDefaultEncoding(zhong);
    EXPECT_EQ(big5.encoding(), 0x0423u);
    EXPECT_EQ(bytesOf(big5), (Bytes{0xA4, 0xA4}));
    scriptedLanguage = 1028;
    EXPECT_EQ(bytesOf(ToUserDefaultEncoding(zhong)), (Bytes{0xA4, 0xA4}));

    scriptedLanguage = 1041;
    PluginString sjis = ToUserDefaultEncoding(makeWide(u"\u3042"));
    EXPECT_EQ(sjis.encoding(), EncodingShiftJis);
    EXPECT_EQ(bytesOf(sjis), (Bytes{0x82, 0xA0}));

    scriptedLanguage = 1033;
    PluginString western = ToUserDefaultEncoding(makeWide(u"caf\u00E9"));
    EXPECT_EQ(western.encoding(), 0x0500u);
    EXPECT_EQ(bytesOf(western), (Bytes{'c', 'a', 'f', 0xE9}));
}

TEST_F(ScriptedLanguage, SystemEncodingIsFixedAtFirstUse) {
    scriptedLanguage = 1041;
    EXPECT_EQ(SystemEncoding(), EncodingShiftJis);
    scriptedLanguage = 1033;
    EXPECT_EQ(SystemEncoding(), EncodingShiftJis);
    uint32_t codePage = 0;
    ASSERT_TRUE(EncodingToCodePage(EncodingSystem, codePage));
    EXPECT_EQ(codePage, 932u);
    ASSERT_TRUE(EncodingToCodePage(0xFFFFFFFF, codePage));
    EXPECT_EQ(codePage, 932u);
    // Bytes tagged EncodingSystem are read in it.
    PluginString wide = ToUtf16(make(Bytes{0x82, 0xA0}, EncodingSystem));
    EXPECT_EQ(unitsOf(wide), u"\u3042");
    EXPECT_EQ(UserLanguageEncoding(), 0x0500u);
}

TEST_F(ScriptedLanguage, SystemCodePageOfAWesternUser) {
    scriptedLanguage = 1049;
    uint32_t codePage = 0;
    ASSERT_TRUE(EncodingToCodePage(EncodingSystem, codePage));
    EXPECT_EQ(codePage, 1252u);
}

// --- conversions on the system's tables -------------------------------------------------

struct RealConversion {
    TextEncoding encoding;
    uint32_t codePage;
    Bytes bytes;
    std::u16string units;
};

const RealConversion kRealConversions[] = {
    {0x0500, 1252, {'G', 'r', 0xFC, 0xDF, 'e', 0x80}, u"Gr\u00FC\u00DFe\u20AC"},
    {0x0600, 1252, {'A', 'b'}, u"Ab"},
    {kDirect1252, 1252, {0xE9}, u"\u00E9"},
    {0x0A01, 932, {0x82, 0xA0, 0x8A, 0xBF, 0xB1}, u"\u3042\u6F22\uFF71"},
    {0x0420, 932, {0x93, 0xFA, 0x96, 0x7B}, u"\u65E5\u672C"},
    {0x0423, 950, {0xA4, 0xA4, 0xA4, 0xE5}, u"\u4E2D\u6587"},
    {0x0421, 936, {0xD6, 0xD0, 0xCE, 0xC4}, u"\u4E2D\u6587"},
    {0x0631, 936, {0xD6, 0xD0}, u"\u4E2D"},
    {0x0422, 949, {0xC7, 0xD1, 0xB1, 0xDB}, u"\uD55C\uAE00"},
    {0x0501, 1250, {0x8A, 0xE8}, u"\u0160\u010D"},
    {0x0502, 1251, {0xC0, 0xFF}, u"\u0410\u044F"},
    {0x0503, 1253, {0xC1, 0xF9}, u"\u0391\u03C9"},
    {0x0504, 1254, {0xD0, 0xFD}, u"\u011E\u0131"},
    {0x0505, 1255, {0xE0, 0xFA}, u"\u05D0\u05EA"},
    {0x0506, 1256, {0xC7, 0xE1}, u"\u0627\u0644"},
    {0x0507, 1257, {0xC0, 0xE0}, u"\u0104\u0105"},
    {0x0508, 1258, {0xC3, 0xE3}, u"\u0102\u0103"},
    {0x0400, 437, {0x82, 0xE1, 0xB0}, u"\u00E9\u00DF\u2591"},
    {0x0410, 850, {0x82, 0x9D}, u"\u00E9\u00D8"},
    {0x041B, 866, {0x80, 0xEF}, u"\u0410\u044F"},
    {0x0000, 10000, {0x8E, 0xA5, 0xD2}, u"\u00E9\u2022\u201C"},
    {0x0007, 10007, {0x80, 0xDF}, u"\u0410\u044F"},
    {0x001D, 10029, {0x80, 0x8A}, u"\u00C4\u00E4"},
    {0x0006, 10006, {0xB0, 0xF6}, u"\u0391\u03C9"},
    {0x0201, 28591, {0xE9}, u"\u00E9"},
    {0x0205, 28595, {0xB0}, u"\u0410"},
};

TEST_F(Encoding, ConversionsBothWaysThroughTheSystemTables) {
    for (const RealConversion& c : kRealConversions) {
        SCOPED_TRACE(c.codePage);
        if (!IsValidCodePage(c.codePage)) continue;  // not on this system
        const PluginString narrow = make(c.bytes, c.encoding);
        PluginString wide = ConvertString(narrow, EncodingUtf16);
        EXPECT_EQ(wide.encoding(), EncodingUtf16);
        EXPECT_EQ(unitsOf(wide), c.units);
        EXPECT_EQ(wide.wideText()[c.units.size()], 0);  // ends with a zero unit
        EXPECT_EQ(unitsOf(ToUtf16(narrow)), c.units);
        PluginString back = ConvertString(makeWide(c.units), c.encoding);
        EXPECT_EQ(back.encoding(), c.encoding);
        EXPECT_EQ(bytesOf(back), c.bytes);
        EXPECT_EQ(back.body->buffer[back.length() + 1], 0);
        // And between two narrow encodings by way of UTF-8.
        PluginString utf8 = ConvertString(narrow, EncodingUtf8);
        EXPECT_EQ(bytesOf(ConvertString(utf8, c.encoding)), c.bytes);
    }
}

TEST_F(Encoding, UnmappedCharactersBecomeTheDefaultCharacter) {
    PluginString western = ConvertString(makeWide(u"a\u4E2Db"), 0x0500);
    EXPECT_EQ(bytesOf(western), (Bytes{'a', '?', 'b'}));
}

TEST_F(Encoding, Utf8ToUtf16) {
    PluginString euro = ToUtf16(make(Bytes{0xE2, 0x82, 0xAC}, EncodingUtf8));
    EXPECT_EQ(euro.length(), 2);
    EXPECT_EQ(euro.encoding(), EncodingUtf16);
    EXPECT_EQ(euro.wideText()[0], 0x20AC);
    EXPECT_EQ(euro.wideText()[1], 0);
    PluginString mixed = ToUtf16(make("a\xC3\xA9\xF0\x9F\x98\x80z", EncodingUtf8));
    EXPECT_EQ(unitsOf(mixed), u"a\u00E9\U0001F600z");
    PluginString back = ConvertString(mixed, EncodingUtf8);
    EXPECT_EQ(bytesOf(back), bytesOf(make("a\xC3\xA9\xF0\x9F\x98\x80z", EncodingUtf8)));
}

TEST_F(Encoding, ToUtf16KeepsWideTextAndEmptyText) {
    const PluginString wide = makeWide(u"ok");
    EXPECT_EQ(ToUtf16(wide).body, wide.body);
    EXPECT_EQ(ToUtf16(PluginString()).body, nullptr);
}

TEST_F(Encoding, ConvertStringReturnsItsSourceWhenNothingIsToDo) {
    const PluginString s = make(Bytes{0xE9}, 0x0500);
    EXPECT_EQ(ConvertString(s, EncodingSystem).body, s.body);
    EXPECT_EQ(ConvertString(s, 0x0500).body, s.body);
    EXPECT_EQ(ConvertString(PluginString(), EncodingUtf16).body, nullptr);
    const PluginString wide = makeWide(u"x");
    EXPECT_EQ(ConvertString(wide, EncodingSystem).body, wide.body);
}

TEST_F(Encoding, FailedConversionsGiveNoText) {
    EXPECT_EQ(ConvertString(make(Bytes{0xE9}, 0x0300), EncodingUtf16).body, nullptr);
    EXPECT_EQ(ConvertString(make(Bytes{0xE9}, 0x0500), 0x0300).body, nullptr);
    EXPECT_EQ(TranscodeText(make("abc", 0x0500), 0x0500, 0xFFFF0001).body, nullptr);
    // Seven-bit text is re-tagged even for a tag without a code page.
    PluginString retagged = ConvertString(make("abc", EncodingAscii), 0x0300);
    EXPECT_EQ(retagged.encoding(), 0x0300u);
    EXPECT_EQ(bytesOf(retagged), (Bytes{'a', 'b', 'c'}));
    // Except for targets 0x0100 to 0x0200, which always go through the
    // system: 0x0200 has no code page, the tags just outside are copied.
    EXPECT_EQ(ConvertString(make("abc", 0x0500), 0x0200).body, nullptr);
    for (TextEncoding outside : {0x00FFu, 0x0201u}) {
        EXPECT_EQ(bytesOf(ConvertString(make("abc", 0x0500), outside)), (Bytes{'a', 'b', 'c'})) << outside;
    }
}

TEST_F(Encoding, TranscodeBetweenUtf16Tags) {
    const PluginString wide = makeWide(u"ab");
    EXPECT_EQ(TranscodeText(wide, EncodingUtf16, EncodingUtf16).body, wide.body);
    PluginString other = TranscodeText(wide, EncodingUtf16, 0x0101);
    EXPECT_EQ(other.encoding(), 0x0101u);
    EXPECT_EQ(unitsOf(other), u"ab");
    // The source keeps its own body and tag.
    EXPECT_NE(other.body, wide.body);
    EXPECT_EQ(wide.encoding(), EncodingUtf16);
}

TEST(EncodingRules, IsSevenBit) {
    EXPECT_TRUE(IsSevenBit(PluginString()));
    EXPECT_TRUE(IsSevenBit(make(Bytes{'a', 0x7F}, 0x0500)));
    EXPECT_TRUE(IsSevenBit(make("plain", 0x00FF)));
    EXPECT_TRUE(IsSevenBit(make("plain", EncodingSystem)));
    EXPECT_TRUE(IsSevenBit(make("plain", EncodingUtf8)));
    EXPECT_FALSE(IsSevenBit(make(Bytes{'a', 0x80}, 0x0500)));
    EXPECT_FALSE(IsSevenBit(make("plain", EncodingUtf16)));
    EXPECT_FALSE(IsSevenBit(make("plain", 0x01FF)));
    EXPECT_TRUE(IsSevenBit(make("plain", 0x0200)));
}

TEST_F(CountedConversions, SevenBitTextIsCopiedWithoutASystemCall) {
    const PluginString ascii = make("Hello", EncodingUtf8);
    PluginString western = ConvertString(ascii, 0x0500);
    EXPECT_EQ(SystemConversions(), 0);
    EXPECT_EQ(western.encoding(), 0x0500u);
    EXPECT_NE(western.body, ascii.body);
    EXPECT_EQ(bytesOf(western), bytesOf(ascii));

    // Text tagged EncodingAscii is copied whatever its bytes.
    PluginString tagged = ConvertString(make(Bytes{'x', 0xE9}, EncodingAscii), 0x0A01);
    EXPECT_EQ(SystemConversions(), 0);
    EXPECT_EQ(bytesOf(tagged), (Bytes{'x', 0xE9}));

    // Bound for UTF-16, even seven-bit text goes through the system.
    PluginString wide = ConvertString(ascii, EncodingUtf16);
    EXPECT_GT(SystemConversions(), 0);
    EXPECT_EQ(unitsOf(wide), u"Hello");
}

TEST_F(CountedConversions, TheSameBodyIsConvertedOnce) {
    const PluginString s = make(Bytes{'G', 'r', 0xFC, 0xDF, 'e'}, 0x0500);
    PluginString first = ConvertString(s, EncodingUtf16);
    const int calls = SystemConversions();
    ASSERT_GT(calls, 0);
    PluginString again = ConvertString(s, EncodingUtf16);
    EXPECT_EQ(again.body, first.body);
    const PluginString sharing = s;
    EXPECT_EQ(ConvertString(sharing, EncodingUtf16).body, first.body);
    EXPECT_EQ(SystemConversions(), calls);

    // Equal bytes in another body are converted again.
    const PluginString twin = make(Bytes{'G', 'r', 0xFC, 0xDF, 'e'}, 0x0500);
    PluginString twinWide = ConvertString(twin, EncodingUtf16);
    EXPECT_NE(twinWide.body, first.body);
    EXPECT_GT(SystemConversions(), calls);
    EXPECT_EQ(unitsOf(twinWide), unitsOf(first));

    // Another target is another conversion.
    const int before = SystemConversions();
    PluginString utf8 = ConvertString(twin, EncodingUtf8);
    EXPECT_GT(SystemConversions(), before);
    EXPECT_EQ(utf8.encoding(), EncodingUtf8);
}

TEST_F(CountedConversions, TheCacheKeepsItsSourceAlive) {
    PluginString first;
    StringBody* body = nullptr;
    {
        const PluginString s = make(Bytes{0xE9}, 0x0500);
        body = s.body;
        first = ConvertString(s, EncodingUtf16);
    }
    // The body is still held, so no new string can take its place.
    EXPECT_EQ(body->refCount, 1);
    const PluginString other = make(Bytes{0xE8}, 0x0500);
    EXPECT_NE(other.body, body);
    EXPECT_EQ(unitsOf(ConvertString(other, EncodingUtf16)), u"\u00E8");
}

// --- common encodings ------------------------------------------------------------------

TEST(EncodingRules, CommonEncoding) {
    const struct {
        TextEncoding a, b, common;
    } cases[] = {
        {0x0500, 0x0500, 0x0500},
        {EncodingUtf16, EncodingUtf16, EncodingUtf16},
        {EncodingAscii, EncodingUtf8, EncodingUtf8},
        {EncodingUtf8, EncodingAscii, EncodingUtf8},
        {EncodingAscii, 0x0A01, 0x0A01},
        {0x0423, EncodingAscii, 0x0423},
        {EncodingAscii, EncodingUtf16, EncodingSystem},
        {EncodingUtf16, EncodingAscii, EncodingSystem},
        {EncodingAscii, 0x00FF, 0x00FF},
        {EncodingAscii, 0x01FF, EncodingSystem},
        {EncodingAscii, 0x0200, 0x0200},
        {EncodingAscii, EncodingSystem, EncodingSystem},
        {0x0500, 0x0A01, EncodingSystem},
        {EncodingUtf8, EncodingUtf16, EncodingSystem},
        {EncodingUtf8, 0x0500, EncodingSystem},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CommonEncoding(c.a, c.b), c.common) << std::hex << c.a << " " << c.b;
    }
}

TEST_F(Encoding, ReconcileWithoutText) {
    PluginString none1, none2;
    EXPECT_EQ(ReconcileEncodings(&none1, &none2), EncodingAscii);
    PluginString s = make("x", 0x0A01);
    EXPECT_EQ(ReconcileEncodings(&none1, &s), 0x0A01u);
    EXPECT_EQ(ReconcileEncodings(&s, &none2), 0x0A01u);
    EXPECT_EQ(none1.body, nullptr);
}

TEST_F(Encoding, ReconcileWithoutConverting) {
    PluginString a = make("abc", 0x0500);
    PluginString b = make("def", EncodingAscii);
    StringBody* bodyA = a.body;
    StringBody* bodyB = b.body;
    EXPECT_EQ(ReconcileEncodings(&a, &b), 0x0500u);
    PluginString system = make(Bytes{0xE9}, EncodingSystem);
    EXPECT_EQ(ReconcileEncodings(&a, &system), EncodingSystem);
    PluginString same = make("zz", 0x0500);
    EXPECT_EQ(ReconcileEncodings(&a, &same), 0x0500u);
    EXPECT_EQ(a.body, bodyA);
    EXPECT_EQ(b.body, bodyB);
}

TEST_F(Encoding, ReconcileAsciiWithUtf16ConvertsToUtf16) {
    PluginString ascii = make("Hi", EncodingAscii);
    PluginString wide = makeWide(u"there");
    StringBody* wideBody = wide.body;
    EXPECT_EQ(ReconcileEncodings(&ascii, &wide), EncodingUtf16);
    EXPECT_EQ(ascii.encoding(), EncodingUtf16);
    EXPECT_EQ(unitsOf(ascii), u"Hi");
    EXPECT_EQ(wide.body, wideBody);
}

TEST_F(Encoding, ReconcileTwoNarrowEncodingsConvertsBothToUtf8) {
    PluginString western = make(Bytes{0xE9}, 0x0500);
    PluginString japanese = make(Bytes{0x82, 0xA0}, 0x0A01);
    EXPECT_EQ(ReconcileEncodings(&western, &japanese), EncodingUtf8);
    EXPECT_EQ(bytesOf(western), (Bytes{0xC3, 0xA9}));
    EXPECT_EQ(bytesOf(japanese), (Bytes{0xE3, 0x81, 0x82}));
    PluginString utf8 = make(Bytes{0xC3, 0xA9}, EncodingUtf8);
    PluginString wide = makeWide(u"\u00E9");
    EXPECT_EQ(ReconcileEncodings(&utf8, &wide), EncodingUtf8);
    EXPECT_EQ(bytesOf(wide), (Bytes{0xC3, 0xA9}));
}

TEST_F(Encoding, ReconcileLeavesAStringThatCannotBeConverted) {
    PluginString unknown = make(Bytes{0xE9}, 0x0300);
    PluginString wide = makeWide(u"x");
    StringBody* body = unknown.body;
    EXPECT_EQ(ReconcileEncodings(&unknown, &wide), EncodingSystem);
    EXPECT_EQ(unknown.body, body);
    EXPECT_EQ(unknown.encoding(), 0x0300u);
}

#ifndef NDEBUG
TEST(EncodingDeathTest, ReconcileWithAMissingStringAsserts) {
    PluginString s = MakePluginString("a", 1, EncodingAscii);
    EXPECT_DEATH(ReconcileEncodings(nullptr, &s), "\"s1 and s2\"");
    EXPECT_DEATH(ReconcileEncodings(&s, nullptr), "\"s1 and s2\"");
}
#endif

TEST_F(Encoding, ReconcileWithAMissingString) {
#ifndef NDEBUG
    GTEST_SKIP() << "debug builds assert (EncodingDeathTest)";
#else
    PluginString s = make("a", EncodingAscii);
    EXPECT_EQ(ReconcileEncodings(nullptr, &s), EncodingSystem);
    EXPECT_EQ(ReconcileEncodings(&s, nullptr), EncodingSystem);
    EXPECT_EQ(ReconcileEncodings(nullptr, nullptr), EncodingSystem);
#endif
}

// --- comparison ----------------------------------------------------------------------

TEST_F(Encoding, CompareStrings) {
    EXPECT_EQ(CompareStrings(make("System", EncodingAscii), make("system", EncodingSystem)), 0);
    EXPECT_EQ(CompareStrings(PluginString(), PluginString()), 0);
    EXPECT_EQ(CompareStrings(PluginString(), make("a", EncodingAscii)), -1);
    EXPECT_EQ(CompareStrings(make("a", 0x0500), PluginString()), 1);
    const PluginString same = make(Bytes{0xFF, 0x01}, 0x0300);
    EXPECT_EQ(CompareStrings(same, same), 0);
    EXPECT_EQ(CompareStrings(make("abc", 0x0500), make("ABD", 0x0500)), -1);
    EXPECT_EQ(CompareStrings(make("abcd", 0x0500), make("ABC", 0x0500)), 1);
}

TEST_F(Encoding, CompareStringsAcrossEncodings) {
    const PluginString western = make(Bytes{'G', 'r', 0xFC, 0xDF, 'e'}, 0x0500);
    const PluginString utf8 = make(
        "Gr\xC3\xBC\xC3\x9F"
        "e",
        EncodingUtf8);
    const PluginString wide = makeWide(u"GR\u00FC\u00DFE");
    EXPECT_EQ(CompareStrings(western, utf8), 0);
    EXPECT_EQ(CompareStrings(western, wide), 0);
    EXPECT_EQ(CompareStrings(utf8, wide), 0);
    EXPECT_EQ(CompareStrings(make("abc", 0x0500), makeWide(u"ABD")), -1);
    EXPECT_EQ(CompareStrings(makeWide(u"b"), make("A", EncodingAscii)), 1);
    // Both were left as they were.
    EXPECT_EQ(western.encoding(), 0x0500u);
    EXPECT_EQ(bytesOf(western), (Bytes{'G', 'r', 0xFC, 0xDF, 'e'}));
    EXPECT_EQ(wide.encoding(), EncodingUtf16);
    EXPECT_EQ(wide.body->refCount, 1);
}

// --- Japanese encodings, through Shift-JIS ---------------------------------------------------

TEST_F(Encoding, JapaneseEncodingsConvertThroughShiftJis) {
    const std::u16string text = u"a\u3042\u6F22\uFF71";
    const Bytes euc = {'a', 0xA4, 0xA2, 0xB4, 0xC1, 0x8E, 0xB1};
    const Bytes iso = {'a', ESC, '$', 'B', 0x24, 0x22, 0x34, 0x41, ESC, '(', 'I', 0x31, ESC, '(', 'J'};
    EXPECT_EQ(unitsOf(ToUtf16(make(euc, EncodingEucJp))), text);
    EXPECT_EQ(unitsOf(ToUtf16(make(iso, EncodingIso2022Jp))), text);
    PluginString toEuc = ConvertString(makeWide(text), EncodingEucJp);
    EXPECT_EQ(toEuc.encoding(), EncodingEucJp);
    EXPECT_EQ(bytesOf(toEuc), euc);
    PluginString toIso = ConvertString(makeWide(text), EncodingIso2022Jp);
    EXPECT_EQ(toIso.encoding(), EncodingIso2022Jp);
    EXPECT_EQ(bytesOf(toIso), iso);
    PluginString eucToIso = TranscodeText(make(euc, EncodingEucJp), EncodingEucJp, EncodingIso2022Jp);
    EXPECT_EQ(bytesOf(eucToIso), iso);
    PluginString utf8 = ConvertString(make(euc, EncodingEucJp), EncodingUtf8);
    EXPECT_EQ(bytesOf(utf8), bytesOf(make("a\xE3\x81\x82\xE6\xBC\xA2\xEF\xBD\xB1", EncodingUtf8)));
}

// --- robustness ------------------------------------------------------------------------------

// A result is sound when its text lies inside its buffer, its length byte
// reads its length (255 for longer texts), the text ends with a 0 byte and,
// for UTF-16 that this module made, with a zero unit.
void expectSound(const char* operation, const PluginString& result, const PluginString& source) {
    SCOPED_TRACE(operation);
    if (result.body == nullptr) return;
    const StringBody& body = *result.body;
    ASSERT_GT(body.refCount, 0);
    ASSERT_GE(body.length, 0);
    ASSERT_LE(body.length + 2, body.bufferSize);
    ASSERT_EQ(body.buffer[body.length + 1], 0);
    ASSERT_EQ(body.buffer[0], body.length > 255 ? 255 : body.length);
    if (body.encoding == EncodingUtf16 && result.body != source.body) {
        ASSERT_EQ(body.length % 2, 0);
        ASSERT_LE(body.length + 3, body.bufferSize);
        ASSERT_EQ(body.buffer[body.length + 2], 0);
    }
}

TEST_F(Encoding, RandomTextThroughEveryOperation) {
    const TextEncoding tags[] = {
        EncodingSystem,
        EncodingAscii,
        EncodingUtf16,
        EncodingUtf8,
        0x0500,
        0x0A01,
        0x0420,
        0x0423,
        0x0421,
        0x0422,
        0x0501,
        0x0502,
        0x0507,
        0x0400,
        0x0000,
        0x0007,
        0x0300,
        EncodingEucJp,
        EncodingIso2022Jp,
        kDirect1252,
        0xFFFF0001,
        0x0C01,
        0x0101,
        0x0200,
        0xFFFFFFFF,
    };
    std::mt19937 random(20240605);
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    auto randomString = [&]() {
        const int length = pick(4) == 0 ? pick(400) : pick(12);
        Bytes bytes(static_cast<size_t>(length));
        const int alphabet = pick(3);  // seven-bit, any byte, Shift-JIS-like
        for (unsigned char& b : bytes) {
            b = static_cast<unsigned char>(alphabet == 0 ? pick(0x80) : alphabet == 1 ? pick(256) : 0x81 + pick(0x7C));
        }
        return make(bytes, tags[pick(sizeof tags / sizeof tags[0])]);
    };
    constexpr int kCases = 3000;
    for (int i = 0; i < kCases; ++i) {
        SCOPED_TRACE(i);
        const PluginString a = randomString();
        const PluginString b = randomString();
        const TextEncoding target = tags[pick(sizeof tags / sizeof tags[0])];
        IsSevenBit(a);
        expectSound("ConvertString", ConvertString(a, target), a);
        expectSound("ConvertString", ConvertString(a, target), a);
        expectSound("TranscodeText", TranscodeText(a, a.encoding(), target), a);
        expectSound("ToUtf16", ToUtf16(a), a);
        expectSound("ToUserDefaultEncoding", ToUserDefaultEncoding(a), a);
        expectSound("EucJpToShiftJis", EucJpToShiftJis(a), a);
        expectSound("Iso2022JpToShiftJis", Iso2022JpToShiftJis(a), a);
        expectSound("ShiftJisToEucJp", ShiftJisToEucJp(a), a);
        expectSound("ShiftJisToIso2022Jp", ShiftJisToIso2022Jp(a), a);
        PluginString s1 = a;
        PluginString s2 = b;
        ReconcileEncodings(&s1, &s2);
        expectSound("ReconcileEncodings", s1, a);
        expectSound("ReconcileEncodings", s2, b);
        const int32_t order = CompareStrings(a, b);
        ASSERT_TRUE(order >= -1 && order <= 1);
        ASSERT_EQ(CompareStrings(a, a), 0);
        ASSERT_EQ(a.body == nullptr || a.body->refCount >= 1, true);
    }
    ResetEncodingCaches();
    EXPECT_TRUE(poolFreeListsConsistent());
}

}  // namespace
