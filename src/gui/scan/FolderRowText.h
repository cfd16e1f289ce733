#pragma once

#include <string>
#include <string_view>

namespace quarrow {

// The name a folder row shows for a folder path: the closing "/" and everything up to and
// including the first "/" are dropped, and that first cut is made twice, so "/pub/" shows
// "pub", "/pub/music/" shows "music" and "/a/b/c/" shows "b/c".
std::string folderRowName(std::string_view path);

// A folder-list entry without "/" is the decimal index of the entry holding the folder; -1
// for an entry that is a folder itself or not a number.
long folderBackReference(std::string_view entry);

}  // namespace quarrow
