#pragma once

#include <algorithm>
#include <cstddef>
#include <string_view>

namespace quarrow {

// A walk never enters a folder whose path is longer or deeper than these: no real tree comes
// near them, while a server showing a folder as its own subfolder (a link loop seen from
// outside) would otherwise be walked without end.
constexpr std::size_t kMaxFolderPathBytes = 4096;
constexpr std::size_t kMaxFolderDepth = 256;

// `folderPath` is absolute and ends in "/": "/" is depth 0, "/a/b/" depth 2.
inline bool folderTooDeep(std::string_view folderPath) {
    if (folderPath.size() > kMaxFolderPathBytes) return true;
    const auto slashes =
        static_cast<std::size_t>(std::count(folderPath.begin(), folderPath.end(), '/'));
    return slashes > kMaxFolderDepth + 1;
}

}  // namespace quarrow
