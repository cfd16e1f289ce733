#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/StringList.h"

namespace quarrow {

// The state an interrupted scan is continued from: header (see buildResumeHeader), folder
// queue, and the files found so far with their folders (back-references as in snapshots).
struct ResumeData {
    std::vector<std::string> header;
    std::vector<std::string> dirQueue;
    StringList fileDirs;
    StringList fileNames;
};

// The four list blocks, uncompressed.
std::string buildResumeFile(const ResumeData& data);

enum class ResumeReadResult { Missing, Ok, Damaged };

// Missing when nothing exists at `path`. Otherwise reads the header (which must hold at least
// the five lines up to the current folder) and, unless `headerOnly`, the queue and the file
// lists, which must pair up and resolve. Bytes after the last block read are ignored. `out`
// changes only on Ok; on Damaged `error` says why: "resume file damaged: ...", or that it is
// not a regular file, cannot be read, or does not fit in memory.
ResumeReadResult readResumeFile(std::string_view path, bool headerOnly, ResumeData& out,
                                std::string* error);

}  // namespace quarrow
