#include "engine/HistoryLists.h"
#include "engine/Settings.h"
#include "engine/StartupRules.h"
#include "engine/TestHelpers.h"

namespace quarrow::test {
namespace {

TEST(Settings, WritesTheKeysInClosingOrderAndReadsThemBackOrTheirDefaults) {
    TempDir dir;
    const std::string path = dir.path() + "quarrow.ini";
    MainSettings saved;
    saved.mainWindow = {-4, -4, 1928, 1048};
    saved.activePage = 6;
    saved.language = 1;
    saved.identText = "Opera ";
    saved.autoUpdate = false;
    saved.lastUpdateCheck = "05.12.2026 14:03:09";
    saved.newFilesWindow = {10, 20, 600, 400};
    ASSERT_TRUE(SaveSettings(path, saved, false));
    Lines lines;
    ASSERT_TRUE(readLinesFile(path, lines));
    std::erase(lines, "");
    // The new-files window's keys are left out while that window does not exist.
    EXPECT_EQ(lines,
              (Lines{"[MainWinLang]", "Lang=1", "[MainWinPos]", "Left=-4", "Top=-4", "Width=1928",
                     "Height=1048", "[MainWinPage]", "Active=6", "[Ident]", "IdentText=Opera ",
                     "[Update]", "cbsupdate=0", "endupdatedate=05.12.2026 14:03:09"}));
    EXPECT_EQ(LoadSettings(path, 0).identText, "Opera") << "values are read back trimmed";

    saved.newFilesView = 2;
    ASSERT_TRUE(SaveSettings(path, saved, true));
    MainSettings loaded = LoadSettings(path, 0);
    EXPECT_EQ((std::vector<int>{loaded.newFilesWindow.left, loaded.newFilesWindow.height,
                                loaded.newFilesView, loaded.mainWindow.width}),
              (std::vector<int>{10, 400, 2, 1928}));

    // A value that is not a number gives that key's default.
    ASSERT_TRUE(writeLinesFile(path, {"[MainWinPos]", "Left=abc", "Top=7", "[MainWinLang]",
                                      "Lang=x1", "[Update]", "cbsupdate=yes"}));
    loaded = LoadSettings(path, 0);
    EXPECT_EQ((std::vector<int>{loaded.mainWindow.left, loaded.mainWindow.top, loaded.language,
                                loaded.autoUpdate}),
              (std::vector<int>{200, 7, 0, 1}));
}

TEST(StartupRulesTest, CommandLineIsSkippedWhenBlankOrTheDayNumberAndVersionHasFourParts) {
    EXPECT_FALSE(CommandLineWanted("", 5) || CommandLineWanted("   ", 5));
    EXPECT_FALSE(CommandLineWanted("2775", 5) || CommandLineWanted(" 17205 ", 31));
    EXPECT_TRUE(CommandLineWanted("2775", 6) && CommandLineWanted("555", 5) &&
                CommandLineWanted("[server=host]", 5));
    const std::pair<const char*, const char*> versions[] = {{"2.5.0.0", "2.5.0.0"},
                                                            {"0.1.0", "0.1.0.0"},
                                                            {"3", "3.0.0.0"},
                                                            {"1.2.3.4.5", "1.2.3.4"},
                                                            {"1.x", "1.0.0.0"},
                                                            {"", ""},
                                                            {"beta", ""}};
    for (const auto& [text, version] : versions) EXPECT_EQ(OwnVersionText(text), version) << text;
}

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
