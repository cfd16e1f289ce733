#include <gtest/gtest.h>

#include "engine/HistoryLists.h"
#include "engine/TestHelpers.h"
#include "fixtures/TempDir.h"
#include "platform/FileSystem.h"
#include "platform/TextLines.h"

namespace quarrow::test {
namespace {

using Lines = std::vector<std::string>;

class HistoryListsTest : public ::testing::Test {
protected:
    HistoryListsTest() { makeDirectory(program.path() + "TXT"); }

    std::string file(const char* name) const { return historyFilePath(program.path(), name); }
    void write(const char* name, const Lines& lines) const {
        ASSERT_TRUE(writeLinesFile(file(name), lines));
    }
    std::optional<std::string> bytes(const char* name) const { return bytesOf(file(name)); }

    TempDir program;
};

TEST_F(HistoryListsTest, SortedCombosIgnoreLetterCaseCyrillicIncluded) {
    HistoryList list(file("MASK.txt"), true);
    // "бета", "Альфа", "zeta", "Beta" in Windows-1251.
    list.assign({"\xE1\xE5\xF2\xE0", "\xC0\xEB\xFC\xF4\xE0", "zeta", "Beta"});
    EXPECT_EQ(list.entries(), (Lines{"Beta", "zeta", "\xC0\xEB\xFC\xF4\xE0", "\xE1\xE5\xF2\xE0"}));
    list.add("alpha");
    EXPECT_EQ(list.entries().front(), "alpha");
}

TEST_F(HistoryListsTest, LinesNotYetPresentIgnoreCaseWhileStartComparesExactly) {
    write("PATH.txt", {"/pub/", "/PUB/", "/incoming/"});
    HistoryList path(file("PATH.txt"), true);
    ASSERT_TRUE(path.loadNew());
    EXPECT_EQ(path.entries(), (Lines{"/incoming/", "/pub/"}));

    EXPECT_FALSE(path.addIfNew("/pub/"));
    EXPECT_TRUE(path.addIfNew("/PUB/"));
    ASSERT_TRUE(path.save());
    EXPECT_EQ(bytes("PATH.txt"), "/incoming/\r\n/PUB/\r\n/pub/\r\n");
}

TEST_F(HistoryListsTest, AReplacingFileDropsTheDesignedEntries) {
    HistoryList ident(file("Ident.txt"), true);
    ident.assign({"Quarrow", "Opera"});
    ASSERT_TRUE(ident.loadReplacing());
    EXPECT_EQ(ident.entries(), (Lines{"Opera", "Quarrow"})) << "a missing file changes nothing";
    write("Ident.txt", {"MINE"});
    ASSERT_TRUE(ident.loadReplacing());
    EXPECT_EQ(ident.entries(), (Lines{"MINE"}));
}

TEST_F(HistoryListsTest, ServerLogGetsEachParameterSetOnce) {
    const std::string line = "host  /pub/  *.MP3  anonymous  us@site";
    ASSERT_TRUE(UpdateServerLog(program.path(), line));
    ASSERT_TRUE(UpdateServerLog(program.path(), "HOST  /PUB/  *.mp3  ANONYMOUS  US@SITE"));
    ASSERT_TRUE(UpdateServerLog(program.path(), "other  /  *.*  anonymous  us@site"));
    EXPECT_EQ(bytes("SERVER.txt"), line + "\r\nother  /  *.*  anonymous  us@site\r\n");
}

TEST_F(HistoryListsTest, ServerHistoryIsKeptNewestFirstOnlyWhenItExists) {
    EXPECT_EQ(UpdateServerHistory(program.path(), "host"), ServerHistoryResult::NoFile);
    EXPECT_FALSE(fileExists(file("FTP.txt")));

    write("FTP.txt", {"host", "old"});
    EXPECT_EQ(UpdateServerHistory(program.path(), "host"), ServerHistoryResult::Present);
    EXPECT_EQ(bytes("FTP.txt"), "host\r\nold\r\n");
    EXPECT_EQ(UpdateServerHistory(program.path(), "HOST"), ServerHistoryResult::Inserted);
    EXPECT_EQ(bytes("FTP.txt"), "HOST\r\nhost\r\nold\r\n");
}

TEST_F(HistoryListsTest, ListThatCannotBeWrittenSaysWhy) {
    HistoryList list(program.path() + "missing/Login.txt", true);
    list.add("me");
    std::string error;
    EXPECT_FALSE(list.save(&error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(list.entries(), Lines{"me"});
}

}  // namespace
}  // namespace quarrow::test
