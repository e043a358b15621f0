// The C++ allocation functions the plug-in calls, over the C runtime's heap.
//
// The plug-in allocates only with new (std::nothrow) and gives back with
// delete. libstdc++'s own nothrow operator new is written with try and catch,
// so linking it would bring in the exception runtime, its unwinder and, with
// the POSIX thread model, a threading library that only Windows Vista and
// later can load. These definitions are all the DLL needs instead; the DLL is
// linked without libstdc++, so any other use of the C++ runtime fails the
// link. Only the DLL is built with this file: the tests link libstdc++, whose
// definitions they keep.
#include <cstdlib>
#include <new>

namespace std {
// The tag object that new (std::nothrow) passes by reference.
const nothrow_t nothrow{};
}  // namespace std

// malloc(0) may answer null; a successful new never does.
static void* allocate(std::size_t size) { return std::malloc(size != 0 ? size : 1); }

void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }

void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { std::free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { std::free(block); }
