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
// every entry is such a number, so numbers are kept as four-byte values and only the other
// entries as text; each entry still reads back as the line it was appended as.
class FolderReferences {
public:
    std::size_t size() const { return entries_.size(); }

    void append(std::string_view entry);
    // The entry that is `number` in decimal.
    void appendNumber(std::size_t number);
    // An entry equal to entry `i`; a text is kept once for both.
    void appendCopyOf(std::size_t i) { entries_.push_back(entries_[i]); }
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

    void appendText(std::string_view text);

    std::vector<std::uint32_t, LargeAllocator<std::uint32_t>> entries_;
    StringList texts_;
};

}  // namespace quarrow
