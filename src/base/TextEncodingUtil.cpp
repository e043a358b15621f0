#include "base/TextEncodingUtil.h"

#include <cassert>
#include <cstdint>

#include <windows.h>

#include "base/case_compare.h"
#include "base/japanese_encodings.h"
#include "base/pool.h"

namespace {

struct CodePageRow {
    uint16_t base;
    uint32_t codePage;
};

constexpr uint32_t kCodePageUtf16 = 1200;
constexpr uint32_t kCodePageUtf8 = 65001;
constexpr uint32_t kCodePageShiftJis = 932;
constexpr uint32_t kCodePageWestern = 1252;  // when the system encoding has no code page

constexpr uint32_t kBaseMask = 0x0000FFFF;
constexpr uint32_t kDirectCodePageMark = 0xFFFF0000;  // high half of a tag naming a code page
constexpr TextEncoding kNoEncoding = 0xFFFFFFFF;
constexpr uint16_t kBaseSystem = 0xFFFF;
constexpr TextEncoding kUnicodeFamilyFirst = 0x0100;
constexpr TextEncoding kUnicodeFamilyLast = 0x01FF;
// ConvertString always converts through the system for targets in this range.
constexpr TextEncoding kWideTargetFirst = 0x0100;
constexpr TextEncoding kWideTargetLast = 0x0200;

// Base encoding (low 16 bits of a tag) to Windows code page.
// clang-format off
constexpr CodePageRow kCodePageMap[] = {
    {0x0000, 10000}, {0x0001, 10001}, {0x0002, 10002}, {0x0003, 10003},
    {0x0004, 10004}, {0x0005, 10005}, {0x0006, 10006}, {0x0007, 10007},
    {0x0015, 10021}, {0x0019, 10008}, {0x001D, 10029},
    {0x0023, 10081}, {0x0024, 10082}, {0x0025, 10079}, {0x0026, 10010},
    {0x0100, kCodePageUtf16}, {0x0101, kCodePageUtf16}, {0x0103, kCodePageUtf16},
    {0x0201, 28591}, {0x0202, 28592}, {0x0203, 28593}, {0x0204, 28594}, {0x0205, 28595},
    {0x0206, 708},
    {0x0207, 28597}, {0x0208, 28598}, {0x0209, 28599}, {0x020F, 28605},
    {0x0400, 437}, {0x0405, 737}, {0x0406, 775},
    {0x0410, 850}, {0x0411, 851}, {0x0412, 852}, {0x0413, 855},
    {0x0414, 857}, {0x0415, 860}, {0x0416, 861}, {0x0417, 862}, {0x0418, 863},
    {0x0419, 864}, {0x041A, 865}, {0x041B, 866}, {0x041C, 869}, {0x041D, 874},
    {0x0420, 932}, {0x0421, 936}, {0x0422, 949}, {0x0423, 950},
    {0x0500, 1252},
    {0x0501, 1250}, {0x0502, 1251}, {0x0503, 1253}, {0x0504, 1254},
    {0x0505, 1255}, {0x0506, 1256}, {0x0507, 1257}, {0x0508, 1258},
    {0x0510, 1361},
    {0x0600, 1252},
    {0x0631, 936},
    {0x0820, kCodePageIso2022Jp},
    {0x0920, kCodePageEucJp},
    {0x0A01, kCodePageShiftJis},
    {0x0C01, 37}, {0x0C02, 37},
};
// clang-format on

struct LanguageRow {
    LANGID language;
    TextEncoding encoding;
};

constexpr TextEncoding kEncodingTraditionalChinese = 0x0423;  // code page 950
constexpr TextEncoding kEncodingWestern = 0x0500;             // code page 1252

// clang-format off
constexpr LanguageRow kLanguageMap[] = {
    {1028, kEncodingTraditionalChinese},
    {2052, kEncodingTraditionalChinese},
    {3076, kEncodingTraditionalChinese},
    {4100, kEncodingTraditionalChinese},
    {1041, EncodingShiftJis},
};
// clang-format on

constexpr unsigned char kSevenBitLimit = 0x80;

// Process-wide state, set up on first use.
uint32_t gSystemCodePage = 0;
TextEncoding gSystemEncoding = EncodingSystem;
struct ConversionCache {
    PluginString source;
    PluginString result;
};
// Released when the library is unloaded.
ConversionCache gConversionCache;

bool isUnicodeFamily(TextEncoding e) { return e >= kUnicodeFamilyFirst && e <= kUnicodeFamilyLast; }

bool isPseudoCodePage(uint32_t codePage) { return codePage == kCodePageEucJp || codePage == kCodePageIso2022Jp; }

// The tag a string's bytes are read in; a string without text counts as ASCII.
TextEncoding tagOf(const PluginString& s) { return s.hasText() ? s.encoding() : EncodingAscii; }

const unsigned char* bytesOf(const PluginString& s) { return reinterpret_cast<const unsigned char*>(s.text()); }

// Cuts a wide buffer to `units` units and ends them with a zero unit; the
// buffer always has room for it (see makeWideBuffer).
void setWideLength(PluginString& wide, int32_t units) {
    wide.truncate(2 * units);
    wide.body->buffer[kTextOffset + 2 * units + 1] = 0;
}

// A new body for `units` UTF-16 units plus a terminating zero unit, with
// length 2 * units; null when that cannot be had.
PluginString makeWideBuffer(int32_t units) {
    PluginString wide;
    if (units <= 0 || units > (INT32_MAX - 4) / 2) {
        return wide;
    }
    wide.assignBytes(nullptr, 2 * units + 1);
    if (wide.hasText()) {
        setWideLength(wide, units);
    }
    return wide;
}

LPWSTR writableWide(PluginString& wide) { return reinterpret_cast<LPWSTR>(wide.charAt(0)); }

}  // namespace

