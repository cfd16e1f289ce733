#include "archive/MatchTolerant.h"

#include <algorithm>
#include <array>

#include "archive/AtOnce.h"
#include "archive/CaseFold.h"
#include "archive/FoldedFinder.h"
#include "archive/HitCollector.h"
#include "archive/LineBatch.h"
#include "archive/RunScore.h"

namespace quarrow {
namespace {

void tolerantLineInto(std::string_view name, std::string& line) {
    const std::size_t at = name.find_last_of(".\\:");
    if (at != std::string_view::npos && name[at] == '.') name = name.substr(0, at);
    const auto& upper = upperTable();
    line.resize(name.size());
    for (std::size_t k = 0; k < name.size(); ++k)
        line[k] = static_cast<char>(upper[static_cast<std::uint8_t>(name[k])]);
}

// One query word with what the stage derives from it once per search.
struct TolerantWord {
    std::string run;  // the word without blanks, as the run scan compares it
    int minRun = 0;
    int limit = 0;  // before the literal-occurrence easing
    // In a query of three or more words, a word after one that occurs literally always passes.
    bool eased = false;
    // The signature of the word before, when it can ease this one (it is not empty).
    CharSignature easedBy = 0;
    bool easable = false;
    // Signatures of every stretch of the word a taken run could cover.
    std::vector<TextSignatures> stretches;
};

TolerantWord prepareWord(const std::vector<std::string>& words, std::size_t index) {
    const std::string& word = words[index];
    TolerantWord w;
    for (const char c : word)
        if (c != ' ') w.run.push_back(c);
    const int length = static_cast<int>(word.size());
    int need = 0;
    if (length >= 6) {
        w.minRun = need = length - 2;
    } else if (length == 5) {
        w.minRun = 4;
        need = 5;
    } else if (length == 4) {
        w.minRun = need = 3;
    } else {
        w.minRun = length - 1;
        need = length;
    }
    w.limit = need;
    if (words.size() >= 3) {
        if (length > 2) w.limit = need - 2;
        w.eased = index > 0;
        w.easable = w.eased && !words[index - 1].empty();
        if (w.easable) w.easedBy = signatureOf(words[index - 1]);
    }
    const std::size_t span = static_cast<std::size_t>(std::max(w.minRun, 1));
    for (std::size_t s = 0; s + span <= w.run.size(); ++s)
        w.stretches.push_back(signaturesOf(std::string_view(w.run).substr(s, span)));
    return w;
}

// A word passes when its score reaches limit - 1; a taken run always does, so a word whose
// limit is above 1 needs a run, and a run needs all characters and pairs of some stretch in
// the line.
bool mayPass(const TolerantWord& w, const TextSignatures& line) {
    if (w.limit - 1 <= 0) return true;
    if (w.easable && mayContain(line.chars, w.easedBy)) return true;
    return std::any_of(w.stretches.begin(), w.stretches.end(), [&](const TextSignatures& s) {
        return mayContain(line.chars, s.chars) && mayContain(line.pairs, s.pairs);
    });
}

class TolerantMatcher {
public:
    explicit TolerantMatcher(const std::vector<std::string>& words) {
        for (const char c : kRunScoreSkipped) skipped_[static_cast<std::uint8_t>(c)] = true;
        for (std::size_t k = 0; k < words.size(); ++k) {
            prepared_.push_back(prepareWord(words, k));
            literal_.emplace_back(words[k]);
            total_ += words[k].size();
        }
    }

    // Whether a line with this signature can pass at all; most lines are ruled out here.
    bool mayMatch(const TextSignatures& line) const {
        return std::all_of(prepared_.begin(), prepared_.end(),
                           [&](const TolerantWord& w) { return mayPass(w, line); });
    }

