#include "watch/WatchEditing.h"

#include <gtest/gtest.h>

#include "fixtures/TempDir.h"
#include "platform/FileSystem.h"
#include "platform/TextLines.h"
#include "watch/SpyFile.h"

namespace quarrow {
namespace {

using Lines = std::vector<std::string>;
using Kind = WatchEditResult::Kind;

constexpr std::time_t kNow = 1'700'000'000;

WatchForm typed(const char* server, const char* path, const char* mask) {
    WatchForm form;
    form.server = server;
    form.path = path;
    form.mask = mask;
    return form;
}

TEST(WatchEditingNormalise, TypedTextsBecomeWhatAnEntryNeeds) {
    const struct {
        const char *server, *path, *mask, *user;
        Lines normalised;
    } cases[] = {
        {" ftp://host ", "pub", ".mp3", "", {"host", "/pub/", "*.mp3", "anonymous"}},
        {"ftp:// host", "", "  ", " ", {"host", "/", "*.*", "anonymous"}},
        {"FTP://host", "/a", "*.avi", " me ", {"FTP://host", "/a/", "*.avi", " me "}},
    };
    for (const auto& c : cases) {
        WatchForm form = typed(c.server, c.path, c.mask);
        form.user = c.user;
        NormaliseWatchForm(form);
        EXPECT_EQ((Lines{form.server, form.path, form.mask, form.user}), c.normalised);
    }
}

TEST(WatchEditingTexts, RefusesWhatCouldNotLoadBack) {
    const struct {
        std::string WatchForm::*text;
        std::string value;
        const char* refusedField;  // null: accepted
    } cases[] = {
        {&WatchForm::password, "a|user=b", "password"},
        {&WatchForm::saveName, "/tmp/x|indirchild=", "save name"},
        {&WatchForm::server, "h|interval", "server"},
        {&WatchForm::path, "/a\r\n/", "start folder"},
        {&WatchForm::user, std::string("m\0e", 3), "user name"},
        {&WatchForm::mask, "*.mp3|user=", nullptr},  // stored upper-cased: no marker
        {&WatchForm::password, "a|b=c", nullptr},
    };
    for (const auto& c : cases) {
        WatchForm form = typed("h", "/", "*.*");
        form.*c.text = c.value;
        const auto message = CheckWatchTexts(form);
        EXPECT_EQ(message.has_value(), c.refusedField != nullptr) << c.value;
        if (message && c.refusedField) {
            EXPECT_NE(message->find(c.refusedField), std::string::npos) << *message;
        }
    }
}

class WatchEditingTest : public testing::Test {
protected:
    WatchEditingTest() {
        makeDirectory(program.path() + "TXT");
        texts.form.start1 = "in ";
        texts.form.dostr = "check ";
        texts.form.prov = " next ";
        texts.form.dubladd2 = "already line ";
    }

    std::string txt(const char* name) const { return historyFilePath(program.path(), name); }
    Lines fileLines(const std::string& path) const {
        Lines lines;
        readLinesFile(path, lines);
        return lines;
    }
    WatchEditResult add(const WatchForm& form) {
        return AddWatchEntry(table, form, history, program.path(), texts, kNow);
    }
    WatchEditResult change(int line, const WatchForm& form) {
        return ChangeWatchEntry(table, line, form, history, program.path(), texts, kNow);
    }

