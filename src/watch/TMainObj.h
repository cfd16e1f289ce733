#pragma once

#include <cstdint>
#include <ctime>
#include <string>

namespace quarrow {

// One new item found by a watch check.
struct TMainObj {
    std::uint32_t Size = 0;  // low 32 bits of the file size; 0 for a folder
    std::time_t Time = 0;    // last write, local time cut to 2 seconds, as a time_t
    std::string FullName;    // folder path + name; a folder's ends in "/"
    bool IsFolder = false;
};

// The text of an item's line in the new-items list: a file's bare name, a folder's parent path
// and name without the final "/".
std::string NewItemLine(const TMainObj& item);

}  // namespace quarrow
