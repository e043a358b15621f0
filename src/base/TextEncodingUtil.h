// Conversion of PluginString values between text encodings and Windows code
// pages, through UTF-16 with MultiByteToWideChar and WideCharToMultiByte.
//
// For the Windows text functions:
//   - wide (W) functions:   TextUnits<wchar_t> w = ToUtf16(s).wideCopy();
//                           then pass w.units() with w.count() units (aligned
//                           and terminated, unlike the text in place);
//   - narrow (A) functions: PluginString a = ToUserDefaultEncoding(s);
//                           then pass a.text() with a.length() bytes.
// A result may share the caller's body or the cached result of the last
// conversion; it stays valid as long as the handle is held. A string that
// cannot be converted comes back null, which reads as the empty text.
//
// Process-wide caches (not locked; all calls come from the host's
// user-interface thread): the system encoding and code page, computed once,
// and the last source and result of ConvertString.
#pragma once

#include <cstdint>

#include "base/string.h"

// Base encodings with a meaning of their own here.
constexpr TextEncoding EncodingShiftJis = 0x00000A01;  // code page 932
constexpr TextEncoding EncodingEucJp = 0x00000920;
constexpr TextEncoding EncodingIso2022Jp = 0x00000820;

// No Windows conversion takes these two: text in EUC-JP or ISO-2022-JP is
// carried over into Shift-JIS (code page 932) by the byte converters of
// japanese_encodings.h and converted from there; text bound for them is
// converted to Shift-JIS and then carried over.
constexpr uint32_t kCodePageEucJp = 900000;
constexpr uint32_t kCodePageIso2022Jp = 900001;

// The Windows code page for a tag. False, with code page 0 for a base value
// that has none, when there is no usable code page. UTF-16 (1200), UTF-8
// (65001) and the two Japanese pseudo code pages are accepted without asking
// the system; any other code page only when IsValidCodePage accepts it.
bool EncodingToCodePage(TextEncoding encoding, uint32_t& codePage);

// The encoding of the user's language as it was at the first call; fixed
// afterwards for the process.
TextEncoding SystemEncoding();
// The encoding of the current user language: Chinese (1028, 2052, 3076,
// 4100) 0x0423, Japanese (1041) Shift-JIS, anything else 0x0500. Asked
// afresh on every call.
TextEncoding UserLanguageEncoding();

// True when s has no text, false for the Unicode family 0x0100 to 0x01FF,
// otherwise whether every byte is below 0x80.
bool IsSevenBit(const PluginString& s);

// s (whose tag is from) converted to to; s itself when from equals to, null
// when either has no code page or the system cannot convert.
PluginString TranscodeText(const PluginString& s, TextEncoding from, TextEncoding to);

// s converted to target. s itself for target EncodingSystem, a string
// without text or one already tagged target. Converting the same body to the
// same target twice in a row returns the very same result; seven-bit text
// bound for a non-Unicode target is re-tagged by copying, with no system call.
PluginString ConvertString(const PluginString& s, TextEncoding target);

// s as UTF-16 (tagged EncodingUtf16, ending with a zero unit), for the wide
// Windows functions.
PluginString ToUtf16(const PluginString& s);

// s in the narrow encoding of the current user language, for the narrow
// Windows functions.
PluginString ToUserDefaultEncoding(const PluginString& s);

// An encoding in which text of both a and b can be read without conversion,
// or EncodingSystem when there is none.
TextEncoding CommonEncoding(TextEncoding a, TextEncoding b);

// Brings *s1 and *s2 to one encoding and returns it, converting either to
// UTF-16 or UTF-8 when needed. EncodingSystem when they cannot be brought
// together (or a string is missing: an assertion in debug builds); a string
// whose conversion fails is left as it was.
TextEncoding ReconcileEncodings(PluginString* s1, PluginString* s2);

// Case-insensitive order of a and b (-1, 0, 1), compared in a common
// encoding when their tags differ; a and b are left untouched.
int32_t CompareStrings(const PluginString& a, const PluginString& b);

#if defined(CLASSICCONTROLS_WHITE_BOX)
// For the white-box tests only (classiccontrols_core), which script the user
// language: forgets the system encoding and code page and releases the
// conversion cache, as at process start.
void ResetEncodingCaches();
#endif
