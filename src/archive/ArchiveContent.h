#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

#include "archive/CharSignature.h"
#include "archive/FirstLetterIndex.h"
#include "archive/FolderReferences.h"
#include "platform/StringList.h"

namespace quarrow {

// The archive job's two parallel lists as loading merges them. `FileDirs` holds the names to
// search: for each loaded snapshot its file names, then its folder paths. `ArchiveNames` line
// i says where name i lives: a folder reference (server name and folder path), or the decimal
// index of the line of `ArchiveNames` that holds it.
struct ArchiveLists {
    StringList FileDirs;
    FolderReferences ArchiveNames;
};

// A loaded archive ready to be searched: the merged lists, the first-letter index over
// `FileDirs` and one character signature per name. It is never changed once built, and
// searches hold it by shared pointer, so a new load or a closed page can replace it while a
// search still reads the old one.
class ArchiveContent {
public:
    // Indexes `lists` (BuildFirstLetterIndex and the signatures). A raised `stop` ends the
    // build early and yields nothing.
    static std::shared_ptr<const ArchiveContent> Build(ArchiveLists lists,
                                                       const std::atomic<bool>* stop = nullptr);

    const StringList& FileDirs() const { return lists_.FileDirs; }
    const FolderReferences& ArchiveNames() const { return lists_.ArchiveNames; }
    const FirstLetterIndex& Index() const { return index_; }
    CharSignature signature(std::size_t line) const { return signatures_[line]; }
    PairSignature pairSignature(std::size_t line) const { return pairSignatures_[line]; }
    std::size_t size() const { return lists_.FileDirs.size(); }

    // The folder reference of name `line`: its `ArchiveNames` entry, or the entry that one
    // refers to when it is a number. Empty when the reference does not resolve.
    std::string location(std::size_t line) const { return lists_.ArchiveNames.location(line); }

    // Bytes held by the lists, the index and the signatures.
    std::size_t memoryBytes() const;

private:
    ArchiveLists lists_;
    FirstLetterIndex index_;
    LargeArray<CharSignature> signatures_;
    LargeArray<PairSignature> pairSignatures_;
};

}  // namespace quarrow
