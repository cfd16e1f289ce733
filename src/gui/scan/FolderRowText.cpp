#include "gui/scan/FolderRowText.h"

namespace quarrow {
namespace {

void dropThroughFirstSlash(std::string& text) {
    const auto slash = text.find('/');
    if (slash != std::string::npos) text.erase(0, slash + 1);
}

}  // namespace

std::string folderRowName(std::string_view path) {
    std::string name(path);
    if (!name.empty()) name.pop_back();
    dropThroughFirstSlash(name);
    dropThroughFirstSlash(name);
    return name;
}

long folderBackReference(std::string_view entry) {
    if (entry.empty() || entry.size() > 9 || entry.find('/') != std::string_view::npos) return -1;
    long value = 0;
    for (const char c : entry) {
        if (c < '0' || c > '9') return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

}  // namespace quarrow
