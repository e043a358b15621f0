// What a menu item should read for a row's bytes and the encoding the host
// gives them, worked out with the system's own conversions. Only the cases
// that follow without the plug-in's conversion tables are answered.
#pragma once

#include <cstdint>
#include <string>

namespace soak {

// False when the text cannot be told; else text is what the item shows on a
// system of the given kind (NT: wide functions) and user language.
bool expectedMenuText(const std::string& bytes, uint32_t encoding, bool isNT, uint16_t language, std::wstring& text);

}  // namespace soak
