#include "archive/FolderReferences.h"

#include <algorithm>

#include "engine/SnapshotFile.h"

namespace quarrow {

void FolderReferences::append(std::string_view entry) {
    std::size_t value = 0;
    // Only the number's own decimal form reads back the same from a value ("07" stays text).
    const bool plain =
        readBackReference(entry, value) && (entry.size() == 1 || entry.front() != '0');
    if (plain && value < kText)
        entries_.push_back(static_cast<std::uint32_t>(value));
    else
        appendText(entry);
}

void FolderReferences::appendNumber(std::size_t number) {
    if (number < kText)
        entries_.push_back(static_cast<std::uint32_t>(number));
    else
        appendText(std::to_string(number));
}

void FolderReferences::appendText(std::string_view text) {
    entries_.push_back(kText | static_cast<std::uint32_t>(texts_.size()));
    texts_.append(text);
}

std::string FolderReferences::entry(std::size_t i) const {
    const std::uint32_t value = entries_[i];
    if (value & kText) return std::string(texts_[value & ~kText]);
    return std::to_string(value);
}

std::string FolderReferences::location(std::size_t i) const {
    if (i >= size()) return {};
    std::size_t target = entries_[i];
    if (entries_[i] & kText) {
        const std::string_view text = texts_[entries_[i] & ~kText];
        if (!readBackReference(text, target)) return std::string(text);
    }
    return target < size() ? entry(target) : std::string();
}

void FolderReferences::truncate(std::size_t count) {
    if (count >= size()) return;
    // Copies share texts, so the texts still needed are those up to the highest one kept.
    std::size_t texts = 0;
    for (std::size_t i = 0; i < count; ++i)
        if (entries_[i] & kText) texts = std::max<std::size_t>(texts, (entries_[i] & ~kText) + 1);
    texts_.truncate(texts);
    entries_.resize(count);
}

void FolderReferences::reserve(std::size_t entries, std::size_t textBytes) {
    entries_.reserve(entries);
    texts_.reserve(entries / 8, textBytes);
}

std::size_t FolderReferences::capacityBytes() const {
    return entries_.capacity() * sizeof(std::uint32_t) + texts_.capacityBytes();
}

}  // namespace quarrow
