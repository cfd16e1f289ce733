#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quarrow {

// The size column of the new-files window: decimal units, " Mb" from 1 000 000 bytes and
// " Kb" from 1000 with two decimals, otherwise the count and " bytes"; a zero size (every
// folder) shows nothing. The input is the 32-bit size an item keeps, so a file past 2 GiB
// reads as a negative count of bytes. The decimal separator is always a point: the core does
// not follow the process locale.
std::string FormatItemSize(std::int32_t bytes);

// The name shown for a line: the text after its last "/", or, in a text without "/", after
// its last "\" or ":".
std::string NameFromPath(std::string_view text);

// The folder part of an item's full name as a watch check stores it in its snapshot: "/"
// read as "\", up to and including the last "\" or ":", then "\" written as "/" again (so a
// "\" inside a name comes out as "/"). "" when there is no separator.
std::string checkFolderPart(std::string_view fullName);

// The folder part as the new-files window saves it: up to and including the last "/".
std::string windowFolderPart(std::string_view fullName);

}  // namespace quarrow
