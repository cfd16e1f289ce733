#include "archive/ArchiveTestData.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>

#include "archive/RunScore.h"
#include "engine/SnapshotContainer.h"
#include "engine/SnapshotFile.h"
#include "engine/SnapshotHeader.h"
#include "platform/Cp1251.h"

namespace quarrow::test {
namespace {

const std::string kSeparators = "/ .-_()+[]";

std::string trimmed(const std::string& text) {
    std::size_t begin = 0, end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ') ++begin;
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ') --end;
    return text.substr(begin, end - begin);
}

std::vector<std::string> splitAt(const std::string& text) {
    std::vector<std::string> parts(1);
    for (const char c : text) {
        if (c == '|') {
            parts.emplace_back();
        } else {
            parts.back().push_back(c);
        }
    }
    return parts;
}

void addHit(const std::vector<std::string>& names, std::uint32_t line, NaiveHits& hits) {
    (names[line].find('/') != std::string::npos ? hits.dirs : hits.files).push_back(line);
}

}  // namespace

void sortByName(const std::vector<std::string>& names, std::vector<std::uint32_t>& lines) {
    std::sort(lines.begin(), lines.end(), [&](std::uint32_t a, std::uint32_t b) {
        const std::string x = upperCp1251(names[a]), y = upperCp1251(names[b]);
        const auto ux = std::basic_string<unsigned char>(x.begin(), x.end());
        const auto uy = std::basic_string<unsigned char>(y.begin(), y.end());
        return ux != uy ? ux < uy : a < b;
    });
}

std::shared_ptr<const ArchiveContent> contentOf(const std::vector<std::string>& names) {
    ArchiveLists lists;
    for (const auto& name : names) {
        lists.FileDirs.append(name);
        lists.ArchiveNames.append("/");
    }
    return ArchiveContent::Build(std::move(lists));
}

std::string snapshotBytes(const SnapshotContents& contents, const std::string& entryName) {
    SnapshotHeaderTexts texts{contents.headerLead, "Created: ", "Files: ", ""};
    const auto header =
        buildSnapshotHeader(texts, contents.server, contents.path, contents.files.size(),
                            "anonymous", {}, "*.*", "01.02.2026_10.00.00");
    StringList dirs, names;
    std::string lastFolder;
    std::size_t folderLine = 0;
    for (std::size_t i = 0; i < contents.files.size(); ++i) {
        const auto& [folder, name] = contents.files[i];
        if (i > 0 && folder == lastFolder) {
            dirs.append(std::to_string(folderLine));
        } else {
            dirs.append(folder);
            lastFolder = folder;
            folderLine = i;
        }
        names.append(name);
    }
    return packSnapshot(entryName, buildSnapshotContent(header, dirs, names));
}

void writeSnapshot(const std::string& file, const SnapshotContents& contents) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << snapshotBytes(contents, file.substr(file.rfind('/') + 1));
    if (!out) throw std::runtime_error("cannot write " + file);
}

std::string naiveIndexedChars(const std::string& line) {
    std::string l = upperCp1251(trimmed(line));
    l = l.substr(0, l.find('\0'));
    std::size_t e = l.size();
    if (e >= 5 && (l[e - 4] == '.' || l[e - 5] == '.')) e -= 4;
    std::vector<std::size_t> starts;  // 1-based
    if (!l.empty()) starts.push_back(1);
    std::string seen;
    const auto isIn = [](const std::string& set, char c) {
        return set.find(c) != std::string::npos;
    };
    if (e > 10) {
        for (const char s : kSeparators) {
            for (std::size_t at = l.find(s); at != std::string::npos; at = l.find(s, at + 1)) {
                const std::size_t p = at + 1;
                if (!(p > 0 && p + 1 < e)) continue;
                const char c = l[p];
                if (isIn(kSeparators, c) || isIn(seen, c)) continue;
                starts.push_back(p + 1);
                seen.push_back(c);
                if (s != '/' && !isIn(seen, s)) {
                    starts.push_back(p);
                    seen.push_back(s);
                }
            }
        }
    }
    std::string chars;
    for (const std::size_t p : starts)
        if (l[p - 1] != '\0') chars.push_back(l[p - 1]);
    return chars;
}

bool naiveLineMatches(const std::string& upperLine, const std::vector<std::string>& words,
                      bool wild) {
    for (const auto& w : words)
        if (w.empty() || upperLine.find(w) == std::string::npos) return false;
    if (wild) return true;
    for (std::size_t k = 1; k < words.size(); ++k) {
        const std::size_t from = upperLine.find(words[k - 1]) + words[k - 1].size();
        if (upperLine.substr(from, 255).find(words[k]) == std::string::npos) return false;
    }
    return true;
}

