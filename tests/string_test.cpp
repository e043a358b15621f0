// PluginString and StringBody: layout of a body and its buffer, sharing by
// reference count, copy on write, and the fallbacks of misuse.
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "base/pool.h"
#include "base/string.h"

namespace {

std::string textOf(const PluginString& s) { return std::string(s.text(), static_cast<size_t>(s.length())); }

int32_t classOf(int32_t size) { return (size + 3) / 4; }

TEST(PluginString, ABodyHoldsLengthByteTextAndNul) {
    PluginString s = MakePluginString("abc", 3, EncodingAscii);
    ASSERT_NE(s.body, nullptr);
    EXPECT_EQ(s.body->refCount, 1);
    EXPECT_EQ(s.body->length, 3);
    EXPECT_EQ(s.body->bufferSize, 5);
    EXPECT_EQ(s.body->encoding, EncodingAscii);
    const unsigned char expected[5] = {3, 'a', 'b', 'c', 0};
    EXPECT_EQ(std::memcmp(s.body->buffer, expected, sizeof expected), 0);
    EXPECT_EQ(s.text(), reinterpret_cast<const char*>(s.body->buffer + 1));
}

TEST(PluginString, NewBodiesAreTaggedSystem) {
    PluginString s;
    s.assignBytes("xy", 2);
    EXPECT_EQ(s.encoding(), EncodingSystem);
    s.reserve(4);
    EXPECT_EQ(s.encoding(), EncodingSystem);
    EXPECT_EQ(s.length(), 4);
    EXPECT_EQ(s.body->buffer[5], 0);
}

TEST(PluginString, LengthByteIs255ForLongTexts) {
    struct Case {
        int32_t length;
        unsigned char lengthByte;
    };
    const Case cases[] = {{1, 1}, {254, 254}, {255, 255}, {256, 255}, {300, 255}, {5000, 255}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        std::string bytes(static_cast<size_t>(c.length), 'q');
        PluginString s = MakePluginString(bytes.data(), c.length, EncodingAscii);
        ASSERT_NE(s.body, nullptr);
        EXPECT_EQ(s.body->buffer[0], c.lengthByte);
        EXPECT_EQ(s.length(), c.length);
        EXPECT_EQ(s.body->bufferSize, c.length + 2);
        EXPECT_EQ(s.body->buffer[c.length + 1], 0);
        EXPECT_EQ(textOf(s), bytes);
        EXPECT_EQ(std::strlen(s.text()), static_cast<size_t>(c.length));
    }
}

TEST(PluginString, AssignBytesOfNothingGivesTheNullHandle) {
    PluginString s = MakePluginString("abc", 3, EncodingAscii);
    s.assignBytes("abc", 0);
    EXPECT_EQ(s.body, nullptr);
    EXPECT_STREQ(s.text(), "");
    EXPECT_EQ(s.length(), 0);
    EXPECT_EQ(s.encoding(), EncodingAscii);
    s.assignBytes("abc", -4);
    EXPECT_EQ(s.body, nullptr);
    s.reserve(0);
    EXPECT_EQ(s.body, nullptr);
}

TEST(PluginString, AssignBytesWithoutSourceIsNulTerminated) {
    PluginString s;
    s.assignBytes(nullptr, 3);
    ASSERT_NE(s.body, nullptr);
    EXPECT_EQ(s.length(), 3);
    EXPECT_EQ(s.body->buffer[0], 3);
    EXPECT_EQ(s.body->buffer[4], 0);
}

TEST(PluginString, AssignBytesFromItsOwnText) {
    PluginString s = MakePluginString("abcdef", 6, EncodingAscii);
    s.assignBytes(s.text() + 2, 3);
    EXPECT_EQ(textOf(s), "cde");
    EXPECT_STREQ(s.text(), "cde");
}

TEST(PluginString, CopiesShareTheBodyUntilTheLastLetsGo) {
    PluginString a = MakePluginString("shared", 6, EncodingAscii);
    StringBody* body = a.body;
    unsigned char* buffer = body->buffer;
    {
        PluginString b = a;
        EXPECT_EQ(b.body, body);
        EXPECT_EQ(body->refCount, 2);
        PluginString c;
        c = b;
        EXPECT_EQ(body->refCount, 3);
    }
    EXPECT_EQ(body->refCount, 1);
    a = PluginString();
    // Both went back to the pool: they head their classes' free lists.
    EXPECT_EQ(poolState().freeLists[classOf(8)], buffer);
    EXPECT_EQ(poolState().freeLists[classOf(sizeof(StringBody))], body);
    EXPECT_TRUE(poolFreeListsConsistent());
}

TEST(PluginString, RetainAndRelease) {
    PluginString a = MakePluginString("r", 1, EncodingAscii);
    StringBody* body = a.retain();
    EXPECT_EQ(body, a.body);
    EXPECT_EQ(body->refCount, 2);
    PluginString::release(body);
    EXPECT_EQ(a.body->refCount, 1);
    PluginString::release(nullptr);
    PluginString none;
    EXPECT_EQ(none.retain(), nullptr);
}

TEST(PluginString, MovingTakesTheBody) {
    PluginString a = MakePluginString("m", 1, EncodingAscii);
    StringBody* body = a.body;
    PluginString b = std::move(a);
    EXPECT_EQ(b.body, body);
    EXPECT_EQ(body->refCount, 1);
    PluginString c = MakePluginString("n", 1, EncodingAscii);
    c = std::move(b);
    EXPECT_EQ(c.body, body);
    EXPECT_EQ(body->refCount, 1);
}

TEST(PluginString, AssignToItselfKeepsTheCount) {
    PluginString a = MakePluginString("self", 4, EncodingAscii);
    a.assign(a);
    EXPECT_EQ(a.body->refCount, 1);
    PluginString& alias = a;
    a = alias;
    EXPECT_EQ(a.body->refCount, 1);
    PluginString b = a;
    b.assign(a);  // same body through another handle
    EXPECT_EQ(a.body->refCount, 2);
    EXPECT_EQ(textOf(a), "self");
}

TEST(PluginString, CharAtWritesInPlaceWhenUnshared) {
    PluginString a = MakePluginString("abc", 3, EncodingAscii);
    StringBody* body = a.body;
    *a.charAt(1) = 'X';
    EXPECT_EQ(a.body, body);
    EXPECT_EQ(textOf(a), "aXc");
}

TEST(PluginString, CharAtCopiesASharedBodyFirst) {
    PluginString a = MakePluginString("abc", 3, 0x0A01);
    PluginString b = a;
    StringBody* shared = a.body;
    *b.charAt(0) = 'Z';
    EXPECT_EQ(textOf(a), "abc");
    EXPECT_EQ(textOf(b), "Zbc");
    EXPECT_EQ(a.body, shared);
    EXPECT_NE(b.body, shared);
    EXPECT_EQ(a.body->refCount, 1);
    EXPECT_EQ(b.body->refCount, 1);
    // The copy reads as the same kind of text as the original.
    EXPECT_EQ(b.encoding(), 0x0A01u);
    EXPECT_EQ(b.body->buffer[0], 3);
}

TEST(PluginString, WideTextOnlyForUtf16) {
    const char units[] = {'h', 0, 'i', 0};
    PluginString wide = MakePluginString(units, 4, EncodingUtf16);
    EXPECT_EQ(reinterpret_cast<const void*>(wide.wideText()), wide.body->buffer + 1);
    EXPECT_EQ(wide.wideText()[0], L'h');
    EXPECT_EQ(wide.wideText()[1], L'i');
    PluginString none;
    EXPECT_EQ(none.wideText()[0], 0);
    EXPECT_EQ(none.wideTextUnchecked()[0], 0);
    PluginString narrow = MakePluginString("hi", 2, EncodingAscii);
    EXPECT_EQ(reinterpret_cast<const void*>(narrow.wideTextUnchecked()), narrow.body->buffer + 1);
#ifdef NDEBUG
    EXPECT_NE(reinterpret_cast<const void*>(narrow.wideText()), narrow.body->buffer + 1);
    EXPECT_EQ(narrow.wideText()[0], 0);
#endif
}

// The copies the Windows functions are given: aligned, ended with a zero unit,
// whole units only (an odd UTF-16 byte count leaves the stray byte out),
// writable without touching the string, and back in the pool afterwards.
TEST(PluginString, UnitCopiesAreAlignedTerminatedAndPrivate) {
    const char units[] = {'h', 0, 'i', 0, '!'};
    PluginString odd = MakePluginString(units, 5, EncodingUtf16);
    PluginString abc = MakePluginString("abc", 3, EncodingAscii);
    auto copyAndCheck = [&] {
        const TextUnits<wchar_t> wide = odd.wideCopy();
        ASSERT_NE(wide.units(), nullptr);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(wide.units()) % alignof(wchar_t), 0u);
        EXPECT_EQ(wide.count(), 2);
        EXPECT_EQ(std::wstring(wide.units()), L"hi");
        wide.units()[0] = L'H';
        EXPECT_EQ(odd.text()[0], 'h');
        const TextUnits<char> bytes = abc.byteCopy();
        EXPECT_EQ(bytes.count(), 3);
        EXPECT_STREQ(bytes.units(), "abc");
        const TextUnits<wchar_t> empty = PluginString().wideCopy();
        ASSERT_NE(empty.units(), nullptr);
        EXPECT_EQ(empty.count(), 0);
        EXPECT_EQ(empty.units()[0], 0);
    };
    copyAndCheck();
    const SmallBlockPool afterFirst = poolState();
    copyAndCheck();
    EXPECT_EQ(poolState().position, afterFirst.position) << "the copies' blocks were not given back for reuse";
    EXPECT_TRUE(poolFreeListsConsistent());
}

