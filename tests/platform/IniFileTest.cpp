#include "platform/IniFile.h"

#include "engine/TestHelpers.h"

namespace quarrow::test {
namespace {

const char* const kSample =
    "; settings written by hand\r\n"
    "orphan=before any section\r\n"
    "\r\n"
    "[MainWinPos]\r\n"
    "Left=10\r\n"
    "  Top  =  20  \r\n"
    "; Width is not stored\r\n"
    "Height=300\r\n"
    "\r\n"
    "[Unknown Section]\r\n"
    "Something=kept as is\r\n"
    "\r\n"
    "[mainwinpos]\r\n"
    "Left=999\r\n"
    "[Ident]\r\n"
    "IdentText=Quarrowbrisk\r\n"
    "IdentText=second\r\n"
    "Text=\xCF\xF0\xE8\xE2\xE5\xF2 = \xEC\xE8\xF0\r\n"
    "[broken\r\n"
    ";Commented=1\r\n";

const char* const kNumbers =
    "[N]\r\na=42\r\nb=-7\r\nc=+5\r\nd=12abc\r\ne=abc\r\nf=\r\ng=0x10\r\n"
    "h=99999999999\r\ni=+-1\r\nj=1.5\r\nk=2147483647\r\nl=-2147483648\r\nm=$1F\r\n"
    "[B]\r\none=1\r\nzero=0\r\ntwo=2\r\nyes=yes\r\n";

TEST(IniFile, ReadsRefusesAndRewritesByTheSettingsFileRules) {
    TempDir dir;
    const std::string path = dir.path() + "quarrow.ini";
    const std::string original = std::string(kSample) + kNumbers;
    writeRaw(path, original);
    IniFile ini(path);
    ASSERT_TRUE(ini.load());

    const struct {
        const char* section;
        const char* key;
        std::optional<std::string> value;
    } cases[] = {
        {"MainWinPos", "Left", "10"},  // the first of two same-named sections counts
        {"MAINWINPOS", "top", "20"},   // names ignore case; blanks are dropped
        {"MainWinPos", "Height", "300"},
        {"Unknown Section", "Something", "kept as is"},
        {"Ident", "IdentText", "Quarrowbrisk"},  // the first of two same-named keys counts
        {"Ident", "Text", "\xCF\xF0\xE8\xE2\xE5\xF2 = \xEC\xE8\xF0"},  // split at the first "="
        {"Ident", "Commented", std::nullopt},                          // comments are not keys
        {"", "orphan", std::nullopt},
        {"Missing", "Left", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ini.value(c.section, c.key), c.value) << c.section << "/" << c.key;
    EXPECT_EQ(ini.readString("Missing", "Left", "fallback"), "fallback");
    EXPECT_TRUE(ini.hasSection("unknown section"));

    // Integers and booleans fall back on anything but a decimal in range.
    std::vector<int> integers;
    for (const char* key : {"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l", "m", "z"})
        integers.push_back(ini.readInteger("N", key, -1));
    EXPECT_EQ(integers, (std::vector<int>{42, -7, 5, -1, -1, -1, -1, -1, -1, -1, 2147483647,
                                          -2147483647 - 1, -1, -1}));
    EXPECT_EQ((std::vector<bool>{ini.readBool("B", "one", false), ini.readBool("B", "zero", true),
                                 ini.readBool("B", "two", false), ini.readBool("B", "yes", true),
                                 ini.readBool("B", "yes", false), ini.readBool("B", "z", true)}),
              (std::vector<bool>{true, false, true, true, false, true}));

    // Writes the file could not read back are refused and change nothing.
    std::string error;
    EXPECT_FALSE(ini.writeString("Ident", "Text", "two\r\nlines", &error));
    EXPECT_FALSE(error.empty());
    for (const auto& [section, key] :
         {std::pair{"A", "a=b"}, {"A]", "k"}, {"A", ""}, {"A", " k"}, {"A", ";k"}})
        EXPECT_FALSE(ini.writeString(section, key, "x")) << section << "/" << key;
    EXPECT_EQ(bytesOf(path), original);
    EXPECT_EQ(ini.value("Ident", "Text"), "\xCF\xF0\xE8\xE2\xE5\xF2 = \xEC\xE8\xF0");

    // Rewriting keeps everything else in place.
    ASSERT_TRUE(ini.writeInteger("mainwinpos", "TOP", -4));     // existing key, other spelling
    ASSERT_TRUE(ini.writeInteger("MainWinPos", "Width", 385));  // new key in a section
    ASSERT_TRUE(ini.writeString("Ident", "IdentText", "\xC1\xEE\xF2"));
    ASSERT_TRUE(ini.writeString("F3VIEV", "Active", "2"));  // new section at the end
    std::string expected = original;
    for (const auto& [from, to] : {std::pair{"  Top  =  20  \r\n", "Top=-4\r\n"},
                                   {"Height=300\r\n", "Height=300\r\nWidth=385\r\n"},
                                   {"IdentText=Quarrowbrisk\r\n", "IdentText=\xC1\xEE\xF2\r\n"}})
        expected.replace(expected.find(from), std::string_view(from).size(), to);
    EXPECT_EQ(bytesOf(path), expected + "\r\n[F3VIEV]\r\nActive=2\r\n");
    EXPECT_EQ(ini.readInteger("MainWinPos", "Top", 0), -4);
}

// The first write creates a missing file; an object loaded before another one wrote keeps
// that write.
TEST(IniFile, MissingFileReadsEmptyAndEveryWriteSurvives) {
    TempDir dir;
    const std::string path = dir.path() + "new.ini";
    IniFile ini(path), late(path);
    ASSERT_TRUE(ini.load() && late.load());
    ASSERT_TRUE(ini.writeInteger("MainWinLang", "Lang", 1));
    ASSERT_TRUE(late.writeBool("Update", "cbsupdate", false));
    EXPECT_EQ(bytesOf(path), "[MainWinLang]\r\nLang=1\r\n\r\n[Update]\r\ncbsupdate=0\r\n");
    EXPECT_FALSE(fileExists(path + ".tmp"));

    // A file that cannot be written keeps no value either.
    IniFile unwritable(dir.path() + "missing-folder/quarrow.ini");
    ASSERT_TRUE(unwritable.load());
    std::string error;
    EXPECT_FALSE(unwritable.writeString("A", "k", "v", &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(unwritable.value("A", "k"), std::nullopt);
}

}  // namespace
}  // namespace quarrow::test
