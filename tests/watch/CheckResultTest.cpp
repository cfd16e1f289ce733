#include "watch/CheckResult.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "engine/SnapshotContainer.h"
#include "engine/SnapshotFile.h"
#include "engine/TestHelpers.h"
#include "fixtures/TempDir.h"
#include "platform/FileSystem.h"

using namespace std::string_literals;

namespace quarrow {
namespace {

using Lines = std::vector<std::string>;
using test::linesOf;

// 14.11.2023 22:13:20 UTC.
constexpr std::time_t kNow = 1'700'000'000;
const std::string kStamp = "14.11.2023_22.13.20";
const Lines kComments = {"first note", "second"};

// A list block written out by hand: tagged byte count, then every line with CR LF.
std::string block(const Lines& lines) {
    std::string text;
    for (const auto& line : lines) text += line + "\r\n";
    std::string out;
    if (text.size() < 128) {
        out = {'\x02', static_cast<char>(text.size())};
    } else {
        out = {'\x03', static_cast<char>(text.size() & 0xFF), static_cast<char>(text.size() >> 8)};
    }
    return out + text;
}

std::string u32(std::size_t value) {
    std::string out;
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    return out;
}

class CheckResult : public testing::Test {
protected:
    void SetUp() override {
        entry.Server = "ftp.example.org";
        entry.Path = "/pub/";
        entry.Mask = "*.mp3";
        entry.UserName = "bob";
        entry.ResumeBase = dir.path() + "result";
        for (const TMainObj& item : std::vector<TMainObj>{
                 {100, 0, "/pub/a.mp3", false},
                 {0, 0, "/pub/new/", true},
                 {2'000, 0, "/pub/new/deep/b c.mp3", false},
                 {0, 0, "/pub/new/deep/", true},
                 // "/pub/Музыка/песня.mp3"
                 {7, 0, "/pub/\xCC\xF3\xE7\xFB\xEA\xE0/\xEF\xE5\xF1\xED\xFF.mp3", false},
                 {9, 0, "/pub/odd\\name.mp3", false}})
            entry.NewItems.append(item);
        texts.dataftpserver = "FTP data: ftp://";
        texts.timecreate = "Created: ";
        texts.countfilet = "Files: ";
        texts.nologin = "Login used";
    }

    std::set<std::string> files() const {
        std::set<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(dir.path()))
            names.insert(e.path().filename().string());
        return names;
    }
    std::string bytesOf(const std::string& name) const {
        return test::bytesOf(dir.path() + name).value_or("<" + name + " missing>");
    }
    // The file must be a snapshot named after itself holding exactly these three blocks.
    void expectSnapshot(const std::string& name, const Lines& header, const Lines& folders) {
        const std::string bytes = bytesOf(name);
        const std::string lead = "\x01\x00\x00\x00"s + u32(name.size()) + name;
        ASSERT_GT(bytes.size(), lead.size() + 4);
        EXPECT_EQ(bytes.substr(0, lead.size()), lead);
        std::string entryName, content;
        ASSERT_TRUE(unpackSnapshot(bytes, entryName, content, nullptr));
        EXPECT_EQ(content, block(header) + block(folders) + block(kNames));
        EXPECT_EQ(bytes.substr(lead.size(), 4), u32(content.size()));

        SnapshotData data;
        std::string error;
        ASSERT_TRUE(readSnapshotFile(dir.path() + name, data, &error)) << error;
        EXPECT_TRUE(data.isFtp);
        EXPECT_EQ(data.header, header);
        EXPECT_EQ(linesOf(data.dirs), folders);
        EXPECT_EQ(linesOf(data.names), kNames);
    }

    const Lines kNames = {
        "a.mp3",        "/pub/new", "b c.mp3", "/pub/new/deep", "\xEF\xE5\xF1\xED\xFF.mp3",
        "odd\\name.mp3"};
    const std::string kAddresses =
        "ftp://ftp.example.org/pub/a.mp3\r\n"
        "ftp://ftp.example.org/pub/new/\r\n"
        "ftp://ftp.example.org/pub/new/deep/b c.mp3\r\n"
        "ftp://ftp.example.org/pub/new/deep/\r\n"
        "ftp://ftp.example.org/pub/\xCC\xF3\xE7\xFB\xEA\xE0/\xEF\xE5\xF1\xED\xFF.mp3\r\n"
        "ftp://ftp.example.org/pub/odd\\name.mp3\r\n";
    const std::string kLineTexts =
        "a.mp3\r\n/pub/new\r\nb c.mp3\r\n/pub/new/deep\r\n\xEF\xE5\xF1\xED\xFF.mp3\r\n"
        "odd\\name.mp3\r\n";

