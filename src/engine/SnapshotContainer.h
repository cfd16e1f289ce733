#pragma once

#include <string>
#include <string_view>

namespace quarrow {

// The snapshot container: entry count 1, the entry name's length and bytes, the content's
// uncompressed length R (all counts 32-bit little-endian), then the content as one zlib
// stream at level 9. A name or content past 4 GiB cannot be stored: std::length_error.
std::string packSnapshot(std::string_view entryName, std::string_view content);

// Reads the first entry whatever the count says (a count of 0 is refused). The stream must
// end and inflate to exactly R bytes; bytes after the end of the stream are ignored. R is
// checked against what the compressed size can yield before anything is allocated.
bool unpackSnapshot(std::string_view fileBytes, std::string& entryName, std::string& content,
                    std::string* error);

}  // namespace quarrow
