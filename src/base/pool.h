// SmallBlockPool: a process-wide free-list allocator for the many small,
// short-lived blocks behind strings. Blocks carry no header: the caller
// passes the size back to poolFree. Not locked; every call comes from the
// host's user-interface thread.
#pragma once

#include <cstddef>
#include <cstdint>

// Size classes step by 4 bytes; class k serves requests of 4k - 3 to 4k
// bytes. Class 0 stays empty; requests of class 64 and above (253 bytes and
// more) go straight to the runtime heap.
constexpr int32_t kPoolGranule = 4;
constexpr int32_t kPoolClassCount = 64;
constexpr int32_t kPoolLargestPooledSize = kPoolGranule * (kPoolClassCount - 1);  // 252
// Pooled blocks are carved in order from chunks of this size; a chunk's
// remainder too small for a request is abandoned.
constexpr int32_t kPoolChunkBytes = 8192;

struct SmallBlockPool {
    // Head of each class's free list. A free block starts with the address of
    // the next free block of its class; null ends the list.
    void* freeLists[kPoolClassCount];
    // Carving position in the current chunk and the bytes left behind it.
    unsigned char* position;
    int32_t bytesLeft;
    // Chunks taken so far (they are never given back).
    int32_t chunkCount;
};

// The size class of a request: its size rounded up to a multiple of 4, in
// units of 4. Rounded without adding first, so sizes near INT32_MAX do not
// overflow into a negative class (they are heap sizes like any above 252).
constexpr int32_t poolSizeClass(int32_t size) { return size / kPoolGranule + (size % kPoolGranule > 0 ? 1 : 0); }

// Bytes carved for a block of class k. A free block must hold the address of
// its successor, so where a pointer is wider than 4 bytes the carved size is
// rounded up to the pointer width (this also keeps blocks aligned for the
// pointer fields of string bodies). On 32-bit systems it is exactly 4k.
constexpr int32_t poolBlockBytes(int32_t sizeClass) {
    constexpr int32_t kAlign = static_cast<int32_t>(sizeof(void*));
    return (sizeClass * kPoolGranule + kAlign - 1) / kAlign * kAlign;
}

// A block of at least size bytes, or null for size <= 0 or when the heap
// cannot supply the memory (the pool is then left as it was).
void* poolAllocate(int32_t size);
// Gives a block back; size must be the one given to poolAllocate. Freed
// blocks of a class are handed out again last-in, first-out. Null, and a size
// of 0 or less, are ignored.
void poolFree(void* block, int32_t size);
// Copies n bytes when n > 0; does nothing otherwise. The areas may overlap.
void copyBytes(void* destination, const void* source, int32_t n);

#if defined(CLASSICCONTROLS_WHITE_BOX)
// Inspection for the white-box tests only (classiccontrols_core); the DLL
// carries none of it.
// Read-only view of the pool's bookkeeping.
const SmallBlockPool& poolState();
// True when every free list ends within the number of blocks the chunks
// taken so far could hold and every listed block is aligned; a block freed
// twice or a clobbered link shows up as false.
bool poolFreeListsConsistent();
#endif
