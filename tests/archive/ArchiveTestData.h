#pragma once

#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "archive/ArchiveContent.h"
#include "archive/SearchState.h"

namespace quarrow::test {

// An archive whose names are `names`, every one located at "/".
std::shared_ptr<const ArchiveContent> contentOf(const std::vector<std::string>& names);

// A snapshot as the scan engine writes it: the header for `server` and `path`, and for each
// file its folder and name; later files of a folder refer back to the folder's first line.
// The header text that precedes the server in the snapshots these helpers write.
inline constexpr const char* kHeaderLead = "FTP snapshot: ftp://";
struct SnapshotContents {
    std::string server = "ftp.example.org";
    std::string path = "/";
    std::vector<std::pair<std::string, std::string>> files;  // folder, name
    std::string headerLead = kHeaderLead;
};
std::string snapshotBytes(const SnapshotContents& contents, const std::string& entryName);
void writeSnapshot(const std::string& file, const SnapshotContents& contents);

// The rules written out plainly, as references for the indexed and filtered search.
// Display order: upper-cased bytes as unsigned values, a prefix first, then line order.
void sortByName(const std::vector<std::string>& names, std::vector<std::uint32_t>& lines);
std::string naiveIndexedChars(const std::string& line);
bool naiveLineMatches(const std::string& upperLine, const std::vector<std::string>& words,
                      bool wild);
struct NaiveHits {
    bool firstWordIndexed = false;
    std::vector<std::uint32_t> dirs, files;
};
NaiveHits naiveExact(const std::vector<std::string>& names, const std::vector<std::string>& words,
                     bool wild);
NaiveHits naiveTolerant(const std::vector<std::string>& names,
                        const std::vector<std::string>& words, SearchState& state);

// Random names over a small alphabet of letters, separators, Cyrillic and extensions, so
// that short queries hit often.
std::vector<std::string> randomNames(std::mt19937& rng, std::size_t count);
// A query of one to three words cut from random names, joined by blanks or stars.
std::string randomQuery(std::mt19937& rng, const std::vector<std::string>& names);

}  // namespace quarrow::test
