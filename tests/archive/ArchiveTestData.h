#pragma once

#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "archive/ArchiveContent.h"

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

// Display order: upper-cased bytes as unsigned values, a prefix first, then line order.
void sortByName(const std::vector<std::string>& names, std::vector<std::uint32_t>& lines);

// Random names over a small alphabet of letters, separators, Cyrillic and extensions, so
// that short queries hit often.
std::vector<std::string> randomNames(std::mt19937& rng, std::size_t count);

}  // namespace quarrow::test
