#include "engine/HistoryLists.h"

#include <algorithm>

#include "platform/Cp1251.h"
#include "platform/FileSystem.h"
#include "platform/TextLines.h"

namespace quarrow {

std::string historyFilePath(std::string_view programDir, std::string_view fileName) {
    return std::string(programDir) + "TXT/" + std::string(fileName);
}

bool historyLess(std::string_view a, std::string_view b) {
    const std::string upperA = upperCp1251(a), upperB = upperCp1251(b);
    const auto bytes = [](std::string_view s) {
        return std::basic_string_view<unsigned char>(
            reinterpret_cast<const unsigned char*>(s.data()), s.size());
    };
    if (upperA != upperB) return bytes(upperA) < bytes(upperB);
    return bytes(a) < bytes(b);
}

HistoryList::HistoryList(std::string path, bool sorted) : path_(std::move(path)), sorted_(sorted) {}

void HistoryList::assign(std::vector<std::string> entries) {
    entries_ = std::move(entries);
    if (sorted_) std::stable_sort(entries_.begin(), entries_.end(), historyLess);
}

void HistoryList::add(std::string entry) {
    const auto at = sorted_ ? std::upper_bound(entries_.begin(), entries_.end(), entry, historyLess)
                            : entries_.end();
    entries_.insert(at, std::move(entry));
}

void HistoryList::removeAt(std::size_t index) {
    if (index < entries_.size()) entries_.erase(entries_.begin() + static_cast<long>(index));
}

bool HistoryList::containsExact(std::string_view text) const {
    return std::find(entries_.begin(), entries_.end(), text) != entries_.end();
}

bool HistoryList::containsNoCase(std::string_view text) const {
    return std::any_of(entries_.begin(), entries_.end(),
                       [&](const std::string& entry) { return equalsNoCase(entry, text); });
}

bool HistoryList::readFile(std::vector<std::string>& lines, bool& present,
                           std::string* error) const {
    present = fileExists(path_);
    return !present || readLinesFile(path_, lines, error);
}

bool HistoryList::loadAll(std::string* error) {
    std::vector<std::string> lines;
    bool present = false;
    if (!readFile(lines, present, error)) return false;
    for (auto& line : lines) add(std::move(line));
    return true;
}

bool HistoryList::loadNew(std::string* error) {
    std::vector<std::string> lines;
    bool present = false;
    if (!readFile(lines, present, error)) return false;
    for (auto& line : lines)
        if (!containsNoCase(line)) add(std::move(line));
    return true;
}

bool HistoryList::loadReplacing(std::string* error) {
    std::vector<std::string> lines;
    bool present = false;
    if (!readFile(lines, present, error)) return false;
    if (present) assign(std::move(lines));
    return true;
}

bool HistoryList::save(std::string* error) const {
    return writeLinesFile(path_, entries_, error);
}

bool HistoryList::addIfNew(const std::string& text) {
    if (containsExact(text)) return false;
    add(text);
    return true;
}

bool HistoryList::appendToFile(std::string entry, std::string* error) {
    std::vector<std::string> lines;
    bool present = false;
    if (!readFile(lines, present, error)) return false;
    lines.push_back(entry);
    if (!writeLinesFile(path_, lines, error)) return false;
    add(std::move(entry));
    return true;
}

bool UpdateServerLog(std::string_view programDir, const std::string& line, std::string* error) {
    const std::string path = historyFilePath(programDir, "SERVER.txt");
    std::vector<std::string> lines;
    if (fileExists(path) && !readLinesFile(path, lines, error)) return false;
    if (std::any_of(lines.begin(), lines.end(),
                    [&](const std::string& known) { return equalsNoCase(known, line); }))
        return true;
    lines.push_back(line);
    return writeLinesFile(path, lines, error);
}

ServerHistoryResult UpdateServerHistory(std::string_view programDir, const std::string& server,
                                        std::string* error) {
    const std::string path = historyFilePath(programDir, "FTP.txt");
    if (!fileExists(path)) return ServerHistoryResult::NoFile;
    std::vector<std::string> lines;
    if (!readLinesFile(path, lines, error)) return ServerHistoryResult::ReadFailed;
    if (std::find(lines.begin(), lines.end(), server) != lines.end())
        return ServerHistoryResult::Present;
    lines.insert(lines.begin(), server);
    return writeLinesFile(path, lines, error) ? ServerHistoryResult::Inserted
                                              : ServerHistoryResult::WriteFailed;
}

}  // namespace quarrow
