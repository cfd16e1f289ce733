#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <limits>
#include <string_view>

namespace quarrow {

// What bounds one exchange on an FTP control connection.
struct ControlWait {
    int quietSeconds;                 // the longest pause allowed in the server's output
    const std::atomic<bool>& closed;  // looked at several times a second; true ends the wait
    // Bounds of the whole reply, however steadily it comes.
    int totalSeconds = std::numeric_limits<int>::max();
    std::size_t maxBytes = std::numeric_limits<std::size_t>::max();
    std::size_t maxLines = std::numeric_limits<std::size_t>::max();
};

// kOverrun: the reply passed one of the wait's bounds on the whole reply.
enum class ControlOutcome { kDone, kClosed, kTimedOut, kOverrun, kFailed };

// Sends one command (CR LF is added) on a connected, idle control socket and reads the reply,
// handing each line without its line end to `takeLine` until that returns true: the reply is
// complete. A line longer than kMaxListingLine is handed over empty. kFailed when the socket
// fails, the server closes it, or bytes follow the reply's end; after anything but kDone the
// connection is out of step and must not carry another command.
ControlOutcome exchangeOnControl(int socket, std::string_view command, const ControlWait& wait,
                                 const std::function<bool(std::string_view)>& takeLine);

}  // namespace quarrow
