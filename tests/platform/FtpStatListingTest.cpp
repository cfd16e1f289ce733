#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "fixtures/FtpServer.h"
#include "fixtures/TempDir.h"
#include "platform/FtpSession.h"

namespace quarrow {
namespace {

using namespace std::chrono_literals;
using test::FtpServer;
using test::FtpServerOptions;
using test::TempDir;

constexpr auto kWatchdog = 5s;
constexpr auto kLetCallStart = 300ms;

const std::string kCyrillic = "\xcf\xf0\xe8\xe2\xe5\xf2";  // Windows-1251 "Привет"
const std::string kWithYa = "\xff\xe3\xee\xe4\xe0";  // "ягода": 0xFF, the Telnet IAC byte

// Folders and files a scan meets: blanks, Windows-1251 bytes, names a server would read as a
// pattern or an option, links (one a loop), an empty folder, hidden files, a folder of many
// files. Nothing hidden sits in the root, so servers that hide such names still get STAT.
void makeVariedTree(const std::string& root) {
    std::vector<test::TreeItem> tree = {
        {"plain/a.txt", "a"},
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
        {"top.txt", "t"},
    };
    // A STAT reply of some 400 KB: past what libcurl takes as one command's reply.
    for (int i = 0; i < 5000; ++i) tree.push_back({"many/file number " + std::to_string(i), ""});
    test::makeTree(root, tree);
    std::filesystem::create_directory_symlink("plain", root + "link");
    std::filesystem::create_directory_symlink("..", root + "plain/loop");
}

// What a walk learns about one folder, entries as "name|attributes" in server order.
struct FolderResult {
    std::string folder;
    bool entered = false;
    bool listed = false;
    std::vector<std::string> entries;

