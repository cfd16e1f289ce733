#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "archive/ArchiveContent.h"
#include "archive/SearchHits.h"

namespace quarrow {

// One complete hit list as the archive page shows it: the folder list (upper) shows
// `hits.dirs`, the file list `hits.files`; row r of a list is the name
// `content->FileDirs()[line]` of its line number, and its location is
// `content->location(line)`. Published whole, never changed afterwards.
struct SearchResults {
    std::shared_ptr<const ArchiveContent> content;
    SearchHits hits;

    std::size_t dirRows() const { return hits.dirs.size(); }
    std::size_t fileRows() const { return hits.files.size(); }
    std::string_view dirName(std::size_t row) const { return content->FileDirs()[hits.dirs[row]]; }
    std::string_view fileName(std::size_t row) const {
        return content->FileDirs()[hits.files[row]];
    }
};

}  // namespace quarrow
