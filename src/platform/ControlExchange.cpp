#include "platform/ControlExchange.h"

#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <string>

#include "platform/ListingParser.h"

namespace quarrow {
namespace {

using Clock = std::chrono::steady_clock;

// How often a wait looks at the closed flag.
constexpr int kSliceMilliseconds = 200;
constexpr std::size_t kReadChunk = 64 * 1024;

bool isRetryable(int error) {
    return error == EAGAIN || error == EWOULDBLOCK || error == EINTR;
}

// The moment `seconds` from now, or the far future when that is out of the clock's range.
Clock::time_point after(int seconds) {
    const auto now = Clock::now();
    const auto room =
        std::chrono::duration_cast<std::chrono::seconds>(Clock::time_point::max() - now);
    return seconds >= room.count() ? Clock::time_point::max() : now + std::chrono::seconds(seconds);
}

// Waits for `events` on the socket, up to the allowed pause and no later than `end`; an error
// condition counts as ready, so that the next send or receive reports it.
ControlOutcome waitFor(int socket, short events, const ControlWait& wait, Clock::time_point end) {
    const auto deadline = std::min(after(wait.quietSeconds), end);
    for (;;) {
        if (wait.closed.load()) return ControlOutcome::kClosed;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return deadline == end ? ControlOutcome::kOverrun : ControlOutcome::kTimedOut;
        pollfd p{socket, events, 0};
        const int ready =
            ::poll(&p, 1, static_cast<int>(std::min<long long>(left, kSliceMilliseconds)));
        if (ready > 0) return ControlOutcome::kDone;
        if (ready < 0 && errno != EINTR) return ControlOutcome::kFailed;
    }
}

ControlOutcome sendAll(int socket, std::string_view bytes, const ControlWait& wait,
                       Clock::time_point end) {
    while (!bytes.empty()) {
        const ssize_t sent = ::send(socket, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(sent));
            continue;
        }
        if (sent < 0 && !isRetryable(errno)) return ControlOutcome::kFailed;
        if (const auto ready = waitFor(socket, POLLOUT, wait, end); ready != ControlOutcome::kDone)
            return ready;
    }
    return ControlOutcome::kDone;
}

// Cuts received bytes into lines; a chunk may end anywhere.
class LineCutter {
public:
    explicit LineCutter(const std::function<bool(std::string_view)>& takeLine)
        : takeLine_(takeLine) {}

    // True once `takeLine` has called the reply complete; `rest` then holds what followed.
    bool feed(std::string_view chunk, std::string_view& rest) {
        while (!chunk.empty()) {
            const std::size_t newline = chunk.find('\n');
            const std::string_view piece = chunk.substr(0, newline);
            if (overlong_ || partial_.size() + piece.size() > kMaxListingLine) {
                overlong_ = true;
                partial_.clear();
            } else {
                partial_.append(piece);
            }
            if (newline == std::string_view::npos) return false;
            chunk.remove_prefix(newline + 1);
            if (!partial_.empty() && partial_.back() == '\r') partial_.pop_back();
            ++lines_;
            const bool complete = takeLine_(overlong_ ? std::string_view{} : partial_);
            partial_.clear();
            overlong_ = false;
            if (complete) {
                rest = chunk;
                return true;
            }
        }
        return false;
    }

    std::size_t lines() const { return lines_; }

private:
    const std::function<bool(std::string_view)>& takeLine_;
    std::size_t lines_ = 0;
    std::string partial_;
    bool overlong_ = false;
};

}  // namespace

ControlOutcome exchangeOnControl(int socket, std::string_view command, const ControlWait& wait,
                                 const std::function<bool(std::string_view)>& takeLine) {
    std::string line(command);
    line += "\r\n";
    const auto end = after(wait.totalSeconds);
    if (const auto sent = sendAll(socket, line, wait, end); sent != ControlOutcome::kDone)
        return sent;

    LineCutter cutter(takeLine);
    std::string buffer(kReadChunk, '\0');
    std::size_t received = 0;
    for (;;) {
        if (const auto ready = waitFor(socket, POLLIN, wait, end); ready != ControlOutcome::kDone)
            return ready;
        const ssize_t got = ::recv(socket, buffer.data(), buffer.size(), 0);
        if (got == 0) return ControlOutcome::kFailed;
        if (got < 0) {
            if (isRetryable(errno)) continue;
            return ControlOutcome::kFailed;
        }
        received += static_cast<std::size_t>(got);
        std::string_view rest;
        if (cutter.feed({buffer.data(), static_cast<std::size_t>(got)}, rest))
            return rest.empty() ? ControlOutcome::kDone : ControlOutcome::kFailed;
        if (received > wait.maxBytes || cutter.lines() > wait.maxLines || Clock::now() >= end)
            return ControlOutcome::kOverrun;
    }
}

}  // namespace quarrow
