#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

namespace quarrow {

// The local file of a download, received beside its final name (".part" appended) and
// renamed over it only when whole: a failed or aborted download never leaves a file that looks
// complete, and a file already there under that name stays until the new copy replaces it.
// An unfinished part is removed.
class PartFile {
public:
    explicit PartFile(std::string finalPath);  // Windows-1251
    ~PartFile();
    PartFile(const PartFile&) = delete;
    PartFile& operator=(const PartFile&) = delete;

    bool open(std::string* error);
    // False when the bytes could not all be written (a full disk).
    bool write(const char* data, std::size_t size);
    // Flushes, closes and renames the part over the final name.
    bool publish(std::string* error);
    void discard();

private:
    std::string final_, part_;
    std::FILE* file_ = nullptr;
};

}  // namespace quarrow
