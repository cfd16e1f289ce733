// Memory of a scan's result lists: fills a job's FileDirs and FileNames with a million files
// the way the walker does (twenty files a folder, later files of a folder as back-references)
// and reports the bytes held per file, and the process's peak resident size. Then the same
// million files as new items of a watch check (size, time and full name each).
#include <sys/resource.h>

#include <cstdio>
#include <string>

#include "engine/TFtpMain.h"
#include "watch/NewItemList.h"

int main() {
    constexpr std::size_t kFiles = 1'000'000;
    constexpr std::size_t kPerFolder = 20;
    const char* words[] = {"The Best of", "Rock", "live", "Концерт", "album-01", "(remix)"};
    quarrow::TFtpMain job;
    std::size_t nameBytes = 0;
    std::size_t firstOfFolder = 0;
    for (std::size_t i = 0; i < kFiles; ++i) {
        const std::string folder = "/pub/music/" + std::string(words[(i / kPerFolder) % 6]) + " " +
                                   std::to_string(i / kPerFolder) + "/";
        const std::string name =
            std::string(words[i % 6]) + " - track " + std::to_string(i) + ".mp3";
        std::lock_guard lock(job.Lock);
        if (i % kPerFolder == 0) {
            firstOfFolder = i;
            job.FileDirs.append(folder);
        } else {
            job.FileDirs.append(std::to_string(firstOfFolder));
        }
        job.FileNames.append(name);
        nameBytes += name.size();
    }
    const std::size_t held = job.FileDirs.capacityBytes() + job.FileNames.capacityBytes();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("files %zu, average name %.1f bytes\n", kFiles,
                static_cast<double>(nameBytes) / kFiles);
    std::printf("lists hold %.1f bytes per file (limit 100)\n", static_cast<double>(held) / kFiles);
    std::printf("peak RSS %.1f MB (%.1f bytes per file)\n", usage.ru_maxrss / 1024.0,
                usage.ru_maxrss * 1024.0 / kFiles);

    quarrow::NewItemList items;
    std::size_t fullBytes = 0;
    for (std::size_t i = 0; i < kFiles; ++i) {
        std::string full = "/pub/music/" + std::string(words[(i / kPerFolder) % 6]) + " " +
                           std::to_string(i / kPerFolder) + "/" + std::string(words[i % 6]) +
                           " - track " + std::to_string(i) + ".mp3";
        fullBytes += full.size();
        items.append({static_cast<std::uint32_t>(i * 4099), static_cast<std::time_t>(i),
                      std::move(full), false});
    }
    std::printf(
        "new items %zu, average full name %.1f bytes, held %.1f bytes per item "
        "(limit 120)\n",
        items.size(), static_cast<double>(fullBytes) / kFiles,
        static_cast<double>(items.capacityBytes()) / kFiles);
    return 0;
}
