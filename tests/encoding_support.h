// Shared by the encoding tests: strings made from bytes and a tag, and read
// back as bytes.
#pragma once

#include <cstring>
#include <vector>

#include "base/string.h"

using Bytes = std::vector<unsigned char>;

constexpr unsigned char ESC = 0x1B;

inline Bytes bytesOf(const PluginString& s) {
    const auto* text = reinterpret_cast<const unsigned char*>(s.text());
    return Bytes(text, text + s.length());
}

inline PluginString make(const Bytes& bytes, TextEncoding encoding) {
    return MakePluginString(bytes.data(), static_cast<int32_t>(bytes.size()), encoding);
}

inline PluginString make(const char* text, TextEncoding encoding) {
    return MakePluginString(text, static_cast<int32_t>(std::strlen(text)), encoding);
}
