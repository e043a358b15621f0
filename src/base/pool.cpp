#include "base/pool.h"

#include <cassert>
#include <cstdlib>
#include <cstring>

// Zero-initialised before any code runs and trivially destructible, so the
// pool stays usable while static objects are torn down at unload.
static SmallBlockPool gPool;

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
    if (void* block = gPool.freeLists[sizeClass]) {
        gPool.freeLists[sizeClass] = nextFree(block);
        return block;
    }
    const int32_t blockBytes = poolBlockBytes(sizeClass);
    if (gPool.bytesLeft < blockBytes) {
        auto* chunk = static_cast<unsigned char*>(std::malloc(kPoolChunkBytes));
        if (chunk == nullptr) {
            return nullptr;
        }
        gPool.position = chunk;
        gPool.bytesLeft = kPoolChunkBytes;
        ++gPool.chunkCount;
    }
    void* block = gPool.position;
    gPool.position += blockBytes;
    gPool.bytesLeft -= blockBytes;
    return block;
}

void poolFree(void* block, int32_t size) {
    if (block == nullptr) {
        return;
    }
    const int32_t sizeClass = poolSizeClass(size);
    // No block was ever handed out for a size of 0 or less; listing it would
    // index outside the heads.
    assert(sizeClass > 0 && "poolFree given a size that no block is allocated with");
    if (sizeClass <= 0) {
        return;
    }
    if (sizeClass >= kPoolClassCount) {
        std::free(block);
        return;
    }
    setNextFree(block, gPool.freeLists[sizeClass]);
    gPool.freeLists[sizeClass] = block;
}

void copyBytes(void* destination, const void* source, int32_t n) {
    if (n > 0) {
        std::memmove(destination, source, static_cast<size_t>(n));
    }
}

#if defined(CLASSICCONTROLS_WHITE_BOX)
const SmallBlockPool& poolState() { return gPool; }

bool poolFreeListsConsistent() {
    if (gPool.freeLists[0] != nullptr) {
        return false;
    }
    for (int32_t sizeClass = 1; sizeClass < kPoolClassCount; ++sizeClass) {
        const int32_t blockBytes = poolBlockBytes(sizeClass);
        const int64_t capacity = int64_t{gPool.chunkCount} * (kPoolChunkBytes / blockBytes);
        int64_t count = 0;
        for (void* block = gPool.freeLists[sizeClass]; block != nullptr; block = nextFree(block)) {
            if (++count > capacity || reinterpret_cast<uintptr_t>(block) % sizeof(void*) != 0) {
                return false;
            }
        }
    }
    return true;
}
#endif
