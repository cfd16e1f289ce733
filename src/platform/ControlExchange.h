#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace quarrow {

// What bounds one exchange on an FTP control connection.
struct ControlWait {
    int quietSeconds;                 // the longest pause allowed in the server's output
    const std::atomic<bool>& closed;  // looked at several times a second; true ends the wait
    // Bounds of each reply, however steadily it comes.
    int totalSeconds = std::numeric_limits<int>::max();
    std::size_t maxBytes = std::numeric_limits<std::size_t>::max();
    std::size_t maxLines = std::numeric_limits<std::size_t>::max();
};

// kOverrun: a reply passed one of the wait's bounds on a whole reply.
enum class ControlOutcome { kDone, kClosed, kTimedOut, kOverrun, kFailed };

// Sends commands (CR LF is added to each) on a connected, idle control socket, all at once, and
// reads their replies in order, handing each line without its line end to `takeLine` with the
// number of the reply it belongs to, until that returns true: the reply is complete. Replies
// are read while commands are still being sent, so that neither side waits on a full buffer.
// A line longer than kMaxListingLine is handed over empty. kFailed when the socket fails, the
// server closes it, or bytes follow the last reply's end; after anything but kDone the
// connection is out of step and must not carry another command.
ControlOutcome exchangeOnControl(
    int socket, const std::vector<std::string>& commands, const ControlWait& wait,
    const std::function<bool(std::size_t reply, std::string_view line)>& takeLine);

// The code of a reply's last line ("ddd text", or "ddd" alone), 0 for any other line.
int finalReplyCode(std::string_view line);

}  // namespace quarrow