    test::ScopedTimeZone utc{"UTC"};
    test::TempDir dir;
    WatchEntry entry;
    ThreadTexts texts;
};

// The check writes under the entry's save name by its save type; the window under a chosen
// name by the chosen type. Either replaces an older file and leaves no work file behind.
TEST_F(CheckResult, TextListsByTypeAndWriter) {
    const struct {
        bool window;
        int type;
        const std::string& text;
    } cases[] = {{false, 1, kAddresses},  {false, 2, kLineTexts}, {false, 0, kLineTexts},
                 {false, -1, kLineTexts}, {true, 1, kAddresses},  {true, 2, kLineTexts}};
    for (const auto& c : cases) {
        const std::string name = c.window ? "list.txt.txt" : "result.txt";
        ASSERT_TRUE(writeFileAtomic(dir.path() + name, dir.path() + "x", "old"));
        entry.TextExport = c.window ? 3 : c.type;  // the window ignores the entry's type
        std::string error;
        ASSERT_TRUE(c.window ? SaveScanResult(entry, dir.path() + "list.txt", c.type, kComments,
                                              kNow, &error)
                             : WriteCheckResult(entry, texts, kComments, kNow, &error))
            << error;
        EXPECT_EQ(bytesOf(name), c.text) << c.type;
        EXPECT_EQ(files(), std::set<std::string>{name}) << c.type;
        std::filesystem::remove(dir.path() + name);
    }
}

// The check's header comes from the language and names the login; the window's is fixed
// Russian text whose address doubles the "/". The window's folder of an item stops at "/".
TEST_F(CheckResult, SnapshotsHoldTheHeaderAndEveryItemsFolder) {
    const Lines checkHeader = {"FTP data: ftp://ftp.example.org/pub/",
                               "Created: " + kStamp,
                               "Files: 6",
                               "Login used",
                               "first note",
                               "second",
                               "ftp.example.org",
                               "*.mp3"};
    const Lines windowHeader = {
        // "Данные о ftp сервере ftp://", "время создания  -  ", "Количество файлов  -  "
        "\xC4\xE0\xED\xED\xFB\xE5 \xEE ftp \xF1\xE5\xF0\xE2\xE5\xF0\xE5 "
        "ftp://ftp.example.org//pub/",
        "\xE2\xF0\xE5\xEC\xFF \xF1\xEE\xE7\xE4\xE0\xED\xE8\xFF  -  " + kStamp,
        "\xCA\xEE\xEB\xE8\xF7\xE5\xF1\xF2\xE2\xEE \xF4\xE0\xE9\xEB\xEE\xE2  -  6",
        "first note",
        "second",
        "ftp.example.org",
        "*.mp3"};
    const Lines folders = {"/pub/", "/pub/new/", "/pub/new/deep/", "/pub/new/deep/",
                           "/pub/\xCC\xF3\xE7\xFB\xEA\xE0/"};
    for (const auto& [window, type] :
         {std::pair{false, 3}, std::pair{false, 4}, std::pair{true, 3}, std::pair{true, 0}}) {
        const std::string name = window ? "snap.qrnet" : "result.qrnet";
        entry.TextExport = type;
        entry.UserName = window ? "anonymous" : "bob";
        std::string error;
        ASSERT_TRUE(window
                        ? SaveScanResult(entry, dir.path() + "snap", type, kComments, kNow, &error)
                        : WriteCheckResult(entry, texts, kComments, kNow, &error))
            << error;
        Lines itemFolders = folders;
        itemFolders.push_back(window ? "/pub/" : "/pub/odd/");
        expectSnapshot(name, window ? windowHeader : checkHeader, itemFolders);
        EXPECT_EQ(files(), std::set<std::string>{name}) << type;
        std::filesystem::remove(dir.path() + name);
    }
}

// A blank name writes nothing and succeeds; an unusable one fails saying why and leaves the
// folder as it was.
TEST_F(CheckResult, BlankOrUnusableSaveNames) {
    ASSERT_TRUE(writeFileAtomic(dir.path() + "plain", dir.path() + "x", "keep"));
    for (const char* taken : {"taken.txt", "taken.qrnet"})
        ASSERT_TRUE(makeDirectory(dir.path() + taken));
    const std::set<std::string> before = files();
    const std::string cases[] = {
        "",
        "  \t ",
        dir.path() + "plain/result",    // folder is a regular file
        dir.path() + "missing/result",  // folder does not exist
        dir.path() + "nul\0name"s,      // NUL in the name
        dir.path() + "sub/",            // no file name at all
        dir.path() + "taken",           // the targets are folders: the rename fails
    };
    for (const std::string& name : cases) {
        const bool blank = name.find_first_not_of(" \t") == std::string::npos;
        for (int type : {1, 3}) {
            std::string error;
            EXPECT_EQ(SaveScanResult(entry, name, type, kComments, kNow, &error), blank) << name;
            EXPECT_EQ(error.empty(), blank) << name;
            entry.ResumeBase = name;
            entry.TextExport = type;
            error.clear();
            EXPECT_EQ(WriteCheckResult(entry, texts, kComments, kNow, &error), blank) << name;
            EXPECT_EQ(error.empty(), blank) << name;
            EXPECT_EQ(files(), before) << name;
        }
    }
    EXPECT_EQ(bytesOf("plain"), "keep");
}

}  // namespace
}  // namespace quarrow
