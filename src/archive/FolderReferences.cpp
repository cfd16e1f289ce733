#include "archive/FolderReferences.h"

#include <algorithm>
#include <stdexcept>

#include "engine/SnapshotFile.h"

namespace quarrow {

void FolderReferences::append(std::string_view entry) {
    std::size_t value = 0;
    // Only the number's own decimal form reads back the same from a value ("07" stays text).
    const bool plain =
        readBackReference(entry, value) && (entry.size() == 1 || entry.front() != '0');
    if (plain && value < kText)
        appendValue(static_cast<std::uint32_t>(value));
    else
        appendText(entry);
}

void FolderReferences::appendNumber(std::size_t number) {
    if (number < kText)
        appendValue(static_cast<std::uint32_t>(number));
    else
        appendText(std::to_string(number));
}

void FolderReferences::appendText(std::string_view text) {
    appendValue(kText | static_cast<std::uint32_t>(texts_.size()));
    texts_.append(text);
}

void FolderReferences::appendValue(std::uint32_t value) {
    if (size_ >= UINT32_MAX) throw std::length_error("FolderReferences full");
    if (runs_.empty() || runs_.back().value != value)
        runs_.push_back({static_cast<std::uint32_t>(size_), value});
    ++size_;
}

void FolderReferences::appendCopyOf(std::size_t i) {
    // A merge copies the entries of its folder paths in ascending order, a run or two apart:
    // the run is looked for onwards from the last copy's, not from the start each time.
    if (copiedRun_ >= runs_.size() || runs_[copiedRun_].first > i) copiedRun_ = runOf(i);
    while (copiedRun_ + 1 < runs_.size() && runs_[copiedRun_ + 1].first <= i) ++copiedRun_;
    appendValue(runs_[copiedRun_].value);
}

std::size_t FolderReferences::runOf(std::size_t i) const {
    const auto after =
        std::upper_bound(runs_.begin(), runs_.end(), i,
                         [](std::size_t at, const Run& run) { return at < run.first; });
    return static_cast<std::size_t>(after - runs_.begin()) - 1;
}

std::uint32_t FolderReferences::valueAt(std::size_t i) const {
    return runs_[runOf(i)].value;
}

std::string FolderReferences::entry(std::size_t i) const {
    const std::uint32_t value = valueAt(i);
    if (value & kText) return std::string(texts_[value & ~kText]);
    return std::to_string(value);
}

std::string FolderReferences::location(std::size_t i) const {
    if (i >= size()) return {};
    const std::uint32_t value = valueAt(i);
    std::size_t target = value;
    if (value & kText) {
        const std::string_view text = texts_[value & ~kText];
        if (!readBackReference(text, target)) return std::string(text);
    }
    return target < size() ? entry(target) : std::string();
}

void FolderReferences::truncate(std::size_t count) {
    if (count >= size()) return;
    // The runs that start before `count` stay, the last one shortened by `size_`.
    const auto kept =
        std::lower_bound(runs_.begin(), runs_.end(), count,
                         [](const Run& run, std::size_t at) { return run.first < at; });
    runs_.erase(kept, runs_.end());
    size_ = count;
    // Copies share texts, so the texts still needed are those up to the highest one kept.
    std::size_t texts = 0;
    for (const Run& run : runs_)
        if (run.value & kText) texts = std::max<std::size_t>(texts, (run.value & ~kText) + 1);
    texts_.truncate(texts);
}

void FolderReferences::reserve(std::size_t entries, std::size_t textBytes) {
    // A folder's names share a run; most folders hold several names.
    runs_.reserve(entries / 4);
    texts_.reserve(entries / 8, textBytes);
}

std::size_t FolderReferences::capacityBytes() const {
    return runs_.capacity() * sizeof(Run) + texts_.capacityBytes();
}

}  // namespace quarrow
