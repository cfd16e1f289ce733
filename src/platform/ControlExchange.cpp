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

// Waits for `events` on the socket, up to the allowed pause and no later than `end`, and says
// which came in `ready`; an error condition counts as ready, so that the next send or receive
// reports it.
ControlOutcome waitFor(int socket, short events, const ControlWait& wait, Clock::time_point end,
                       short& ready) {
    const auto deadline = std::min(after(wait.quietSeconds), end);
    for (;;) {
        if (wait.closed.load()) return ControlOutcome::kClosed;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return deadline == end ? ControlOutcome::kOverrun : ControlOutcome::kTimedOut;
        pollfd p{socket, events, 0};
        const int count =
            ::poll(&p, 1, static_cast<int>(std::min<long long>(left, kSliceMilliseconds)));
        if (count > 0) {
            ready = p.revents;
            return ControlOutcome::kDone;
        }
        if (count < 0 && errno != EINTR) return ControlOutcome::kFailed;
    }
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

private:
    const std::function<bool(std::string_view)>& takeLine_;
    std::string partial_;
    bool overlong_ = false;
};

}  // namespace

ControlOutcome exchangeOnControl(
    int socket, const std::vector<std::string>& commands, const ControlWait& wait,
    const std::function<bool(std::size_t reply, std::string_view line)>& takeLine) {
    if (commands.empty()) return ControlOutcome::kDone;
    std::string bytes;
    for (const std::string& command : commands) bytes += command + "\r\n";
    std::string_view unsent = bytes;

    // The bounds of a reply count from the end of the one before.
    std::size_t reply = 0;
    std::size_t replyBytes = 0;
    std::size_t replyLines = 0;
    auto end = after(wait.totalSeconds);
    const std::function<bool(std::string_view)> take = [&](std::string_view line) {
        ++replyLines;
        if (!takeLine(reply, line)) return false;
        ++reply;
        replyBytes = 0;
        replyLines = 0;
        end = after(wait.totalSeconds);
        return reply == commands.size();
    };

    LineCutter cutter(take);
    std::string buffer(kReadChunk, '\0');
    for (;;) {
        short ready = 0;
        const short events = unsent.empty() ? POLLIN : POLLIN | POLLOUT;
        if (const auto waited = waitFor(socket, events, wait, end, ready);
            waited != ControlOutcome::kDone)
            return waited;
        if ((ready & POLLOUT) && !unsent.empty()) {
            const ssize_t sent = ::send(socket, unsent.data(), unsent.size(), MSG_NOSIGNAL);
            if (sent > 0)
                unsent.remove_prefix(static_cast<std::size_t>(sent));
            else if (sent < 0 && !isRetryable(errno))
                return ControlOutcome::kFailed;
        }
        if (!(ready & (POLLIN | POLLERR | POLLHUP))) continue;
        const ssize_t got = ::recv(socket, buffer.data(), buffer.size(), 0);
        if (got == 0) return ControlOutcome::kFailed;
        if (got < 0) {
            if (isRetryable(errno)) continue;
            return ControlOutcome::kFailed;
        }
        replyBytes += static_cast<std::size_t>(got);
        std::string_view rest;
        if (cutter.feed({buffer.data(), static_cast<std::size_t>(got)}, rest))
            return rest.empty() && unsent.empty() ? ControlOutcome::kDone : ControlOutcome::kFailed;
        if (replyBytes > wait.maxBytes || replyLines > wait.maxLines || Clock::now() >= end)
            return ControlOutcome::kOverrun;
    }
}

int finalReplyCode(std::string_view line) {
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    if (line.size() < 4 || line[3] != ' ' || !std::all_of(line.begin(), line.begin() + 3, digit))
        return 0;
    return (line[0] - '0') * 100 + (line[1] - '0') * 10 + (line[2] - '0');
}

}  // namespace quarrow
