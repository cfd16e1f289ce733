#include "download/PartFile.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/FileSystem.h"

namespace quarrow {

PartFile::PartFile(std::string finalPath) : final_(std::move(finalPath)), part_(final_ + ".part") {}

PartFile::~PartFile() {
    discard();
}

bool PartFile::open(std::string* error) {
    file_ = std::fopen(nativePath(part_).c_str(), "wb");
    if (file_) return true;
    if (error) *error = std::strerror(errno);
    return false;
}

bool PartFile::write(const char* data, std::size_t size) {
    return file_ && std::fwrite(data, 1, size, file_) == size;
}

bool PartFile::publish(std::string* error) {
    const bool flushed = file_ && std::fflush(file_) == 0 && ::fsync(fileno(file_)) == 0;
    const int flushError = errno;
    const bool closed = file_ && std::fclose(file_) == 0;
    file_ = nullptr;
    if (flushed && closed &&
        std::rename(nativePath(part_).c_str(), nativePath(final_).c_str()) == 0)
        return true;
    if (error) *error = std::strerror(flushed ? errno : flushError);
    removeFile(part_);
    return false;
}

void PartFile::discard() {
    if (!file_) return;
    std::fclose(file_);
    file_ = nullptr;
    removeFile(part_);
}

}  // namespace quarrow
