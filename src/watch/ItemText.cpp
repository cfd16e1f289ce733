#include "watch/ItemText.h"

#include <algorithm>
#include <charconv>
#include <system_error>

#include "platform/FileSystem.h"

namespace quarrow {

namespace {

constexpr std::int32_t kMega = 1'000'000;
constexpr std::int32_t kKilo = 1000;

// "%.2f" without the locale's decimal separator.
std::string twoDecimals(double value) {
    char text[32];
    const auto [end, ec] =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 2);
    return ec == std::errc() ? std::string(text, end) : std::string();
}

std::string_view afterLast(std::string_view text, std::string_view separators) {
    const auto cut = text.find_last_of(separators);
    return cut == std::string_view::npos ? text : text.substr(cut + 1);
}

}  // namespace

std::string FormatItemSize(std::int32_t bytes) {
    if (bytes >= kMega) return twoDecimals(static_cast<double>(bytes) / kMega) + " Mb";
    if (bytes >= kKilo) return twoDecimals(static_cast<double>(bytes) / kKilo) + " Kb";
    if (bytes == 0) return {};
    return std::to_string(bytes) + " bytes";
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
