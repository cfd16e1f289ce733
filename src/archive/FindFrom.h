#pragma once

#include <cstddef>
#include <string_view>

namespace quarrow {

// 1-based position of the first occurrence of `pattern` in `text` at or after the 1-based
// position `start`; 0 when there is none, when the text or the pattern is empty. A Horspool
// search; for a one-byte pattern, such as the index builder's separators, that is a plain scan.
std::size_t FindFrom(std::size_t start, std::string_view pattern, std::string_view text);

}  // namespace quarrow