// --- code pages and encodings -------------------------------------------------

bool EncodingToCodePage(TextEncoding encoding, uint32_t& codePage) {
    codePage = 0;
    if (encoding != kNoEncoding && (encoding & kDirectCodePageMark) == kDirectCodePageMark) {
        codePage = encoding & kBaseMask;
    } else {
        const uint16_t base = static_cast<uint16_t>(encoding & kBaseMask);
        if (base == kBaseSystem) {
            if (gSystemCodePage == 0) {
                const TextEncoding system = SystemEncoding();
                uint32_t found = 0;
                const bool usable = (system & kBaseMask) != kBaseSystem && EncodingToCodePage(system, found);
                gSystemCodePage = usable ? found : kCodePageWestern;
            }
            codePage = gSystemCodePage;
        } else {
            for (const CodePageRow& row : kCodePageMap) {
                if (row.base == base) {
                    codePage = row.codePage;
                    break;
                }
            }
            if (codePage == 0) {
                return false;
            }
            if (codePage == kCodePageUtf16) {
                codePage = encoding == EncodingUtf8 ? kCodePageUtf8 : kCodePageUtf16;
                return true;
            }
            if (isPseudoCodePage(codePage)) {
                return true;
            }
        }
    }
    return IsValidCodePage(codePage) != FALSE;
}

TextEncoding SystemEncoding() {
    // The encoding that belongs to the "System" font, which is that of the
    // user's language whatever the font.
    if (gSystemEncoding == EncodingSystem) {
        gSystemEncoding = UserLanguageEncoding();
    }
    return gSystemEncoding;
}

TextEncoding UserLanguageEncoding() {
    const LANGID language = GetUserDefaultLangID();
    for (const LanguageRow& row : kLanguageMap) {
        if (row.language == language) {
            return row.encoding;
        }
    }
    return kEncodingWestern;
}

bool IsSevenBit(const PluginString& s) {
    if (!s.hasText()) {
        return true;
    }
    if (isUnicodeFamily(s.encoding())) {
        return false;
    }
    const unsigned char* bytes = bytesOf(s);
    for (int32_t i = 0; i < s.length(); ++i) {
        if (bytes[i] >= kSevenBitLimit) {
            return false;
        }
    }
    return true;
}

// --- conversion ---------------------------------------------------------------

