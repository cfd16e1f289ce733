#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/LargeAllocator.h"

namespace quarrow {

// The snapshot container: entry count 1, the entry name's length and bytes, the content's
// uncompressed length R (all counts 32-bit little-endian), then the content as one zlib
// stream at level 9. A name or content past 4 GiB cannot be stored: std::length_error.
std::string packSnapshot(std::string_view entryName, std::string_view content);

// Reads the first entry whatever the count says (a count of 0 is refused). The stream must
// end and inflate to exactly R bytes; bytes after the end of the stream are ignored. R is
// checked against what the compressed size can yield before anything is allocated. `content`
// is inflated into in place, keeping its capacity, so a reused buffer takes no fresh memory; on
// failure it holds what was inflated so far.
bool unpackSnapshot(std::string_view fileBytes, std::string& entryName, LargeString& content,
                    std::string* error);

// The uncompressed length R a container states, from the first bytes of its file; nothing
// when they are too few or not a container's start. Only a hint: unpackSnapshot checks it.
std::optional<std::uint32_t> statedContentLength(std::string_view fileStart);

}  // namespace quarrow
