#include "platform/ListingParser.h"

namespace quarrow {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

std::optional<FtpEntry> parseAnyLine(std::string_view line, bool mlsd, std::int64_t nowUtc) {
    if (mlsd) {
        if (auto entry = parseMlsdLine(line)) return entry;
    }
    if (auto entry = parseUnixLine(line, nowUtc)) return entry;
    return parseDosLine(line);
}

// "." and ".." would make the walk list a folder again; a name with "/" cannot be a name in
// the folder and would turn into a deeper path.
bool isRealName(std::string_view name) {
    return name != "." && name != ".." && name.find('/') == std::string_view::npos;
}

}  // namespace

ListingStream::ListingStream(bool mlsd, std::int64_t nowUtc, std::vector<FtpEntry>& out)
    : mlsd_(mlsd), nowUtc_(nowUtc), out_(out) {}

void ListingStream::feed(std::string_view chunk) {
    while (!chunk.empty()) {
        const std::size_t newline = chunk.find('\n');
        const std::string_view piece = chunk.substr(0, newline);
        if (overlong_ || partial_.size() + piece.size() > kMaxListingLine) {
            overlong_ = true;
            partial_.clear();
        } else if (newline != std::string_view::npos && partial_.empty()) {
            takeLine(piece);  // the usual case: a whole line inside the chunk, no copy
        } else {
            partial_.append(piece);
        }
        if (newline == std::string_view::npos) return;
        if (!partial_.empty()) takeLine(partial_);
        partial_.clear();
        overlong_ = false;
        chunk.remove_prefix(newline + 1);
    }
}

void ListingStream::finish() {
    if (!overlong_ && !partial_.empty()) takeLine(partial_);
    partial_.clear();
    overlong_ = false;
}

void ListingStream::takeLine(std::string_view line) {
    if (atStart_) {
        atStart_ = false;
        if (line.substr(0, kUtf8Bom.size()) == kUtf8Bom) line.remove_prefix(kUtf8Bom.size());
    }
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty()) return;
    auto entry = parseAnyLine(line, mlsd_, nowUtc_);
    if (entry && isRealName(entry->name)) out_.push_back(std::move(*entry));
}

std::vector<FtpEntry> parseListing(std::string_view body, bool mlsd, std::int64_t nowUtc) {
    std::vector<FtpEntry> entries;
    ListingStream stream(mlsd, nowUtc, entries);
    stream.feed(body);
    stream.finish();
    return entries;
}

}  // namespace quarrow
