#include "platform/ListingParser.h"

#include "engine/TestHelpers.h"

#include <tuple>

namespace quarrow {
namespace {

constexpr std::uint32_t kLink = kAttrReparsePoint | kAttrNormal;

// Seconds since the epoch of a UTC calendar time, computed by the C library.
std::int64_t utc(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
    std::tm tm = test::calendar(year, month, day, hour, minute, second);
    return static_cast<std::int64_t>(::timegm(&tm));
}

// "Now" for the year choice of recent entries: 2025-03-10 12:00 UTC.
const std::int64_t kNow = utc(2025, 3, 10, 12);

struct LineCase {
    std::string line;
    std::optional<FtpEntry> expected;  // nothing: the line is not an entry
    std::int64_t now = kNow;           // for the year of a recent Unix entry
};

FtpEntry file(std::string name, std::uint64_t size, std::int64_t mtime) {
    return FtpEntry{std::move(name), kAttrNormal, size, mtime};
}
FtpEntry dir(std::string name, std::int64_t mtime) {
    return FtpEntry{std::move(name), kAttrDirectory, 0, mtime};
}
FtpEntry link(std::string name, std::uint64_t size, std::int64_t mtime) {
    return FtpEntry{std::move(name), kLink, size, mtime};
}

void expectSame(const std::optional<FtpEntry>& actual, const std::optional<FtpEntry>& expected,
                const std::string& line) {
    const auto fields = [](const std::optional<FtpEntry>& e) {
        return e ? std::optional(std::tuple(e->name, e->attributes, e->size, e->mtime))
                 : std::nullopt;
    };
    EXPECT_EQ(fields(actual), fields(expected)) << line;
}

TEST(ListingParserTest, UnixLinesFromRealServers) {
    const std::vector<LineCase> cases = {
        {"total 4953", std::nullopt},
        {"-rw-r--r--   1 ftp      ftp          2553 Mar  4 07:30 report.txt",
         file("report.txt", 2553, utc(2025, 3, 4, 7, 30))},
        {"drwxr-xr-x   2 ftp      ftp          4096 Mar 31  2022 acts",
         dir("acts", utc(2022, 3, 31))},
        {"lrwxrwxrwx   1 root     other          7 Jan 25 00:17 bin -> usr/bin",
         link("bin", 7, utc(2025, 1, 25, 0, 17))},
        {"drwxr-xr-x    3 110      1002            3 Dec 02  2009 spaces   dir   name",
         dir("spaces   dir   name", utc(2009, 12, 2))},
        {"-rwxr-xr-x    3 110      1002            1234567 Dec 02  2009  foo bar ",
         file(" foo bar ", 1234567, utc(2009, 12, 2))},
        {"dr-xr-xr-x   2 root                  512 Apr  8  1994 03-unix-nogroup dir",
         dir("03-unix-nogroup dir", utc(1994, 4, 8))},
        {"-rwxrw-r--+  1 521      101         2080 May 21 10:53 data.csv",
         file("data.csv", 2080, utc(2024, 5, 21, 10, 53))},
        // "major, minor" of a device is no size, and "12" is no day.
        {"crw-rw-rw-   1 root     sys       13,  12 Jan  1  2000 null",
         file("null", 0, utc(2000, 1, 1))},
        {"-rw-r--r--        0   18446744073709551615 18446744073709551615 Nov 16  2006 "
         "VIDEO_TS.VOB",
         file("VIDEO_TS.VOB", 18446744073709551615ULL, utc(2006, 11, 16))},
        // A size past 64 bits keeps its entry, at the largest size.
        {"-rw-r--r-- 1 ftp ftp 18446744073709551616 Mar  4 07:30 huge.iso",
         file("huge.iso", UINT64_MAX, utc(2025, 3, 4, 7, 30))},
        {"-r-xr-xr-x longowner longgroup123456 Feb 12 17:20 46-unix-concatsize file",
         file("46-unix-concatsize file", 123456, utc(2025, 2, 12, 17, 20))},
        {"dr-xr-xr-x   2 root     other      2235 26. Juli, 20:10 28-datetest-ger dir",
         dir("28-datetest-ger dir", utc(2024, 7, 26, 20, 10))},
        {"drwxr-xr-x 3 user group 512 01 oct 2004 52-swapped-daymonth dir",
         dir("52-swapped-daymonth dir", utc(2004, 10, 1))},
        {"drwxrwxrwx   1 0        0               0 29 Jul 02:27 2014 Invoices",
         dir("2014 Invoices", utc(2024, 7, 29, 2, 27))},
        // "24:00" is midnight of the next day.
        {"-rw-------      1  99999999 0              3 Apr   4 24:00 alternate_midnight",
         file("alternate_midnight", 3, utc(2024, 4, 5))},
        {"-rw-r--r--   1 root     other        531 2005-06-07 21:22 07-unix-date file",
         file("07-unix-date file", 531, utc(2005, 6, 7, 21, 22))},
        {"-rwxr-xr-x    1 user group        9 Oct 08, 2002 09:47 23-vshell-new file",
         file("23-vshell-new file", 9, utc(2002, 10, 8, 9, 47))},
        {"-rw-r--r--   1 group domain user 531 Jan 29 03:26 13-unix-domain file",
         file("13-unix-domain file", 531, utc(2025, 1, 29, 3, 26))},
        // A left-aligned year leaves one blank too many before the name.
        {"-rw-r--r-- 1 u g 5 Jan 25 2009  name", file("name", 5, utc(2009, 1, 25))},
        // Russian month names, in Windows-1251 and in UTF-8; names keep their bytes.
        {"-rw-r--r-- 1 ftp ftp 100 \xec\xe0\xff 10  2020 \xcf\xf0\xe8\xe2\xe5\xf2.txt",
         file("\xcf\xf0\xe8\xe2\xe5\xf2.txt", 100, utc(2020, 5, 10))},
        {"-rw-r--r-- 1 ftp ftp 100 \xd0\xb4\xd0\xb5\xd0\xba  1 13:05 x",
         file("x", 100, utc(2024, 12, 1, 13, 5))},
        // NetWare is not a Unix listing; its permission block must never become a name.
        {"d [R----F--] supervisor            512       Jan 16 18:53    login", std::nullopt},
        {"-rw-r--r-- 1 ftp ftp 100 Feb 30 10:00 impossible-date", std::nullopt},
        {"-rw-r--r-- 1 ftp ftp 100 Mar  4 07:30", std::nullopt},
        // The year of a recent entry: Feb 29 exists in 2024, so the year comes before the check.
        {"-rw-r--r-- 1 u g 1 Feb 29 10:00 leap", file("leap", 1, utc(2024, 2, 29, 10)),
         utc(2024, 3, 5)},
        // A server ahead of UTC lists a New Year's file while it is still Dec 31 here.
        {"-rw-r--r-- 1 u g 1 Jan  1 02:15 ny", file("ny", 1, utc(2025, 1, 1, 2, 15)),
         utc(2024, 12, 31, 23, 30)},
        // Slightly ahead of now is still this year; half a year ahead is last year.
        {"-rw-r--r-- 1 u g 1 Mar 11 10:00 soon", file("soon", 1, utc(2025, 3, 11, 10))},
        {"-rw-r--r-- 1 u g 1 Sep 10 22:59 later", file("later", 1, utc(2024, 9, 10, 22, 59))},
        // No year around now has Feb 29: the entry stays, its time is unknown.
        {"-rw-r--r-- 1 u g 1 Feb 29 10:00 leap", file("leap", 1, 0), utc(2026, 6, 1)},
    };
    for (const LineCase& c : cases) expectSame(parseUnixLine(c.line, c.now), c.expected, c.line);
}

TEST(ListingParserTest, DosLinesFromRealServers) {
    const std::vector<LineCase> cases = {
        {"08-10-15  02:04PM       <DIR>          Billing", dir("Billing", utc(2015, 8, 10, 14, 4))},
        {"08-07-15  07:50PM                  718 Post_PRR_20150901_1166_265118_13049.dat",
         file("Post_PRR_20150901_1166_265118_13049.dat", 718, utc(2015, 8, 7, 19, 50))},
        {"04-27-00  12:09AM       <DIR>          x", dir("x", utc(2000, 4, 27, 0, 9))},
        {"04-27-00  12:09PM       <DIR>          x", dir("x", utc(2000, 4, 27, 12, 9))},
        {"06-20-2017  12:50PM              1875499 zstring.obj",
         file("zstring.obj", 1875499, utc(2017, 6, 20, 12, 50))},
        {"2002-09-02  19:06                9,730 19-dos-longyear file",
         file("19-dos-longyear file", 9730, utc(2002, 9, 2, 19, 6))},
        {"01-01-98  13:00       <DIR>          Storage Card",
         dir("Storage Card", utc(1998, 1, 1, 13))},
        {"10/27/2015  03:46 AM    <DIR>          Program Files",
         dir("Program Files", utc(2015, 10, 27, 3, 46))},
        {"21.09.2016  18:31             11.399 Daten.txt",
         file("Daten.txt", 11399, utc(2016, 9, 21, 18, 31))},
        // A first number above 12 is the day.
        {"25-12-15  10:00AM                  100 xmas", file("xmas", 100, utc(2015, 12, 25, 10))},
        // IIS puts names at column 39; blanks beyond it belong to the name.
        {"08-10-15  02:04PM       <DIR>            lead", dir("  lead", utc(2015, 8, 10, 14, 4))},
        {"08-10-15  02:04PM       <JUNK>         x", std::nullopt},
        {"13-32-15  02:04PM       <DIR>          x", std::nullopt},
        {"08-10-15  13:04PM       <DIR>          x", std::nullopt},
        {"08-10-15  02:04PM       <DIR>", std::nullopt},
    };
    for (const LineCase& c : cases) expectSame(parseDosLine(c.line), c.expected, c.line);
}

TEST(ListingParserTest, MlsdLinesFromRealServers) {
    const std::vector<LineCase> cases = {
        {"modify=20150813175250;perm=adfr;size=951;type=file;unique=119FBB87UE;UNIX.group=0;"
         "UNIX.mode=0644;UNIX.owner=0; welcome.msg",
         file("welcome.msg", 951, utc(2015, 8, 13, 17, 52, 50))},
        {"Type=file;mOdIfY=20081105165215;size=1234; 72-MLSD-file",
         file("72-MLSD-file", 1234, utc(2008, 11, 5, 16, 52, 15))},
        {"modify=20150813224845;perm=fle;type=cdir;unique=119FBB87U4; .", std::nullopt},
        {"modify=20150813224845;perm=fle;type=pdir;unique=119FBB87U4; ..", std::nullopt},
        {"Type=cdir;Modify=20021029173810;Perm=el;Unique=BP8AAjJufAA; /", std::nullopt},
        {"type=file;size=0;modify=20220414075945.935;perms=awrfd; Not-Empty.txt",
         file("Not-Empty.txt", 0, utc(2022, 4, 14, 7, 59, 45))},
        {"Type=file; \t 75-MLSD-whitespace leading", file("\t 75-MLSD-whitespace leading", 0, 0)},
        {"type=file;size=1; 25-10-2022 ", file("25-10-2022 ", 1, 0)},
        {"type=OS.unix=slink:/foo; 76 MLSD symlink", link("76 MLSD symlink", 0, 0)},
        {"type=OS.UNIX=symlink; x", link("x", 0, 0)},
        {"type=dir;sizd=4096;modify=20170117144634;UNIX.mode=0755; folder",
         dir("folder", utc(2017, 1, 17, 14, 46, 34))},
        {"Type=file;mOdIfY=19681105165215;size=1234; MLSD pre-epoch",
         file("MLSD pre-epoch", 1234, utc(1968, 11, 5, 16, 52, 15))},
        // Tolerated: TAB before the name, no final ";", a blank inside a fact value.
        {"type=file;size=5;\ttabbed", file("tabbed", 5, 0)},
        {"type=file;size=3 no-semicolon", file("no-semicolon", 3, 0)},
        {"type=file;UNIX.ownername=John Doe;size=7; owned.txt", file("owned.txt", 7, 0)},
        {"type=file;size=2;modify=20151313000000; bad-month", file("bad-month", 2, 0)},
        {"-rw-r--r--   1 ftp      ftp          2553 Mar  4 07:30 report.txt", std::nullopt},
        {"type=file;size=1;", std::nullopt},
    };
    for (const LineCase& c : cases) expectSame(parseMlsdLine(c.line), c.expected, c.line);
}

const std::string kUnixBody =
    "total 12\r\n"
    "drwxr-xr-x   2 ftp ftp 4096 Mar  4 07:30 .\r\n"
    "drwxr-xr-x   2 ftp ftp 4096 Mar  4 07:30 ..\r\n"
    "drwxr-xr-x   2 ftp ftp 4096 Mar  4 07:30 zeta\r\n"
    "-rw-r--r--   1 ftp ftp   17 Mar  4 07:30 alpha.txt\r\n"
    "garbage that is no entry\r\n"
    "lrwxrwxrwx   1 ftp ftp    4 Mar  4 07:30 up -> ../x\r\n"
    "08-10-15  02:04PM       <DIR>          dos dir\r\n";
const std::vector<std::string> kUnixNames = {"zeta", "alpha.txt", "up", "dos dir"};

TEST(ListingParserTest, ListingKeepsServerOrderAndDropsNonEntries) {
    const std::string mlsd =
        "type=cdir;modify=20150813224845; /pub\r\n"
        "type=pdir;modify=20150813224845; ..\r\n"
        "type=file;size=3; b\r\n"
        "type=dir; a\r\n"
        "type=file;size=1; with/slash\r\n";
    const auto entries = parseListing(mlsd, true, kNow);
    EXPECT_EQ(test::namesOf(entries), (std::vector<std::string>{"b", "a"}));
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[1].attributes, kAttrDirectory);

