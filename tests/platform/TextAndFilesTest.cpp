
#include <filesystem>
#include <iterator>

#include "engine/TestHelpers.h"
#include "platform/Cp1251.h"
#include "platform/DateTimeText.h"

namespace quarrow::test {
namespace {

TEST(Cp1251, ConvertsBothWaysFoldsCyrillicAndEveryByteRoundTrips) {
    std::string all;
    for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
    EXPECT_EQ(utf8ToCp1251(cp1251ToUtf8(all)), all);
    EXPECT_EQ(cp1251ToUtf8("\xCC\xF3\xE7\xFB\xEA\xE0"), "Музыка");
    EXPECT_EQ(utf8ToCp1251("Ёлка №5"),
              "\xA8\xEB\xEA\xE0 \xB9"
              "5");
    EXPECT_EQ(utf8ToCp1251("日本\xFF"), "???");  // no such character; not UTF-8 at all
    EXPECT_EQ(upperCp1251(utf8ToCp1251("музыка ёж ўї mp3 µ№")),
              utf8ToCp1251("МУЗЫКА ЁЖ ЎЇ MP3 µ№"));
    EXPECT_TRUE(equalsNoCase(utf8ToCp1251("/Pub/Музыка/"), utf8ToCp1251("/PUB/мУЗЫКА/")));
    EXPECT_FALSE(equalsNoCase("/pub/", "/pub"));
    EXPECT_TRUE(startsWithNoCase(utf8ToCp1251("Временное"), utf8ToCp1251("вре")));
}

// A failed write keeps the previous file, and a reader that opened it before a write still reads
// it whole: the new file replaces it by name.
TEST(FileSystem, AtomicWritesReplaceTheFileWholeOrNotAtAll) {
    TempDir dir;
    const std::string target = dir.path() + "snap.qrnet";
    ASSERT_TRUE(writeFileAtomic(target, target + "1tmp", "first complete"));
    std::string error;
    EXPECT_FALSE(writeFileAtomic(target, dir.path() + "missing/1tmp", "second", &error));
    EXPECT_NE(error.find("snap.qrnet"), std::string::npos);
    EXPECT_EQ(bytesOf(target), "first complete");
    std::ifstream reader(target, std::ios::binary);
    ASSERT_TRUE(writeFileAtomic(target, target + "1tmp", "second"));
    EXPECT_EQ(bytesOf(target), "second");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(reader), {}), "first complete");
    EXPECT_FALSE(fileExists(target + "1tmp"));
}

TEST(TextLines, SplitsAtEveryKindOfLineBreakAndJoinsWithCrLf) {
    const struct {
        std::string text;
        Lines lines;
        bool joined = false;  // the text is what joining the lines writes
    } cases[] = {
        {"", {}, true},
        {"a\nb\rc\r\nd\r\n", {"a", "b", "c", "d"}},
        {"\r\n", {""}, true},
        {"a\r\n\r\nb\r\n", {"a", "", "b"}, true},
        {"a\r\r\n", {"a", ""}},  // a lone CR, then CR LF
        {"a\n\r", {"a", ""}},    // LF CR is two breaks, not one
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
    TempDir dir;
    const std::string path = dir.path() + utf8ToCp1251("Музыка.txt");
    const Lines lines = {"/pub/", utf8ToCp1251("Папка"), ""};
    ASSERT_TRUE(writeLinesFile(path, lines));
    EXPECT_TRUE(std::filesystem::exists(dir.path() + "Музыка.txt"));
    EXPECT_EQ(bytesOf(path), "/pub/\r\n\xCF\xE0\xEF\xEA\xE0\r\n\r\n");
    Lines readBack;
    ASSERT_TRUE(readLinesFile(path, readBack));
    EXPECT_EQ(readBack, lines);
    // A missing file fails and leaves the lines alone; so does a write to a missing folder.
    std::string error;
    EXPECT_FALSE(readLinesFile(dir.path() + "absent.txt", readBack, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(readBack, lines);
    EXPECT_FALSE(writeLinesFile(dir.path() + "no/such/folder.txt", {"x"}, &error));
}

// Two-digit fields, a four-digit year and the 24-hour clock, in local time.
TEST(DateTimeText, FormatsStampsAndDatesInLocalTime) {
    ScopedTimeZone zone("UTC-3");  // POSIX sign: three hours east of UTC
    EXPECT_EQ(formatStamp(1044410706), "05.02.2003_05.05.06");
    EXPECT_EQ(formatStamp(1704056399), "31.12.2023_23.59.59");
    EXPECT_EQ(formatDate(1704056400), "01.01.2024");  // 21:00 UTC the day before
}

}  // namespace
}  // namespace quarrow::test
