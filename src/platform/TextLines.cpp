#include "platform/TextLines.h"

#include "platform/FileSystem.h"

namespace quarrow {

std::vector<std::string> splitLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c != '\r' && c != '\n') {
            ++i;
            continue;
        }
        lines.emplace_back(text.substr(start, i - start));
        i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
        start = i;
    }
    if (start < text.size()) lines.emplace_back(text.substr(start));
    return lines;
}

std::string joinLines(const std::vector<std::string>& lines) {
    std::size_t total = 0;
    for (const auto& line : lines) total += line.size() + 2;
    std::string text;
    text.reserve(total);
    for (const auto& line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

bool readLinesFile(std::string_view path, std::vector<std::string>& lines, std::string* error) {
    std::string bytes;
    if (!readWholeFile(path, bytes, error)) return false;
    lines = splitLines(bytes);
    return true;
}

bool writeLinesFile(std::string_view path, const std::vector<std::string>& lines,
                    std::string* error) {
    const std::string tempPath = std::string(path) + ".tmp";
    return writeFileAtomic(path, tempPath, joinLines(lines), error);
}

}  // namespace quarrow
