#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <string_view>

#include "engine/TFtpMain.h"
#include "watch/WatchTable.h"
#include "watch/WatchTexts.h"

namespace quarrow {

// The watch list's file, ProgramDir + "Spy/Spy.ini": section "Spy", key "-1" the last index
// (entries minus one), keys "0".."n" one entry each in list order. An entry's value is fourteen
// marker pieces, "|server=S|path=P|mask=M|interval=MS|active=+|password=W|user=U|port=21|
// date=D|startprogramm=-|day=7 |filtersave=3|savename=N|indirchild=+", and for an entry
// checked over TLS a fifteenth, "|tls=+", after them (older readers take only the first
// character after "|indirchild=", so they read such a line as before). Nothing is escaped, so
// a text holding a later marker is cut there on loading (editing refuses such texts).
//
// Reading a value: the text after the first occurrence of its marker, up to the first
// occurrence after it of the following marker ("|interval" and "|filtersave" without "="),
// empty when that does not occur there. Interval and port are read untrimmed, days trimmed;
// active is true for exactly "+"; start-up check, save type, subfolders and TLS read the first
// character after their marker. An empty or non-decimal interval, port, day or save type is a
// conversion error.
//
// Lines written by other tools may lack markers. A value then ends at the next later marker
// the line does hold (the end of the line when it holds none), and a missing marker reads as
// an empty value: empty texts, false flags, and for the numbers port 21, days 7 and save type 1
// (what a new entry gets); a missing interval, which has no sensible default, is the
// conversion error. A line holding every marker reads exactly by the rule above.

// The settings one entry key stores.
struct SpyFields {
    std::string Server, Path, Mask, Password, UserName, ResumeBase;
    int Interval = 0;
    int Port = 21;
    int ShowDays = 7;
    int TextExport = 1;
    bool Active = false;
    bool CheckAtStart = false;
    bool Recursive = false;
    bool Tls = false;
};

// The value of an entry key. `NewSince` is written as the default date-and-time text,
// "dd.mm.yyyy", and " hh:nn:ss" after it unless the local time of day is midnight.
std::string BuildSpyLine(const TFtpMain& entry);

// Nothing, with `error` naming the field, on a conversion error.
std::optional<SpyFields> ParseSpyLine(std::string_view line, std::string* error = nullptr);

// The conversion error for a text that is no such number.
std::string WatchNumberError(std::string_view text);

// The first marker (or end text such as "|interval") that `text` holds.
std::optional<std::string_view> FindSpyMarker(std::string_view text);

// The moment from which an item counts as new: `days` days before `now`.
std::time_t WatchNewSince(std::time_t now, int days);

// The text of an entry's line in the watch list: Server + Path, three blanks, Mask, three
// blanks, the interval in whole minutes and a unit that tells who built the line.
std::string LoadedWatchLine(const TFtpMain& entry);   // " min"
std::string AddedWatchLine(const TFtpMain& entry);    // " мин " (Windows-1251)
std::string ChangedWatchLine(const TFtpMain& entry);  // " min "

// The path of the watch list's file under the program folder.
std::string SpyFilePath(std::string_view programDir);

struct SpyLoadResult {
    int loaded = 0;
    std::string error;  // UTF-8; empty when every key up to "-1" loaded
    std::string key;    // the key loading stopped at
};

// Reads the file (missing: an empty list) into `table`, which gets one record and one line
// per loaded entry, in key order, with the working fields of a fresh entry: NewSince = `now`
// minus ShowDays days, CheckNumber 1, the status text "start1" + minutes + " min". Loading
// stops at the first entry with a conversion error; the entries before it stay. Timers are
// the caller's: it arms one per loaded line.
SpyLoadResult LoadWatchList(const std::string& programDir, WatchTable& table,
                            const WatchTexts& texts, std::time_t now);

// Rewrites the file from the table's lines, keys renumbered in list order. The whole file is
// published at once and readable by its owner only, since it holds passwords in plain text.
bool SaveWatchList(const std::string& programDir, const WatchTable& table,
                   std::string* error = nullptr);

}  // namespace quarrow
