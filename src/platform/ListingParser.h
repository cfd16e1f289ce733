#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FtpEntry.h"

namespace quarrow {

// One line of a listing, without its line end. Each returns nothing when the line is not an
// entry of its format. Times without a stated zone (LIST) are taken as UTC.

// An MLSD line (RFC 3659): "fact=value;... name". The "cdir" and "pdir" entries are not
// entries of the folder and give nothing.
std::optional<FtpEntry> parseMlsdLine(std::string_view line);

// A Unix "ls -l" line. `nowUtc` chooses the year of recent entries ("Mar  4 07:30").
std::optional<FtpEntry> parseUnixLine(std::string_view line, std::int64_t nowUtc);

// A Windows/IIS "MS-DOS" style line: "08-10-15  02:04PM  <DIR>  name".
std::optional<FtpEntry> parseDosLine(std::string_view line);

// The longest listing line taken; a longer one is dropped without being held in memory.
constexpr std::size_t kMaxListingLine = 64 * 1024;

// Parses a listing as it arrives in arbitrary chunks: splits lines (LF or CRLF, a chunk may end
// anywhere), skips a UTF-8 byte-order mark, drops "." and "..", names holding "/" and lines that
// parse as nothing, and appends the entries to `out` in server order.
class ListingStream {
public:
    ListingStream(bool mlsd, std::int64_t nowUtc, std::vector<FtpEntry>& out);

    void feed(std::string_view chunk);
    // Parses a last line that had no line end.
    void finish();

private:
    void takeLine(std::string_view line);

    bool mlsd_;
    std::int64_t nowUtc_;
    std::vector<FtpEntry>& out_;
    std::string partial_;
    bool overlong_ = false;
    bool atStart_ = true;
};

// A whole LIST or MLSD body, parsed as ListingStream does.
std::vector<FtpEntry> parseListing(std::string_view body, bool mlsd, std::int64_t nowUtc);

}  // namespace quarrow
