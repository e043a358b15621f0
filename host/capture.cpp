// Pictures of the window image as character maps, for tests.

#include "plugin_host.h"

namespace pluginhost {

std::string capture(const Host& host, RECT area, const std::map<COLORREF, char>& legend) {
    std::string picture;
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            const COLORREF colour = host.pixel(x, y);
            if (colour == CLR_INVALID) {
                picture += ' ';
                continue;
            }
            auto it = legend.find(colour);
            picture += it == legend.end() ? '?' : it->second;
        }
        picture += '\n';
    }
    return picture;
}

std::map<COLORREF, char> legend(std::initializer_list<std::pair<int, char>> systemColours,
                                std::initializer_list<std::pair<COLORREF, char>> colours) {
    std::map<COLORREF, char> result;
    for (const auto& entry : systemColours) result.emplace(GetSysColor(entry.first), entry.second);
    for (const auto& entry : colours) result.emplace(entry.first, entry.second);
    return result;
}

}  // namespace pluginhost