// The converters that carry the Japanese pseudo code pages over to and from
// Shift-JIS.
static PluginString toShiftJis(const PluginString& s, uint32_t pseudoCodePage) {
    return pseudoCodePage == kCodePageEucJp ? EucJpToShiftJis(s) : Iso2022JpToShiftJis(s);
}

static PluginString fromShiftJis(const PluginString& s, uint32_t pseudoCodePage) {
    return pseudoCodePage == kCodePageEucJp ? ShiftJisToEucJp(s) : ShiftJisToIso2022Jp(s);
}

// The text of s as UTF-16 units; s's own body when it is UTF-16 already.
static PluginString wideFormOf(const PluginString& s, bool sourceIsUtf16, uint32_t codePage, int32_t& units) {
    if (sourceIsUtf16) {
        units = s.length() / 2;
        return s;
    }
    units = MultiByteToWideChar(codePage, 0, s.text(), s.length(), nullptr, 0);
    PluginString wide = makeWideBuffer(units);
    if (!wide.hasText()) {
        units = 0;
        return wide;
    }
    MultiByteToWideChar(codePage, 0, s.text(), s.length(), writableWide(wide), units);
    return wide;
}

PluginString TranscodeText(const PluginString& s, TextEncoding from, TextEncoding to) {
    if (from == to) {
        return s;
    }
    uint32_t codePageFrom = 0;
    uint32_t codePageTo = 0;
    if (!EncodingToCodePage(from, codePageFrom) || !EncodingToCodePage(to, codePageTo)) {
        return PluginString();
    }
    PluginString source = s;
    if (isPseudoCodePage(codePageFrom)) {
        source = toShiftJis(s, codePageFrom);
        codePageFrom = kCodePageShiftJis;
    }
    const uint32_t pseudoTarget = isPseudoCodePage(codePageTo) ? codePageTo : 0;
    if (pseudoTarget != 0) {
        codePageTo = kCodePageShiftJis;
    }

    int32_t units = 0;
    const bool sourceIsUtf16 = from == EncodingUtf16;
    PluginString wide = wideFormOf(source, sourceIsUtf16, codePageFrom, units);
    if (units <= 0) {
        return PluginString();
    }
    if (codePageTo == kCodePageUtf16) {
        // The caller's own body is never re-tagged or cut: take a copy.
        if (sourceIsUtf16) {
            PluginString copy = makeWideBuffer(units);
            if (!copy.hasText()) {
                return PluginString();
            }
            copyBytes(copy.charAt(0), wide.text(), 2 * units);
            wide = copy;
        }
        wide.setEncoding(to);
        return wide;
    }
    const LPCWSTR wideUnits = wide.wideTextUnchecked();
    const int32_t m = WideCharToMultiByte(codePageTo, 0, wideUnits, units, nullptr, 0, nullptr, nullptr);
    PluginString result;
    result.reserve(m);
    if (!result.hasText()) {
        return result;
    }
    WideCharToMultiByte(codePageTo, 0, wideUnits, units, result.charAt(0), m, nullptr, nullptr);
    if (pseudoTarget != 0) {
        result = fromShiftJis(result, pseudoTarget);
    }
    result.setEncoding(to);
    return result;
}

PluginString ConvertString(const PluginString& s, TextEncoding target) {
    if (target == EncodingSystem || !s.hasText() || s.encoding() == target) {
        return s;
    }
    if (gConversionCache.source.body == s.body && gConversionCache.result.body != nullptr &&
        gConversionCache.result.encoding() == target) {
        return gConversionCache.result;
    }
    gConversionCache.source = s;
    PluginString result;
    if (target >= kWideTargetFirst && target <= kWideTargetLast) {
        result = TranscodeText(s, s.encoding(), target);
    } else if (s.encoding() == EncodingAscii || IsSevenBit(s)) {
        result = MakePluginString(s.text(), s.length(), target);
    } else {
        result = TranscodeText(s, s.encoding(), target);
    }
    gConversionCache.result = result;
    return result;
}

