#include "support/pool.h"

#include <cassert>
#include <cstdlib>
#include <cstring>

// Zero-initialised before any code runs and trivially destructible, so the
// pool stays usable while static objects are torn down at unload.
static SmallBlockPool pool;

static void* nextFree(void* block) {
    void* next;
    std::memcpy(&next, block, sizeof next);
    return next;
}

static void setNextFree(void* block, void* next) { std::memcpy(block, &next, sizeof next); }

void* poolAllocate(int32_t size) {
    if (size <= 0) {
        return nullptr;
    }
    const int32_t sizeClass = poolSizeClass(size);
    if (sizeClass >= kPoolClassCount) {
        return std::malloc(static_cast<size_t>(size));
    }
    if (void* block = pool.freeLists[sizeClass]) {
        pool.freeLists[sizeClass] = nextFree(block);
        return block;
    }
    const int32_t blockBytes = poolBlockBytes(sizeClass);
    if (pool.bytesLeft < blockBytes) {
        auto* chunk = static_cast<unsigned char*>(std::malloc(kPoolChunkBytes));
        if (chunk == nullptr) {
            return nullptr;
        }
        pool.position = chunk;
        pool.bytesLeft = kPoolChunkBytes;
        ++pool.chunkCount;
    }
    void* block = pool.position;
    pool.position += blockBytes;
    pool.bytesLeft -= blockBytes;
    return block;
}

void poolFree(void* block, int32_t size) {
    if (block == nullptr) {
        return;
    }
    const int32_t sizeClass = poolSizeClass(size);
    // No block was ever handed out for a size of 0 or less; listing it would
    // index outside the heads.
    assert(sizeClass > 0 && "size as given to poolAllocate");
    if (sizeClass <= 0) {
        return;
    }
    if (sizeClass >= kPoolClassCount) {
        std::free(block);
        return;
    }
    setNextFree(block, pool.freeLists[sizeClass]);
    pool.freeLists[sizeClass] = block;
}

void copyBytes(void* destination, const void* source, int32_t n) {
    if (n > 0) {
        std::memmove(destination, source, static_cast<size_t>(n));
    }
}

const SmallBlockPool& poolState() { return pool; }

bool poolFreeListsConsistent() {
    if (pool.freeLists[0] != nullptr) {
        return false;
    }
    for (int32_t sizeClass = 1; sizeClass < kPoolClassCount; ++sizeClass) {
        const int32_t blockBytes = poolBlockBytes(sizeClass);
        const int64_t capacity = int64_t{pool.chunkCount} * (kPoolChunkBytes / blockBytes);
        int64_t count = 0;
        for (void* block = pool.freeLists[sizeClass]; block != nullptr; block = nextFree(block)) {
            if (++count > capacity || reinterpret_cast<uintptr_t>(block) % sizeof(void*) != 0) {
                return false;
            }
        }
    }
    return true;
}
