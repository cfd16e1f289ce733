#pragma once

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

// The snapshots of a corpus written by search_corpus, DIR/Arhive/*.qrnet, in name order (the
// order they were written in).
inline std::vector<std::string> corpusSnapshots(const std::string& corpus) {
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(corpus + "/Arhive"))
        if (entry.path().extension() == ".qrnet") files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    return files;
}
