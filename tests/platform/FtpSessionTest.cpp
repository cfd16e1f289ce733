#include "platform/FtpSession.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

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

namespace quarrow {
namespace {

using namespace std::chrono_literals;
using test::FtpServer;
using test::FtpServerOptions;
using test::TempDir;

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
std::vector<std::string> namesOf(const std::vector<FtpEntry>& entries) {
    std::vector<std::string> names;
    for (const FtpEntry& e : entries) names.push_back(e.name);
    std::sort(names.begin(), names.end());
    return names;
}

void setModified(const std::string& path, std::time_t utc) {
    const timespec times[2] = {{utc, 0}, {utc, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0) << path;
}

class FtpSessionTest : public ::testing::Test {
protected:
    void connect(FtpSession& session, const FtpServer& server, bool named = false) {
        ASSERT_TRUE(session.connect("127.0.0.1", server.port(), named ? test::kFtpUser : "",
                                    named ? test::kFtpPassword : ""))
            << session.lastError();
    }

    static std::string fetch(FtpSession& session, const std::string& path) {
        std::string content;
        EXPECT_TRUE(session.retrieve(path,
                                     [&](const char* data, std::size_t n) {
                                         content.append(data, n);
                                         return true;
                                     }))
            << path << ": " << session.lastError();
        return content;
    }

    std::vector<FtpEntry> listOk(FtpSession& session, const std::string& folder) {
        std::vector<FtpEntry> entries;
        EXPECT_TRUE(session.list(folder, entries)) << folder << ": " << session.lastError();
        return entries;
    }

    // Runs `call` on another thread; nothing when it did not return within the watchdog time.
    template <typename Call>
    static std::optional<bool> returnsInTime(Call call) {
        auto pending = std::async(std::launch::async, call);
        if (pending.wait_for(kWatchdog) != std::future_status::ready) return std::nullopt;
        return pending.get();
    }

    TempDir dir_;
};

// Listing the same tree with MLSD and with LIST.
class FtpListingMethodTest : public FtpSessionTest, public ::testing::WithParamInterface<bool> {};

TEST_P(FtpListingMethodTest, ListsFoldersFilesAndTimes) {
    const bool mlsd = GetParam();
    test::makeTree(dir_.path(),
                   {{"docs/readme.txt", "hello"}, {"a.bin", "0123456789"}, {"empty/", ""}});
    const std::time_t when = 1577934245;  // 2020-01-02 03:04:05 UTC
    setModified(dir_.path() + "a.bin", when);
    FtpServerOptions options;
    options.mlsd = mlsd;
    FtpServer server(dir_.path(), options);
    FtpSession session("QUARROW");
    ASSERT_TRUE(session.valid());
    connect(session, server);
    EXPECT_EQ(session.usesMlsd(), mlsd);

    const auto entries = listOk(session, "/");
    ASSERT_EQ(entries.size(), 3u) << testing::PrintToString(namesOf(entries));
    const FtpEntry* docs = find(entries, "docs");
    const FtpEntry* file = find(entries, "a.bin");
    ASSERT_TRUE(docs && file && find(entries, "empty"));
    EXPECT_EQ(docs->attributes, kAttrDirectory);
    EXPECT_EQ(file->attributes, kAttrNormal);
    EXPECT_EQ(file->size, 10u);
    // MLSD gives the second; LIST shows an old file's day only.
    EXPECT_EQ(file->mtime, mlsd ? when : when - (when % 86400));

    const auto inDocs = listOk(session, "/docs/");
    EXPECT_EQ(namesOf(inDocs), std::vector<std::string>{"readme.txt"});
    EXPECT_EQ(session.usesMlsd(), mlsd);
}

TEST_P(FtpListingMethodTest, NamesWithSpecialBytesRoundTrip) {
    // Names a URL, a glob or a code-page conversion would change: each is a folder, listed from
    // its parent, then entered and listed by the name exactly as it was received.
    const std::vector<std::string> names = {
        "a[1]*b",
        "100% #1 ?",
        "semi;colon",
        " lead",
        "-dash",
        "trail ",
        "\xcf\xf0\xe8\xe2\xe5\xf2 \xff",  // Windows-1251 "Привет я", not valid UTF-8
    };
    std::vector<test::TreeItem> tree;
    for (const std::string& name : names) tree.push_back({name + "/inner.txt", name});
    test::makeTree(dir_.path(), tree);
    FtpServerOptions options;
    options.mlsd = GetParam();
    FtpServer server(dir_.path(), options);
    FtpSession session("QUARROW");
    connect(session, server);

    const auto root = listOk(session, "/");
    for (const std::string& name : names) {
        SCOPED_TRACE("[" + name + "]");
        const FtpEntry* entry = find(root, name);
        ASSERT_NE(entry, nullptr) << testing::PrintToString(namesOf(root));
        EXPECT_EQ(entry->attributes, kAttrDirectory);
        const std::string folder = "/" + entry->name + "/";
        EXPECT_TRUE(session.changeDir(folder)) << session.lastError();
        EXPECT_EQ(namesOf(listOk(session, folder)), std::vector<std::string>{"inner.txt"});
        EXPECT_EQ(fetch(session, folder + "inner.txt"), name);
    }
}

TEST_P(FtpListingMethodTest, SymbolicLinksAreFilesNeverFolders) {
    test::makeTree(dir_.path(), {{"real/file.txt", "x"}});
    namespace fs = std::filesystem;
    fs::create_directory_symlink("real", dir_.path() + "dirlink");
    fs::create_symlink("real/file.txt", dir_.path() + "filelink");
    fs::create_directory_symlink("..", dir_.path() + "real/loop");
    FtpServerOptions options;
    options.mlsd = GetParam();
    FtpServer server(dir_.path(), options);
    FtpSession session("QUARROW");
    connect(session, server);

    const auto root = listOk(session, "/");
    for (const char* name : {"dirlink", "filelink"}) {
        const FtpEntry* link = find(root, name);
        ASSERT_NE(link, nullptr) << name;
        EXPECT_EQ(link->attributes, kAttrReparsePoint | kAttrNormal) << name;
    }
    const auto real = listOk(session, "/real/");
    const FtpEntry* loop = find(real, "loop");
    ASSERT_NE(loop, nullptr);
    EXPECT_NE(loop->attributes, kAttrDirectory);
}

INSTANTIATE_TEST_SUITE_P(MlsdAndList, FtpListingMethodTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Mlsd" : "List"; });

TEST_F(FtpSessionTest, FallsBackToListWhenMlsdIsRefused) {
    test::makeTree(dir_.path(), {{"one.txt", "1"}, {"sub/two.txt", "2"}});
    FtpServerOptions options;
    options.brokenMlsd = true;
    FtpServer server(dir_.path(), options);
    FtpSession session("QUARROW");
    connect(session, server);
    EXPECT_TRUE(session.usesMlsd());

    EXPECT_EQ(namesOf(listOk(session, "/")), (std::vector<std::string>{"one.txt", "sub"}));
    EXPECT_FALSE(session.usesMlsd());
    EXPECT_EQ(namesOf(listOk(session, "/sub/")), std::vector<std::string>{"two.txt"});
}

TEST_F(FtpSessionTest, PathsAreAbsoluteWhenTheLoginFolderIsNotTheRoot) {
    test::makeTree(dir_.path(), {{"top.txt", "t"}, {"home/inside.txt", "i"}});
    FtpServerOptions options;
    options.homeSubdir = "home";
    FtpServer server(dir_.path(), options);
    FtpSession session("QUARROW");
    connect(session, server, true);

    EXPECT_EQ(namesOf(listOk(session, "/")), (std::vector<std::string>{"home", "top.txt"}));
    EXPECT_TRUE(session.changeDir("/")) << session.lastError();
    EXPECT_EQ(namesOf(listOk(session, "/home/")), std::vector<std::string>{"inside.txt"});
    EXPECT_EQ(fetch(session, "/top.txt"), "t");
}

TEST_F(FtpSessionTest, EmptyOrMissingFolderCannotBeListedAndTheSessionGoesOn) {
    test::makeTree(dir_.path(), {{"empty/", ""}, {"full/f.txt", "f"}});
    FtpServer server(dir_.path());
    FtpSession session("QUARROW");
    connect(session, server);

    std::vector<FtpEntry> entries{FtpEntry{"stale", kAttrNormal, 0, 0}};
    EXPECT_TRUE(session.changeDir("/empty/"));
    EXPECT_FALSE(session.list("/empty/", entries));
    EXPECT_TRUE(entries.empty());
    EXPECT_FALSE(session.lastError().empty());

    EXPECT_FALSE(session.changeDir("/missing/"));
    EXPECT_FALSE(session.list("/missing/", entries));
    EXPECT_FALSE(session.retrieve("/missing.txt", [](const char*, std::size_t) { return true; }));
    EXPECT_FALSE(session.lastError().empty());

    EXPECT_EQ(namesOf(listOk(session, "/full/")), std::vector<std::string>{"f.txt"});
}

TEST_F(FtpSessionTest, PathsFtpCannotCarryFailWithoutHarm) {
    test::makeTree(dir_.path(), {{"ok/f.txt", "f"}});
    FtpServer server(dir_.path());
    FtpSession session("QUARROW");
    connect(session, server);

    for (const std::string& bad : {std::string("/a\r\nb/"), std::string("/a\nb/"),
                                   std::string("/a\0b/", 5), std::string("ok/")}) {
        SCOPED_TRACE(testing::PrintToString(bad));
        std::vector<FtpEntry> entries;
        EXPECT_FALSE(session.changeDir(bad));
        EXPECT_FALSE(session.list(bad, entries));
        EXPECT_FALSE(
            session.retrieve(bad + "f.txt", [](const char*, std::size_t) { return true; }));
        EXPECT_FALSE(session.lastError().empty());
    }
    EXPECT_EQ(namesOf(listOk(session, "/ok/")), std::vector<std::string>{"f.txt"});
}

TEST_F(FtpSessionTest, RetrievesBytesExactlyAndStopsWhenTheReceiverSaysSo) {
    std::string bytes;
    for (int round = 0; round < 300; ++round) {
        for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
        bytes += "\r\n\n\r";
    }
    test::makeTree(dir_.path(), {{"data.bin", bytes}});
    FtpServer server(dir_.path());
    FtpSession session("QUARROW");
    connect(session, server);

    EXPECT_EQ(fetch(session, "/data.bin"), bytes);

    std::size_t calls = 0;
    EXPECT_FALSE(session.retrieve("/data.bin", [&](const char*, std::size_t) {
        ++calls;
        return false;
    }));
    EXPECT_EQ(calls, 1u);
    EXPECT_EQ(session.lastFailure(), FtpFailure::kFailed);
    // Stopping a download ends that control connection; the next call makes a new one.
    EXPECT_EQ(namesOf(listOk(session, "/")), std::vector<std::string>{"data.bin"});
}

TEST_F(FtpSessionTest, ManyFoldersShareOneControlConnection) {
    constexpr int kFolders = 40;
    std::vector<test::TreeItem> tree;
    for (int i = 0; i < kFolders; ++i) tree.push_back({"f" + std::to_string(i) + "/x.txt", "x"});
    test::makeTree(dir_.path(), tree);
    TempDir logs;
    FtpServerOptions options;
    options.commandLog = logs.path() + "commands.log";
    FtpServer server(dir_.path(), options);
    FtpSession session("QUARROW");
    connect(session, server);
    for (int i = 0; i < kFolders; ++i) {
        const std::string folder = "/f" + std::to_string(i) + "/";
        ASSERT_TRUE(session.changeDir(folder)) << folder << ": " << session.lastError();
        ASSERT_EQ(namesOf(listOk(session, folder)), std::vector<std::string>{"x.txt"}) << folder;
    }
    std::ifstream log(options.commandLog);
    int logins = 0;
    for (std::string line; std::getline(log, line);) logins += line.starts_with("USER ");
    EXPECT_EQ(logins, 1);
}

TEST_F(FtpSessionTest, RefusedLoginAndUnreachableHostFail) {
    FtpServer server(dir_.path());
    FtpSession refused("QUARROW");
    EXPECT_FALSE(refused.connect("127.0.0.1", server.port(), test::kFtpUser, "wrong"));
    EXPECT_FALSE(refused.lastError().empty());

    const int port = server.port();
    server.kill();
    FtpSession nobody("QUARROW");
    EXPECT_EQ(returnsInTime([&] { return nobody.connect("127.0.0.1", port, "", ""); }), false);
    FtpSession badHost("QUARROW");
    EXPECT_FALSE(badHost.connect("no host", 21, "", ""));

    std::vector<FtpEntry> entries;
    FtpSession neverConnected("QUARROW");
    EXPECT_FALSE(neverConnected.list("/", entries));
    EXPECT_FALSE(neverConnected.changeDir("/"));
}

TEST_F(FtpSessionTest, ServerKilledMidSessionFailsLaterCallsCleanly) {
    test::makeTree(dir_.path(), {{"a/f.txt", "f"}, {"b/g.txt", "g"}});
    FtpServer server(dir_.path());
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
    EXPECT_EQ(returnsInTime([&] {
                  return session.retrieve("/a/f.txt",
                                          [](const char*, std::size_t) { return true; });
              }),
              false);
}

TEST_F(FtpSessionTest, CloseStopsAConnectToAHostThatNeverGreets) {
    test::SilentServer silent;
    FtpSession session("QUARROW");
    auto pending = std::async(std::launch::async,
                              [&] { return session.connect("127.0.0.1", silent.port(), "", ""); });
    std::this_thread::sleep_for(kLetCallStart);
    ASSERT_EQ(pending.wait_for(0s), std::future_status::timeout) << "connect() should be waiting";
    session.close();
    ASSERT_EQ(pending.wait_for(kWatchdog), std::future_status::ready)
        << "connect() hung after close()";
    EXPECT_FALSE(pending.get());
    EXPECT_TRUE(session.isClosed());

    // A session closed before it connects never reaches the server.
    FtpServer server(dir_.path());
    FtpSession early("QUARROW");
    early.close();
    EXPECT_FALSE(early.connect("127.0.0.1", server.port(), "", ""));
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
    auto pending = std::async(std::launch::async, [&] { return session.list("/", entries); });
    std::this_thread::sleep_for(kLetCallStart);
    ASSERT_EQ(pending.wait_for(0s), std::future_status::timeout) << "list() should be waiting";
    session.close();
    session.close();  // a second close is harmless
    ASSERT_EQ(pending.wait_for(kWatchdog), std::future_status::ready)
        << "list() hung after close()";
    EXPECT_FALSE(pending.get());

    EXPECT_EQ(returnsInTime([&] { return session.changeDir("/"); }), false);
    EXPECT_EQ(returnsInTime([&] { return session.list("/", entries); }), false);
}

TEST_F(FtpSessionTest, ClosedSessionIsDestroyedWithoutWaitingForAHungServer) {
    FtpServer server(dir_.path());
    auto session = std::make_unique<FtpSession>("QUARROW");
    connect(*session, server);
    server.freeze();
    session->close();
    EXPECT_EQ(returnsInTime([&] {
                  session.reset();
                  return true;
              }),
              true)
        << "destroying a closed session waited for the server";
}

TEST_F(FtpSessionTest, SilentHostAndHungServerTimeOutWithoutClose) {
    FtpOptions quick;
    quick.timeouts.connectSeconds = 1;
    quick.timeouts.responseSeconds = 1;
    quick.reconnect = {2, 10};
    test::SilentServer silent;
    FtpSession greetless("QUARROW", quick);
    EXPECT_EQ(returnsInTime([&] { return greetless.connect("127.0.0.1", silent.port(), "", ""); }),
              false);
    EXPECT_FALSE(greetless.isClosed());

    test::makeTree(dir_.path(), {{"f.txt", "f"}});
    FtpServer server(dir_.path());
    FtpSession session("QUARROW", quick);
    connect(session, server);
    server.freeze();
    std::vector<FtpEntry> entries;
    EXPECT_EQ(returnsInTime([&] { return session.list("/", entries); }), false);
    EXPECT_EQ(session.lastFailure(), FtpFailure::kLost);
    EXPECT_FALSE(session.isClosed());
}

}  // namespace
}  // namespace quarrow
