#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "archive/ArchiveContent.h"

namespace quarrow::test {

// An archive whose names are `names`, every one located at "/".
std::shared_ptr<const ArchiveContent> contentOf(const std::vector<std::string>& names);

// A snapshot as the scan engine writes it: the header for `server` and `path`, and for each
// file its folder and name; later files of a folder refer back to the folder's first line.
struct SnapshotContents {
    std::string server = "ftp.example.org";
    std::string path = "/";
    std::vector<std::pair<std::string, std::string>> files;  // folder, name
    std::string headerLead = "FTP snapshot: ftp://";
};
std::string snapshotBytes(const SnapshotContents& contents, const std::string& entryName);
std::string writeSnapshot(const std::string& file, const SnapshotContents& contents);

}  // namespace quarrow::test
