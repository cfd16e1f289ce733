#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "fixtures/FtpServer.h"
#include "fixtures/TempDir.h"
#include "platform/FtpSession.h"

namespace quarrow {
namespace {

using test::FtpServer;
using test::FtpServerOptions;
using test::TempDir;
using Lines = std::vector<std::string>;

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
    std::ifstream in(path, std::ios::binary);
    Lines lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
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
