#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace quarrow {

// The code page's upper-casing as a table, for loops that fold millions of bytes: byte b
// upper-cases to table[b]. Filled once from upperCp1251 and never changed.
const std::array<std::uint8_t, 256>& upperTable();

// Compares the upper-cased bytes of two texts, byte by byte as unsigned values, a prefix
// first: negative, zero or positive.
int compareFolded(std::string_view a, std::string_view b);

}  // namespace quarrow
