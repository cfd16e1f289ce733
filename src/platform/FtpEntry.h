#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quarrow {

// Attribute words as the Windows find-data record carries them. The walker takes an entry for
// a folder only when its word is exactly kAttrDirectory.
constexpr std::uint32_t kAttrDirectory = 16;  // a plain folder: exactly this value
constexpr std::uint32_t kAttrNormal = 128;    // a plain file
// Symbolic links carry this bit (with kAttrNormal), so their word is never exactly 16: a link
// is always a file to the walker and a link loop cannot make a walk endless.
constexpr std::uint32_t kAttrReparsePoint = 0x400;

// One entry of a folder listing. `name` holds the bytes the server sent (any code page).
struct FtpEntry {
    std::string name;
    std::uint32_t attributes = kAttrNormal;
    std::uint64_t size = 0;
    std::int64_t mtime = 0;  // seconds since 1970-01-01 UTC; 0 when unknown
};

// Names that would break the line-based lists of the result files are left out of them.
inline bool storableName(std::string_view name) {
    return name.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

}  // namespace quarrow