#ifndef NDEBUG
// Debug builds report the programming errors through the runtime's assertion.
TEST(PluginStringDeathTest, CharAtOutsideTheTextAsserts) {
    PluginString a = MakePluginString("abc", 3, EncodingAscii);
    EXPECT_DEATH(a.charAt(3), "\"not \\(pos < 0 \\|\\| pos >= Length\\(\\)\\)\"");
    PluginString none;
    EXPECT_DEATH(none.charAt(1), "\"not pos\"");
    PluginString narrow = MakePluginString("hi", 2, EncodingAscii);
    EXPECT_DEATH(narrow.wideText(), "\"0\"");
}
#endif

TEST(PluginString, CharAtOutsideTheTextYieldsAScratchByte) {
#ifndef NDEBUG
    GTEST_SKIP() << "debug builds assert (PluginStringDeathTest)";
#else
    PluginString a = MakePluginString("abc", 3, EncodingAscii);
    PluginString shared = a;
    for (int32_t pos : {-1, 3, 4, 1000}) {
        char* byte = a.charAt(pos);
        ASSERT_NE(byte, nullptr);
        *byte = '!';
    }
    EXPECT_EQ(textOf(a), "abc");
    EXPECT_EQ(a.body, shared.body);  // nothing was copied
    PluginString none;
    char* byte = none.charAt(0);
    ASSERT_NE(byte, nullptr);
    *byte = '!';
    EXPECT_STREQ(none.text(), "");
    EXPECT_EQ(*none.charAt(7), 0);
#endif
}

