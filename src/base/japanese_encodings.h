// Byte converters between Shift-JIS and the two other Japanese encodings,
// EUC-JP and ISO-2022-JP, by the JIS X 0208 pair arithmetic; TextEncodingUtil
// carries text in those two over to Shift-JIS with them, and back, since no
// Windows conversion takes them. Results are tagged EncodingAscii when they
// consist of bytes below 0x80 only (and, for ISO-2022-JP, no escape
// sequence), EncodingSystem otherwise. Malformed input is carried over byte
// by byte; nothing is read past the end of the text.
#pragma once

#include "base/string.h"

PluginString EucJpToShiftJis(const PluginString& s);
PluginString Iso2022JpToShiftJis(const PluginString& s);
PluginString ShiftJisToEucJp(const PluginString& s);
PluginString ShiftJisToIso2022Jp(const PluginString& s);