    // A server that answers MLSD in LIST format is still understood.
    EXPECT_EQ(test::namesOf(parseListing(kUnixBody, true, kNow)), kUnixNames);
    std::string lf = kUnixBody;
    for (std::size_t pos; (pos = lf.find("\r\n")) != std::string::npos;) lf.erase(pos, 1);
    // The mark stands before the first entry line.
    const std::string marked =
        "\xEF\xBB\xBF" +
        kUnixBody.substr(kUnixBody.find("drwxr-xr-x   2 ftp ftp 4096 Mar  4 07:30 zeta"));
    // Each body in two chunks split at every point, the middle of a CR LF included.
    for (const std::string& body :
         {kUnixBody, lf, marked, kUnixBody.substr(0, kUnixBody.size() - 2)}) {
        for (std::size_t split = 0; split <= body.size(); ++split) {
            std::vector<FtpEntry> entries;
            ListingStream stream(false, kNow, entries);
            stream.feed(std::string_view(body).substr(0, split));
            stream.feed(std::string_view(body).substr(split));
            stream.finish();
            EXPECT_EQ(test::namesOf(entries), kUnixNames)
                << "split at " << split << " of " << testing::PrintToString(body);
        }
    }
}

TEST(ListingParserTest, OverlongLineIsDroppedAndTheNextOneParsed) {
    const std::string good = "-rw-r--r-- 1 ftp ftp 1 Mar  4 07:30 ";
    const std::string overlong = good + std::string(kMaxListingLine + 10, 'x');
    const std::string body = good + "first\r\n" + overlong + "\r\n" + good + "last\r\n";
    std::vector<FtpEntry> entries;
    ListingStream stream(false, kNow, entries);
    for (std::size_t pos = 0; pos < body.size(); pos += 1000) stream.feed(body.substr(pos, 1000));
    stream.finish();
    EXPECT_EQ(test::namesOf(entries), (std::vector<std::string>{"first", "last"}));

    // An unterminated overlong last line gives nothing either.
    EXPECT_TRUE(parseListing(overlong, false, kNow).empty());
}

}  // namespace
}  // namespace quarrow
