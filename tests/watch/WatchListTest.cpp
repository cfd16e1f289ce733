// The watch list: its file, line by line and byte for byte, and the editing of its entries.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <tuple>

#include "engine/Masks.h"
#include "engine/TestHelpers.h"
#include "fixtures/TempDir.h"
#include "platform/FileSystem.h"
#include "platform/IniFile.h"
#include "platform/TextLines.h"
#include "watch/SpyFile.h"
#include "watch/WatchEditing.h"

namespace quarrow {
namespace {

using Lines = std::vector<std::string>;
using Kind = WatchEditResult::Kind;

constexpr std::time_t kDay = 24 * 60 * 60;
constexpr std::time_t kNow = 1'700'000'000;

std::time_t localTime(int day, int hour, int minute, int second) {
    std::tm parts{};
    parts.tm_year = 2026 - 1900;
    parts.tm_mon = 11;
    parts.tm_mday = day;
    parts.tm_hour = hour;
    parts.tm_min = minute;
    parts.tm_sec = second;
    parts.tm_isdst = -1;
    return std::mktime(&parts);
}

template <class T>
T value(const std::atomic<T>& field) {
    return field.load();
}
template <class T>
const T& value(const T& field) {
    return field;
}
// Every stored setting of an entry or of the fields read from a line, to compare them all.
auto settingsOf(const auto& e) {
    return std::make_tuple(e.Server, e.Path, e.Mask, value(e.Interval), value(e.Active), e.Password,
                           e.UserName, e.Port, value(e.CheckAtStart), value(e.ShowDays),
                           e.TextExport, e.ResumeBase, e.Recursive);
}

// Server S, /pub/, *.MP3 every 60 minutes, active, anonymous on 21, 7 days, snapshot to N.
void setExample(TFtpMain& e, std::time_t newSince) {
    e.Server = "S";
    e.Path = "/pub/";
    e.Mask = "*.MP3";
    e.Interval.store(3'600'000);
    e.Active.store(true);
    e.UserName = "anonymous";
    e.Port = 21;
    e.NewSince.store(newSince);
    e.ShowDays.store(7);
    e.TextExport = 3;
    e.ResumeBase = "N";
    e.Recursive = true;
}

class SpyFileTest : public testing::Test {
protected:
    SpyFileTest() {
        makeDirectory(program.path() + "Spy");
        texts.form.start1 = "in ";
    }

    std::string file() const { return SpyFilePath(program.path()); }
    TFtpMain& addEntry(const std::string& server) {
        const int index = saved.add();
        setExample(*saved.at(index), kNow);
        saved.at(index)->Server = server;
        saved.appendLine(index, "", true);
        return *saved.at(index);
    }
    SpyLoadResult load() {
        loaded = std::make_unique<WatchTable>();
        return LoadWatchList(program.path(), *loaded, texts, kNow);
    }
    const WatchEntry& loadedAt(std::size_t position) const {
        return *loaded->at(loaded->lines().at(position).entry);
    }

