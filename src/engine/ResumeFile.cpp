#include "engine/ResumeFile.h"

#include <utility>

#include "engine/ByteReader.h"
#include "engine/FormatError.h"
#include "engine/ListBlock.h"
#include "engine/SnapshotFile.h"
#include "platform/FileSystem.h"

namespace quarrow {

namespace {

// Start stamp, server, path, mask and current folder are always present.
constexpr std::size_t kMinHeaderLines = 5;

bool damaged(std::string* error, const std::string& what) {
    return formatError(error, "resume file damaged: " + what);
}

template <typename List>
bool readBlock(ByteReader& reader, List& out, const char* what, std::string* error) {
    std::string detail;
    if (readListBlock(reader, out, &detail)) return true;
    return damaged(error, std::string(what) + " block: " + detail);
}

bool parseResume(std::string_view bytes, bool headerOnly, ResumeData& data, std::string* error) {
    ByteReader reader(bytes);
    if (!readBlock(reader, data.header, "header", error)) return false;
    if (data.header.size() < kMinHeaderLines) {
        return damaged(error, "header has " + std::to_string(data.header.size()) +
                                  " lines, at least 5 expected");
    }
    if (headerOnly) return true;
    if (!readBlock(reader, data.dirQueue, "folder queue", error)) return false;
    if (!readBlock(reader, data.fileDirs, "folder", error)) return false;
    if (!readBlock(reader, data.fileNames, "name", error)) return false;
    std::string listError;
    if (!checkFileLists(data.fileDirs, data.fileNames, &listError)) {
        return damaged(error, listError);
    }
    return true;
}

}  // namespace

std::string buildResumeFile(const ResumeData& data) {
    std::string bytes;
    appendListBlock(bytes, data.header);
    appendListBlock(bytes, data.dirQueue);
    appendListBlock(bytes, data.fileDirs);
    appendListBlock(bytes, data.fileNames);
    return bytes;
}

ResumeReadResult readResumeFile(std::string_view path, bool headerOnly, ResumeData& out,
                                std::string* error) {
    if (!pathExists(path)) return ResumeReadResult::Missing;
    const bool ok = loadWithinMemory(
        [&] {
            std::string bytes;
            ResumeData data;
            if (!readWholeFile(path, bytes, error) || !parseResume(bytes, headerOnly, data, error))
                return false;
            out = std::move(data);
            return true;
        },
        error);
    return ok ? ResumeReadResult::Ok : ResumeReadResult::Damaged;
}

}  // namespace quarrow
