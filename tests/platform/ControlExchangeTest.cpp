#include "platform/ControlExchange.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace quarrow {
namespace {

struct Exchange {
    ControlOutcome outcome;
    std::vector<std::string> lines;
    std::string commandSeen;
};

// The server writes `reply` (then hangs up when asked) while the session runs the exchange;
// a reply ends with its first "213 " line.
Exchange run(const std::string& reply, bool hangUp, int quietSeconds = 5, bool closed = false) {
    int fds[2] = {-1, -1};  // the session's end and the server's
    EXPECT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
    std::atomic<bool> closedFlag{closed};
    Exchange result{};
    std::thread server([&] {
        ::send(fds[1], reply.data(), reply.size(), MSG_NOSIGNAL);
        if (hangUp) ::shutdown(fds[1], SHUT_WR);
    });
    result.outcome = exchangeOnControl(fds[0], "STAT /x/", {quietSeconds, closedFlag},
                                       [&](std::string_view line) {
                                           result.lines.emplace_back(line);
                                           return line.starts_with("213 ");
                                       });
    server.join();
    char buffer[64] = {};
    const ssize_t n = ::recv(fds[1], buffer, sizeof buffer, MSG_DONTWAIT);
    if (n > 0) result.commandSeen.assign(buffer, static_cast<std::size_t>(n));
    ::close(fds[0]);
    ::close(fds[1]);
    return result;
}

TEST(ControlExchangeTest, SendsTheCommandAndReadsTheReplyToItsEnd) {
    std::string big = "213-Status\r\n";
    for (int i = 0; i < 20000; ++i)
        big += "-rw-r--r-- 1 ftp ftp 0 Mar  4  2021 file " + std::to_string(i) + "\r\n";
    big += "213 End\r\n";
    const Exchange longReply = run(big, false);
    EXPECT_EQ(longReply.outcome, ControlOutcome::kDone);
    EXPECT_EQ(longReply.commandSeen, "STAT /x/\r\n");
    ASSERT_EQ(longReply.lines.size(), 20002u);
    EXPECT_EQ(longReply.lines[12345], "-rw-r--r-- 1 ftp ftp 0 Mar  4  2021 file 12344");
    EXPECT_EQ(longReply.lines.back(), "213 End");

    const Exchange mixedEnds = run("213-a\r\nb\n\r\n213 c\r\n", false);
    EXPECT_EQ(mixedEnds.outcome, ControlOutcome::kDone);
    EXPECT_EQ(mixedEnds.lines, (std::vector<std::string>{"213-a", "b", "", "213 c"}));

    const Exchange overlong = run("213-a\r\n" + std::string(70000, 'x') + "\r\n213 e\r\n", false);
    EXPECT_EQ(overlong.outcome, ControlOutcome::kDone);
    EXPECT_EQ(overlong.lines, (std::vector<std::string>{"213-a", "", "213 e"}));
}

TEST(ControlExchangeTest, AnythingButAWholeReplyFails) {
    EXPECT_EQ(run("213 ok\r\n250 unasked\r\n", false).outcome, ControlOutcome::kFailed);
    EXPECT_EQ(run("213-a\r\nb\r\n", true).outcome, ControlOutcome::kFailed);
    EXPECT_EQ(run("213-a\r\n", false, 1).outcome, ControlOutcome::kTimedOut);
    EXPECT_EQ(run("", false, 5, true).outcome, ControlOutcome::kClosed);
}

}  // namespace
}  // namespace quarrow
