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
        {"C:\\music\\b.mp3", "b.mp3", nullptr, nullptr},
        {"c:b.mp3", "b.mp3", nullptr, nullptr},
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
}  // namespace quarrow
