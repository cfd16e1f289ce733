#include "gui/archive/ArchiveHits.h"

#include "archive/ArchiveBrowser.h"

namespace quarrow {
namespace {

std::optional<std::uint32_t> lineAt(const std::vector<std::uint32_t>& lines, int item) {
    if (item < 0 || static_cast<std::size_t>(item) >= lines.size()) return std::nullopt;
    return lines[static_cast<std::size_t>(item)];
}

}  // namespace

void ArchiveHits::setSource(std::weak_ptr<const ArchiveBrowser> browser) {
    source_ = std::move(browser);
    refresh();
}

void ArchiveHits::refresh() {
    const auto browser = source_.lock();
    shown_ = browser ? browser->Results() : nullptr;
}

int ArchiveHits::folderCount() const {
    return shown_ ? static_cast<int>(shown_->dirRows()) : 0;
}

int ArchiveHits::fileCount() const {
    return shown_ ? static_cast<int>(shown_->fileRows()) : 0;
}

std::optional<std::string_view> ArchiveHits::folderName(int item) const {
    if (!shown_ || !lineAt(shown_->hits.dirs, item)) return std::nullopt;
    return shown_->dirName(static_cast<std::size_t>(item));
}

std::optional<std::string_view> ArchiveHits::fileName(int item) const {
    if (!shown_ || !lineAt(shown_->hits.files, item)) return std::nullopt;
    return shown_->fileName(static_cast<std::size_t>(item));
}

std::optional<std::string> ArchiveHits::folderLocation(int item) const {
    const auto line = shown_ ? lineAt(shown_->hits.dirs, item) : std::nullopt;
    if (!line) return std::nullopt;
    std::string location = shown_->content->location(*line);
    if (location.empty()) return std::nullopt;
    return location;
}

std::optional<std::string> ArchiveHits::fileLocation(int item) const {
    const auto line = shown_ ? lineAt(shown_->hits.files, item) : std::nullopt;
    if (!line) return std::nullopt;
    const std::string location = shown_->content->location(*line);
    if (location.empty()) return std::nullopt;
    return location + std::string(shown_->content->FileDirs()[*line]);
}

}  // namespace quarrow
