#include "host_services/host_helpers.h"

namespace {

constexpr unsigned char kEmptyText[1] = {0};

}  // namespace

bool PointInHostRect(int32_t x, int32_t y, const HostRect& rect, FarEdges farEdges) {
    const int32_t farSlack = farEdges == FarEdges::kInside ? 1 : 0;
    return rect.left <= x && x < rect.right + farSlack && rect.top <= y && y < rect.bottom + farSlack;
}

const char* HostStringText(HostString string) {
    if (string == nullptr || string->storage == nullptr) return reinterpret_cast<const char*>(kEmptyText);
    return reinterpret_cast<const char*>(string->storage + 1);
}
