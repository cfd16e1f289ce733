#pragma once

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace quarrow::fuzz {

// A folder of this process's own for the readers that take a path: in /dev/shm where there is
// one, so a file per input costs no disk writes. Removed when the process ends normally.
class ScratchDir {
public:
    ScratchDir() {
        const std::filesystem::path base = std::filesystem::is_directory("/dev/shm")
                                               ? std::filesystem::path("/dev/shm")
                                               : std::filesystem::temp_directory_path();
        path_ = (base / ("quarrow-fuzz-" + std::to_string(getpid()))).string() + "/";
        std::filesystem::create_directories(path_);
    }
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    // Ends with "/", as the program folder does.
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

inline const std::string& scratchDir() {
    static const ScratchDir dir;
    return dir.path();
}

// Writes `bytes` as `name` (which may hold a subfolder) in the scratch folder; returns its path.
inline std::string scratchFile(std::string_view name, std::string_view bytes) {
    const std::filesystem::path path = scratchDir() + std::string(name);
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path.string();
}

inline std::string_view asText(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

}  // namespace quarrow::fuzz
