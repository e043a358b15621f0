// Poisonable string storage: each string's bytes on pages of their own,
// ending on a page boundary, decommitted at the string's last release. A
// plug-in that reads a string after giving back its last lock, or reads past
// its terminating NUL, then faults on the spot instead of finding old bytes.
#include <cstring>

#include "host_internal.h"

namespace pluginhost {

// Address space is taken in large regions and pages are never handed out
// twice, so a stale pointer always lands on a decommitted page.
constexpr size_t kRegionBytes = size_t(16) << 20;

static size_t pageSize() {
    static size_t size = 0;
    if (size == 0) {
        SYSTEM_INFO info{};
        GetSystemInfo(&info);
        size = info.dwPageSize;
    }
    return size;
}

static size_t roundUpToPages(size_t bytes) {
    const size_t page = pageSize();
    return (bytes + page - 1) / page * page;
}

GuardedPages::~GuardedPages() {
    for (void* region : regions) VirtualFree(region, 0, MEM_RELEASE);
}

unsigned char* guardedCopy(Host::Impl& impl, const std::vector<unsigned char>& bytes) {
    GuardedPages& pages = impl.guardedPages;
    const size_t span = roundUpToPages(bytes.empty() ? 1 : bytes.size());
    if (span > kRegionBytes) return nullptr;
    if (pages.left < span) {
        void* region = VirtualAlloc(nullptr, kRegionBytes, MEM_RESERVE, PAGE_NOACCESS);
        if (!region) return nullptr;
        pages.regions.push_back(region);
        pages.next = static_cast<unsigned char*>(region);
        pages.left = kRegionBytes;
    }
    unsigned char* start = pages.next;
    if (!VirtualAlloc(start, span, MEM_COMMIT, PAGE_READWRITE)) return nullptr;
    pages.next += span;
    pages.left -= span;
    unsigned char* copy = start + span - bytes.size();
    if (!bytes.empty()) std::memcpy(copy, bytes.data(), bytes.size());
    return copy;
}

void poisonGuardedCopy(unsigned char* copy, size_t bytes) {
    const size_t span = roundUpToPages(bytes == 0 ? 1 : bytes);
    unsigned char* start = copy + bytes - span;
    VirtualFree(start, span, MEM_DECOMMIT);
}

}  // namespace pluginhost