    test::TempDir program;
    WatchTexts texts;
    WatchTable saved;
    std::unique_ptr<WatchTable> loaded;
};

TEST_F(SpyFileTest, EntryIsStoredByteForByte) {
    const struct {
        std::time_t newSince;
        const char* dateText;
    } cases[] = {{localTime(5, 0, 0, 0), "05.12.2026"},
                 {localTime(5, 14, 3, 9), "05.12.2026 14:03:09"},
                 {localTime(9, 0, 0, 1), "09.12.2026 00:00:01"}};
    for (const auto& c : cases) {
        TFtpMain entry;
        setExample(entry, c.newSince);
        EXPECT_EQ(BuildSpyLine(entry),
                  std::string("|server=S|path=/pub/|mask=*.MP3|interval=3600000"
                              "|active=+|password=|user=anonymous|port=21|date=") +
                      c.dateText +
                      "|startprogramm=-|day=7 |filtersave=3|savename=N"
                      "|indirchild=+");
    }
    TFtpMain entry;
    entry.Password = "a|user=b";
    EXPECT_NE(BuildSpyLine(entry).find("|password=a|user=b|user=|"), std::string::npos);
}

TEST_F(SpyFileTest, EveryFieldComesBackWithFreshWorkingFields) {
    addEntry("ftp.example.org");
    TFtpMain& other = addEntry("mirror");
    other.Path = "/";
    other.Mask = "*.AVI *.MKV";
    other.Interval.store(90 * 60'000);
    other.Active.store(false);
    other.Password = "s e=cret";
    other.UserName = "\xC8\xE2\xE0\xED";  // "Иван"
    other.Port = 2121;
    other.CheckAtStart.store(true);
    other.ShowDays.store(30);
    other.TextExport = 1;
    other.ResumeBase = "/home/\xED\xEE\xE2\xEE\xE5 ";  // "новое", a trailing blank
    other.Recursive = false;
    ASSERT_TRUE(SaveWatchList(program.path(), saved));

    const SpyLoadResult result = load();
    ASSERT_EQ(result.loaded, 2) << result.error;
    for (const std::size_t p : {0u, 1u}) {
        const WatchEntry& back = loadedAt(p);
        EXPECT_EQ(settingsOf(back), settingsOf(*saved.at(static_cast<int>(p))));
        EXPECT_EQ(back.NewSince.load(), kNow - back.ShowDays.load() * kDay);
        EXPECT_EQ(back.CheckNumber.load(), 1);
        EXPECT_EQ(back.Extensions, BuildExtensions(back.Mask));
        EXPECT_EQ(loaded->lines()[p].ticked, back.Active.load());
    }
    EXPECT_EQ(loadedAt(0).statusText(), "in 60 min");
    EXPECT_EQ(loaded->lines()[0].text, "ftp.example.org/pub/   *.MP3   60 min");
    EXPECT_EQ(loaded->lines()[1].text, "mirror/   *.AVI *.MKV   90 min");
}

// The file is what writing key by key gives, private, renumbered in list order after a
// removal.
TEST_F(SpyFileTest, FileIsWhatWritingKeyByKeyGives) {
    ASSERT_TRUE(SaveWatchList(program.path(), saved));
    EXPECT_EQ(test::bytesOf(file()), "[Spy]\r\n-1=-1\r\n");

    for (const char* server : {"a", "gone", "b"}) addEntry(server);
    saved.removeLine(1);
    ASSERT_TRUE(SaveWatchList(program.path(), saved));
    IniFile keyByKey(program.path() + "expected.ini");
    ASSERT_TRUE(keyByKey.writeString("Spy", "-1", "1"));
    ASSERT_TRUE(keyByKey.writeString("Spy", "0", BuildSpyLine(*saved.at(0))));
    ASSERT_TRUE(keyByKey.writeString("Spy", "1", BuildSpyLine(*saved.at(2))));
    EXPECT_EQ(test::bytesOf(file()), test::bytesOf(keyByKey.path()).value());
    struct stat st {};
    ASSERT_EQ(::stat(file().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    ASSERT_EQ(load().loaded, 2);
    EXPECT_EQ(loaded->lines()[1].entry, 1);
    EXPECT_EQ(loaded->at(1)->Server, "b");
}

TEST_F(SpyFileTest, LinesAreReadByTheirMarkers) {
    const struct {
        const char* line;
        SpyFields expected;
    } cases[] = {
        // Days trimmed; the date text is never read.
        {"|server=h|path=/|mask=*.*|interval=60000|active=+|password=p|user=u|port=21|date=junk"
         "|startprogramm=+|day= 12 |filtersave=2|savename=N|indirchild=+",
         {"h", "/", "*.*", "p", "u", "N", 60000, 21, 12, 2, true, true, true}},
        // A text holding a later marker is cut there and the next field takes the rest.
        {"|server=h|path=/|mask=*.*|interval=60000|active=-|password=a|user=b|user=c|port=21"
         "|date=|startprogramm=-|day=7 |filtersave=3|savename=|indirchild=-",
         {"h", "/", "*.*", "a", "b|user=c", "", 60000, 21, 7, 3, false, false, false}},
        // Active is "+" alone; the others read one character.
        {"|server=h|path=/|mask=*.*|interval=1|active=+ |password=|user=|port=21|date="
         "|startprogramm=+x|day=7|filtersave=25|savename=|indirchild=+-",
         {"h", "/", "*.*", "", "", "", 1, 21, 7, 2, false, true, true}},
        // Lines of other tools: a value ends at the next marker present; missing ones default.
        {"|server=h|interval=60000|password=p|user=u|day=3",
         {"h", "", "", "p", "u", "", 60000, 21, 3, 1, false, false, false}},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(writeLinesFile(file(), {"[Spy]", "-1=0", std::string("0=") + c.line}));
        ASSERT_EQ(load().loaded, 1) << c.line;
        EXPECT_EQ(settingsOf(loadedAt(0)), settingsOf(c.expected)) << c.line;
        EXPECT_EQ(loadedAt(0).NewSince.load(), kNow - c.expected.ShowDays * kDay);
    }
}

TEST_F(SpyFileTest, BadNumberOrMissingKeyStopsLoadingWithTheEntriesBefore) {
    const std::string good = "|server=h|interval=60000|port=21|day=7 |filtersave=2";
    const struct {
        Lines keys;
        int loaded;
        const char* stoppedAt;
    } cases[] = {
        {{"-1=2", "0=" + good, "1=|server=h|interval=|port=21", "2=" + good}, 1, "1"},
        {{"-1=1", "0=" + good, "1=|server=h|interval= 60000|port=21"}, 1, "1"},
        {{"-1=1", "0=" + good, "1=|server=h|interval=1|port=2l|day=7"}, 1, "1"},
        {{"-1=1", "0=" + good, "1=|server=h|interval=1|day= |filtersave=1"}, 1, "1"},
        {{"-1=1", "0=" + good, "1=|server=h|interval=1|filtersave= "}, 1, "1"},
        {{"-1=1", "0=" + good, "1=|server=h|path=/|mask=*.*"}, 1, "1"},  // no interval
        {{"-1=2", "0=" + good, "2=" + good}, 1, "1"},                    // missing key
        {{"-1=0", "0=" + good, "1=" + good}, 1, ""},                     // beyond "-1"
        {{"-1=x", "0=" + good}, 0, "-1"},
        {{"0=" + good}, 0, ""},
    };
    for (const auto& c : cases) {
        Lines lines{"[Spy]"};
        lines.insert(lines.end(), c.keys.begin(), c.keys.end());
        ASSERT_TRUE(writeLinesFile(file(), lines));
        const SpyLoadResult result = load();
        EXPECT_EQ(result.loaded, c.loaded) << c.keys.back();
        EXPECT_EQ(result.key, c.stoppedAt) << c.keys.back();
        EXPECT_EQ(result.error.empty(), *c.stoppedAt == '\0') << result.error;
        EXPECT_EQ(loaded->LastWatchIndex(), c.loaded - 1);
    }
}

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
    EXPECT_EQ(entry->NewSince.load(), kNow - kDay);
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
