// The listing readers. The first byte picks MLSD, LIST or a STAT reply; the second says how many
// of the following bytes are chunk lengths, the sizes in which the rest arrives, cycled, as a
// data connection may cut a listing anywhere. However it is cut, a listing must read as it does
// whole.

#include <algorithm>
#include <cstdlib>
#include <tuple>

#include "Scratch.h"
#include "platform/ListingParser.h"
#include "platform/StatListing.h"
#include "platform/TextLines.h"

namespace {

constexpr std::int64_t kNow = 1748736000;  // 2025-06-01, so recent entries get a year

bool sameEntries(const std::vector<quarrow::FtpEntry>& a, const std::vector<quarrow::FtpEntry>& b) {
    const auto fields = [](const quarrow::FtpEntry& e) {
        return std::tie(e.name, e.attributes, e.size, e.mtime);
    };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [&](const auto& x, const auto& y) { return fields(x) == fields(y); });
}

// The first line is the folder asked for, the others the reply.
void readStatReply(std::string_view input) {
    const std::vector<std::string> lines = quarrow::splitLines(input);
    if (lines.empty()) return;
    quarrow::isStatSafeFolder(lines.front());
    quarrow::StatReply reply(lines.front(), kNow);
    for (std::size_t i = 1; i < lines.size(); ++i) reply.take(lines[i]);
    std::move(reply).listing();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input = quarrow::fuzz::asText(data, size);
    if (input.size() < 2) return 0;
    const unsigned mode = data[0] % 3;
    if (mode == 2) {
        readStatReply(input.substr(1));
        return 0;
    }
    const std::size_t cutCount = std::min<std::size_t>(data[1] % 8, input.size() - 2);
    const std::string_view cuts = input.substr(2, cutCount);
    const std::string_view body = input.substr(2 + cutCount);

    const bool mlsd = mode == 0;
    std::vector<quarrow::FtpEntry> streamed;
    quarrow::ListingStream stream(mlsd, kNow, streamed);
    for (std::size_t at = 0, i = 0; at < body.size(); ++i) {
        const std::size_t length =
            cuts.empty() ? body.size() : static_cast<unsigned char>(cuts[i % cuts.size()]) + 1;
        stream.feed(body.substr(at, length));
        at += length;
    }
    stream.finish();
    if (!sameEntries(streamed, quarrow::parseListing(body, mlsd, kNow))) std::abort();
    return 0;
}
