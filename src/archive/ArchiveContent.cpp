#include "archive/ArchiveContent.h"

#include <charconv>

namespace quarrow {

std::shared_ptr<const ArchiveContent> ArchiveContent::Build(ArchiveLists lists,
                                                            const std::atomic<bool>* stop) {
    auto content = std::make_shared<ArchiveContent>();
    content->lists_ = std::move(lists);
    const StringList& names = content->lists_.FileDirs;
    auto& signatures = content->signatures_;
    signatures.resize(names.size());
    content->index_ = FirstLetterIndex::Build(
        names, stop,
        [&](std::size_t i, std::string_view name) { signatures[i] = signatureOf(name); });
    if (stop && stop->load()) return nullptr;
    return content;
}

std::string_view ArchiveContent::location(std::size_t line) const {
    const StringList& names = lists_.ArchiveNames;
    if (line >= names.size()) return {};
    const std::string_view entry = names[line];
    std::size_t target = 0;
    const char* end = entry.data() + entry.size();
    const auto [stop, ec] = std::from_chars(entry.data(), end, target);
    if (entry.empty() || ec != std::errc() || stop != end) return entry;
    return target < names.size() ? names[target] : std::string_view();
}

std::size_t ArchiveContent::memoryBytes() const {
    return lists_.FileDirs.capacityBytes() + lists_.ArchiveNames.capacityBytes() +
           index_.memoryBytes() + signatures_.capacity() * sizeof(CharSignature);
}

}  // namespace quarrow
