// A session with real FTP servers: listings (STAT on the control connection or the normal
// way), downloads, failures, and close from another thread.
#include "platform/FtpSession.h"

#include <gmock/gmock.h>
#include <utime.h>

#include <filesystem>
#include <future>
#include <map>

#include "engine/TestHelpers.h"
#include "platform/StatListing.h"

// Server options are written as designated initializers, the fields left out at their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace quarrow::test {
namespace {

using namespace std::chrono_literals;
using namespace std::string_literals;
using testing::AllOf;
using testing::Contains;
using testing::ElementsAre;
using testing::Field;
using testing::StartsWith;

// The walk below sends paths a server could misread; these are the ones no tree can hold.
TEST(StatSafeFolderTest, OnlyPathsNoServerCanReadDifferentlyGoOut) {
    EXPECT_TRUE(isStatSafeFolder("/") && isStatSafeFolder("/no/trailing/slash"));
    for (const std::string& path :
         Lines{"/{a,b}/", "/~user/", "/back\\slash/", "/tab\tinside/", "/a\r\nb/", "/del\x7f/",
               "pub/", "/a//b/", "/a/../b/", "/a\0b/"s})
        EXPECT_FALSE(isStatSafeFolder(path)) << testing::PrintToString(path);
}

constexpr std::int64_t kNow = 1700000000;  // a fixed clock: 2023-11-14

// Entry names as the walker sees them: a folder's name ends with "/".
std::optional<Lines> statNames(const std::string& folder, const Lines& lines) {
    StatReply reply(folder, kNow);
    for (const std::string& line : lines) reply.take(line);
    auto listing = std::move(reply).listing();
    if (!listing) return std::nullopt;
    Lines names;
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
    // Replies as pyftpdlib and vsftpd give them ("." and "..", an empty reply for a missing or
    // empty folder, a refusal) are the real-server walks' below.
    const ReplyCase cases[] = {
        {"total line, 211 reply, then replies of later commands",
         {"211-status", "total 8", file + "x", "211 End", "250 Directory changed.",
          file + "not-in-reply"},
         Lines{"x"}},
        {"DOS style",
         {"213-Status", "08-10-15  02:04PM       <DIR>          Folder One",
          "08-10-15  02:05PM                 1234 file.txt", "213 End"},
         Lines{"Folder One/", "file.txt"}},
        {"lone 0xFF byte (Windows-1251 letter)",
         {"213-Status", file + "\xff\xe1\xeb\xee\xea\xee", "213 End"},
         Lines{"\xff\xe1\xeb\xee\xea\xee"}},
        {"folder holding one file of its own name is still a listing when it is a folder",
         {"213-Status", "drwxr-xr-x 2 ftp ftp 0 Mar  4  2021 same", "213 End"},
         Lines{"same/"}},
        // Replies that send the folder to the normal listing.
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
    for (const ReplyCase& c : cases) EXPECT_EQ(statNames("/pub/same/", c.lines), c.names) << c.what;
}

// A blocking call that has not returned after this long is taken as hung.
constexpr auto kWatchdog = 5s;

// An entry of that name and attribute word.
auto entry(const std::string& name, std::uint32_t attributes) {
    return AllOf(Field(&FtpEntry::name, name), Field(&FtpEntry::attributes, attributes));
}

void connect(FtpSession& session, const FtpServer& server, bool named = false) {
    ASSERT_TRUE(session.connect("127.0.0.1", server.port(), named ? kFtpUser : "",
                                named ? kFtpPassword : ""))
        << session.lastError();
}

std::string fetch(FtpSession& session, const std::string& path) {
    std::string content;
    EXPECT_TRUE(session.retrieve(path,
                                 [&](const char* data, std::size_t n) {
                                     content.append(data, n);
                                     return true;
                                 }))
        << path << ": " << session.lastError();
    return content;
}

bool retrieveAny(FtpSession& session, const std::string& path) {
    return session.retrieve(path, [](const char*, std::size_t) { return true; });
}

std::vector<FtpEntry> listOk(FtpSession& session, const std::string& folder) {
    std::vector<FtpEntry> entries;
    EXPECT_TRUE(session.list(folder, entries)) << folder << ": " << session.lastError();
    return entries;
}

// Runs `call` on another thread; nothing when it did not return within the watchdog time.
template <typename Call>
std::optional<bool> returnsInTime(Call call) {
    auto pending = std::async(std::launch::async, call);
    if (pending.wait_for(kWatchdog) != std::future_status::ready) return std::nullopt;
    return pending.get();
}

FtpOptions quickOptions() {
    FtpOptions quick;
    quick.timeouts.connectSeconds = 1;
    quick.timeouts.responseSeconds = 1;
    quick.reconnect = {2, 10};
    return quick;
}

constexpr std::time_t kWhen = 1577934245;                  // 2020-01-02 03:04:05 UTC
const std::string kCyrillic = "\xcf\xf0\xe8\xe2\xe5\xf2";  // Windows-1251 "Привет"
const std::string kWithYa = "\xff\xe3\xee\xe4\xe0";  // "ягода": 0xFF, the Telnet IAC byte

// Folders and files a scan meets: blanks, Windows-1251 bytes, names a URL would change or a
// server would read as a pattern or an option, links (one a loop), an empty folder, hidden
// files, a folder of many files. Nothing hidden sits in the root, so servers that hide such
// names still get STAT.
void makeVariedTree(const std::string& root) {
    std::vector<TreeItem> tree = {{"100% #1 ?/in.txt", "%#?"}, {"semi;colon*/in.txt", ";*"}};
    for (const std::string& path :
         Lines{"plain/a.txt", "plain/sub/deep/x.bin", "with blank/file one.txt",
               "with blank/inner folder/f.txt", kCyrillic + "/" + kWithYa + ".txt",
               kCyrillic + "/" + kWithYa + "/inner.txt", "a[1]/in.txt", "a[1]/sub/in.txt",
               " lead/in.txt", "-dash/in.txt", "trail /in.txt", "empty/", "dots/.hidden",
               "dots/visible", "top.txt"})
        tree.push_back({path, "t"});
    // A STAT reply of some 400 KB: past what libcurl takes as one command's reply.
    for (int i = 0; i < 5000; ++i) tree.push_back({"many/file number " + std::to_string(i), ""});
    makeTree(root, tree);
    std::filesystem::create_directory_symlink("plain", root + "link");
    std::filesystem::create_directory_symlink("..", root + "plain/loop");
    const utimbuf times{kWhen, kWhen};
    ASSERT_EQ(::utime((root + "top.txt").c_str(), &times), 0);
}

Lines readLines(const std::string& path) {
    return splitLines(bytesOf(path).value_or(""));
}

struct Walk {
    Lines folders;
    Lines results;  // per folder: path, entered, listed, then entries as "name|attributes"
    std::map<std::string, Lines> sent;  // the commands of each folder's first visit
};

std::string resultOf(const std::string& folder, bool entered, bool listed,
                     const std::vector<FtpEntry>& entries) {
    std::string result = folder + (entered ? " entered" : " not entered");
    result += listed ? " listed:" : " not listed:";
    for (const FtpEntry& e : entries) result += " " + e.name + "|" + std::to_string(e.attributes);
    return result;
}

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
        const bool entered = session.changeDir(folder);
        const std::string result =
            resultOf(folder, entered, session.list(folder, entries), entries);
        for (const FtpEntry& e : entries)
            if (queued && e.attributes == kAttrDirectory) queue.push_back(folder + e.name + "/");
        walk.folders.push_back(folder);
        const Lines lines = readLines(log);
        walk.sent.emplace(folder,
                          Lines(lines.begin() + static_cast<std::ptrdiff_t>(seen), lines.end()));
        seen = lines.size();
        walk.results.push_back(result);
    }
    return walk;
}

