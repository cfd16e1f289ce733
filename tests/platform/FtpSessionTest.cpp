// A session with real FTP servers, and the URLs it asks libcurl for.
#include <gtest/gtest.h>
#include <utime.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "fixtures/FtpServer.h"
#include "fixtures/SilentServer.h"
#include "fixtures/TempDir.h"
#include "platform/FtpSession.h"
#include "platform/FtpUrl.h"

namespace quarrow {
namespace {

TEST(FtpUrlTest, PathsStartAtTheRootAndEncodeEveryComponent) {
    struct Case {
        std::string path;
        bool folder;
        std::optional<std::string> url;
    };
    const std::vector<Case> cases = {
        {"/", true, "/%2F/"},
        {"/pub/", true, "/%2Fpub/"},
        {"/pub", true, "/%2Fpub/"},
        {"/pub/file.txt", false, "/%2Fpub/file.txt"},
        // Characters a URL or a server would otherwise interpret.
        {"/a b/100%/x#y?z/", true, "/%2Fa%20b/100%25/x%23y%3Fz/"},
        {"/a[1]*b/;c/", true, "/%2Fa%5B1%5D%2Ab/%3Bc/"},
        {"/~user/-._/", true, "/%2F~user/-._/"},
        // Windows-1251 bytes travel as themselves.
        {"/\xcf\xf0\xe8\xe2\xe5\xf2\xff/", true, "/%2F%CF%F0%E8%E2%E5%F2%FF/"},
        {"relative/", true, std::nullopt},
        {"", true, std::nullopt},
        {"/a\r\nb/", true, std::nullopt},
        {"/a\nb", false, std::nullopt},
        {std::string("/a\0b/", 5), true, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(ftpUrlPath(c.path, c.folder), c.url);
    }
}

TEST(FtpUrlTest, ServerUrlBracketsIpv6AndRejectsNonHosts) {
    EXPECT_EQ(ftpServerUrl("ftp.example.com", 21), "ftp://ftp.example.com:21");
    EXPECT_EQ(ftpServerUrl("127.0.0.1", 2121), "ftp://127.0.0.1:2121");
    EXPECT_EQ(ftpServerUrl("::1", 21), "ftp://[::1]:21");
    EXPECT_EQ(ftpServerUrl("[::1]", 21), "ftp://[::1]:21");
    for (const char* bad : {"", "host/path", "user@host", "ftp://host", "a b"}) {
        EXPECT_EQ(ftpServerUrl(bad, 21), std::nullopt) << bad;
    }
    EXPECT_EQ(ftpServerUrl("host", 0), std::nullopt);
    EXPECT_EQ(ftpServerUrl("host", 65536), std::nullopt);
}

using namespace std::chrono_literals;
using test::FtpServer;
using test::FtpServerOptions;
using test::TempDir;
using Names = std::vector<std::string>;

// A blocking call that has not returned after this long is taken as hung.
constexpr auto kWatchdog = 5s;
// Time for a call started on another thread to reach the server before it is closed.
constexpr auto kLetCallStart = 300ms;

const FtpEntry* find(const std::vector<FtpEntry>& entries, const std::string& name) {
    for (const FtpEntry& e : entries) {
        if (e.name == name) return &e;
    }
    return nullptr;
}

// Names in sorted order: servers list in the order of their file system.
Names namesOf(const std::vector<FtpEntry>& entries) {
    Names names;
    for (const FtpEntry& e : entries) names.push_back(e.name);
    std::sort(names.begin(), names.end());
    return names;
}

void connect(FtpSession& session, const FtpServer& server, bool named = false) {
    ASSERT_TRUE(session.connect("127.0.0.1", server.port(), named ? test::kFtpUser : "",
                                named ? test::kFtpPassword : ""))
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

// Starts `call`, sees it still waiting on the server, closes the session: the call must fail.
template <typename Call>
void expectCloseEnds(FtpSession& session, Call call) {
    auto pending = std::async(std::launch::async, call);
    std::this_thread::sleep_for(kLetCallStart);
    ASSERT_EQ(pending.wait_for(0s), std::future_status::timeout) << "the call should be waiting";
    session.close();
    session.close();  // a second close is harmless
    ASSERT_EQ(pending.wait_for(kWatchdog), std::future_status::ready) << "hung after close()";
    EXPECT_FALSE(pending.get());
}

FtpOptions quickOptions() {
    FtpOptions quick;
    quick.timeouts.connectSeconds = 1;
    quick.timeouts.responseSeconds = 1;
    quick.reconnect = {2, 10};
    return quick;
}

class FtpSessionTest : public ::testing::Test {
protected:
    TempDir dir_;
};

// Listing the same tree with MLSD and with LIST.
class FtpListingMethodTest : public FtpSessionTest, public ::testing::WithParamInterface<bool> {};

TEST_P(FtpListingMethodTest, ListsKindsSizesTimesAndUnusualNames) {
    const bool mlsd = GetParam();
    // Names a URL, a glob or a code-page conversion would change: each is a folder, listed from
    // its parent, then entered and listed by the name exactly as it was received.
    // The last name is Windows-1251 and not valid UTF-8.
    const Names unusual = {"a[1]*b",
                           "100% #1 ?",
                           "semi;colon",
                           " lead",
                           "-dash",
                           "trail ",
                           "\xcf\xf0\xe8\xe2\xe5\xf2 \xff"};
    std::vector<test::TreeItem> tree = {
        {"docs/readme.txt", "hello"}, {"a.bin", "0123456789"}, {"empty/", ""}, {"real/f.txt", "x"}};
    for (const std::string& name : unusual) tree.push_back({name + "/inner.txt", name});
    test::makeTree(dir_.path(), tree);
    const std::time_t when = 1577934245;  // 2020-01-02 03:04:05 UTC
    const utimbuf times{when, when};
    ASSERT_EQ(::utime((dir_.path() + "a.bin").c_str(), &times), 0);
    namespace fs = std::filesystem;
    fs::create_directory_symlink("real", dir_.path() + "dirlink");
    fs::create_symlink("real/f.txt", dir_.path() + "filelink");
    fs::create_directory_symlink("..", dir_.path() + "real/loop");
    FtpServerOptions options;
    options.mlsd = mlsd;
    FtpServer server(dir_.path(), options);
    FtpSession session("QUARROW");
    ASSERT_TRUE(session.valid());
    connect(session, server);
    EXPECT_EQ(session.usesMlsd(), mlsd);

    const auto root = listOk(session, "/");
    ASSERT_EQ(root.size(), 6u + unusual.size()) << testing::PrintToString(namesOf(root));
    const FtpEntry* file = find(root, "a.bin");
    ASSERT_TRUE(file && find(root, "docs") && find(root, "empty"));
    EXPECT_EQ(find(root, "docs")->attributes, kAttrDirectory);
    EXPECT_EQ(file->attributes, kAttrNormal);
    EXPECT_EQ(file->size, 10u);
    // MLSD gives the second; LIST shows an old file's day only.
    EXPECT_EQ(file->mtime, mlsd ? when : when - (when % 86400));
    EXPECT_EQ(namesOf(listOk(session, "/docs/")), Names{"readme.txt"});
    EXPECT_EQ(session.usesMlsd(), mlsd);

    // Links are files, never folders, so a loop cannot be followed.
    for (const char* name : {"dirlink", "filelink"}) {
        ASSERT_NE(find(root, name), nullptr) << name;
        EXPECT_EQ(find(root, name)->attributes, kAttrReparsePoint | kAttrNormal) << name;
    }
    const auto real = listOk(session, "/real/");
    ASSERT_NE(find(real, "loop"), nullptr);
    EXPECT_NE(find(real, "loop")->attributes, kAttrDirectory);

    for (const std::string& name : unusual) {
        SCOPED_TRACE("[" + name + "]");
        const FtpEntry* entry = find(root, name);
        ASSERT_NE(entry, nullptr) << testing::PrintToString(namesOf(root));
        EXPECT_EQ(entry->attributes, kAttrDirectory);
        const std::string folder = "/" + entry->name + "/";
        EXPECT_TRUE(session.changeDir(folder)) << session.lastError();
        EXPECT_EQ(namesOf(listOk(session, folder)), Names{"inner.txt"});
        EXPECT_EQ(fetch(session, folder + "inner.txt"), name);
    }
}

INSTANTIATE_TEST_SUITE_P(MlsdAndList, FtpListingMethodTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Mlsd" : "List"; });

TEST_F(FtpSessionTest, FallsBackToListAndKeepsPathsAbsoluteFromALoginFolderBelowTheRoot) {
    test::makeTree(dir_.path(), {{"top.txt", "t"}, {"home/inside.txt", "i"}});
    FtpServerOptions options;
    options.brokenMlsd = true;
    options.homeSubdir = "home";
    FtpServer server(dir_.path(), options);
    FtpSession session("QUARROW");
    connect(session, server, true);
    EXPECT_TRUE(session.usesMlsd());
    EXPECT_EQ(namesOf(listOk(session, "/")), (Names{"home", "top.txt"}));
    EXPECT_FALSE(session.usesMlsd());
    EXPECT_TRUE(session.changeDir("/")) << session.lastError();
    EXPECT_EQ(namesOf(listOk(session, "/home/")), Names{"inside.txt"});
    EXPECT_EQ(fetch(session, "/top.txt"), "t");
}

TEST_F(FtpSessionTest, OneLoginServesManyFoldersFailuresAndDownloads) {
    std::string bytes;
    for (int round = 0; round < 300; ++round) {
        for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
        bytes += "\r\n\n\r";
    }
    std::vector<test::TreeItem> tree = {{"empty/", ""}, {"ok/f.txt", "f"}, {"data.bin", bytes}};
    for (int i = 0; i < 40; ++i) tree.push_back({"f" + std::to_string(i) + "/x.txt", "x"});
    test::makeTree(dir_.path(), tree);
    TempDir logs;
    FtpServerOptions options;
    options.commandLog = logs.path() + "commands.log";
    FtpServer server(dir_.path(), options);
    FtpSession session("QUARROW");
    connect(session, server);
    for (int i = 0; i < 40; ++i) {
        const std::string folder = "/f" + std::to_string(i) + "/";
        ASSERT_TRUE(session.changeDir(folder)) << folder << ": " << session.lastError();
        ASSERT_EQ(namesOf(listOk(session, folder)), Names{"x.txt"}) << folder;
    }
    EXPECT_EQ(fetch(session, "/data.bin"), bytes);

    // An empty folder lists as a failure and clears what the caller held.
    std::vector<FtpEntry> entries{FtpEntry{"stale", kAttrNormal, 0, 0}};
    EXPECT_TRUE(session.changeDir("/empty/"));
    EXPECT_FALSE(session.list("/empty/", entries));
    EXPECT_TRUE(entries.empty());
    EXPECT_FALSE(session.lastError().empty());
    // Missing paths, and paths FTP cannot carry, fail without harm to the session.
    for (const std::string& bad :
         {std::string("/missing/"), std::string("/a\r\nb/"), std::string("/a\nb/"),
          std::string("/a\0b/", 5), std::string("ok/")}) {
        SCOPED_TRACE(testing::PrintToString(bad));
        EXPECT_FALSE(session.changeDir(bad));
        EXPECT_FALSE(session.list(bad, entries));
        EXPECT_FALSE(retrieveAny(session, bad + "f.txt"));
        EXPECT_FALSE(session.lastError().empty());
    }
    EXPECT_EQ(namesOf(listOk(session, "/ok/")), Names{"f.txt"});
    std::ifstream log(options.commandLog);
    int logins = 0;
    for (std::string line; std::getline(log, line);) logins += line.starts_with("USER ");
    EXPECT_EQ(logins, 1);

    std::size_t calls = 0;
    EXPECT_FALSE(session.retrieve("/data.bin", [&](const char*, std::size_t) {
        ++calls;
        return false;
    }));
    EXPECT_EQ(calls, 1u);
    EXPECT_EQ(session.lastFailure(), FtpFailure::kFailed);
    // Stopping a download ends that control connection; the next call makes a new one.
    EXPECT_EQ(namesOf(listOk(session, "/ok/")), Names{"f.txt"});
}

TEST_F(FtpSessionTest, RefusedLoginKilledServerAndUnreachableHostFailCleanly) {
    test::makeTree(dir_.path(), {{"a/f.txt", "f"}, {"b/g.txt", "g"}});
    FtpServer server(dir_.path());
    FtpSession refused("QUARROW");
    EXPECT_FALSE(refused.connect("127.0.0.1", server.port(), test::kFtpUser, "wrong"));
    EXPECT_FALSE(refused.lastError().empty());
    FtpOptions quick;
    quick.reconnect = {3, 10};
    FtpSession session("QUARROW", quick);
    connect(session, server);
    listOk(session, "/a/");

    server.kill();
    std::vector<FtpEntry> entries;
    EXPECT_EQ(returnsInTime([&] { return session.list("/b/", entries); }), false);
    EXPECT_EQ(session.lastFailure(), FtpFailure::kLost);
    EXPECT_FALSE(session.lastError().empty());
    EXPECT_EQ(returnsInTime([&] { return session.changeDir("/a/"); }), false);
    EXPECT_EQ(returnsInTime([&] { return retrieveAny(session, "/a/f.txt"); }), false);
    FtpSession nobody("QUARROW");
    EXPECT_EQ(returnsInTime([&] { return nobody.connect("127.0.0.1", server.port(), "", ""); }),
              false);
    EXPECT_FALSE(nobody.connect("no host", 21, "", ""));
    FtpSession neverConnected("QUARROW");
    EXPECT_FALSE(neverConnected.list("/", entries));
    EXPECT_FALSE(neverConnected.changeDir("/"));
}

TEST_F(FtpSessionTest, CloseStopsAStalledListingAndEveryLaterCall) {
    test::makeTree(dir_.path(), {{"f.txt", "f"}});
    FtpServerOptions options;
    options.listDelaySeconds = 60;
    FtpServer server(dir_.path(), options);
    FtpSession session("QUARROW");
    connect(session, server);
    ASSERT_TRUE(session.changeDir("/"));
    std::vector<FtpEntry> entries;
    expectCloseEnds(session, [&] { return session.list("/", entries); });
    EXPECT_EQ(returnsInTime([&] { return session.changeDir("/"); }), false);
    EXPECT_EQ(returnsInTime([&] { return session.list("/", entries); }), false);
}

TEST_F(FtpSessionTest, SilentOrHungServersTimeOutOrAreLeftAtClose) {
    test::SilentServer silent;
    FtpSession greetless("QUARROW", quickOptions());
    EXPECT_EQ(returnsInTime([&] { return greetless.connect("127.0.0.1", silent.port(), "", ""); }),
              false);
    EXPECT_FALSE(greetless.isClosed());
    FtpSession closing("QUARROW");
    expectCloseEnds(closing, [&] { return closing.connect("127.0.0.1", silent.port(), "", ""); });
    EXPECT_TRUE(closing.isClosed());

    test::makeTree(dir_.path(), {{"f.txt", "f"}});
    FtpServer server(dir_.path());
    FtpSession early("QUARROW");  // closed before it connects: never reaches the server
    early.close();
    EXPECT_FALSE(early.connect("127.0.0.1", server.port(), "", ""));
    FtpSession session("QUARROW", quickOptions());
    auto closed = std::make_unique<FtpSession>("QUARROW");
    connect(session, server);
    connect(*closed, server);
    server.freeze();
    std::vector<FtpEntry> entries;
    EXPECT_EQ(returnsInTime([&] { return session.list("/", entries); }), false);
    EXPECT_EQ(session.lastFailure(), FtpFailure::kLost);
    EXPECT_FALSE(session.isClosed());
    closed->close();
    EXPECT_EQ(returnsInTime([&] {
                  closed.reset();
                  return true;
              }),
              true)
        << "destroying a closed session waited for the server";
}

TEST_F(FtpSessionTest, AStalledStatEndsAtCloseOrCostsAReconnectionAtTheTimeout) {
    test::makeTree(dir_.path(), {{"pub/f.txt", "f"}});
    FtpServerOptions options;
    options.statDelaySeconds = 60;
    FtpServer server(dir_.path(), options);
    FtpSession closing("QUARROW");
    connect(closing, server);
    ASSERT_TRUE(closing.changeDir("/"));
    std::vector<FtpEntry> entries;
    expectCloseEnds(closing, [&] { return closing.list("/", entries); });
    EXPECT_EQ(returnsInTime([&] { return closing.changeDir("/pub/"); }), false);

    FtpOptions quick;
    quick.timeouts.responseSeconds = 1;
    auto session = std::make_unique<FtpSession>("QUARROW", quick);
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
}  // namespace quarrow
