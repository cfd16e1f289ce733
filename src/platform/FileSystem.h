#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/LargeAllocator.h"

namespace quarrow {

// Paths inside the system are Windows-1251 text; the operating system wants UTF-8.
// Every path handed to the OS passes through nativePath(), and names read back from it
// through systemPath().
std::string nativePath(std::string_view cp1251Path);
std::string systemPath(std::string_view nativeUtf8Path);

bool fileExists(std::string_view path);
// Anything at all at the path: a file, a folder, a device (a link to nothing is nothing).
bool pathExists(std::string_view path);
bool directoryExists(std::string_view path);
// Creates the folder and every missing parent; true when it exists afterwards.
bool makeDirectories(std::string_view path);
// Creates one folder level; true when it exists afterwards.
bool makeDirectory(std::string_view path);

// Reads a whole regular file, at most the size it has when opened and at most `most` bytes;
// false (with `error` set) when it cannot be opened or read, or is not a regular file (a
// folder, a FIFO, a device: these are refused without blocking). `out` changes only on
// success.
bool readWholeFile(std::string_view path, std::string& out, std::string* error = nullptr,
                   std::size_t most = SIZE_MAX);
// The same for files read whole only while they are parsed, such as snapshots, read into `out`
// in place: its capacity is kept for the next file, and on failure it holds what was read.
bool readWholeFile(std::string_view path, LargeString& out, std::string* error);

// Publishes `bytes` as `path` atomically: they are written to `tempPath`, flushed to disk and
// renamed over `path`, so a crash leaves either the previous complete file or the new one.
// On failure the temporary is removed, `path` is untouched and `error` says why. `mode` is the
// new file's permission bits: 0644 is narrowed by the umask, any other is set exactly (0600 for
// a file holding passwords).
bool writeFileAtomic(std::string_view path, std::string_view tempPath, std::string_view bytes,
                     std::string* error = nullptr, unsigned mode = 0644);

bool removeFile(std::string_view path);

// The folder part of a path, with its trailing "/" ("" when there is none).
std::string folderOf(std::string_view path);
// The part after the last "/".
std::string fileNameOf(std::string_view path);
// The path without the extension of its file-name part (from its last "." on).
std::string withoutExtension(std::string_view path);

}  // namespace quarrow