// With a home folder the named login starts below the root; paths stay absolute.
struct ServerStyle {
    const char* name;
    FtpServerOptions server;
};

// Keeps the test names ctest lists short and the same from run to run.
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
    Lines ahead;  // every folder listed at once, as a connection listing ahead of a walk does
    for (const bool allowStat : {false, true}) {
        FtpServerOptions options = GetParam().server;
        options.commandLog = logs_.path() + (allowStat ? "stat.log" : "plain.log");
        FtpServer server(tree_.path(), options);
        FtpOptions ftp;
        ftp.listing.allowStat = allowStat;
        FtpSession session("QUARROW", ftp);
        connect(session, server, !options.homeSubdir.empty());
        walks[allowStat] = walk(session, extra, options.commandLog);
        if (allowStat) {
            ASSERT_TRUE(session.listsAhead());
            // libcurl believes the server is in this folder and would fetch from it without CWD.
            ASSERT_TRUE(session.changeDir("/100% #1 ?/"));
            session.listAhead(walks[1].folders, [&](std::size_t folder, FetchedListing listing) {
                ahead.push_back(
                    resultOf(walks[1].folders[folder], true, listing.listed, listing.entries));
            });
            EXPECT_EQ(fetch(session, "/100% #1 ?/in.txt"), "%#?");
            continue;
        }
        // Sizes and times come through: MLSD gives the second, LIST shows an old file's day
        // only. Links are files, never folders, so a loop cannot be followed.
        const bool exactTimes = options.mlsd && !options.brokenMlsd;
        EXPECT_EQ(session.usesMlsd(), exactTimes);
        EXPECT_THAT(listOk(session, "/"),
                    AllOf(Contains(AllOf(
                              entry("top.txt", kAttrNormal), Field(&FtpEntry::size, 1u),
                              Field(&FtpEntry::mtime, exactTimes ? kWhen : kWhen - kWhen % 86400))),
                          Contains(entry("link", kAttrReparsePoint | kAttrNormal))));
        EXPECT_EQ(fetch(session, "/semi;colon*/in.txt"), ";*");
    }
    const auto& [plain, withStat] = walks;
    ASSERT_EQ(plain.results.size(), 18u + extra.size()) << "the walk should reach every folder";
    EXPECT_EQ(withStat.results, plain.results);
    for (const auto& [folder, sent] : plain.sent)
        EXPECT_EQ(countStarting(sent, {"STAT "}), 0u) << folder;
    EXPECT_EQ(countStarting(readLines(logs_.path() + "stat.log"), {"USER "}), 1u)
        << "one login serves the whole walk, refusals included";

    EXPECT_EQ(countStarting(withStat.sent.at("/"), {"STAT "}),
              1u);  // the decision: one extra STAT of "/"
    for (const std::string& folder :
         Lines{"/plain/", "/plain/sub/", "/with blank/", "/many/", "/" + kCyrillic + "/",
               "/" + kCyrillic + "/" + kWithYa + "/"})
        EXPECT_THAT(withStat.sent.at(folder), ElementsAre("STAT " + folder));
    // Paths a server could misread never go out as an argument: the folder is entered, then
    // "STAT ." lists it, still without a data connection.
    for (const std::string folder :
         {"/a[1]/", "/a[1]/sub/", "/ lead/", "/-dash/", "/100% #1 ?/", "/semi;colon*/", "/trail /"})
        EXPECT_THAT(withStat.sent.at(folder), ElementsAre(StartsWith("CWD "), "STAT ."));
    // Listed ahead, in one exchange: every folder the walk listed by STAT (the root's listing
    // decided on STAT), as the walk listed it.
    Lines statListed;
    for (std::size_t i = 0; i < withStat.folders.size(); ++i) {
        const Lines& sent = withStat.sent.at(withStat.folders[i]);
        const bool byStat =
            withStat.folders[i] == "/" || countStarting(sent, {"MLSD", "LIST"}) == 0;
        if (byStat && withStat.results[i].find(" entered listed:") != std::string::npos)
            statListed.push_back(withStat.results[i]);
    }
    EXPECT_THAT(ahead, testing::UnorderedElementsAreArray(statListed));
    // An empty answer, a hidden name or a refusal: STAT, then the normal listing.
    for (const std::string folder : {"/empty/", "/dots/", "/missing/"}) {
        const Lines& sent = withStat.sent.at(folder);
        ASSERT_FALSE(sent.empty()) << folder;
        EXPECT_EQ(sent.front(), "STAT " + folder);
        EXPECT_EQ(countStarting(sent, {"STAT "}), 1u) << testing::PrintToString(sent);
        EXPECT_THAT(sent, Contains(StartsWith("CWD ")));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Servers, FtpStatListingTest,
    ::testing::Values(ServerStyle{"Mlsd", {}}, ServerStyle{"List", {.mlsd = false}},
                      ServerStyle{"VsftpdLikeStat", {.mlsd = false, .vsftpdStat = true}},
                      ServerStyle{"BrokenMlsdBelowRoot",
                                  {.brokenMlsd = true, .homeSubdir = "plain"}}),
    [](const auto& info) { return std::string(info.param.name); });

