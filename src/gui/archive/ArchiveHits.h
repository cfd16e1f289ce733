#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "archive/SearchResults.h"

namespace quarrow {

class ArchiveBrowser;

// The hit lists the archive page shows. They are taken whole from the search engine at each
// refresh, so the row counts set from them and the rows drawn later come from one and the same
// search; rows are read from the engine's lists when drawn, never copied. Window thread only.
class ArchiveHits {
public:
    // The engine whose latest hit lists refresh() takes; an engine that is gone shows none.
    void setSource(std::weak_ptr<const ArchiveBrowser> browser);
    void refresh();

    int folderCount() const;
    int fileCount() const;
    // The name of folder hit or file hit `item` (system text); nothing past the end.
    std::optional<std::string_view> folderName(int item) const;
    std::optional<std::string_view> fileName(int item) const;
    // Where hit `item` lives: a folder hit's own folder reference, a file hit's folder
    // reference followed by its name. Nothing past the end or when the reference is broken.
    std::optional<std::string> folderLocation(int item) const;
    std::optional<std::string> fileLocation(int item) const;

private:
    std::weak_ptr<const ArchiveBrowser> source_;
    std::shared_ptr<const SearchResults> shown_;
};

}  // namespace quarrow
