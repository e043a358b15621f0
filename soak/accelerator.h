// The accelerator rule as the soak knows it, in one place for the generator
// (which holds the keys down) and the model (which expects the activation):
// Alt and the character after the last single "&" of the caption, read up to
// its first NUL; "&&" is a literal ampersand, a lower-case ASCII letter
// counts as its capital, and a trailing "&" leaves none (0).
#pragma once

#include <string>

namespace soak {

inline char acceleratorOf(const std::string& caption) {
    const std::string text = caption.substr(0, caption.find('\0'));
    char result = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '&') continue;
        ++i;
        if (i < text.size() && text[i] == '&') continue;
        const char c = i < text.size() ? text[i] : '\0';
        result = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    return result;
}

}  // namespace soak
