#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/LargeAllocator.h"
#include "platform/StringList.h"

namespace quarrow {

// The archive's `ArchiveNames` list: for each name, where it lives, as a folder reference
// (server name and folder path) or the decimal number of the entry that holds one. Nearly
// every entry is such a number, and the names of one folder come one after another with the
// same number, so entries are kept as runs of one value: a number, or a place among the other
// entries' texts. Each entry still reads back as the line it was appended as.
class FolderReferences {
public:
    std::size_t size() const { return size_; }

    void append(std::string_view entry);
    // The entry that is `number` in decimal.
    void appendNumber(std::size_t number);
    // An entry equal to entry `i`; a text is kept once for both.
    void appendCopyOf(std::size_t i);
    std::string entry(std::size_t i) const;

    // The folder reference of entry `i`: the entry itself, or the entry that it names when it
    // is a number. Empty when `i` or that number is past the end.
    std::string location(std::size_t i) const;

    void truncate(std::size_t count);
    void reserve(std::size_t entries, std::size_t textBytes);
    std::size_t capacityBytes() const;

private:
    // Set in an entry that is text; the other bits are its place in `texts_`.
    static constexpr std::uint32_t kText = 0x80000000;

    // Entries from `first` on, up to the next run's first, hold `value`.
    struct Run {
        std::uint32_t first;
        std::uint32_t value;
    };

    void appendText(std::string_view text);
    void appendValue(std::uint32_t value);
    std::size_t runOf(std::size_t i) const;  // entry i must exist
    std::uint32_t valueAt(std::size_t i) const;

    std::vector<Run, LargeAllocator<Run>> runs_;
    std::size_t size_ = 0;
    std::size_t copiedRun_ = 0;  // the run of the entry last copied
    StringList texts_;
};

}  // namespace quarrow