NaiveHits naiveExact(const std::vector<std::string>& names, const std::vector<std::string>& words,
                     bool wild) {
    NaiveHits hits;
    std::vector<std::string> chars;
    for (const auto& name : names) chars.push_back(naiveIndexedChars(name));
    const auto listed = [&](std::size_t line, char c) {
        return chars[line].find(c) != std::string::npos;
    };
    for (std::size_t i = 0; i < names.size() && !words[0].empty(); ++i)
        hits.firstWordIndexed = hits.firstWordIndexed || listed(i, words[0][0]);
    if (!hits.firstWordIndexed) return hits;
    for (std::uint32_t i = 0; i < names.size(); ++i) {
        const bool candidate = std::any_of(words.begin(), words.end(), [&](const std::string& w) {
            return !w.empty() && listed(i, w[0]);
        });
        if (candidate && naiveLineMatches(upperCp1251(names[i]), words, wild))
            addHit(names, i, hits);
    }
    sortByName(names, hits.dirs);
    sortByName(names, hits.files);
    return hits;
}

NaiveHits naiveTolerant(const std::vector<std::string>& names,
                        const std::vector<std::string>& words, SearchState& state) {
    NaiveHits hits;
    if (state.LastFuzzyQuery == state.CurrentQuery) return hits;
    if (state.LastFuzzyQuery.empty() || state.CurrentQuery.find(state.LastFuzzyQuery) != 0)
        state.FuzzyResume = 0;
    state.LastFuzzyQuery = state.CurrentQuery;
    std::size_t total = 0;
    for (const auto& w : words) total += w.size();
    bool found = false;
    for (std::uint32_t i = static_cast<std::uint32_t>(state.FuzzyResume); i < names.size(); ++i) {
        std::string line = names[i];
        const std::size_t dot = line.find_last_of(".\\:");
        if (dot != std::string::npos && line[dot] == '.') line.erase(dot);
        line = upperCp1251(line);
        if (line.size() < total) continue;
        bool pass = true;
        for (std::size_t k = 0; k < words.size() && pass; ++k) {
            const int length = static_cast<int>(words[k].size());
            int minRun, need;
            if (length >= 6) {
                minRun = need = length - 2;
            } else if (length == 5) {
                minRun = 4, need = 5;
            } else if (length == 4) {
                minRun = need = 3;
            } else {
                minRun = length - 1, need = length;
            }
            const int score = RunScore(words[k], line, minRun);
            int limit = need;
            if (words.size() >= 3) {
                if (length > 2) limit = need - 2;
                if (k > 0 && !words[k - 1].empty() && line.find(words[k - 1]) != std::string::npos)
                    limit = -1;
            }
            pass = score >= limit - 1;
        }
        if (!pass) continue;
        if (!found) state.FuzzyResume = static_cast<int>(i);
        found = true;
        addHit(names, i, hits);
    }
    sortByName(names, hits.dirs);
    sortByName(names, hits.files);
    if (hits.files.empty()) {
        state.LastFuzzyQuery.clear();
        state.CurrentQuery = std::string(1, 'n');
    }
    return hits;
}

std::vector<std::string> randomNames(std::mt19937& rng, std::size_t count) {
    const std::vector<std::string> pieces = splitAt(
        "ab|ba|rock|live|the|best|of|a|b|\xEF\xE5\xF1\xED\xFF|\xCF\xC5\xD1|mix|ox|Rock|LIVE|"
        "x1|2004|b-side|(live)|[cd1]|a_b|+|tail|\xB8\xEB\xEA\xE0");
    const std::vector<std::string> glue = {" ", " ", "-", " - ", "_", ".", "", "(", ")"};
    const std::vector<std::string> endings = {".mp3", ".flac", ".txt", "", ".a", "/"};
    std::uniform_int_distribution<std::size_t> words(1, 6);
    std::vector<std::string> names;
    for (std::size_t i = 0; i < count; ++i) {
        std::string name = rng() % 5 == 0 ? "/" : "";
        for (std::size_t n = words(rng); n > 0; --n) {
            name += pieces[rng() % pieces.size()];
            if (n > 1) name += glue[rng() % glue.size()];
        }
        name += endings[rng() % endings.size()];
        if (rng() % 17 == 0) name = "  " + name + " ";
        names.push_back(name);
    }
    return names;
}

std::string randomQuery(std::mt19937& rng, const std::vector<std::string>& names) {
    std::string query;
    const std::size_t words = 1 + rng() % 3;
    for (std::size_t k = 0; k < words; ++k) {
        const std::string& name = names[rng() % names.size()];
        const std::size_t length = 1 + rng() % 4;
        const std::size_t start = name.size() > length ? rng() % (name.size() - length) : 0;
        std::string word = name.substr(start, length);
        std::replace(word.begin(), word.end(), ' ', 'a');
        std::replace(word.begin(), word.end(), '*', 'a');
        if (k > 0) query += rng() % 2 ? " " : "*";
        query += word;
    }
    return query;
}

}  // namespace quarrow::test
