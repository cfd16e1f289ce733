#pragma once

#include <string>
#include <string_view>

namespace quarrow {

// Windows-1251 is the system's text encoding: every stored text is its bytes, except that a
// name whose characters have no code there keeps its UTF-8 bytes. Text is read in runs: each
// run of non-ASCII bytes that is valid UTF-8 is UTF-8, any other run is Windows-1251 (a real
// Windows-1251 word is practically never valid UTF-8). Byte 0x98, unassigned in the code page,
// maps to U+0098 so every Windows-1251 byte round-trips.
std::string cp1251ToUtf8(std::string_view text);
// Each run of non-ASCII characters in Windows-1251 when all of them have codes there and its
// bytes would not read as UTF-8 again ("ДІ" would), else as its UTF-8 bytes; a malformed run
// has "?" for each bad byte and each character without a code.
std::string utf8ToCp1251(std::string_view text);
// Valid UTF-8 holding at least one multi-byte sequence.
bool isUtf8Text(std::string_view text);
// A name as a server sent it, as the system keeps it: a valid UTF-8 name converted as above,
// any other name (Windows-1251 or unknown bytes) unchanged.
std::string storedName(std::string_view serverName);

// The code page's own upper-casing: ASCII and Cyrillic letters (including Ё/ё, Ў/ў, Ї/ї …).
char upperCp1251(char c);
std::string upperCp1251(std::string_view text);
// The key that tells folder names apart ignoring case: upperCp1251 on Windows-1251 runs, UTF-8
// runs unchanged (folding their bytes by the code page would make different names equal).
std::string upperName(std::string_view text);
bool equalsNoCase(std::string_view a, std::string_view b);
bool startsWithNoCase(std::string_view text, std::string_view prefix);

}  // namespace quarrow
