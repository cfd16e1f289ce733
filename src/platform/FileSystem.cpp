#include "platform/FileSystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <utility>

#include "platform/Cp1251.h"

namespace quarrow {
namespace {

void setError(std::string* error, std::string_view what, std::string_view path, int err) {
    if (!error) return;
    *error = std::string(what) + " " + cp1251ToUtf8(path) + ": " + std::strerror(err);
}

// Closes the descriptor when the read ends, whichever way.
struct FileDescriptor {
    int fd;
    ~FileDescriptor() { ::close(fd); }
};

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

}  // namespace

std::string nativePath(std::string_view cp1251Path) {
    return cp1251ToUtf8(cp1251Path);
}
std::string systemPath(std::string_view nativeUtf8Path) {
    return utf8ToCp1251(nativeUtf8Path);
}

bool fileExists(std::string_view path) {
    struct stat st {};
    return ::stat(nativePath(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool pathExists(std::string_view path) {
    struct stat st {};
    return ::stat(nativePath(path).c_str(), &st) == 0;
}

bool directoryExists(std::string_view path) {
    struct stat st {};
    return ::stat(nativePath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool makeDirectories(std::string_view path) {
    std::error_code ec;
    std::filesystem::create_directories(nativePath(path), ec);
    return directoryExists(path);
}

bool makeDirectory(std::string_view path) {
    std::error_code ec;
    std::filesystem::create_directory(nativePath(path), ec);
    return directoryExists(path);
}

namespace {

// Reads into `bytes` in place: its capacity is kept, and on failure it holds what was read.
template <class Bytes>
bool readInto(std::string_view path, Bytes& bytes, std::string* error, std::size_t most) {
    // O_NONBLOCK so that opening a FIFO with no writer returns at once instead of waiting.
    const int fd = ::open(nativePath(path).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        setError(error, "Cannot open", path, errno);
        return false;
    }
    const FileDescriptor guard{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        setError(error, "Cannot read", path, errno);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        if (error) *error = "Cannot read " + cp1251ToUtf8(path) + ": not a regular file";
        return false;
    }
    const auto size = std::min(static_cast<std::size_t>(st.st_size), most);
    // The size stated when opened bounds the read: a file still growing is taken as it was.
    bytes.resize(size);
    std::size_t have = 0;
    while (have < size) {
        const ssize_t got = ::read(fd, bytes.data() + have, size - have);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            setError(error, "Cannot read", path, errno);
            return false;
        }
        if (got == 0) break;
        have += static_cast<std::size_t>(got);
    }
    bytes.resize(have);
    return true;
}

}  // namespace

bool readWholeFile(std::string_view path, std::string& out, std::string* error, std::size_t most) {
    std::string bytes;
    if (!readInto(path, bytes, error, most)) return false;
    out = std::move(bytes);
    return true;
}

bool readWholeFile(std::string_view path, LargeString& out, std::string* error) {
    return readInto(path, out, error, SIZE_MAX);
}

bool writeFileAtomic(std::string_view path, std::string_view tempPath, std::string_view bytes,
                     std::string* error, unsigned mode) {
    const std::string target = nativePath(path);
    const std::string temp = nativePath(tempPath);
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
    if (fd < 0) {
        setError(error, "Cannot write", path, errno);
        return false;
    }
    // A temporary left over from a crash keeps its old bits through O_TRUNC; a private file must
    // not inherit looser ones.
    bool ok = (mode == 0644 || ::fchmod(fd, mode) == 0) && writeAll(fd, bytes) && ::fsync(fd) == 0;
    int err = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (ok && ::rename(temp.c_str(), target.c_str()) != 0) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        setError(error, "Cannot write", path, err);
    }
    return ok;
}

bool removeFile(std::string_view path) {
    return ::unlink(nativePath(path).c_str()) == 0;
}

std::string folderOf(std::string_view path) {
    const auto slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

std::string fileNameOf(std::string_view path) {
    const auto slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string withoutExtension(std::string_view path) {
    const auto slash = path.rfind('/');
    const auto dot = path.rfind('.');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return std::string(path);
    return std::string(path.substr(0, dot));
}

}  // namespace quarrow
