// What the search differential compares: generated names and queries, as a user types them,
// and a digest of everything a search shows. The test runs them over a small generated archive,
// the benchmark over its ten-million-name corpus; both against digests recorded from the search
// as it was first built.
#pragma once

#include <cstdint>
#include <cstdio>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "archive/RunSearch.h"
#include "platform/Cp1251.h"

namespace quarrow::test {

using Lines = std::vector<std::string>;

// English words, Windows-1251 words (песня, любовь, ночь, кино, концерт, звезда, лето, река),
// separators and extensions as names on real servers mix them.
const Lines kWords = [] {
    Lines words;
    std::istringstream text(
        "love night dark side moon best hits live rock remix symphony beatles floyd deep purple "
        "the of a 2004 1999 cd1 mix part edition "
        "\xEF\xE5\xF1\xED\xFF \xEB\xFE\xE1\xEE\xE2\xFC \xED\xEE\xF7\xFC \xEA\xE8\xED\xEE "
        "\xEA\xEE\xED\xF6\xE5\xF0\xF2 \xE7\xE2\xE5\xE7\xE4\xE0 \xEB\xE5\xF2\xEE \xF0\xE5\xEA\xE0");
    for (std::string word; text >> word;) words.push_back(word);
    return words;
}();
const Lines kSeparators = {" ", " ", "_", "-", ".", " - ", "(", ")", "[", "]", "+"};
const Lines kExtensions = {".mp3", ".avi", ".flac", ".jpeg", ".txt", ".zip", ".iso", ""};

class Generator {
public:
    std::size_t below(std::size_t n) { return random_() % n; }
    const std::string& pick(const Lines& from) { return from[below(from.size())]; }

    std::string word() {
        std::string w = pick(kWords);
        if (below(4) == 0) w = upperCp1251(w);
        return w;
    }
    std::string name() {
        std::string n = word();
        for (std::size_t more = below(5); more > 0; --more) n += pick(kSeparators) + word();
        return n + pick(kExtensions);
    }
    std::string folder() {
        std::string f = "/";
        for (std::size_t depth = 1 + below(4); depth > 0; --depth) f += name() + "/";
        return f;
    }

    // A query as a user types it: words, pieces of names, words in any order or in order,
    // misspellings the literal stage cannot find, and texts the parser turns away.
    std::string query(const std::string& previous) {
        switch (below(10)) {
            case 0:
                return word();
            case 1: {
                const std::string w = word();
                return w.substr(0, 1 + below(w.size()));
            }
            case 2: {
                const std::string n = name();
                const std::size_t from = below(n.size());
                return n.substr(from, 2 + below(10));
            }
            case 3:
                return word() + " " + word();
            case 4:
                return word() + "*" + word() + (below(2) ? "*" + word() : "");
            case 5:
                return word() + "?" + word();
            case 6: {
                std::string words = misspelt(word());
                for (std::size_t more = below(4); more > 0; --more)
                    words += pick(Lines{" ", "*", "?"}) + (below(2) ? word() : misspelt(word()));
                return words;
            }
            case 7:
                return previous + static_cast<char>('a' + below(26));  // typing on
            case 8:
                return pick(Lines{"rock ", "rock*", " rock", "  rock", "a/b", "|", "**", "x"});
            default:
                return misspelt(previous.empty() ? word() : previous);
        }
    }

private:
    std::string misspelt(std::string w) {
        const std::size_t at = below(w.size() + 1);
        switch (below(3)) {
            case 0:
                return w.insert(at, 1, 'z');
            case 1:
                return at < w.size() ? w.erase(at, 1) : w;
            default:
                return at < w.size() ? (w[at] = 'q', w) : w + "q";
        }
    }

    std::mt19937 random_{20261208};
};

// FNV-1a over everything a search shows: what became of it, its status and its hits.
class Digest {
public:
    void add(std::string_view bytes) {
        for (const char c : bytes) hash_ = (hash_ ^ static_cast<std::uint8_t>(c)) * 1099511628211u;
        add(std::uint32_t{0xFFFFFFFF});
    }
    void add(std::uint32_t value) {
        for (int shift = 0; shift < 32; shift += 8)
            hash_ = (hash_ ^ ((value >> shift) & 0xFF)) * 1099511628211u;
    }
    std::string hex() const {
        char text[17];
        std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash_));
        return text;
    }

private:
    std::uint64_t hash_ = 14695981039346656037u;
};

inline std::string digestOf(const SearchOutcome& outcome) {
    Digest digest;
    digest.add(static_cast<std::uint32_t>(outcome.kind));
    digest.add(outcome.status.value_or("no status"));
    for (const auto* list : {&outcome.hits.dirs, &outcome.hits.files}) {
        digest.add(static_cast<std::uint32_t>(list->size()));
        for (const std::uint32_t line : *list) digest.add(line);
    }
    return digest.hex();
}

}  // namespace quarrow::test
