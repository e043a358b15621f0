#include "base/string.h"

#include <cassert>
#include <cstdint>

#include "base/pool.h"

// The texts of a null handle: zero-filled, so each reads as an empty,
// NUL-terminated text of its width.
static const char kEmptyText[2] = {};
static const wchar_t kEmptyWideText[1] = {};
// Handed out by charAt when there is no byte at the position; writes to it
// go nowhere.
static char gScratchByte;

static unsigned char lengthByte(int32_t length) {
    return static_cast<unsigned char>(length > kLengthByteLimit ? kLengthByteLimit : length);
}

// A new body with a buffer for n text bytes, or null (leaving nothing
// allocated) when n <= 0 or the pool has no memory.
static StringBody* makeBody(int32_t n) {
    if (n <= 0 || n > INT32_MAX - kBufferOverhead) {
        return nullptr;
    }
    const int32_t bufferSize = n + kBufferOverhead;
    auto* buffer = static_cast<unsigned char*>(poolAllocate(bufferSize));
    if (buffer == nullptr) {
        return nullptr;
    }
    auto* body = static_cast<StringBody*>(poolAllocate(sizeof(StringBody)));
    if (body == nullptr) {
        poolFree(buffer, bufferSize);
        return nullptr;
    }
    body->refCount = 1;
    body->buffer = buffer;
    body->bufferSize = bufferSize;
    body->length = n;
    body->encoding = EncodingSystem;
    buffer[0] = lengthByte(n);
    buffer[n] = 0;
    buffer[n + 1] = 0;
    return body;
}

// Makes body the handle's body (the handle owns its reference) and drops the
// previous one. The new body is made before the old one goes, so a source
// inside the old body stays readable while it is copied.
static void replaceBody(PluginString& h, StringBody* body) {
    StringBody* old = h.body;
    h.body = body;
    PluginString::release(old);
}

PluginString::PluginString(const PluginString& other) : body(other.retain()) {}

PluginString::PluginString(PluginString&& other) noexcept : body(other.body) { other.body = nullptr; }

PluginString& PluginString::operator=(const PluginString& other) { return assign(other); }

PluginString& PluginString::operator=(PluginString&& other) noexcept {
    if (this != &other) {
        replaceBody(*this, other.body);
        other.body = nullptr;
    }
    return *this;
}

PluginString::~PluginString() { release(body); }

void PluginString::release(StringBody* body) {
    if (body == nullptr || --body->refCount > 0) {
        return;
    }
    poolFree(body->buffer, body->bufferSize);
    poolFree(body, sizeof(StringBody));
}

StringBody* PluginString::retain() const {
    if (body != nullptr) {
        ++body->refCount;
    }
    return body;
}

void PluginString::reserve(int32_t n) { replaceBody(*this, makeBody(n)); }

// A new body holding a copy of n bytes (undefined ones for a null source).
static StringBody* makeBodyWith(const void* bytes, int32_t n) {
    StringBody* made = makeBody(n);
    if (made != nullptr) {
        if (bytes != nullptr) {
            copyBytes(made->buffer + kTextOffset, bytes, n);
        }
        made->buffer[made->length + 1] = 0;
    }
    return made;
}

void PluginString::assignBytes(const void* bytes, int32_t n) { replaceBody(*this, makeBodyWith(bytes, n)); }

PluginString& PluginString::assign(const PluginString& other) {
    if (this != &other) {
        replaceBody(*this, other.retain());
    }
    return *this;
}

const char* PluginString::text() const {
    if (body == nullptr) {
        return kEmptyText;
    }
    return reinterpret_cast<const char*>(body->buffer + kTextOffset);
}

const wchar_t* PluginString::wideTextUnchecked() const {
    if (body == nullptr) {
        return kEmptyWideText;
    }
    return reinterpret_cast<const wchar_t*>(body->buffer + kTextOffset);
}

const wchar_t* PluginString::wideText() const {
    if (body == nullptr) {
        return kEmptyWideText;
    }
    assert(body->encoding == EncodingUtf16 && "0");
    if (body->encoding != EncodingUtf16) {
        return kEmptyWideText;
    }
    return wideTextUnchecked();
}

char* PluginString::charAt(int32_t pos) {
    if (body == nullptr) {
        assert(pos == 0 && "not pos");
        gScratchByte = 0;
        return &gScratchByte;
    }
    assert(!(pos < 0 || pos >= body->length) && "not (pos < 0 || pos >= Length())");
    if (pos < 0 || pos >= body->length) {
        gScratchByte = 0;
        return &gScratchByte;
    }
    if (body->refCount > 1) {
        StringBody* copy = makeBodyWith(text(), body->length);
        if (copy == nullptr) {
            // Out of memory: the shared text must not change.
            gScratchByte = 0;
            return &gScratchByte;
        }
        // The private copy reads as the same text, so it keeps the tag.
        copy->encoding = body->encoding;
        replaceBody(*this, copy);
    }
    return reinterpret_cast<char*>(body->buffer + kTextOffset + pos);
}

TextUnits<wchar_t> PluginString::wideCopy() const { return TextUnits<wchar_t>(*this); }

TextUnits<char> PluginString::byteCopy() const { return TextUnits<char>(*this); }

void PluginString::setEncoding(TextEncoding encoding) {
    if (body != nullptr) {
        body->encoding = encoding;
    }
}

void PluginString::truncate(int32_t n) {
    if (body == nullptr || n < 0 || n > body->length) {
        return;
    }
    body->length = n;
    body->buffer[0] = lengthByte(n);
    body->buffer[n + kTextOffset] = 0;
}

PluginString MakePluginString(const void* bytes, int32_t n, TextEncoding encoding) {
    PluginString s;
    s.assignBytes(bytes, n);
    s.setEncoding(encoding);
    return s;
}

template <typename Unit>
TextUnits<Unit>::TextUnits(const PluginString& s)
    : blockBytes_((s.length() / static_cast<int32_t>(sizeof(Unit)) + 1) * static_cast<int32_t>(sizeof(Unit))),
      units_(static_cast<Unit*>(poolAllocate(blockBytes_))),
      count_(units_ != nullptr ? s.length() / static_cast<int32_t>(sizeof(Unit)) : 0) {
    if (units_ == nullptr) {
        return;
    }
    // Whole units only: a stray last byte of an odd-length UTF-16 text is
    // not read.
    copyBytes(units_, s.text(), count_ * static_cast<int32_t>(sizeof(Unit)));
    units_[count_] = 0;
}

template <typename Unit>
TextUnits<Unit>::~TextUnits() {
    poolFree(units_, blockBytes_);
}

template class TextUnits<char>;
template class TextUnits<wchar_t>;