TEST(PluginString, TruncateRewritesLengthByteAndEnd) {
    std::string bytes(300, 'w');
    PluginString s = MakePluginString(bytes.data(), 300, EncodingAscii);
    s.truncate(10);
    EXPECT_EQ(s.length(), 10);
    EXPECT_EQ(s.body->buffer[0], 10);
    EXPECT_EQ(s.body->buffer[11], 0);
    EXPECT_EQ(s.body->bufferSize, 302);  // freed with the size it was made with
    s.truncate(11);                      // longer than the text: ignored
    EXPECT_EQ(s.length(), 10);
}

TEST(PluginString, EveryBlockGoesBackToThePool) {
    {
        PluginString a = MakePluginString("one", 3, EncodingAscii);
        PluginString b = a;
        std::string big(400, 'b');
        PluginString c = MakePluginString(big.data(), 400, EncodingAscii);
        *b.charAt(0) = 'O';
        c = b;
    }
    // Freed blocks are reused, so making the same strings again carves nothing.
    const SmallBlockPool before = poolState();
    {
        PluginString a = MakePluginString("one", 3, EncodingAscii);
        PluginString b = a;
        *b.charAt(0) = 'O';
    }
    EXPECT_EQ(poolState().position, before.position);
    EXPECT_EQ(poolState().chunkCount, before.chunkCount);
    EXPECT_TRUE(poolFreeListsConsistent());
}

}  // namespace
