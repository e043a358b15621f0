// PluginString: a handle to a shared, reference-counted StringBody that holds
// bytes, their length and a TextEncoding tag. Copying a handle shares the
// body; destroying or overwriting a handle releases it; the body goes back to
// the SmallBlockPool with its last reference. A null handle is the empty
// string.
//
// Making a string from a host string (as the bevel button does for captions
// and rows): copy its text and tag it with the host's encoding for it,
//     const char* text = HostStringText(hostString);
//     PluginString s = MakePluginString(text, CStringLength(text),
//                                       host::ZOKAGetStringEncoding(hostString));
// (the length byte of host storage reads 255 for any text longer than that,
// so count the bytes), then hand it to ToUtf16 or ToUserDefaultEncoding
// (TextEncodingUtil.h).
#pragma once

#include <cstddef>
#include <cstdint>

// The tag of a string's bytes; the same 32-bit value the host reports for
// its strings.
using TextEncoding = uint32_t;

// Tags of a string's bytes (numbering of the Mac OS Text Encoding Converter).
// A value 0xFFFFnnnn (other than 0xFFFFFFFF) names Windows code page nnnn.
constexpr TextEncoding EncodingSystem = 0x0000FFFF;  // the system's own; also "no common encoding"
constexpr TextEncoding EncodingAscii = 0x00000600;
constexpr TextEncoding EncodingUtf16 = 0x00000100;  // machine byte order, length counts bytes
constexpr TextEncoding EncodingUtf8 = 0x08000100;

// Laid out as the host's own string storage is read: five 32-bit fields on
// 32-bit systems (the pointer widens on 64-bit ones).
struct StringBody {
    int32_t refCount;       // handles sharing the body; 1 when made
    unsigned char* buffer;  // from the pool, bufferSize bytes
    int32_t bufferSize;     // length + 2 when made
    int32_t length;         // text bytes (2 per unit for UTF-16)
    TextEncoding encoding;  // EncodingSystem when made
};

// Buffer layout: byte 0 is the length byte (length, or 255 for texts longer
// than 255 bytes), the text follows from byte 1, then a 0 byte.
constexpr int32_t kLengthByteLimit = 255;
constexpr int32_t kTextOffset = 1;
// Length byte in front of the text, NUL behind it.
constexpr int32_t kBufferOverhead = 2;

#if defined(__i386__)
static_assert(sizeof(StringBody) == 20, "StringBody");
static_assert(offsetof(StringBody, buffer) == 4, "buffer");
static_assert(offsetof(StringBody, bufferSize) == 8, "bufferSize");
static_assert(offsetof(StringBody, length) == 12, "length");
static_assert(offsetof(StringBody, encoding) == 16, "encoding");
#endif

template <typename Unit>
class TextUnits;

struct PluginString {
    StringBody* body = nullptr;

    PluginString() = default;
    PluginString(const PluginString& other);             // shares other's body
    PluginString(PluginString&& other) noexcept;         // takes other's body
    PluginString& operator=(const PluginString& other);  // assign
    PluginString& operator=(PluginString&& other) noexcept;
    ~PluginString();  // releases the body

    // Drops one reference; frees the buffer and the body at zero. Null is ignored.
    static void release(StringBody* body);
    // Adds one reference to the body (if any) and returns it; the caller owns
    // that reference.
    StringBody* retain() const;
    // Replaces the body by a new one of length n whose text bytes are
    // undefined (but NUL-terminated), tagged EncodingSystem. n <= 0, or no
    // memory, leaves the handle null.
    void reserve(int32_t n);
    // Replaces the body by a new one holding a copy of n bytes (undefined
    // bytes when bytes is null), tagged EncodingSystem. Bytes may lie inside
    // the current body.
    void assignBytes(const void* bytes, int32_t n);
    // Shares other's body; assigning a handle to itself changes nothing.
    PluginString& assign(const PluginString& other);

    // The NUL-terminated text, or an empty text for a null handle.
    const char* text() const;
    // The text as 16-bit units, whatever the tag, or a wide empty text.
    const wchar_t* wideTextUnchecked() const;
    // The text as 16-bit units when tagged EncodingUtf16; otherwise a wide
    // empty text (and an assertion in debug builds). The units end with a
    // zero unit in strings made by ToUtf16 and TranscodeText; a UTF-16 text
    // copied in with assignBytes ends with a single 0 byte, so read such a
    // text by length() / 2 units. They begin one byte into the buffer, at an
    // odd address: what a Windows function reads, pass it wideCopy().
    const wchar_t* wideText() const;
    // The text's length() / 2 whole 16-bit units, whatever the tag, copied
    // to an aligned block of their own and ended with a zero unit.
    TextUnits<wchar_t> wideCopy() const;
    // The text bytes in a writable block of their own, ended with a 0 byte.
    TextUnits<char> byteCopy() const;
    // The writable byte at text position pos, after giving this handle a
    // private copy of a shared body (the copy keeps the tag). A position
    // outside the text yields a scratch byte (an assertion in debug builds).
    char* charAt(int32_t pos);

    bool hasText() const { return body != nullptr && body->length > 0; }
    // Text bytes; 0 for a null handle.
    int32_t length() const { return body != nullptr ? body->length : 0; }
    // The body's tag; a null handle counts as EncodingAscii.
    TextEncoding encoding() const { return body != nullptr ? body->encoding : EncodingAscii; }
    // Tags the body; only for a body this code has just made. Ignored when null.
    void setEncoding(TextEncoding encoding);
    // Shortens the text of a body this code has just made to n bytes
    // (0 <= n <= length): rewrites the length byte and ends the text with 0.
    void truncate(int32_t n);
};

// A new string holding a copy of n bytes tagged encoding; null when n <= 0.
PluginString MakePluginString(const void* bytes, int32_t n, TextEncoding encoding);

// A private copy of a string's text as whole units of one width, in a pool
// block aligned for the unit and ended with a zero unit; freed with the
// holder. The copy is writable (the bevel button strips prefix ampersands in
// place). Made by PluginString::wideCopy and byteCopy.
template <typename Unit>
class TextUnits {
public:
    explicit TextUnits(const PluginString& s);
    ~TextUnits();
    TextUnits(const TextUnits&) = delete;
    TextUnits& operator=(const TextUnits&) = delete;

    // Null, with a count of 0, when no memory was left.
    Unit* units() const { return units_; }
    int32_t count() const { return count_; }

private:
    int32_t blockBytes_;
    Unit* units_;
    int32_t count_;
};