    bool matches(std::string_view name) {
        tolerantLineInto(name, line_);
        if (line_.size() < total_) return false;
        stripped_.resize(line_.size());
        std::size_t kept = 0;
        for (const char c : line_)
            if (!skipped_[static_cast<std::uint8_t>(c)]) stripped_[kept++] = c;
        stripped_.resize(kept);
        for (std::size_t k = 0; k < prepared_.size(); ++k) {
            const TolerantWord& w = prepared_[k];
            const int score = RunScoreStripped(w.run, stripped_, w.minRun);
            const bool previousOccurs = w.eased && literal_[k - 1].occursIn(line_);
            const int limit = previousOccurs ? -1 : w.limit;
            if (score < limit - 1) return false;
        }
        return true;
    }

private:
    std::vector<TolerantWord> prepared_;
    std::vector<FoldedFinder> literal_;
    std::size_t total_ = 0;
    std::string line_;      // reused for every line
    std::string stripped_;  // reused for every line
    std::array<bool, 256> skipped_{};
};

}  // namespace

std::string TolerantLine(std::string_view name) {
    std::string line;
    tolerantLineInto(name, line);
    return line;
}

std::optional<SearchHits> MatchTolerant(const ArchiveContent& content,
                                        const std::vector<std::string>& words,
                                        SharedSearchState& state, const SearchCancel& cancel) {
    if (cancel.cancelled()) return std::nullopt;
    std::size_t resume = 0;
    const bool repeated = state.update([&](SearchState& s) {
        if (s.LastFuzzyQuery == s.CurrentQuery) return true;
        // A text that only grew at its end resumes; an empty last text never counts as begun.
        if (s.LastFuzzyQuery.empty() || !s.CurrentQuery.starts_with(s.LastFuzzyQuery))
            s.FuzzyResume = 0;
        s.LastFuzzyQuery = s.CurrentQuery;
        resume = static_cast<std::size_t>(std::max(s.FuzzyResume, 0));
        return false;
    });
    if (repeated) return SearchHits();

    const StringList& names = content.FileDirs();
    // The lines from `resume` on are searched in two parts at once.
    const std::size_t split = resume + halfOf(names.size() - std::min(resume, names.size()));
    const std::array<std::size_t, 3> bounds{resume, split, std::max(resume, names.size())};
    std::array<HitCollector, 2> collectors{HitCollector(names), HitCollector(names)};
    std::array<std::optional<std::uint32_t>, 2> firstHit;
    std::array<bool, 2> finished{};
    const auto searchPart = [&](std::size_t part) {
        TolerantMatcher matcher(words);
        LineBatch batch(names, [&](std::uint32_t line, std::string_view name) {
            if (!matcher.matches(name)) return;
            if (!firstHit[part]) firstHit[part] = line;
            collectors[part].add(line, name);
        });
        for (std::size_t i = bounds[part]; i < bounds[part + 1]; ++i) {
            if (cancel.cancelled()) return;
            if (matcher.mayMatch({content.signature(i), content.pairSignature(i)}))
                batch.add(static_cast<std::uint32_t>(i));
        }
        batch.flush();
        finished[part] = true;
    };
    atOnce([&] { searchPart(0); }, [&] { searchPart(1); }, split < bounds[2]);
    // The first line that passes, as one search in ascending order would have met it, is where
    // a grown text resumes.
    const std::optional<std::uint32_t> resumeAt =
        firstHit[0] ? firstHit[0] : (finished[0] ? firstHit[1] : std::nullopt);
    if (resumeAt)
        state.update([&](SearchState& s) { s.FuzzyResume = static_cast<int>(*resumeAt); });
    if (cancel.cancelled()) return std::nullopt;
    const SearchHits hits = HitCollector::merged(collectors[0], collectors[1]);
    if (hits.files.empty()) {
        // The next text is searched tolerantly again, from the first line.
        state.update([](SearchState& s) {
            s.LastFuzzyQuery.clear();
            s.CurrentQuery = std::string(1, 'n');
        });
    }
    return hits;
}

}  // namespace quarrow
