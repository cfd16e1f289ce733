#include "archive/ArchiveContent.h"

namespace quarrow {

std::shared_ptr<const ArchiveContent> ArchiveContent::Build(ArchiveLists lists,
                                                            const std::atomic<bool>* stop) {
    auto content = std::make_shared<ArchiveContent>();
    content->lists_ = std::move(lists);
    const StringList& names = content->lists_.FileDirs;
    auto& signatures = content->signatures_;
    auto& pairSignatures = content->pairSignatures_;
    signatures.resize(names.size());
    pairSignatures.resize(names.size());
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
           index_.memoryBytes() + signatures_.capacity() * sizeof(CharSignature) +
           pairSignatures_.capacity() * sizeof(PairSignature);
}

}  // namespace quarrow