class FtpSessionTest : public ::testing::Test {
protected:
    TempDir dir_;
    TempDir logs_;
};

TEST_F(FtpSessionTest, StatIsNeverUsedWhenItsRootListingDiffers) {
    // STAT leaves out a hidden name that the normal listing of "/" shows.
    makeTree(dir_.path(), {{".hidden", "h"}, {"pub/f.txt", "f"}, {"pub/.g", "g"}});
    const FtpServerOptions options{.statHidesDots = true, .commandLog = logs_.path() + "c.log"};
    FtpServer server(dir_.path(), options);
    FtpSession session("QUARROW");
    connect(session, server);
    EXPECT_EQ(listOk(session, "/").size(), 2u);
    EXPECT_TRUE(session.changeDir("/pub/"));
    EXPECT_EQ(listOk(session, "/pub/").size(), 2u) << "the hidden file must not get lost";
    EXPECT_EQ(countStarting(readLines(options.commandLog), {"STAT "}), 1u);
}

TEST_F(FtpSessionTest, FailedCallsLeaveTheSessionUsableAndDeadServersFailCleanly) {
    std::string bytes;
    for (int round = 0; round < 300; ++round) {
        for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
        bytes += "\r\n\n\r";
    }
    makeTree(dir_.path(), {{"empty/", ""}, {"ok/f.txt", "f"}, {"data.bin", bytes}});
    FtpServer server(dir_.path());
    FtpSession session("QUARROW");
    connect(session, server);
    EXPECT_EQ(fetch(session, "/data.bin"), bytes);

    // An empty folder lists as a failure and clears what the caller held.
    std::vector<FtpEntry> entries{FtpEntry{"stale", kAttrNormal, 0, 0}};
    EXPECT_TRUE(session.changeDir("/empty/"));
    EXPECT_FALSE(session.list("/empty/", entries));
    EXPECT_TRUE(entries.empty());
    EXPECT_FALSE(session.lastError().empty());
    // Missing paths, and paths FTP cannot carry, fail without harm to the session.
    for (const std::string& bad :
         Lines{"/missing/", "/a\r\nb/", "/a\nb/", std::string("/a\0b/", 5), "ok/"}) {
        SCOPED_TRACE(testing::PrintToString(bad));
        EXPECT_FALSE(session.changeDir(bad));
        EXPECT_FALSE(session.list(bad, entries));
        EXPECT_FALSE(retrieveAny(session, bad + "f.txt"));
        EXPECT_FALSE(session.lastError().empty());
    }
    EXPECT_THAT(listOk(session, "/ok/"), ElementsAre(entry("f.txt", kAttrNormal)));

    std::size_t calls = 0;
    EXPECT_FALSE(session.retrieve("/data.bin", [&](const char*, std::size_t) {
        ++calls;
        return false;
    }));
    EXPECT_EQ(calls, 1u);
    EXPECT_EQ(session.lastFailure(), FtpFailure::kFailed);
    // Stopping a download ends that control connection; the next call makes a new one.
    EXPECT_THAT(listOk(session, "/ok/"), ElementsAre(entry("f.txt", kAttrNormal)));

    // A refused login, a server that never greets, one that hangs and one that dies: every
    // call fails within its time, the session is left open for another try, and a closed
    // session is destroyed without waiting for its server.
    SilentServer silent;
    FtpSession greetless("QUARROW", quickOptions());
    EXPECT_EQ(returnsInTime([&] { return greetless.connect("127.0.0.1", silent.port(), "", ""); }),
              false);
    EXPECT_FALSE(greetless.isClosed());
    FtpSession refused("QUARROW");
    EXPECT_FALSE(refused.connect("127.0.0.1", server.port(), kFtpUser, "wrong"));
    EXPECT_FALSE(refused.lastError().empty());
    FtpSession early("QUARROW");  // closed before it connects: never reaches the server
    early.close();
    EXPECT_FALSE(early.connect("127.0.0.1", server.port(), "", ""));

    FtpSession hung("QUARROW", quickOptions());
    auto closed = std::make_unique<FtpSession>("QUARROW");
    connect(hung, server);
    connect(*closed, server);
    server.freeze();
    EXPECT_EQ(returnsInTime([&] { return hung.list("/", entries); }), false);
    EXPECT_EQ(hung.lastFailure(), FtpFailure::kLost);
    EXPECT_FALSE(hung.isClosed());
    closed->close();
    EXPECT_EQ(returnsInTime([&] { return closed.reset(), true; }), true)
        << "destroying a closed session waited for the server";
    server.kill();
    EXPECT_EQ(returnsInTime([&] { return hung.changeDir("/ok/"); }), false);
    EXPECT_EQ(returnsInTime([&] { return retrieveAny(hung, "/ok/f.txt"); }), false);
    EXPECT_FALSE(hung.lastError().empty());
}

