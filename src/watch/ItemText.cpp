#include "watch/ItemText.h"

#include <algorithm>

#include "platform/FileSystem.h"
#include "platform/SizeText.h"

namespace quarrow {

namespace {

std::string_view afterLast(std::string_view text, std::string_view separators) {
    const auto cut = text.find_last_of(separators);
    return cut == std::string_view::npos ? text : text.substr(cut + 1);
}

}  // namespace

std::string FormatItemSize(std::int32_t bytes) {
    return bytes == 0 ? std::string() : FormatSize(bytes);
}

std::string NameFromPath(std::string_view text) {
    return std::string(text.find('/') != std::string_view::npos ? afterLast(text, "/")
                                                                : afterLast(text, "\\:"));
}

std::string checkFolderPart(std::string_view fullName) {
    const auto cut = fullName.find_last_of("/\\:");
    if (cut == std::string_view::npos) return {};
    std::string folder(fullName.substr(0, cut + 1));
    std::replace(folder.begin(), folder.end(), '\\', '/');
    return folder;
}

std::string windowFolderPart(std::string_view fullName) {
    // The same cut as a local path's folder.
    return folderOf(fullName);
}

}  // namespace quarrow
