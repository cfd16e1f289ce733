// Texts and files: Windows-1251, line breaks, dates, and the file system's paths and writes.
#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/TestHelpers.h"
#include "fixtures/TempDir.h"
#include "platform/Cp1251.h"
#include "platform/DateTimeText.h"
#include "platform/FileSystem.h"
#include "platform/TextLines.h"

namespace quarrow {
namespace {

TEST(Cp1251, ConvertsCyrillicBothWaysAndEveryByteRoundTrips) {
    std::string all;
    for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
    EXPECT_EQ(utf8ToCp1251(cp1251ToUtf8(all)), all);
    const std::string music = "\xCC\xF3\xE7\xFB\xEA\xE0";  // "Музыка"
    EXPECT_EQ(cp1251ToUtf8(music), "Музыка");
    EXPECT_EQ(utf8ToCp1251("Ёлка №5"),
              "\xA8\xEB\xEA\xE0 \xB9"
              "5");
    EXPECT_EQ(utf8ToCp1251("日本"), "??");
    EXPECT_EQ(utf8ToCp1251("\xFF"), "?");  // not UTF-8 at all
}

TEST(Cp1251, UpperCasingFoldsCyrillicAndLeavesOtherBytes) {
    EXPECT_EQ(upperCp1251(utf8ToCp1251("музыка ёж ўї mp3")), utf8ToCp1251("МУЗЫКА ЁЖ ЎЇ MP3"));
    EXPECT_EQ(upperCp1251(std::string("\xB5\xB9")), std::string("\xB5\xB9"));  // µ and № stay
    EXPECT_TRUE(equalsNoCase(utf8ToCp1251("/Pub/Музыка/"), utf8ToCp1251("/PUB/мУЗЫКА/")));
    EXPECT_FALSE(equalsNoCase("/pub/", "/pub"));
    EXPECT_TRUE(startsWithNoCase(utf8ToCp1251("Временное"), utf8ToCp1251("вре")));
}

TEST(FileSystem, SplitsPathsIntoFolderNameAndExtension) {
    EXPECT_EQ(folderOf("/a/b/c.qrnet"), "/a/b/");
    EXPECT_EQ(fileNameOf("/a/b/c.qrnet"), "c.qrnet");
    EXPECT_EQ(withoutExtension("/a/b.d/c.qrnet"), "/a/b.d/c");
    EXPECT_EQ(withoutExtension("/a/b.d/c"), "/a/b.d/c");
    EXPECT_EQ(withoutExtension("res_05.12"), "res_05");
}

TEST(FileSystem, FailedAtomicWriteKeepsThePreviousFile) {
    test::TempDir dir;
    const std::string target = dir.path() + "snap.qrnet";
    ASSERT_TRUE(writeFileAtomic(target, target + "1tmp", "first complete"));
    std::string error;
    EXPECT_FALSE(writeFileAtomic(target, dir.path() + "missing/1tmp", "second", &error));
    EXPECT_NE(error.find("snap.qrnet"), std::string::npos);
    std::string bytes;
    ASSERT_TRUE(readWholeFile(target, bytes));
    EXPECT_EQ(bytes, "first complete");
    // A reader that opened the file before the write still reads the previous file whole: the
    // new one replaces it by name, never by writing into it.
    std::ifstream reader(target, std::ios::binary);
    ASSERT_TRUE(writeFileAtomic(target, target + "1tmp", "second"));
    ASSERT_TRUE(readWholeFile(target, bytes));
    EXPECT_EQ(bytes, "second");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(reader), {}), "first complete");
    EXPECT_FALSE(fileExists(target + "1tmp"));
}

struct SplitCase {
    std::string text;
    std::vector<std::string> lines;
    bool joined = false;  // the text is what joining the lines writes
};

