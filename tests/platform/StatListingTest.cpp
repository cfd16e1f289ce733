// STAT listings: the reply read off the control connection, the rules for trusting a reply,
// and walks with and without STAT on real servers.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "engine/TestHelpers.h"
#include "fixtures/FtpServer.h"
#include "fixtures/TempDir.h"
#include "platform/ControlExchange.h"
#include "platform/FtpSession.h"
#include "platform/StatListing.h"
#include "platform/TextLines.h"

namespace quarrow {
namespace {

using test::FtpServer;
using test::FtpServerOptions;
using test::TempDir;
using Lines = std::vector<std::string>;

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

constexpr std::int64_t kNow = 1700000000;  // a fixed clock: 2023-11-14

TEST(StatSafeFolderTest, OnlyPathsNoServerCanReadDifferentlyGoOut) {
    // Blanks inside, punctuation and Windows-1251 bytes (0xFF included) are safe.
    for (const std::string path :
         {"/", "/pub/", "/pub/with blank inside/", "/no/trailing/slash",
          "/semi;colon/100% #1/with-dash/", "/\xcf\xf0\xe8\xe2\xe5\xf2 \xff/"}) {
        EXPECT_TRUE(isStatSafeFolder(path)) << testing::PrintToString(path);
    }
    // Patterns, options, edge blanks, control bytes and paths that are not plain and absolute.
    for (const std::string path :
         {"/a[1]/", "/star*/", "/what?/", "/{a,b}/", "/~user/", "/back\\slash/", "/-la/",
          "/pub/-dash/", "/ lead/", "/pub/trail /", "/tab\tinside/", "/a\r\nb/", "/del\x7f/",
          "pub/", "/a//b/", "/a/../b/"}) {
        EXPECT_FALSE(isStatSafeFolder(path)) << testing::PrintToString(path);
    }
    EXPECT_FALSE(isStatSafeFolder(std::string("/a\0b/", 5)));
}

// Entry names as the walker sees them: a folder's name ends with "/".
std::optional<std::vector<std::string>> namesOf(const std::string& folder,
                                                const std::vector<std::string>& lines) {
    StatReply reply(folder, kNow);
    for (const std::string& line : lines) reply.take(line);
    auto listing = std::move(reply).listing();
    if (!listing) return std::nullopt;
    std::vector<std::string> names;
    for (const FtpEntry& e : *listing)
        names.push_back(e.name + (e.attributes == kAttrDirectory ? "/" : ""));
    return names;
}

struct ReplyCase {
    const char* what;
    Lines lines;
    std::optional<Lines> names = std::nullopt;  // nothing: the normal listing is needed
};

TEST(StatReplyTest, ListingsThatStandForTheNormalListingAndRepliesThatDoNot) {
    const std::string file = "-rw-r--r-- 1 ftp ftp 5 Mar  4  2021 ";
    const ReplyCase cases[] = {
        {"pyftpdlib",
         {"213-Status of \"/pub\":", "drwxr-xr-x   2 root     root         4096 Dec 06 22:30 docs",
          "-rw-r--r--   1 root     root           10 Jan 02  2020 a b.txt",
          "lrwxrwxrwx   1 root     root            4 Dec 06 22:30 link -> docs",
          "213 End of status."},
         Lines{"docs/", "a b.txt", "link"}},
        {"vsftpd lists . and ..",
         {"213-Status follows:", "drwxr-xr-x    2 0        0            4096 Dec 06 22:30  lead",
          "drwxr-xr-x    3 0        0            4096 Dec 06 22:30 .",
          "drwxr-xr-x    7 0        0            4096 Dec 06 22:30 ..",
          "-rw-r--r--    1 0        0               2 Dec 06 22:30 vis", "213 End of status"},
         Lines{" lead/", "vis"}},
        {"total line, 211 reply",
         {"211-status", "total 8", "-rw-r--r-- 1 ftp ftp 5 Mar  4  2021 x", "211 End"},
         Lines{"x"}},
        {"DOS style",
         {"213-Status", "08-10-15  02:04PM       <DIR>          Folder One",
          "08-10-15  02:05PM                 1234 file.txt", "213 End"},
         Lines{"Folder One/", "file.txt"}},
        {"lone 0xFF byte (Windows-1251 letter)",
         {"213-Status", "-rw-r--r-- 1 ftp ftp 5 Mar  4  2021 \xff\xe1\xeb\xee\xea\xee", "213 End"},
         Lines{"\xff\xe1\xeb\xee\xea\xee"}},
        {"replies of later commands",
         {"213-Status", "-rw-r--r-- 1 ftp ftp 5 Mar  4  2021 z", "213 End",
          "250 Directory changed.", "-rw-r--r-- 1 ftp ftp 5 Mar  4  2021 not-in-reply"},
         Lines{"z"}},
        {"folder holding one file of its own name is still a listing when it is a folder",
         {"213-Status", "drwxr-xr-x 2 ftp ftp 0 Mar  4  2021 same", "213 End"},
         Lines{"same/"}},
        // Replies that send the folder to the normal listing.
        {"refused", {"550 No such file or directory."}},
        {"empty (vsftpd: missing or empty)", {"213-Status follows:", "213 End of status"}},
        {"only . and ..",
         {"213-Status", "drwxr-xr-x 2 0 0 4096 Dec 06 22:30 .",
          "drwxr-xr-x 7 0 0 4096 Dec 06 22:30 ..", "213 End"}},
        {"single-line reply", {"213 Nothing to show"}},
        {"line that is no entry", {"213-Status", file + "a", "this is no entry", "213 End"}},
        {"blank line", {"213-Status", file + "a", "", "213 End"}},
        {"hidden name", {"213-Status", file + "a", file + ".profile", "213 End"}},
        {"name with a slash", {"213-Status", file + "/pub/a", "213 End"}},
        {"doubled 0xFF", {"213-Status", file + "\xff\xff\xe1", "213 End"}},
        {"no last line", {"213-Status", file + "a"}},
        {"other code", {"200-Hello", file + "a", "200 End"}},
        {"first line without code", {file + "a", "213 End"}},
        {"the path itself described as a file", {"213-Status", file + "same", "213 End"}},
    };
    for (const ReplyCase& c : cases) {
        EXPECT_EQ(namesOf("/pub/same/", c.lines), c.names) << c.what;
    }
}

const std::string kCyrillic = "\xcf\xf0\xe8\xe2\xe5\xf2";  // Windows-1251 "Привет"
const std::string kWithYa = "\xff\xe3\xee\xe4\xe0";  // "ягода": 0xFF, the Telnet IAC byte

// Folders and files a scan meets: blanks, Windows-1251 bytes, names a server would read as a
// pattern or an option, links (one a loop), an empty folder, hidden files, a folder of many
// files. Nothing hidden sits in the root, so servers that hide such names still get STAT.
void makeVariedTree(const std::string& root) {
    std::vector<test::TreeItem> tree = {{"plain/a.txt", "a"},
                                        {"plain/sub/deep/x.bin", "xx"},
                                        {"with blank/file one.txt", "1"},
                                        {"with blank/inner folder/f.txt", "f"},
                                        {kCyrillic + "/" + kWithYa + ".txt", "c"},
                                        {kCyrillic + "/" + kWithYa + "/inner.txt", "y"},
                                        {"a[1]/in.txt", "b"},
                                        {"a[1]/sub/in.txt", "b"},
                                        {" lead/in.txt", "l"},
                                        {"-dash/in.txt", "d"},
                                        {"empty/", ""},
                                        {"dots/.hidden", "h"},
                                        {"dots/visible", "v"},
                                        {"top.txt", "t"}};
    // A STAT reply of some 400 KB: past what libcurl takes as one command's reply.
    for (int i = 0; i < 5000; ++i) tree.push_back({"many/file number " + std::to_string(i), ""});
    test::makeTree(root, tree);
    std::filesystem::create_directory_symlink("plain", root + "link");
    std::filesystem::create_directory_symlink("..", root + "plain/loop");
}

Lines readLines(const std::string& path) {
    return splitLines(test::bytesOf(path).value_or(""));
}

std::size_t countStat(const Lines& lines) {
    return std::count_if(lines.begin(), lines.end(),
                         [](const std::string& l) { return l.starts_with("STAT "); });
}

struct Walk {
    Lines results;  // per folder: path, entered, listed, then entries as "name|attributes"
    std::map<std::string, Lines> sent;  // the commands of each folder's first visit
};

// Walks every folder from "/" as the scan does (enter, then list, folders queued in listing
// order), then the folders in `extra`, which the tree does not hold as folders.
Walk walk(FtpSession& session, const Lines& extra, const std::string& log) {
    Lines queue = {"/"};
    Walk walk;
    std::size_t seen = 0;
    for (std::size_t i = 0; i < queue.size() + extra.size(); ++i) {
        const bool queued = i < queue.size();
        const std::string folder = queued ? queue[i] : extra[i - queue.size()];
        std::vector<FtpEntry> entries;
        std::string result = folder + (session.changeDir(folder) ? " entered" : " not entered");
        result += session.list(folder, entries) ? " listed:" : " not listed:";
        for (const FtpEntry& e : entries) {
            result += " " + e.name + "|" + std::to_string(e.attributes);
            if (queued && e.attributes == kAttrDirectory) queue.push_back(folder + e.name + "/");
        }
        const Lines lines = readLines(log);
        walk.sent.emplace(folder,
                          Lines(lines.begin() + static_cast<std::ptrdiff_t>(seen), lines.end()));
        seen = lines.size();
        walk.results.push_back(result);
    }
    return walk;
}

struct ServerStyle {
    const char* name;
    bool mlsd;
    bool vsftpdStat;
};

void PrintTo(const ServerStyle& style, std::ostream* os) {
    *os << style.name;
}

class FtpStatListingTest : public ::testing::TestWithParam<ServerStyle> {
protected:
    TempDir tree_;
    TempDir logs_;
};

TEST_P(FtpStatListingTest, StatWalkMatchesTheNormalWalkWithOneCommandPerFolder) {
    makeVariedTree(tree_.path());
    // A refused STAT must leave the session usable: a real folder comes last.
    const Lines extra = {"/missing/", "/plain/a.txt/", "/top.txt/", "/plain/"};
    Walk walks[2];
    for (const bool allowStat : {false, true}) {
        FtpServerOptions options;
        options.mlsd = GetParam().mlsd;
        options.vsftpdStat = GetParam().vsftpdStat;
        options.commandLog = logs_.path() + (allowStat ? "stat.log" : "plain.log");
        FtpServer server(tree_.path(), options);
        FtpOptions ftp;
        ftp.listing.allowStat = allowStat;
        FtpSession session("QUARROW", ftp);
        ASSERT_TRUE(session.connect("127.0.0.1", server.port(), "", "")) << session.lastError();
        walks[allowStat] = walk(session, extra, options.commandLog);
    }
    const auto& [plain, withStat] = walks;
    ASSERT_EQ(plain.results.size(), 15u + extra.size()) << "the walk should reach every folder";
    ASSERT_EQ(withStat.results.size(), plain.results.size());
    for (std::size_t i = 0; i < plain.results.size(); ++i)
        EXPECT_EQ(withStat.results[i], plain.results[i]);
    for (const auto& [folder, sent] : plain.sent) EXPECT_EQ(countStat(sent), 0u) << folder;

    EXPECT_EQ(countStat(withStat.sent.at("/")), 1u);  // the decision: one extra STAT of "/"
    for (const std::string& folder :
         Lines{"/plain/", "/plain/sub/", "/with blank/", "/many/", "/" + kCyrillic + "/",
               "/" + kCyrillic + "/" + kWithYa + "/"}) {
        EXPECT_EQ(withStat.sent.at(folder), Lines{"STAT " + folder})
            << testing::PrintToString(folder);
    }
    // Paths a server could misread never go out as an argument: the folder is entered, then
    // "STAT ." lists it, still without a data connection.
    for (const std::string folder : {"/a[1]/", "/a[1]/sub/", "/ lead/", "/-dash/"}) {
        const Lines& sent = withStat.sent.at(folder);
        ASSERT_EQ(sent.size(), 2u) << folder << testing::PrintToString(sent);
        EXPECT_TRUE(sent[0].starts_with("CWD ")) << testing::PrintToString(sent);
        EXPECT_EQ(sent[1], "STAT .");
    }
    // An empty answer, a hidden name or a refusal: STAT, then the normal listing.
    for (const std::string folder : {"/empty/", "/dots/", "/missing/"}) {
        const Lines& sent = withStat.sent.at(folder);
        ASSERT_FALSE(sent.empty()) << folder;
        EXPECT_EQ(sent.front(), "STAT " + folder);
        EXPECT_EQ(countStat(sent), 1u) << testing::PrintToString(sent);
        EXPECT_TRUE(std::any_of(sent.begin(), sent.end(), [](const std::string& c) {
            return c.starts_with("CWD ");
        })) << testing::PrintToString(sent);
    }
}

INSTANTIATE_TEST_SUITE_P(Servers, FtpStatListingTest,
                         ::testing::Values(ServerStyle{"Mlsd", true, false},
                                           ServerStyle{"List", false, false},
                                           ServerStyle{"VsftpdLikeStat", false, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FtpStatSessionTest, StatIsNeverUsedWhenItsRootListingDiffers) {
    // STAT leaves out a hidden name that the normal listing of "/" shows.
    TempDir tree;
    TempDir logs;
    test::makeTree(tree.path(), {{".hidden", "h"}, {"pub/f.txt", "f"}, {"pub/.g", "g"}});
    FtpServerOptions options;
    options.statHidesDots = true;
    options.commandLog = logs.path() + "commands.log";
    FtpServer server(tree.path(), options);
    FtpSession session("QUARROW");
    ASSERT_TRUE(session.connect("127.0.0.1", server.port(), "", "")) << session.lastError();
    std::vector<FtpEntry> entries;
    ASSERT_TRUE(session.list("/", entries)) << session.lastError();
    EXPECT_EQ(entries.size(), 2u);
    EXPECT_TRUE(session.changeDir("/pub/"));
    ASSERT_TRUE(session.list("/pub/", entries)) << session.lastError();
    EXPECT_EQ(entries.size(), 2u) << "the hidden file must not get lost";
    EXPECT_EQ(countStat(readLines(options.commandLog)), 1u);
}

}  // namespace
}  // namespace quarrow
