#include "platform/FileSystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "platform/Cp1251.h"

namespace quarrow {
namespace {

void setError(std::string* error, std::string_view what, std::string_view path, int err) {
    if (!error) return;
    *error = std::string(what) + " " + cp1251ToUtf8(path) + ": " + std::strerror(err);
}

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

bool readWholeFile(std::string_view path, std::string& out, std::string* error) {
    std::ifstream in(nativePath(path), std::ios::binary);
    if (!in) {
        setError(error, "Cannot open", path, errno);
        return false;
    }
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) {
        setError(error, "Cannot read", path, errno);
        return false;
    }
    return true;
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
