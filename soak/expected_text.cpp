#include "expected_text.h"

#include <vector>

#include <windows.h>

namespace soak {

namespace {

constexpr uint32_t kUtf16 = 0x00000100;
constexpr uint32_t kUtf8 = 0x08000100;
constexpr uint32_t kAscii = 0x00000600;
constexpr uint32_t kSystem = 0x0000FFFF;

// The narrow encoding of a user language: Chinese, Japanese, else Western.
uint32_t userEncoding(uint16_t language) {
    if (language == 1028 || language == 2052 || language == 3076 || language == 4100) return 0x0423;
    if (language == 1041) return 0x0A01;
    return 0x0500;
}

// Code pages whose conversions every system here has; 0 for the others.
UINT codePageOf(uint32_t encoding, uint16_t language) {
    if ((encoding >> 16) == 0xFFFF && encoding != 0xFFFFFFFF) {
        const UINT page = encoding & 0xFFFF;
        for (UINT known : {1252u, 932u, 936u, 949u, 950u, 1250u, 1251u, 437u, 850u, 65001u})
            if (page == known) return page;
        return 0;
    }
    if ((encoding & 0xFFFF) == 0xFFFF) return codePageOf(userEncoding(language), language);
    if ((encoding >> 16) != 0) return 0;
    switch (encoding) {
        case 0x0500:
        case kAscii:
            return 1252;
        case 0x0501:
            return 1250;
        case 0x0502:
            return 1251;
        case 0x0A01:
        case 0x0420:
            return 932;
        case 0x0421:
            return 936;
        case 0x0422:
            return 949;
        case 0x0423:
            return 950;
        default:
            return 0;
    }
}

std::wstring widened(UINT page, const std::string& bytes) {
    const int n = MultiByteToWideChar(page, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (n <= 0) return std::wstring();
    std::wstring text(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(page, 0, bytes.data(), static_cast<int>(bytes.size()), &text[0], n);
    return text;
}

}  // namespace

bool expectedMenuText(const std::string& bytes, uint32_t encoding, bool isNT, uint16_t language, std::wstring& text) {
    text.clear();
    if (bytes.empty()) return true;
    if (!isNT) {
        // Seven-bit text bound for the user's narrow encoding is copied as it
        // is; anything else depends on the system's narrow code page.
        for (unsigned char c : bytes)
            if (c >= 0x80) return false;
        if (encoding >= 0x0100 && encoding <= 0x01FF) return false;
        text.assign(bytes.begin(), bytes.end());
        return true;
    }
    if (encoding == kUtf16) {
        for (size_t i = 0; i + 1 < bytes.size(); i += 2)
            text += static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) |
                                         (static_cast<unsigned char>(bytes[i + 1]) << 8));
        return true;
    }
    if (encoding == kUtf8) {
        text = widened(CP_UTF8, bytes);
        return true;
    }
    const UINT page = codePageOf(encoding == kSystem ? kSystem : encoding, language);
    if (page == 0) return false;
    text = widened(page, bytes);
    return true;
}

}  // namespace soak
