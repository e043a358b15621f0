#include "base/win32.h"

#include "base/case_compare.h"

namespace {

constexpr char kTabControlClass[] = "SysTabControl32";
constexpr int kClassNameBufferLength = 255;
constexpr int kTickUnitShift = 4;  // 16 ms

}  // namespace

uint32_t TickCount16() { return GetTickCount() >> kTickUnitShift; }

HWND FindTabControlAncestor(HWND window) {
    for (HWND ancestor = GetParent(window); ancestor != nullptr; ancestor = GetParent(ancestor)) {
        char className[kClassNameBufferLength + 1] = {};
        GetClassNameA(ancestor, className, kClassNameBufferLength);
        if (CompareNoCase(className, kTabControlClass) == 0) return ancestor;
    }
    return nullptr;
}