TEST_F(FtpSessionTest, AStalledStatEndsAtCloseOrCostsAReconnectionAtTheTimeout) {
    makeTree(dir_.path(), {{"pub/f.txt", "f"}});
    FtpServer server(dir_.path(), {.statDelaySeconds = 60});
    FtpSession closing("QUARROW");
    connect(closing, server);
    ASSERT_TRUE(closing.changeDir("/"));
    std::vector<FtpEntry> entries;
    // Still waiting for the server after a moment, the listing fails once the session closes.
    auto pending = std::async(std::launch::async, [&] { return closing.list("/", entries); });
    ASSERT_EQ(pending.wait_for(300ms), std::future_status::timeout) << "the call should wait";
    closing.close();
    closing.close();  // a second close is harmless
    ASSERT_EQ(pending.wait_for(kWatchdog), std::future_status::ready) << "hung after close()";
    EXPECT_FALSE(pending.get());
    EXPECT_EQ(returnsInTime([&] { return closing.changeDir("/pub/"); }), false);
    EXPECT_EQ(returnsInTime([&] { return closing.list("/", entries); }), false);

    auto session = std::make_unique<FtpSession>("QUARROW", quickOptions());
    connect(*session, server);
    // The reply left unread makes that connection useless; a new one lists the normal way.
    EXPECT_EQ(returnsInTime([&] {
                  const bool listed = session->list("/", entries) && entries.size() == 1;
                  const bool entered = session->changeDir("/pub/");
                  session.reset();
                  return listed && entered;
              }),
              true)
        << "a call failed, or it or the cleanup hung";
}

}  // namespace
}  // namespace quarrow::test
