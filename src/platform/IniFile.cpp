#include "platform/IniFile.h"

#include <charconv>
#include <utility>

#include "platform/Cp1251.h"
#include "platform/FileSystem.h"
#include "platform/TextLines.h"

namespace quarrow {
namespace {

std::string_view trimBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// The name of a "[name]" line; nothing for any other line. A "[" line without "]" is neither a
// section nor a key and is kept as it is.
std::optional<std::string_view> sectionName(std::string_view line) {
    const std::string_view trimmed = trimBlanks(line);
    if (trimmed.empty() || trimmed.front() != '[') return std::nullopt;
    const auto close = trimmed.rfind(']');
    if (close == std::string_view::npos) return std::nullopt;
    return trimBlanks(trimmed.substr(1, close - 1));
}

struct KeyValue {
    std::string_view key;
    std::string_view value;
};

std::optional<KeyValue> keyValue(std::string_view line) {
    const std::string_view trimmed = trimBlanks(line);
    if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '[') return std::nullopt;
    const auto equals = trimmed.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    const std::string_view key = trimBlanks(trimmed.substr(0, equals));
    if (key.empty()) return std::nullopt;
    return KeyValue{key, trimBlanks(trimmed.substr(equals + 1))};
}

bool hasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != text.npos;
}

bool isStorableName(std::string_view name) {
    return !name.empty() && trimBlanks(name) == name && !hasLineBreak(name);
}

bool isStorable(std::string_view section, std::string_view key, std::string_view value) {
    return isStorableName(section) && section.find(']') == section.npos && isStorableName(key) &&
           key.find('=') == key.npos && key.front() != ';' && key.front() != '[' &&
           !hasLineBreak(value);
}

}  // namespace

std::optional<int> parseIniInteger(std::string_view text) {
    const bool plus = !text.empty() && text.front() == '+';
    if (plus) text.remove_prefix(1);
    if (text.empty() || (plus && text.front() == '-')) return std::nullopt;
    int value = 0;
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value, 10);
    if (result.ec != std::errc() || result.ptr != end) return std::nullopt;
    return value;
}

IniFile::IniFile(std::string path) : path_(std::move(path)) {}

bool IniFile::load(std::string* error) {
    if (!fileExists(path_) && !directoryExists(path_)) {
        lines_.clear();
        return true;
    }
    std::vector<std::string> lines;
    if (!readLinesFile(path_, lines, error)) return false;
    lines_ = std::move(lines);
    return true;
}

std::optional<std::size_t> IniFile::findSection(std::string_view section) const {
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const auto name = sectionName(lines_[i]);
        if (name && equalsNoCase(*name, section)) return i;
    }
    return std::nullopt;
}

std::size_t IniFile::sectionEnd(std::size_t sectionLine) const {
    std::size_t i = sectionLine + 1;
    while (i < lines_.size() && !sectionName(lines_[i])) ++i;
    return i;
}

std::optional<std::size_t> IniFile::findKey(std::size_t sectionLine, std::string_view key) const {
    const std::size_t end = sectionEnd(sectionLine);
    for (std::size_t i = sectionLine + 1; i < end; ++i) {
        const auto entry = keyValue(lines_[i]);
        if (entry && equalsNoCase(entry->key, key)) return i;
    }
    return std::nullopt;
}

std::optional<std::string> IniFile::value(std::string_view section, std::string_view key) const {
    const auto sectionLine = findSection(section);
    if (!sectionLine) return std::nullopt;
    const auto keyLine = findKey(*sectionLine, key);
    if (!keyLine) return std::nullopt;
    return std::string(keyValue(lines_[*keyLine])->value);
}

bool IniFile::hasSection(std::string_view section) const {
    return findSection(section).has_value();
}

std::string IniFile::readString(std::string_view section, std::string_view key,
                                std::string_view defaultValue) const {
    auto found = value(section, key);
    return found ? std::move(*found) : std::string(defaultValue);
}

int IniFile::readInteger(std::string_view section, std::string_view key, int defaultValue) const {
    const auto found = value(section, key);
    if (!found) return defaultValue;
    return parseIniInteger(*found).value_or(defaultValue);
}

bool IniFile::readBool(std::string_view section, std::string_view key, bool defaultValue) const {
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void IniFile::setLine(std::string_view section, std::string_view key, std::string_view value) {
    const auto sectionLine = findSection(section);
    if (!sectionLine) {
        // A blank line between sections, as the files are usually laid out.
        if (!lines_.empty() && !trimBlanks(lines_.back()).empty()) lines_.emplace_back();
        lines_.push_back("[" + std::string(section) + "]");
        lines_.push_back(std::string(key) + "=" + std::string(value));
        return;
    }
    if (const auto keyLine = findKey(*sectionLine, key)) {
        // The stored spelling of the key stays, so a rewrite changes only the value.
        const std::string storedKey(keyValue(lines_[*keyLine])->key);
        lines_[*keyLine] = storedKey + "=" + std::string(value);
        return;
    }
    // New keys go after the section's last non-blank line, keeping the blank separator.
    std::size_t insertAt = sectionEnd(*sectionLine);
    while (insertAt > *sectionLine + 1 && trimBlanks(lines_[insertAt - 1]).empty()) --insertAt;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt),
                  std::string(key) + "=" + std::string(value));
}

bool IniFile::writeString(std::string_view section, std::string_view key, std::string_view value,
                          std::string* error) {
    if (!isStorable(section, key, value)) {
        if (error) *error = "Cannot store this section, key or value as one INI line";
        return false;
    }
    if (!load(error)) return false;
    std::vector<std::string> before = lines_;
    setLine(section, key, value);
    if (writeFileAtomic(path_, path_ + ".tmp", joinLines(lines_), error)) return true;
    // The object keeps showing what the file holds.
    lines_ = std::move(before);
    return false;
}

bool IniFile::writeInteger(std::string_view section, std::string_view key, int value,
                           std::string* error) {
    return writeString(section, key, std::to_string(value), error);
}

bool IniFile::writeBool(std::string_view section, std::string_view key, bool value,
                        std::string* error) {
    return writeString(section, key, value ? "1" : "0", error);
}

}  // namespace quarrow
