#include "archive/ArchiveContent.h"

namespace quarrow {

std::shared_ptr<const ArchiveContent> ArchiveContent::Build(ArchiveLists lists,
                                                            const std::atomic<bool>* stop) {
    auto content = std::make_shared<ArchiveContent>();
    content->lists_ = std::move(lists);
    const StringList& names = content->lists_.FileDirs;
    auto& signatures = content->signatures_ = LargeArray<CharSignature>(names.size());
    auto& pairSignatures = content->pairSignatures_ = LargeArray<PairSignature>(names.size());
    content->index_ =
        FirstLetterIndex::Build(names, stop, [&](std::size_t i, std::string_view name) {
            const TextSignatures both = signaturesOf(name);
            signatures[i] = both.chars;
            pairSignatures[i] = both.pairs;
        });
    if (stop && stop->load()) return nullptr;
    return content;
}

std::size_t ArchiveContent::memoryBytes() const {
    return lists_.FileDirs.capacityBytes() + lists_.ArchiveNames.capacityBytes() +
           index_.memoryBytes() + signatures_.size() * sizeof(CharSignature) +
           pairSignatures_.size() * sizeof(PairSignature);
}

}  // namespace quarrow
