#include "engine/HistoryLists.h"

#include "engine/TestHelpers.h"

namespace quarrow::test {
namespace {

// Combos sort without regard to letter case, Cyrillic included, and so does the server log;
// the Start button's check compares exactly.
TEST(HistoryLists, CombosAndTheServerLogIgnoreLetterCaseWhileStartComparesExactly) {
    TempDir program;
    makeDirectory(program.path() + "TXT");
    const auto file = [&](const char* name) { return historyFilePath(program.path(), name); };
    HistoryList list(file("MASK.txt"), true);
    // "бета", "Альфа", "zeta", "Beta" in Windows-1251.
    list.assign({"\xE1\xE5\xF2\xE0", "\xC0\xEB\xFC\xF4\xE0", "zeta", "Beta"});
    EXPECT_EQ(list.entries(), (Lines{"Beta", "zeta", "\xC0\xEB\xFC\xF4\xE0", "\xE1\xE5\xF2\xE0"}));

    HistoryList path(file("PATH.txt"), true);
    path.assign({"/pub/"});
    EXPECT_FALSE(path.addIfNew("/pub/"));
    EXPECT_TRUE(path.addIfNew("/PUB/"));
    // The server log gets each parameter set once, letter case aside.
    ASSERT_TRUE(UpdateServerLog(program.path(), "host  /pub/  *.MP3  anonymous  us@site"));
    ASSERT_TRUE(UpdateServerLog(program.path(), "HOST  /PUB/  *.mp3  ANONYMOUS  US@SITE"));
    EXPECT_EQ(bytesOf(file("SERVER.txt")), "host  /pub/  *.MP3  anonymous  us@site\r\n");
}

}  // namespace
}  // namespace quarrow::test
