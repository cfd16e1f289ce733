#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/ByteReader.h"
#include "platform/StringList.h"

namespace quarrow {

// Counts in snapshot and resume files are tagged integers: a type byte (2, 3 or 4) followed
// by a signed little-endian value of 1, 2 or 4 bytes. The writer picks the smallest form.
void appendTaggedInt(std::string& out, std::int32_t value);

// A list block is a tagged byte count followed by every line plus CR LF. A list whose text
// exceeds what a tagged integer holds (2 GiB) cannot be stored: std::length_error.
void appendListBlock(std::string& out, const std::vector<std::string>& lines);
void appendListBlock(std::string& out, const StringList& lines);

// Accepts all three forms whatever the value; fails on an unknown type byte or a value cut
// off by the end of the data.
bool readTaggedInt(ByteReader& reader, std::int32_t& value, std::string* error);

// Replaces `out` by the lines of the next block. The text splits at CR, LF or CR LF; a final
// line without a break counts, the break after the last line does not add an empty line, and
// empty lines in between are kept. A negative length or one running past the end fails, and
// `out` is then left empty. Nothing is allocated beyond the bytes actually present.
bool readListBlock(ByteReader& reader, StringList& out, std::string* error);
bool readListBlock(ByteReader& reader, std::vector<std::string>& out, std::string* error);

}  // namespace quarrow
