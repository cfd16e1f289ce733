#include "archive/MatchExact.h"

#include <algorithm>

#include "archive/AtOnce.h"
#include "archive/HitCollector.h"
#include "archive/LineBatch.h"
#include "archive/ListedLines.h"

namespace quarrow {
namespace {

bool inOrder(std::string_view line, const std::vector<FoldedFinder>& words) {
    std::size_t first = words[0].find(line);
    if (first == FoldedFinder::npos) return false;
    for (std::size_t k = 1; k < words.size(); ++k) {
        const std::size_t from = first + words[k - 1].size();
        const std::size_t end = std::min(line.size(), from + kOrderedWindow);
        if (words[k].find(line.substr(0, end), from) == FoldedFinder::npos) return false;
        if (k + 1 < words.size()) first = words[k].find(line);
    }
    return true;
}

}  // namespace

bool LineMatchesWords(std::string_view line, const std::vector<FoldedFinder>& words, bool wild) {
    if (words.empty()) return false;
    if (!wild) return inOrder(line, words);
    return std::all_of(words.begin(), words.end(),
                       [&](const FoldedFinder& word) { return word.occursIn(line); });
}

std::optional<ExactResult> MatchExact(const ArchiveContent& content,
                                      const std::vector<std::string>& words, bool wild,
                                      const SearchCancel& cancel) {
    ExactResult result;
    const FirstLetterIndex& index = content.Index();
    const auto firstChar = [](const std::string& word) {
        return static_cast<unsigned char>(word.front());
    };
    if (words.empty() || words[0].empty() || !index.has(firstChar(words[0]))) return result;
    result.firstWordIndexed = true;
    // An empty word never occurs, so no line can hold them all.
    const bool anyEmpty =
        std::any_of(words.begin(), words.end(), [](const std::string& w) { return w.empty(); });
    if (anyEmpty) return result;

    std::vector<FoldedFinder> finders;
    CharSignature required = 0;
    PairSignature requiredPairs = 0;
    // A word without a pair (one character, perhaps besides passed-over ones) is not ruled out
    // by the pairs: only then are the characters looked at too.
    bool pairsSuffice = true;
    for (const std::string& word : words) {
        finders.emplace_back(word);
        const TextSignatures signatures = signaturesOf(word);
        required |= signatures.chars;
        requiredPairs |= signatures.pairs;
        pairsSuffice = pairsSuffice && signatures.pairs != 0;
    }
    std::string firstChars;
    for (const std::string& word : words) firstChars += word.front();
    const StringList& names = content.FileDirs();
    // Each part of the index is searched on a thread of its own.
    const auto searchPart = [&](std::size_t part, HitCollector& hits) {
        LineBatch batch(names, [&](std::uint32_t line, std::string_view name) {
            if (LineMatchesWords(name, finders, wild)) hits.add(line, name);
        });
        ListedLines(index, firstChars, part)
            .forEach(
                [&](std::uint32_t line) {
                    if (mayContain(content.pairSignature(line), requiredPairs) &&
                        (pairsSuffice || mayContain(content.signature(line), required)))
                        batch.add(line);
                },
                [&] { return !cancel.cancelled(); });
        batch.flush();
    };
    HitCollector first(names), second(names);
    atOnce([&] { searchPart(0, first); }, [&] { searchPart(1, second); },
           index.partBegin(1) < index.partBegin(2));
    if (cancel.cancelled()) return std::nullopt;
    result.hits = HitCollector::merged(first, second);
    return result;
}

}  // namespace quarrow