PluginString ToUtf16(const PluginString& s) {
    if (!s.hasText() || s.encoding() == EncodingUtf16) {
        return s;
    }
    if (s.encoding() == EncodingUtf8) {
        // UTF-8 never takes more units than bytes. The zero unit is written
        // here rather than converted from the NUL: a malformed sequence at the
        // end may swallow the NUL.
        PluginString wide = makeWideBuffer(s.length());
        if (!wide.hasText()) {
            return wide;
        }
        const int converted =
            MultiByteToWideChar(kCodePageUtf8, 0, s.text(), s.length(), writableWide(wide), s.length());
        if (converted <= 0) {
            return PluginString();
        }
        setWideLength(wide, converted);
        wide.setEncoding(EncodingUtf16);
        return wide;
    }
    if (s.encoding() == EncodingSystem) {
        return ConvertString(MakePluginString(s.text(), s.length(), SystemEncoding()), EncodingUtf16);
    }
    return ConvertString(s, EncodingUtf16);
}

PluginString ToUserDefaultEncoding(const PluginString& s) { return ConvertString(s, UserLanguageEncoding()); }

TextEncoding CommonEncoding(TextEncoding a, TextEncoding b) {
    if (a == b) {
        return a;
    }
    const auto asciiOrUtf8 = [](TextEncoding e) { return e == EncodingAscii || e == EncodingUtf8; };
    if (asciiOrUtf8(a) && asciiOrUtf8(b)) {
        return EncodingUtf8;
    }
    if (a == EncodingAscii && !isUnicodeFamily(b)) {
        return b;
    }
    if (b == EncodingAscii && !isUnicodeFamily(a)) {
        return a;
    }
    return EncodingSystem;
}

// Replaces s by its conversion to target; false (s unchanged) when that
// yields no text.
static bool convertInPlace(PluginString& s, TextEncoding target) {
    if (s.encoding() == target) {
        return true;
    }
    PluginString converted = ConvertString(s, target);
    if (!converted.hasText()) {
        return false;
    }
    s = converted;
    return true;
}

TextEncoding ReconcileEncodings(PluginString* s1, PluginString* s2) {
    assert(s1 != nullptr && s2 != nullptr && "s1 and s2");
    if (s1 == nullptr || s2 == nullptr) {
        return EncodingSystem;
    }
    if (!s1->hasText()) {
        return s2->hasText() ? s2->encoding() : EncodingAscii;
    }
    if (!s2->hasText()) {
        return s1->encoding();
    }
    const TextEncoding e1 = s1->encoding();
    const TextEncoding e2 = s2->encoding();
    if (e1 == e2) {
        return e1;
    }
    if (e1 == EncodingSystem || e2 == EncodingSystem) {
        return EncodingSystem;
    }
    const TextEncoding common = CommonEncoding(e1, e2);
    if (common != EncodingSystem) {
        return common;
    }
    const bool eitherUtf16 = e1 == EncodingUtf16 || e2 == EncodingUtf16;
    const bool eitherUtf8 = e1 == EncodingUtf8 || e2 == EncodingUtf8;
    const TextEncoding target = eitherUtf16 && !eitherUtf8 ? EncodingUtf16 : EncodingUtf8;
    if (!convertInPlace(*s1, target) || !convertInPlace(*s2, target)) {
        return EncodingSystem;
    }
    return target;
}

static int32_t compareBytes(const PluginString& a, const PluginString& b) {
    return CompareNoCaseN(bytesOf(a), a.length(), bytesOf(b), b.length());
}

int32_t CompareStrings(const PluginString& a, const PluginString& b) {
    if (a.body == b.body) {
        return 0;
    }
    const TextEncoding ea = tagOf(a);
    const TextEncoding eb = tagOf(b);
    if (ea == eb || ea == EncodingSystem || eb == EncodingSystem) {
        return compareBytes(a, b);
    }
    PluginString copyA = a;
    PluginString copyB = b;
    ReconcileEncodings(&copyA, &copyB);
    return compareBytes(copyA, copyB);
}

#if defined(CLASSICCONTROLS_WHITE_BOX)
void ResetEncodingCaches() {
    gSystemCodePage = 0;
    gSystemEncoding = EncodingSystem;
    gConversionCache.source = PluginString();
    gConversionCache.result = PluginString();
}
#endif
