#pragma once

#include <string>
#include <string_view>

namespace quarrow {

// Windows-1251 is the system's text encoding: every stored text is its bytes. These convert
// at the edges (terminal, file names, widgets). Byte 0x98, unassigned in the code page, maps
// to U+0098 so every byte round-trips; a character with no byte becomes "?".
std::string cp1251ToUtf8(std::string_view text);
std::string utf8ToCp1251(std::string_view text);

// The code page's own upper-casing: ASCII and Cyrillic letters (including Ё/ё, Ў/ў, Ї/ї …).
char upperCp1251(char c);
std::string upperCp1251(std::string_view text);
bool equalsNoCase(std::string_view a, std::string_view b);
bool startsWithNoCase(std::string_view text, std::string_view prefix);

}  // namespace quarrow
