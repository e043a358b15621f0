// The small-block pool: size classes, last-in first-out reuse, carving of
// 8192-byte chunks, the heap path, and running out of heap.
#include <cstdlib>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>
#include <windows.h>

#include "base/pool.h"
#include "base/string.h"
#include "plugin_host.h"

namespace {

constexpr int32_t kChunk = 8192;
constexpr int32_t kPointer = static_cast<int32_t>(sizeof(void*));

// Bytes a block of class k takes from a chunk: 4k, made a whole number of
// pointers wide where pointers are wider than 4 bytes.
int32_t carvedBytes(int32_t sizeClass) {
    const int32_t bytes = 4 * sizeClass;
    return (bytes + kPointer - 1) / kPointer * kPointer;
}

// Takes every free block of a class off its list, so the next request of
// that class is carved.
std::vector<void*> drain(int32_t size, int32_t sizeClass) {
    std::vector<void*> taken;
    while (poolState().freeLists[sizeClass] != nullptr) {
        taken.push_back(poolAllocate(size));
    }
    return taken;
}

SmallBlockPool snapshot() {
    SmallBlockPool copy;
    std::memcpy(&copy, &poolState(), sizeof copy);
    return copy;
}

bool sameState(const SmallBlockPool& a, const SmallBlockPool& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Requests of each size and the class whose list they use.
struct SizeClassCase {
    int32_t size;
    int32_t sizeClass;
};
constexpr SizeClassCase kSizeClasses[] = {
    {1, 1}, {2, 1}, {3, 1}, {4, 1}, {5, 2}, {8, 2}, {9, 3}, {20, 5}, {100, 25}, {249, 63}, {252, 63},
};

TEST(Pool, EachSizeUsesItsClassList) {
    for (const SizeClassCase& c : kSizeClasses) {
        SCOPED_TRACE(c.size);
        void* block = poolAllocate(c.size);
        ASSERT_NE(block, nullptr);
        poolFree(block, c.size);
        EXPECT_EQ(poolState().freeLists[c.sizeClass], block);
        EXPECT_EQ(poolAllocate(c.size), block);
        poolFree(block, c.size);
    }
    EXPECT_TRUE(poolFreeListsConsistent());
}

TEST(Pool, SizesOfOneClassShareBlocks) {
    void* block = poolAllocate(4);
    poolFree(block, 4);
    EXPECT_EQ(poolAllocate(1), block);
    poolFree(block, 1);
    void* eight = poolAllocate(5);
    poolFree(eight, 5);
    EXPECT_EQ(poolAllocate(8), eight);
    poolFree(eight, 8);
    void* last = poolAllocate(249);
    poolFree(last, 249);
    EXPECT_EQ(poolAllocate(252), last);
    poolFree(last, 252);
}

TEST(Pool, BlocksAreWritableOverTheirWholeSize) {
    for (int32_t size = 1; size <= 300; ++size) {
        auto* block = static_cast<unsigned char*>(poolAllocate(size));
        ASSERT_NE(block, nullptr);
        std::memset(block, 0xA5, static_cast<size_t>(size));
        poolFree(block, size);
    }
    EXPECT_TRUE(poolFreeListsConsistent());
}

TEST(Pool, ZeroAndNegativeSizesGiveNullAndLeaveThePoolAlone) {
    const SmallBlockPool before = snapshot();
    EXPECT_EQ(poolAllocate(0), nullptr);
    EXPECT_EQ(poolAllocate(-1), nullptr);
    EXPECT_EQ(poolAllocate(INT32_MIN), nullptr);
    poolFree(nullptr, 8);
    EXPECT_TRUE(sameState(before, poolState()));
    // A size no block is allocated with is a caller's error: debug builds
    // say so, release builds list nothing.
    unsigned char stray[8];
#ifndef NDEBUG
    EXPECT_DEATH(poolFree(stray, 0), "poolFree given a size that no block is allocated with");
#else
    poolFree(stray, 0);
    poolFree(stray, -4);
    EXPECT_TRUE(sameState(before, poolState()));
#endif
}

TEST(Pool, LargeBlocksBypassThePool) {
    for (int32_t size : {253, 256, 1000, 20000}) {
        SCOPED_TRACE(size);
        const SmallBlockPool before = snapshot();
        auto* block = static_cast<unsigned char*>(poolAllocate(size));
        ASSERT_NE(block, nullptr);
        std::memset(block, 0x5A, static_cast<size_t>(size));
        EXPECT_TRUE(sameState(before, poolState()));
        poolFree(block, size);
        EXPECT_TRUE(sameState(before, poolState()));
    }
}

TEST(Pool, FreedBlocksComeBackLastInFirstOut) {
    const std::vector<void*> drained = drain(40, 10);
    void* a = poolAllocate(40);
    void* b = poolAllocate(40);
    void* c = poolAllocate(40);
    poolFree(a, 40);
    poolFree(c, 40);
    poolFree(b, 40);
    EXPECT_EQ(poolAllocate(37), b);
    EXPECT_EQ(poolAllocate(38), c);
    EXPECT_EQ(poolAllocate(40), a);
    for (void* block : {a, b, c}) poolFree(block, 40);
    for (void* block : drained) poolFree(block, 40);
    EXPECT_TRUE(poolFreeListsConsistent());
}

TEST(Pool, TheSizePassedToFreeDecidesTheList) {
    void* block = poolAllocate(16);  // a class 4 block
    const void* fourHead = poolState().freeLists[4];
    poolFree(block, 12);  // listed under class 3
    EXPECT_EQ(poolState().freeLists[3], block);
    EXPECT_EQ(poolState().freeLists[4], fourHead);
    EXPECT_EQ(poolAllocate(10), block);
}

TEST(Pool, CarvesInOrderAndTakesANewChunkWhenTheRestIsTooSmall) {
    // Carve 64-byte blocks until less than two are left in the chunk.
    std::vector<void*> kept = drain(64, 16);
    // Whatever came before may have left less than one block in the chunk;
    // then the first carve takes a fresh chunk.
    if (poolState().bytesLeft < 64) kept.push_back(poolAllocate(64));
    while (poolState().bytesLeft >= 128) {
        unsigned char* position = poolState().position;
        void* block = poolAllocate(64);
        EXPECT_EQ(block, position);
        EXPECT_EQ(poolState().position, position + 64);
        kept.push_back(block);
    }
    const int32_t rest = poolState().bytesLeft;
    ASSERT_GE(rest, 64);
    ASSERT_LT(rest, 128);
    ASSERT_EQ(rest % kPointer, 0);

    // A request one byte larger than the rest takes a new chunk.
    const int32_t tooLarge = rest + 1;
    const int32_t tooLargeClass = (tooLarge + 3) / 4;
    std::vector<void*> drainedLarge = drain(tooLarge, tooLargeClass);
    unsigned char* oldPosition = poolState().position;
    const int32_t chunks = poolState().chunkCount;
    void* fresh = poolAllocate(tooLarge);
    ASSERT_NE(fresh, nullptr);
    EXPECT_NE(fresh, oldPosition);
    EXPECT_EQ(poolState().chunkCount, chunks + 1);
    EXPECT_EQ(poolState().bytesLeft, kChunk - carvedBytes(tooLargeClass));
    EXPECT_EQ(poolState().position, static_cast<unsigned char*>(fresh) + carvedBytes(tooLargeClass));

    // The abandoned rest is never handed out: the next carve follows the new block.
    void* next = poolAllocate(64);
    EXPECT_EQ(next, poolState().position - 64);
    EXPECT_EQ(next, static_cast<unsigned char*>(fresh) + carvedBytes(tooLargeClass));
    kept.push_back(next);

    // A request that fits exactly uses the chunk up to its last byte.
    while (poolState().bytesLeft >= 128) kept.push_back(poolAllocate(64));
    const int32_t exact = poolState().bytesLeft;
    std::vector<void*> drainedExact = drain(exact, exact / 4);
    unsigned char* position = poolState().position;
    EXPECT_EQ(poolAllocate(exact), position);
    EXPECT_EQ(poolState().bytesLeft, 0);
    EXPECT_EQ(poolState().chunkCount, chunks + 1);
    EXPECT_TRUE(poolFreeListsConsistent());
}

TEST(Pool, CopyBytesCopiesOnlyPositiveCounts) {
    char target[8] = "abcdefg";
    copyBytes(target, "XYZ", 3);
    EXPECT_STREQ(target, "XYZdefg");
    copyBytes(target, "123", 0);
    copyBytes(target, "123", -5);
    EXPECT_STREQ(target, "XYZdefg");
    copyBytes(target + 1, target, 4);  // overlapping
    EXPECT_STREQ(target, "XXYZdfg");
}

TEST(Pool, DoubleFreeShowsAsInconsistentLists) {
    void* block = poolAllocate(60);
    void* successor = poolState().freeLists[15];
    poolFree(block, 60);
    EXPECT_TRUE(poolFreeListsConsistent());
    poolFree(block, 60);  // the block now lists itself as its successor
    EXPECT_FALSE(poolFreeListsConsistent());
    // Repair the link so the later tests start clean.
    std::memcpy(block, &successor, sizeof successor);
    EXPECT_TRUE(poolFreeListsConsistent());
}

// --- running out of heap --------------------------------------------------------

// The heap as the test program imports it, refusing chunk-sized requests
// while refuseChunks is set and noting every block it hands out and takes back.
bool refuseChunks = false;
// While set, requests of a gigabyte and more are noted and served with a
// small block, so sizes near the top of the int32 range can be tried.
bool standInForHugeBlocks = false;
size_t lastHugeRequest = 0;
int liveHeapBlocks = 0;
using MallocFunction = void* (*)(size_t);
using FreeFunction = void (*)(void*);
MallocFunction realMalloc = nullptr;
FreeFunction realFree = nullptr;

void* scriptedMalloc(size_t size) {
    if (refuseChunks && size == static_cast<size_t>(kChunk)) {
        return nullptr;
    }
    constexpr size_t kHuge = size_t{1} << 30;
    constexpr size_t kStandInBytes = 16;
    if (standInForHugeBlocks && size >= kHuge) {
        lastHugeRequest = size;
        size = kStandInBytes;
    }
    void* block = realMalloc(size);
    if (block != nullptr) ++liveHeapBlocks;
    return block;
}

void scriptedFree(void* block) {
    if (block != nullptr) --liveHeapBlocks;
    realFree(block);
}

struct ScriptedHeap {
    pluginhost::ImportHook mallocHook{GetModuleHandle(nullptr), "msvcrt.dll", "malloc",
                                    reinterpret_cast<void*>(&scriptedMalloc)};
    pluginhost::ImportHook freeHook{GetModuleHandle(nullptr), "msvcrt.dll", "free",
                                  reinterpret_cast<void*>(&scriptedFree)};
    ScriptedHeap() {
        realMalloc = reinterpret_cast<MallocFunction>(mallocHook.original());
        realFree = reinterpret_cast<FreeFunction>(freeHook.original());
        liveHeapBlocks = 0;
        refuseChunks = true;
    }
    ~ScriptedHeap() {
        refuseChunks = false;
        standInForHugeBlocks = false;
    }
};

// Uses up the current chunk for class-k requests so that the next one of
// that class needs a new chunk.
std::vector<void*> exhaustFor(int32_t size) {
    const int32_t sizeClass = (size + 3) / 4;
    std::vector<void*> kept = drain(size, sizeClass);
    while (poolState().bytesLeft >= carvedBytes(sizeClass)) kept.push_back(poolAllocate(size));
    return kept;
}

TEST(PoolOutOfMemory, NoChunkGivesNullAndLeavesThePoolAsItWas) {
    const std::vector<void*> kept = exhaustFor(252);
    const SmallBlockPool before = snapshot();
    {
        ScriptedHeap heap;
        ASSERT_TRUE(heap.mallocHook.installed());
        EXPECT_EQ(poolAllocate(252), nullptr);
        EXPECT_EQ(liveHeapBlocks, 0);
    }
    EXPECT_TRUE(sameState(before, poolState()));
    EXPECT_NE(poolAllocate(252), nullptr);  // the heap is back
}

TEST(PoolOutOfMemory, ABodyThatCannotBeHadGivesBackItsBuffer) {
    // The 300-byte buffer comes from the heap; the body needs a new chunk.
    const std::vector<void*> kept = exhaustFor(sizeof(StringBody));
    PluginString s;
    {
        ScriptedHeap heap;
        ASSERT_TRUE(heap.freeHook.installed());
        static const char text[300] = {'x'};
        s.assignBytes(text, 300);
        EXPECT_EQ(s.body, nullptr);
        EXPECT_EQ(liveHeapBlocks, 0);  // the buffer went back
    }
    EXPECT_TRUE(poolFreeListsConsistent());
}

TEST(PoolOutOfMemory, ABufferThatCannotBeHadLeavesTheHandleNull) {
    PluginString s = MakePluginString("old", 3, EncodingAscii);
    const std::vector<void*> kept = exhaustFor(20);
    {
        ScriptedHeap heap;
        s.assignBytes("eighteen bytes....", 18);  // 20-byte buffer: needs a chunk
        EXPECT_EQ(s.body, nullptr);
        EXPECT_EQ(liveHeapBlocks, 0);
    }
    EXPECT_STREQ(s.text(), "");
}

// Sizes whose rounding up to a whole class would overflow int32 are heap
// sizes like any other of 253 bytes and more, both ways. (A class computed by
// adding 3 first overflows: the constant checks below then do not compile.)
static_assert(poolSizeClass(INT32_MAX) == 536870912, "INT32_MAX rounds up within range");
static_assert(poolSizeClass(INT32_MAX - 2) == 536870912, "INT32_MAX - 2 rounds up within range");
static_assert(poolSizeClass(INT32_MAX - 3) == 536870911, "INT32_MAX - 3 is a whole class");

TEST(PoolOutOfMemory, SizesAtTheTopOfTheRangeGoToTheHeap) {
    for (int32_t size : {INT32_MAX - 2, INT32_MAX - 1, INT32_MAX}) {
        SCOPED_TRACE(size);
        const SmallBlockPool before = snapshot();
        ScriptedHeap heap;
        ASSERT_TRUE(heap.mallocHook.installed());
        ASSERT_TRUE(heap.freeHook.installed());
        standInForHugeBlocks = true;
        lastHugeRequest = 0;
        void* block = poolAllocate(size);
        EXPECT_NE(block, nullptr);
        EXPECT_EQ(lastHugeRequest, static_cast<size_t>(size));
        EXPECT_EQ(liveHeapBlocks, 1);
        poolFree(block, size);
        EXPECT_EQ(liveHeapBlocks, 0);
        EXPECT_TRUE(sameState(before, poolState()));
    }
    EXPECT_TRUE(poolFreeListsConsistent());
}

}  // namespace