TEST(TextLines, SplitsAtEveryKindOfLineBreakAndJoinsWithCrLf) {
    const std::vector<SplitCase> cases = {
        {"", {}, true},
        {"a", {"a"}},
        {"a\r\n", {"a"}},
        {"a\r\nb", {"a", "b"}},
        {"a\nb\rc\r\nd\r\n", {"a", "b", "c", "d"}},
        {"\r\n", {""}, true},
        {"\r\n\r\n", {"", ""}},
        {"a\r\n\r\nb\r\n", {"a", "", "b"}, true},
        {"a\r\r\n", {"a", ""}},  // a lone CR, then CR LF
        {"a\n\r", {"a", ""}},    // LF CR is two breaks, not one
        {"a\n\nb", {"a", "", "b"}},
        {"  a  \r\n", {"  a  "}},
        {"\xCC\xF3\xE7\xFB\xEA\xE0\x98\r\n", {"\xCC\xF3\xE7\xFB\xEA\xE0\x98"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("text: " + testing::PrintToString(c.text));
        EXPECT_EQ(splitLines(c.text), c.lines);
        EXPECT_EQ(splitLines(joinLines(c.lines)), c.lines);
        if (c.joined) {
            EXPECT_EQ(joinLines(c.lines), c.text);
        }
    }
}

TEST(TextLines, FileRoundTripWritesCrLfBytesUnderAUtf8NameAndMissingFilesFail) {
    test::TempDir dir;
    const std::string path = dir.path() + utf8ToCp1251("Музыка.txt");
    const std::vector<std::string> lines = {"/pub/", utf8ToCp1251("Папка"), ""};

    std::string error;
    ASSERT_TRUE(writeLinesFile(path, lines, &error)) << error;
    EXPECT_TRUE(std::filesystem::exists(dir.path() + "Музыка.txt"));
    EXPECT_FALSE(fileExists(path + ".tmp"));

    std::string bytes;
    ASSERT_TRUE(readWholeFile(path, bytes));
    EXPECT_EQ(bytes, "/pub/\r\n\xCF\xE0\xEF\xEA\xE0\r\n\r\n");

    std::vector<std::string> readBack;
    ASSERT_TRUE(readLinesFile(path, readBack, &error)) << error;
    EXPECT_EQ(readBack, lines);

    // A missing file fails and leaves the lines alone; so does a write to a missing folder.
    error.clear();
    EXPECT_FALSE(readLinesFile(dir.path() + "absent.txt", readBack, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(readBack, lines);
    EXPECT_FALSE(writeLinesFile(dir.path() + "no/such/folder.txt", {"x"}, &error));
}

// The process's time zone is UTC for each test and restored afterwards.
class DateTimeTextUtc : public testing::Test {
protected:
    test::ScopedTimeZone zone_{"UTC"};
};

struct StampCase {
    std::time_t t;
    const char* stamp;
    const char* date;
};

TEST_F(DateTimeTextUtc, FormatsTwoDigitFieldsAndFourDigitYear) {
    const StampCase cases[] = {
        {1796464800, "05.12.2026_10.00.00", "05.12.2026"},
        {1044421506, "05.02.2003_05.05.06", "05.02.2003"},  // one-digit fields get a zero
        {1704067199, "31.12.2023_23.59.59", "31.12.2023"},  // 24-hour clock, last second
        {1704067200, "01.01.2024_00.00.00", "01.01.2024"},
        {951782400, "29.02.2000_00.00.00", "29.02.2000"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(formatStamp(c.t), c.stamp) << c.t;
        EXPECT_EQ(formatDate(c.t), c.date) << c.t;
    }
}

TEST_F(DateTimeTextUtc, UsesLocalTimeNotUtc) {
    test::ScopedTimeZone::set("UTC-3");  // POSIX sign: three hours east of UTC
    EXPECT_EQ(formatStamp(1796464800), "05.12.2026_13.00.00");
    EXPECT_EQ(formatDate(1704056400), "01.01.2024");  // 21:00 UTC the day before
}

}  // namespace
}  // namespace quarrow
