#pragma once

#include <cstddef>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/StringList.h"

namespace quarrow {

// One snapshot as read from disk. `dirs` line i is the folder of `names` line i: either a full
// path (it contains "/") or the decimal index of an earlier line holding the path.
struct SnapshotData {
    std::string entryName;
    std::vector<std::string> header;
    // Only snapshots whose first header line contains "ftp" carry file lists; the others
    // describe local folders and their lists stay empty.
    bool isFtp = false;
    StringList dirs;
    StringList names;
};

// The line number a `dirs` line that is a back-reference holds: the whole line in decimal
// digits. False for anything else.
bool readBackReference(std::string_view line, std::size_t& value);

// What a reader of many snapshots keeps from one file to the next: each file's bytes and
// inflated content then land in memory already in use instead of freshly mapped pages, which
// the system must clear first. `dirs` and `names`, when a caller hands back the lists of a file
// it is done with, are taken by the next file's lists for their room.
struct SnapshotBuffers {
    LargeString file;
    LargeString content;
    StringList dirs;
    StringList names;
};

// Unpacks the container and reads the header, folder and name blocks. The folder and name
// blocks must be equally long and every back-reference must resolve; bytes after the last
// block are ignored. On failure `out` is untouched and `error` starts "snapshot damaged:".
// `reuse`, when given, holds the inflated content and lends its lists (see SnapshotBuffers).
bool parseSnapshot(std::string_view fileBytes, SnapshotData& out, std::string* error,
                   SnapshotBuffers* reuse = nullptr);

// parseSnapshot over a regular file's bytes; also fails, with a message of its own, when the
// file cannot be read or memory runs out while loading it (see loadWithinMemory).
bool readSnapshotFile(std::string_view path, SnapshotData& out, std::string* error,
                      SnapshotBuffers* reuse = nullptr);

// Runs one loading step, turning running out of memory or a list outgrowing 4 GiB into a
// failure with a message, so a hostile file can never end the program.
template <typename Step>
bool loadWithinMemory(Step step, std::string* error) {
    try {
        return step();
    } catch (const std::bad_alloc&) {
        if (error) *error = "not enough memory to load it";
    } catch (const std::length_error& e) {
        if (error) *error = std::string("too large to load (") + e.what() + ")";
    }
    return false;
}

// The full folder of file i: the line itself, or the line its back-reference names. False
// for an index out of range, a reference that is not a plain decimal, points to itself or a
// later line, or names a line that is itself a reference.
bool resolveFolder(const StringList& dirs, std::size_t i, std::string_view& folder);
// Checks every line; the message names the first bad line (callers add which file).
bool validateBackReferences(const StringList& dirs, std::string* error);
// Folder and name lists must pair up line by line, with valid back-references.
bool checkFileLists(const StringList& dirs, const StringList& names, std::string* error);

// The three list blocks of a snapshot, ready to be packed.
std::string buildSnapshotContent(const std::vector<std::string>& header, const StringList& dirs,
                                 const StringList& names);

}  // namespace quarrow
