// Linked as the plug-in is, this must fail: a mutex and thread-local storage
// need the threading runtime, which the DLL's link leaves out.
#include <mutex>

static std::mutex gMutex;
static thread_local int gCalls = 0;

extern "C" __declspec(dllexport) int probe(int value) {
    std::lock_guard<std::mutex> lock(gMutex);
    return value + ++gCalls;
}
