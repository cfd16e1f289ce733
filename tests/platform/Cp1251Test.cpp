#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "fixtures/TempDir.h"
#include "platform/Cp1251.h"
#include "platform/FileSystem.h"

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

}  // namespace
}  // namespace quarrow
