#include "watch/ItemText.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace quarrow {
namespace {

TEST(ItemText, FormatItemSizeUsesDecimalUnitsAndHidesZero) {
    const struct {
        std::int32_t bytes;
        const char* text;
    } cases[] = {
        {0, ""},
        {1, "1 bytes"},
        {999, "999 bytes"},
        {1000, "1.00 Kb"},
        {1005, "1.00 Kb"},  // "%.2f" of 1.005 as a double
        {999'999, "1000.00 Kb"},
        {1'000'000, "1.00 Mb"},
        {1'500'000, "1.50 Mb"},
        {2'147'483'647, "2147.48 Mb"},
        // A 3 000 000 000-byte file keeps only the low 32 bits of its size.
        {static_cast<std::int32_t>(std::uint32_t{3'000'000'000u}), "-1294967296 bytes"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatItemSize(c.bytes), c.text) << c.bytes;
}

TEST(ItemText, NameFromPathTakesTheLastPart) {
    const struct {
        const char* text;
        const char* name;
    } cases[] = {
        {"/pub/a.mp3", "a.mp3"},
        {"/pub/new", "new"},
        {"/pub/", ""},
        {"a.mp3", "a.mp3"},
        {"C:\\music\\b.mp3", "b.mp3"},
        {"c:b.mp3", "b.mp3"},
        // With a "/" present, "\" and ":" belong to the name.
        {"/pub/odd\\x:y.mp3", "odd\\x:y.mp3"},
    };
    for (const auto& c : cases) EXPECT_EQ(NameFromPath(c.text), c.name) << c.text;
}

TEST(ItemText, FolderPartsOfACheckAndOfTheWindow) {
    const struct {
        const char* fullName;
        const char* check;
        const char* window;
    } cases[] = {
        {"/pub/a.mp3", "/pub/", "/pub/"},
        {"/a.mp3", "/", "/"},
        {"/pub/odd\\name.mp3", "/pub/odd/", "/pub/"},
        {"/pub/x:y/z:w.mp3", "/pub/x:y/z:", "/pub/x:y/"},
        {"bare.mp3", "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(checkFolderPart(c.fullName), c.check) << c.fullName;
        EXPECT_EQ(windowFolderPart(c.fullName), c.window) << c.fullName;
    }
}

}  // namespace
}  // namespace quarrow
