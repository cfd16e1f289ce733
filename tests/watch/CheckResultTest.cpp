#include "watch/CheckResult.h"

#include <cstdint>
#include <filesystem>
#include <set>

#include "engine/SnapshotContainer.h"
#include "engine/SnapshotFile.h"
#include "engine/TestHelpers.h"
#include "watch/ItemText.h"

using namespace std::string_literals;

namespace quarrow::test {
namespace {

constexpr std::time_t kNow = 1'700'000'000;  // 14.11.2023 22:13:20 UTC
const Lines kComments = {"first note", "second"};
const Lines kNames = {
    "a.mp3", "/pub/new", "b c.mp3", "/pub/new/deep", "\xEF\xE5\xF1\xED\xFF.mp3", "odd\\name.mp3"};

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
    // The check writes by the entry's save name and type, the window by the chosen ones.
    bool save(bool window, int type, const std::string& name, std::string* error) {
        entry.TextExport = type;
        if (!window) entry.ResumeBase = name;
        return window ? SaveScanResult(entry, name, type, kComments, kNow, error)
                      : WriteCheckResult(entry, texts, kComments, kNow, error);
    }

    ScopedTimeZone utc{"UTC"};
    TempDir dir;
    WatchEntry entry;
    ThreadTexts texts;
};

// The check writes under the entry's save name by its save type: 1 addresses, 3 and above a
// snapshot whose header comes from the language and names the login, anything else the line
// texts. The window writes under the chosen name by the chosen type: 1 addresses, 2 the line
// texts, anything else a snapshot with a fixed Russian header whose address doubles the "/",
// and its folder of an item stops at the last "/". Either replaces an older file and leaves
// no work file behind.
TEST_F(CheckResult, FilesByTypeAndWriter) {
    const std::string addresses =
        "ftp://ftp.example.org/pub/a.mp3\r\nftp://ftp.example.org/pub/new/\r\n"
        "ftp://ftp.example.org/pub/new/deep/b c.mp3\r\nftp://ftp.example.org/pub/new/deep/\r\n"
        "ftp://ftp.example.org/pub/\xCC\xF3\xE7\xFB\xEA\xE0/\xEF\xE5\xF1\xED\xFF.mp3\r\n"
        "ftp://ftp.example.org/pub/odd\\name.mp3\r\n";
    std::string lineTexts;
    for (const auto& name : kNames) lineTexts += name + "\r\n";
    const std::string stamp = "14.11.2023_22.13.20";
    const Lines checkHeader = {"FTP data: ftp://ftp.example.org/pub/",
                               "Created: " + stamp,
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
        "\xE2\xF0\xE5\xEC\xFF \xF1\xEE\xE7\xE4\xE0\xED\xE8\xFF  -  " + stamp,
        "\xCA\xEE\xEB\xE8\xF7\xE5\xF1\xF2\xE2\xEE \xF4\xE0\xE9\xEB\xEE\xE2  -  6",
        "first note",
        "second",
        "ftp.example.org",
        "*.mp3"};
    const auto snapshot = [&](const std::string& name, bool window) {
        const Lines folders = {"/pub/",
                               "/pub/new/",
                               "/pub/new/deep/",
                               "/pub/new/deep/",
                               "/pub/\xCC\xF3\xE7\xFB\xEA\xE0/",
                               window ? "/pub/" : "/pub/odd/"};
        return packSnapshot(name, buildSnapshotContent(window ? windowHeader : checkHeader,
                                                       toList(folders), toList(kNames)));
    };
    const struct {
        bool window;
        int type;
        const char* file;
    } cases[] = {{false, 1, "result.txt"},    {false, 2, "result.txt"},
                 {false, 0, "result.txt"},    {false, -1, "result.txt"},
                 {false, 3, "result.qrnet"},  {false, 4, "result.qrnet"},
                 {true, 1, "list.txt.txt"},   {true, 2, "list.txt.txt"},
                 {true, 3, "list.txt.qrnet"}, {true, 0, "list.txt.qrnet"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " " + std::to_string(c.type));
        const std::string file = dir.path() + c.file;
        ASSERT_TRUE(writeFileAtomic(file, dir.path() + "x", "old"));
        entry.UserName = c.window ? "anonymous" : "bob";
        std::string error;
        ASSERT_TRUE(save(c.window, c.type, dir.path() + (c.window ? "list.txt" : "result"), &error))
            << error;
        const std::string_view extension =
            std::string_view(c.file).substr(std::string_view(c.file).rfind('.'));
        EXPECT_EQ(bytesOf(file), extension == ".txt" ? (c.type == 1 ? addresses : lineTexts)
                                                     : snapshot(c.file, c.window));
        EXPECT_EQ(files(), std::set<std::string>{c.file});
        std::filesystem::remove(file);
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
        for (const bool window : {false, true})
            for (const int type : {1, 3}) {
                std::string error;
                EXPECT_EQ(save(window, type, name, &error), blank) << name;
                EXPECT_EQ(error.empty(), blank) << name;
                EXPECT_EQ(files(), before) << name;
            }
    }
    EXPECT_EQ(bytesOf(dir.path() + "plain"), "keep");
}

TEST(ItemText, SizesUseDecimalUnitsAndHideZero) {
    const std::pair<std::int32_t, const char*> cases[] = {
        {0, ""},
        {1, "1 bytes"},
        {1000, "1.00 Kb"},
        {1005, "1.00 Kb"},  // "%.2f" of 1.005 as a double
        {999'999, "1000.00 Kb"},
        {1'000'000, "1.00 Mb"},
        {2'147'483'647, "2147.48 Mb"},
        // A 3 000 000 000-byte file keeps only the low 32 bits of its size.
        {static_cast<std::int32_t>(std::uint32_t{3'000'000'000u}), "-1294967296 bytes"},
    };
    for (const auto& [bytes, text] : cases) EXPECT_EQ(FormatItemSize(bytes), text) << bytes;
}

// The name is the last part; the check's folder keeps everything before it, the window's
// stops at the last "/".
TEST(ItemText, NameAndFolderPartsOfAPath) {
    const struct {
        const char *fullName, *name, *check, *window;
    } cases[] = {
        {"/pub/a.mp3", "a.mp3", "/pub/", "/pub/"},
        {"/a.mp3", "a.mp3", "/", "/"},
        {"/pub/", "", "/pub/", "/pub/"},
        {"bare.mp3", "bare.mp3", "", ""},
        // With a "/" present, "\" and ":" belong to the name, yet split the check's folder.
        {"/pub/odd\\x:y.mp3", "odd\\x:y.mp3", nullptr, nullptr},
        {"/pub/odd\\name.mp3", "odd\\name.mp3", "/pub/odd/", "/pub/"},
        {"/pub/x:y/z:w.mp3", "z:w.mp3", "/pub/x:y/z:", "/pub/x:y/"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NameFromPath(c.fullName), c.name) << c.fullName;
        if (!c.check) continue;
        EXPECT_EQ(checkFolderPart(c.fullName), c.check) << c.fullName;
        EXPECT_EQ(windowFolderPart(c.fullName), c.window) << c.fullName;
    }
}

}  // namespace
}  // namespace quarrow::test
