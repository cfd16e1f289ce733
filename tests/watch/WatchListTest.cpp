#include <tuple>

#include "engine/Masks.h"
#include "engine/TestHelpers.h"
#include "watch/SpyFile.h"
#include "watch/WatchEditing.h"

namespace quarrow::test {
namespace {

using Kind = WatchEditResult::Kind;

constexpr std::time_t kDay = 24 * 60 * 60;
constexpr std::time_t kNow = 1'700'000'000;

// A field's value, whether the entry holds it atomic or plain.
auto value(const auto& field) {
    if constexpr (requires { field.load(); })
        return field.load();
    else
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

    TempDir program;
    WatchTexts texts;
    WatchTable saved;
    std::unique_ptr<WatchTable> loaded;
};

TEST_F(SpyFileTest, EntryIsStoredByteForByte) {
    const std::pair<std::time_t, const char*> dates[] = {
        {localTime(2026, 12, 5), "05.12.2026"},
        {localTime(2026, 12, 5, 14, 3, 9), "05.12.2026 14:03:09"},
        {localTime(2026, 12, 9, 0, 0, 1), "09.12.2026 00:00:01"}};
    for (const auto& [newSince, dateText] : dates) {
        TFtpMain entry;
        setExample(entry, newSince);
        EXPECT_EQ(BuildSpyLine(entry),
                  std::string("|server=S|path=/pub/|mask=*.MP3|interval=3600000"
                              "|active=+|password=|user=anonymous|port=21|date=") +
                      dateText +
                      "|startprogramm=-|day=7 |filtersave=3|savename=N"
                      "|indirchild=+");
    }
}

// Every setting comes back with fresh working fields; the file is renumbered in list order
// after a removal (that it is private, CliWatchTest checks).
TEST_F(SpyFileTest, EverySettingComesBackFromARenumberedFile) {
    ASSERT_TRUE(SaveWatchList(program.path(), saved));
    EXPECT_EQ(bytesOf(file()), "[Spy]\r\n-1=-1\r\n");

    addEntry("ftp.example.org");
    addEntry("gone");
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
    saved.removeLine(1);
    ASSERT_TRUE(SaveWatchList(program.path(), saved));
    EXPECT_EQ(bytesOf(file()), "[Spy]\r\n-1=1\r\n0=" + BuildSpyLine(*saved.at(0)) +
                                   "\r\n1=" + BuildSpyLine(other) + "\r\n");

    const SpyLoadResult result = load();
    ASSERT_EQ(result.loaded, 2) << result.error;
    for (const std::size_t p : {0u, 1u}) {
        const WatchEntry& back = loadedAt(p);
        EXPECT_EQ(settingsOf(back), settingsOf(*saved.at(p == 0 ? 0 : 2)));
        EXPECT_EQ(back.NewSince.load(), kNow - back.ShowDays.load() * kDay);
        EXPECT_EQ(back.CheckNumber.load(), 1);
        EXPECT_EQ(back.Extensions, BuildExtensions(back.Mask));
        EXPECT_EQ(loaded->lines()[p].ticked, back.Active.load());
        EXPECT_EQ(loaded->lines()[p].entry, static_cast<int>(p));
    }
    EXPECT_EQ(loadedAt(0).statusText(), "in 60 min");
    EXPECT_EQ(loaded->lines()[0].text, "ftp.example.org/pub/   *.MP3   60 min");
    EXPECT_EQ(loaded->lines()[1].text, "mirror/   *.AVI *.MKV   90 min");
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
    const std::string good = "0=|server=h|interval=60000|port=21|day=7 |filtersave=2";
    const struct {
        Lines keys;
        int loaded;
        const char* stoppedAt;
    } cases[] = {
        {{"-1=2", good, "1=|server=h|interval=|port=21", "2" + good.substr(1)}, 1, "1"},
        {{"-1=1", good, "1=|server=h|interval= 60000|port=21"}, 1, "1"},
        {{"-1=1", good, "1=|server=h|interval=1|port=2l|day=7"}, 1, "1"},
        {{"-1=1", good, "1=|server=h|interval=1|day= |filtersave=1"}, 1, "1"},
        {{"-1=1", good, "1=|server=h|interval=1|filtersave= "}, 1, "1"},
        {{"-1=1", good, "1=|server=h|path=/|mask=*.*"}, 1, "1"},  // no interval
        {{"-1=2", good, "2" + good.substr(1)}, 1, "1"},           // missing key
        {{"-1=0", good, "1" + good.substr(1)}, 1, ""},            // beyond "-1"
        {{"-1=x", good}, 0, "-1"},
        {{good}, 0, ""},
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
        ASSERT_EQ(message.has_value(), c.refusedField != nullptr) << c.value;
        if (message) {
            EXPECT_NE(message->find(c.refusedField), std::string::npos) << *message;
        }
    }
}

// Adding and changing entries as the dialog does: what counts as a duplicate, the units and
// status texts of added and changed lines, and a bad port.
TEST(WatchEditing, EntriesAreAddedChangedOrRefusedByTheirTypedTexts) {
    TempDir program;
    makeDirectory(program.path() + "TXT");
    WatchTexts texts;
    texts.form.start1 = "in ";
    texts.form.dostr = "check ";
    texts.form.prov = " next ";
    texts.form.dubladd2 = "already line ";
    const auto txt = [&](const char* name) { return historyFilePath(program.path(), name); };
    HistoryList passwords{txt("Password.txt"), true}, logins{txt("Login.txt"), true},
        masks{txt("MASK.txt"), true}, paths{txt("PATH.txt"), true};
    WatchHistory history{passwords, logins, masks, paths};
    WatchTable table;
    const auto add = [&](const WatchForm& form) {
        return AddWatchEntry(table, form, history, program.path(), texts, kNow);
    };
    const auto change = [&](const WatchForm& form) {
        return ChangeWatchEntry(table, 0, form, history, program.path(), texts, kNow);
    };

    // A bad port stops before any line exists.
    WatchForm badPort = typed("h", "/", "*.*");
    badPort.port = "2l";
    EXPECT_EQ(add(badPort).kind, Kind::Failed);
    EXPECT_EQ(table.LastWatchIndex(), -1);
    EXPECT_FALSE(fileExists(SpyFilePath(program.path())));

    WatchForm form = typed("ftp://host", "pub", ".mp3");
    form.days = 0;
    form.port = " ";
    form.password = " secret ";
    form.saveName = " /tmp/out ";
    const WatchEditResult added = add(form);
    ASSERT_EQ(added.kind, Kind::Added);
    const auto entry = table.at(added.entry);
    EXPECT_EQ((Lines{entry->Mask, entry->Password, entry->ResumeBase, entry->statusText()}),
              (Lines{"*.MP3", "secret", " /tmp/out ", "in 60"}));
    EXPECT_EQ((std::tuple{entry->ShowDays.load(), entry->NewSince.load(), entry->Port}),
              (std::tuple{1, kNow - kDay, 21}));
    EXPECT_EQ(table.lines()[0].text, "host/pub/   *.MP3   60 \xEC\xE8\xED ");

    // Duplicates are the typed texts of an existing line, trimmed.
    const std::pair<WatchForm, Kind> cases[] = {
        {typed(" host ", "/pub/ ", "*.MP3"), Kind::Duplicate},
        {typed("host", "pub", "*.MP3"), Kind::Added},    // normalised only afterwards
        {typed("host", "/pub/", "*.mp3"), Kind::Added},  // the entry holds *.MP3
        {typed("ftp://", "/", "*.*"), Kind::Refused},
    };
    for (const auto& [typedForm, kind] : cases)
        EXPECT_EQ(add(typedForm).kind, kind) << typedForm.path << typedForm.mask;
    EXPECT_EQ(add(typed("host", "/pub/", "*.MP3")).message, "already line 1");

    // The dialog shows the entry; "Ok" untouched keeps every setting.
    const std::string stored = BuildSpyLine(*entry);
    entry->CheckNumber.store(4);
    ASSERT_EQ(change(WatchFormOf(*entry)).kind, Kind::Changed);
    EXPECT_EQ(BuildSpyLine(*entry), stored);
    EXPECT_EQ(entry->CheckNumber.load(), 1);
    WatchForm shorter = WatchFormOf(*entry);
    shorter.intervalMinutes = 15;
    ASSERT_EQ(change(shorter).kind, Kind::Changed);
    EXPECT_EQ(table.lines()[0].text, "host/pub/   *.MP3   15 min ");
    EXPECT_EQ(entry->statusText(), "check 1 next 15");
    EXPECT_NE(bytesOf(SpyFilePath(program.path()))
                  ->find("\r\n0=|server=host|path=/pub/|mask=*.MP3"
                         "|interval=900000|"),
              std::string::npos);
    entry->WorkerRunning.store(true);
    EXPECT_EQ(change(shorter).kind, Kind::Refused);
    entry->WorkerRunning.store(false);

    // A bad port in a change: the fields before it take the new texts, those after it stay.
    WatchForm bad = typed("other", "/x/", "*.*");
    bad.password = "new";
    bad.port = "x";
    EXPECT_EQ(change(bad).kind, Kind::Failed);
    EXPECT_EQ((Lines{entry->Server, entry->Password}), (Lines{"other", "secret"}));
}

}  // namespace
}  // namespace quarrow::test