    bool operator==(const FolderResult&) const = default;
};

void PrintTo(const FolderResult& r, std::ostream* os) {
    *os << testing::PrintToString(r.folder) << " entered " << r.entered << " listed " << r.listed
        << " " << testing::PrintToString(r.entries);
}

FolderResult visit(FtpSession& session, const std::string& folder, std::vector<FtpEntry>& entries) {
    FolderResult result;
    result.folder = folder;
    result.entered = session.changeDir(folder);
    result.listed = session.list(folder, entries);
    for (const FtpEntry& e : entries)
        result.entries.push_back(e.name + "|" + std::to_string(e.attributes));
    return result;
}

// Walks every folder from "/" as the scan does (enter, then list, folders queued in listing
// order), then the folders in `extra`, which the tree does not hold as folders.
std::vector<FolderResult> walk(FtpSession& session, const std::vector<std::string>& extra) {
    std::vector<std::string> queue = {"/"};
    std::vector<FolderResult> results;
    for (std::size_t i = 0; i < queue.size(); ++i) {
        std::vector<FtpEntry> entries;
        results.push_back(visit(session, queue[i], entries));
        for (const FtpEntry& e : entries) {
            if (e.attributes == kAttrDirectory) queue.push_back(queue[i] + e.name + "/");
        }
    }
    for (const std::string& folder : extra) {
        std::vector<FtpEntry> entries;
        results.push_back(visit(session, folder, entries));
    }
    return results;
}

std::vector<std::string> readLines(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::size_t countStat(const std::vector<std::string>& lines) {
    return std::count_if(lines.begin(), lines.end(),
                         [](const std::string& l) { return l.starts_with("STAT "); });
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
    FtpServerOptions options(const std::string& log) const {
        FtpServerOptions o;
        o.mlsd = GetParam().mlsd;
        o.vsftpdStat = GetParam().vsftpdStat;
        o.commandLog = log;
        return o;
    }

    static FtpOptions statAllowed(bool allowed) {
        FtpOptions o;
        o.listing.allowStat = allowed;
        return o;
    }

    static void connect(FtpSession& session, const FtpServer& server) {
        ASSERT_TRUE(session.connect("127.0.0.1", server.port(), "", "")) << session.lastError();
    }

    TempDir tree_;
    TempDir logs_;
};

TEST_P(FtpStatListingTest, WalkGivesTheSameResultsWithAndWithoutStat) {
    makeVariedTree(tree_.path());
    // A refused STAT must leave the session usable: a real folder comes last.
    const std::vector<std::string> extra = {"/missing/", "/plain/a.txt/", "/top.txt/", "/plain/"};
    const std::string statLog = logs_.path() + "stat.log";
    const std::string plainLog = logs_.path() + "plain.log";
    FtpServer statServer(tree_.path(), options(statLog));
    FtpServer plainServer(tree_.path(), options(plainLog));
    FtpSession withStat("QUARROW", statAllowed(true));
    FtpSession withoutStat("QUARROW", statAllowed(false));
    connect(withStat, statServer);
    connect(withoutStat, plainServer);

    const auto expected = walk(withoutStat, extra);
    const auto actual = walk(withStat, extra);
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(actual[i], expected[i]);

    // The comparison means something only if both methods were really in play.
    EXPECT_EQ(countStat(readLines(plainLog)), 0u);
    EXPECT_GT(countStat(readLines(statLog)), 5u);
    EXPECT_EQ(expected.size(), 15u + extra.size()) << "the walk should reach every folder";
}

bool sentAny(const std::vector<std::string>& commands, const std::vector<std::string>& verbs) {
    return std::any_of(commands.begin(), commands.end(), [&](const std::string& c) {
        return std::any_of(verbs.begin(), verbs.end(),
                           [&](const std::string& v) { return c.starts_with(v); });
    });
}

TEST_P(FtpStatListingTest, OneStatCommandPerFolderAndTheNormalWayWhereStatCannotServe) {
    makeVariedTree(tree_.path());
    const std::string log = logs_.path() + "commands.log";
    FtpServer server(tree_.path(), options(log));
    FtpSession session("QUARROW");
    connect(session, server);
    std::size_t seen = 0;
    // The commands sent for one folder, entered and listed as the scan does.
    const auto visitFolder = [&](const std::string& folder) {
        std::vector<FtpEntry> entries;
        const bool listed = visit(session, folder, entries).listed;
        const auto lines = readLines(log);
        std::vector<std::string> sent(lines.begin() + static_cast<std::ptrdiff_t>(seen),
                                      lines.end());
        seen = lines.size();
        return std::make_pair(listed, sent);
    };
    EXPECT_EQ(countStat(visitFolder("/").second), 1u);  // the decision: one extra STAT of "/"

    const std::vector<std::string> statFolders = {
        "/plain/", "/plain/sub/",         "/with blank/",
        "/many/",  "/" + kCyrillic + "/", "/" + kCyrillic + "/" + kWithYa + "/"};
    for (const std::string& folder : statFolders) {
        const auto [listed, sent] = visitFolder(folder);
        EXPECT_TRUE(listed) << testing::PrintToString(folder);
        EXPECT_EQ(sent, std::vector<std::string>{"STAT " + folder});
    }
    // Paths a server could misread never go out as an argument: the folder is entered, then
    // "STAT ." lists it, still without a data connection.
    for (const std::string folder : {"/a[1]/", "/a[1]/sub/", "/ lead/", "/-dash/"}) {
        const auto [listed, sent] = visitFolder(folder);
        EXPECT_TRUE(listed) << folder;
        ASSERT_EQ(sent.size(), 2u) << testing::PrintToString(sent);
        EXPECT_TRUE(sent[0].starts_with("CWD ")) << testing::PrintToString(sent);
        EXPECT_EQ(sent[1], "STAT .");
    }
    // An empty answer, a hidden name or a refusal: STAT, then the normal listing.
    for (const std::string folder : {"/empty/", "/dots/", "/missing/"}) {
        const auto sent = visitFolder(folder).second;
        ASSERT_FALSE(sent.empty()) << folder;
        EXPECT_EQ(sent.front(), "STAT " + folder);
        EXPECT_EQ(countStat(sent), 1u) << testing::PrintToString(sent);
        EXPECT_TRUE(sentAny(sent, {"CWD "})) << testing::PrintToString(sent);
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

TEST(FtpStatSessionTest, CloseStopsAStalledStatAndEveryLaterCall) {
    TempDir tree;
    test::makeTree(tree.path(), {{"pub/f.txt", "f"}});
    FtpServerOptions options;
    options.statDelaySeconds = 60;
    FtpServer server(tree.path(), options);
    FtpSession session("QUARROW");
    ASSERT_TRUE(session.connect("127.0.0.1", server.port(), "", "")) << session.lastError();
    ASSERT_TRUE(session.changeDir("/"));

    std::vector<FtpEntry> entries;
    auto pending = std::async(std::launch::async, [&] { return session.list("/", entries); });
    std::this_thread::sleep_for(kLetCallStart);
    ASSERT_EQ(pending.wait_for(0s), std::future_status::timeout) << "STAT should be waiting";
    session.close();
    ASSERT_EQ(pending.wait_for(kWatchdog), std::future_status::ready)
        << "list() hung after close()";
    EXPECT_FALSE(pending.get());

    auto later = std::async(std::launch::async, [&] { return session.changeDir("/pub/"); });
    ASSERT_EQ(later.wait_for(kWatchdog), std::future_status::ready);
    EXPECT_FALSE(later.get());
}

TEST(FtpStatSessionTest, AStatThatTimesOutCostsAReconnectionNotTheSession) {
    TempDir tree;
    test::makeTree(tree.path(), {{"pub/f.txt", "f"}});
    FtpServerOptions options;
    options.statDelaySeconds = 30;
    FtpServer server(tree.path(), options);
    FtpOptions quick;
    quick.timeouts.responseSeconds = 1;
    auto session = std::make_unique<FtpSession>("QUARROW", quick);
    ASSERT_TRUE(session->connect("127.0.0.1", server.port(), "", "")) << session->lastError();

    // The reply left unread makes that connection useless; a new one lists the normal way.
    auto calls = std::async(std::launch::async, [&] {
        std::vector<FtpEntry> entries;
        const bool listed = session->list("/", entries) && entries.size() == 1;
        const bool entered = session->changeDir("/pub/");
        session.reset();
        return listed && entered;
    });
    ASSERT_EQ(calls.wait_for(kWatchdog), std::future_status::ready) << "a call or the cleanup hung";
    EXPECT_TRUE(calls.get());
}

}  // namespace
}  // namespace quarrow
