#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quarrow {

// The system's text files are Windows-1251 bytes with CR LF line ends. Reading accepts CR, LF
// or CR LF so files edited elsewhere still load; writing always produces CR LF.

// Splits at CR, LF or CR LF. A last line without a break counts; a final break does not add an
// empty line after it.
std::vector<std::string> splitLines(std::string_view text);

// Each line followed by CR LF.
std::string joinLines(const std::vector<std::string>& lines);

// False (with `error` set) when the file cannot be read; `lines` is then left untouched.
bool readLinesFile(std::string_view path, std::vector<std::string>& lines,
                   std::string* error = nullptr);

// Replaces the file atomically with the lines, each ended by CR LF.
bool writeLinesFile(std::string_view path, const std::vector<std::string>& lines,
                    std::string* error = nullptr);

}  // namespace quarrow
