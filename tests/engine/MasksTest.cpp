#include <gtest/gtest.h>

#include "engine/Masks.h"
#include "platform/Cp1251.h"

namespace quarrow {
namespace {

using List = std::vector<std::string>;

TEST(BuildExtensions, SplitsAtStarsAndTrims) {
    EXPECT_EQ(BuildExtensions("*.MP3*.OGG"), (List{".MP3", ".OGG"}));
    EXPECT_EQ(BuildExtensions("*.MP3 *.OGG "), (List{".MP3", ".OGG"}));
    EXPECT_EQ(BuildExtensions("JUNK*.AVI"), (List{".AVI"}));
    EXPECT_EQ(BuildExtensions(" *.* "), (List{"*.*"}));
    EXPECT_EQ(BuildExtensions("*"), List{});
    EXPECT_EQ(BuildExtensions("*.MP3;*.OGG"), (List{".MP3;", ".OGG"}));
    EXPECT_EQ(BuildExtensions("*.A*.BC"), (List{".A", ".BC"}));
    EXPECT_EQ(BuildExtensions("*.MP3*X"), (List{".MP3"}));  // one character after a star is no mask
}

struct MatchCase {
    const char* name;
    const char* mask;
    bool matches;
};

// Names shorter than four characters never match an extension (".mp").
TEST(MatchesMask, FollowsTheExtensionRule) {
    const MatchCase cases[] = {
        {"track.mp3", "*.MP3", true},  {"a.mp3", "*.MP3", true},
        {"a.mp", "*.MP3", false},      {"abcde.mp", "*.MP", true},
        {"ab.mp", "*.MP3", false},     {"mp3", "*.MP3", false},
        {"x.ogg", "*.MP3*.OGG", true}, {"x.ogg.txt", "*.OGG", false},
        {"noext", "*.", true},         {"noext", "*", true},
        {"a.b", "*.*", true},          {"dir.mp3\\x", "*.MP3", false},
        {"c:x.mp3:y", "*.MP3", false}, {"track.MP3", "*.mp3", false},
        {".mp", "*.MP", false},        {"x.mp", "*.MP", true},
    };
    for (const auto& c : cases) {
        const std::string mask = c.mask;
        EXPECT_EQ(MatchesMask(c.name, mask, BuildExtensions(mask)), c.matches)
            << c.name << " against " << c.mask;
    }
}

TEST(MatchesMask, FoldsCyrillicExtensions) {
    const std::string mask = upperCp1251(utf8ToCp1251("*.фото"));
    EXPECT_TRUE(MatchesMask(utf8ToCp1251("Отпуск.Фото"), mask, BuildExtensions(mask)));
    EXPECT_FALSE(MatchesMask(utf8ToCp1251("Отпуск.фот"), mask, BuildExtensions(mask)));
}

}  // namespace
}  // namespace quarrow
