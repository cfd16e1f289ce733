#include "engine/SnapshotFile.h"

#include <charconv>
#include <utility>

#include "engine/ByteReader.h"
#include "engine/FormatError.h"
#include "engine/ListBlock.h"
#include "engine/SnapshotContainer.h"
#include "platform/Cp1251.h"
#include "platform/FileSystem.h"

namespace quarrow {

namespace {

// A damaged line may be arbitrarily long; messages quote only its start.
constexpr std::size_t kQuoteLimit = 80;

bool damaged(std::string* error, const std::string& what) {
    return formatError(error, "snapshot damaged: " + what);
}

bool readBlock(ByteReader& reader, StringList& out, const char* what, std::string* error) {
    std::string detail;
    if (readListBlock(reader, out, &detail)) return true;
    return damaged(error, std::string(what) + " block: " + detail);
}

// Why line i of `dirs` does not name a folder, or nullptr when it does (then `folder` is set).
const char* folderProblem(const StringList& dirs, std::size_t i, std::string_view& folder) {
    if (i >= dirs.size()) return "is out of range";
    const std::string_view line = dirs.at(i);
    std::size_t target = 0;
    // Nearly every line is a number, which holds no "/": it is tried first.
    if (!readBackReference(line, target)) {
        if (line.find('/') == std::string_view::npos) return "is neither a path nor a number";
        folder = line;
        return nullptr;
    }
    if (target >= i) return "refers to itself or a later line";
    const std::string_view targetLine = dirs.at(target);
    if (targetLine.find('/') == std::string_view::npos) return "refers to another reference";
    folder = targetLine;
    return nullptr;
}

}  // namespace

bool readBackReference(std::string_view line, std::size_t& value) {
    const char* end = line.data() + line.size();
    const auto [stop, ec] = std::from_chars(line.data(), end, value);
    return !line.empty() && ec == std::errc() && stop == end;
}

bool resolveFolder(const StringList& dirs, std::size_t i, std::string_view& folder) {
    return folderProblem(dirs, i, folder) == nullptr;
}

bool validateBackReferences(const StringList& dirs, std::string* error) {
    std::string_view folder;
    for (std::size_t i = 0; i < dirs.size(); ++i) {
        if (const char* problem = folderProblem(dirs, i, folder)) {
            return formatError(error, "folder line " + std::to_string(i) + " \"" +
                                          cp1251ToUtf8(dirs.at(i).substr(0, kQuoteLimit)) + "\" " +
                                          problem);
        }
    }
    return true;
}

bool checkFileLists(const StringList& dirs, const StringList& names, std::string* error) {
    if (dirs.size() != names.size()) {
        return formatError(error, std::to_string(dirs.size()) + " folder lines but " +
                                      std::to_string(names.size()) + " names");
    }
    return validateBackReferences(dirs, error);
}

bool parseSnapshot(std::string_view fileBytes, SnapshotData& out, std::string* error,
                   SnapshotBuffers* reuse) {
    SnapshotData data;
    LargeString own;
    LargeString& content = reuse ? reuse->content : own;
    if (reuse) {
        // Only their room is taken: a snapshot without file lists must not keep their entries.
        data.dirs = std::move(reuse->dirs);
        data.names = std::move(reuse->names);
        data.dirs.truncate(0);
        data.names.truncate(0);
    }
    if (!unpackSnapshot(fileBytes, data.entryName, content, error)) return false;
    ByteReader reader(content);
    std::string detail;
    if (!readListBlock(reader, data.header, &detail)) {
        return damaged(error, "header block: " + detail);
    }
    data.isFtp = !data.header.empty() && data.header.front().find("ftp") != std::string::npos;
    if (data.isFtp) {
        if (!readBlock(reader, data.dirs, "folder", error)) return false;
        if (!readBlock(reader, data.names, "name", error)) return false;
        std::string listError;
        if (!checkFileLists(data.dirs, data.names, &listError)) return damaged(error, listError);
    }
    out = std::move(data);
    return true;
}

bool readSnapshotFile(std::string_view path, SnapshotData& out, std::string* error,
                      SnapshotBuffers* reuse) {
    return loadWithinMemory(
        [&] {
            LargeString own;
            LargeString& bytes = reuse ? reuse->file : own;
            return readWholeFile(path, bytes, error) && parseSnapshot(bytes, out, error, reuse);
        },
        error);
}

std::string buildSnapshotContent(const std::vector<std::string>& header, const StringList& dirs,
                                 const StringList& names) {
    std::string content;
    appendListBlock(content, header);
    appendListBlock(content, dirs);
    appendListBlock(content, names);
    return content;
}

}  // namespace quarrow
