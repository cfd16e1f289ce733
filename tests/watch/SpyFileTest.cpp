#include "watch/SpyFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <tuple>

#include "engine/Masks.h"
#include "fixtures/TempDir.h"
#include "platform/FileSystem.h"
#include "platform/IniFile.h"
#include "platform/TextLines.h"

namespace quarrow {
namespace {

using Lines = std::vector<std::string>;

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
    std::string bytes(const std::string& path) const {
        std::string content;
        readWholeFile(path, content);
        return content;
    }
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
    EXPECT_EQ(bytes(file()), "[Spy]\r\n-1=-1\r\n");

    for (const char* server : {"a", "gone", "b"}) addEntry(server);
    saved.removeLine(1);
    ASSERT_TRUE(SaveWatchList(program.path(), saved));
    IniFile keyByKey(program.path() + "expected.ini");
    ASSERT_TRUE(keyByKey.writeString("Spy", "-1", "1"));
    ASSERT_TRUE(keyByKey.writeString("Spy", "0", BuildSpyLine(*saved.at(0))));
    ASSERT_TRUE(keyByKey.writeString("Spy", "1", BuildSpyLine(*saved.at(2))));
    EXPECT_EQ(bytes(file()), bytes(keyByKey.path()));
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

}  // namespace
}  // namespace quarrow