    test::TempDir program;
    WatchTexts texts;
    WatchTable table;
    HistoryList passwords{txt("Password.txt"), true}, logins{txt("Login.txt"), true},
        masks{txt("MASK.txt"), true}, paths{txt("PATH.txt"), true};
    WatchHistory history{passwords, logins, masks, paths};
};

TEST_F(WatchEditingTest, DuplicatesAreTheTypedTextsOfAnExistingLine) {
    ASSERT_EQ(add(typed("h", "/pub/", "*.MP3")).kind, Kind::Added);
    const struct {
        WatchForm form;
        Kind kind;
    } cases[] = {
        {typed(" h ", "/pub/ ", "*.MP3"), Kind::Duplicate},
        {typed("h", "pub", "*.MP3"), Kind::Added},    // normalised only afterwards
        {typed("h", "/pub/", "*.mp3"), Kind::Added},  // the entry holds *.MP3
        {typed("ftp://", "/", "*.*"), Kind::Refused},
    };
    for (const auto& c : cases) EXPECT_EQ(add(c.form).kind, c.kind) << c.form.path << c.form.mask;
    const WatchEditResult again = add(typed("h", "/pub/", "*.MP3"));
    EXPECT_EQ(again.line, 0);
    EXPECT_EQ(again.message, "already line 1");
}

TEST_F(WatchEditingTest, AddedAndChangedEntriesCarryTheirUnitsAndStatus) {
    WatchForm form = typed("ftp://host", "pub", ".mp3");
    form.days = 0;
    form.port = " ";
    form.password = " secret ";
    form.saveName = " /tmp/out ";
    const WatchEditResult added = add(form);
    ASSERT_EQ(added.kind, Kind::Added);
    const auto entry = table.at(added.entry);
    EXPECT_EQ(entry->Mask, "*.MP3");
    EXPECT_EQ(entry->ShowDays.load(), 1);
    EXPECT_EQ(entry->NewSince.load(), kNow - 24 * 60 * 60);
    EXPECT_EQ(entry->Port, 21);
    EXPECT_EQ(entry->Password, "secret");
    EXPECT_EQ(entry->ResumeBase, " /tmp/out ");
    EXPECT_EQ(table.lines()[0].text, "host/pub/   *.MP3   60 \xEC\xE8\xED ");
    EXPECT_EQ(entry->statusText(), "in 60");

    // The dialog shows the entry; "Ok" untouched keeps every setting.
    const std::string stored = BuildSpyLine(*entry);
    entry->CheckNumber.store(4);
    ASSERT_EQ(change(0, WatchFormOf(*entry)).kind, Kind::Changed);
    EXPECT_EQ(BuildSpyLine(*entry), stored);
    EXPECT_EQ(entry->CheckNumber.load(), 1);

    WatchForm shorter = WatchFormOf(*entry);
    shorter.intervalMinutes = 15;
    ASSERT_EQ(change(0, shorter).kind, Kind::Changed);
    EXPECT_EQ(table.lines()[0].text, "host/pub/   *.MP3   15 min ");
    EXPECT_EQ(entry->statusText(), "check 1 next 15");
    EXPECT_NE(fileLines(SpyFilePath(program.path())).at(2).find("|interval=900000|"),
              std::string::npos);

    entry->WorkerRunning.store(true);
    EXPECT_EQ(change(0, shorter).kind, Kind::Refused);
}

TEST_F(WatchEditingTest, BadPortStopsWithoutALine) {
    WatchForm form = typed("h", "/", "*.*");
    form.port = "2l";
    const WatchEditResult added = add(form);
    EXPECT_EQ(added.kind, Kind::Failed);
    EXPECT_EQ(added.line, -1);
    EXPECT_EQ(table.LastWatchIndex(), -1);
    EXPECT_FALSE(fileExists(SpyFilePath(program.path())));

    ASSERT_EQ(add(typed("h", "/", "*.*")).kind, Kind::Added);
    WatchForm bad = typed("other", "/x/", "*.*");
    bad.password = "new";
    bad.port = "x";
    EXPECT_EQ(change(0, bad).kind, Kind::Failed);
    const auto entry = table.at(table.lines()[0].entry);
    EXPECT_EQ(entry->Server, "other") << "fields before the port take the new texts";
    EXPECT_EQ(entry->Password, "us@site") << "fields after it stay";
}

// Typed texts go to the history files; a removed line keeps its record and the file follows.
TEST_F(WatchEditingTest, HistoryFilesAndRemovedLines) {
    ASSERT_TRUE(writeLinesFile(txt("MASK.txt"), {"*.ZIP", "*.AVI"}));
    passwords.assign({"us@site"});
    WatchForm form = typed("h", "pub", ".mp3");
    form.user = "me";
    ASSERT_EQ(add(form).kind, Kind::Added);
    form.path = "/pub/x/";
    ASSERT_EQ(add(form).kind, Kind::Added);

    EXPECT_FALSE(fileExists(txt("Password.txt"))) << "a known password writes nothing";
    EXPECT_EQ(fileLines(txt("Login.txt")), Lines{"me"});
    // The typed mask stays lower case, so it is never found among the upper-cased entries.
    EXPECT_EQ(fileLines(txt("MASK.txt")), (Lines{"*.ZIP", "*.AVI", "*.MP3", "*.MP3"}));
    EXPECT_EQ(fileLines(txt("PATH.txt")), (Lines{"/pub/", "/pub/x/"}));

    const WatchEditResult removed = RemoveWatchLine(table, 0, program.path());
    EXPECT_EQ(removed.kind, Kind::Removed);
    EXPECT_EQ(removed.entry, 0);
    EXPECT_EQ(table.size(), 2);
    const Lines file = fileLines(SpyFilePath(program.path()));
    ASSERT_EQ(file.size(), 3u);
    EXPECT_EQ(file[1], "-1=0");
    EXPECT_TRUE(file[2].starts_with("0=|server=h|path=/pub/x/|")) << file[2];
}

}  // namespace
}  // namespace quarrow
