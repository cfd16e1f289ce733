#include "archive/ArchiveContent.h"

#include <charconv>

#include "archive/AtOnce.h"

namespace quarrow {

std::shared_ptr<const ArchiveContent> ArchiveContent::Build(ArchiveLists lists,
                                                            const std::atomic<bool>* stop) {
    auto content = std::make_shared<ArchiveContent>();
    content->lists_ = std::move(lists);
    const StringList& names = content->lists_.FileDirs;
    content->index_ = FirstLetterIndex::Build(names, stop);
    if (stop && stop->load()) return nullptr;
    auto& signatures = content->signatures_;
    signatures.resize(names.size());
    const auto sign = [&](std::size_t from, std::size_t to) {
        for (std::size_t i = from; i < to; ++i) signatures[i] = signatureOf(names[i]);
    };
    const std::size_t half = halfOf(names.size());
    atOnce([&] { sign(0, half); }, [&] { sign(half, names.size()); });
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
