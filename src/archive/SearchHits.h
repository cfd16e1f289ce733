#pragma once

#include <cstdint>
#include <vector>

namespace quarrow {

// The hits of one search as line numbers into the archive's `FileDirs`: folder hits (names
// that contain "/") and file hits, each list in display order.
struct SearchHits {
    std::vector<std::uint32_t> dirs;
    std::vector<std::uint32_t> files;

    bool empty() const { return dirs.empty() && files.empty(); }
};

}  // namespace quarrow
