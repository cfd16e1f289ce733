#pragma once

#include <ctime>
#include <optional>
#include <string>

#include "engine/HistoryLists.h"
#include "engine/TFtpMain.h"
#include "watch/WatchTable.h"
#include "watch/WatchTexts.h"

namespace quarrow {

// What the watch settings dialog hands over, with the dialog's defaults. Texts are
// Windows-1251 as typed; `saveName` (Edit1) is stored untrimmed.
struct WatchForm {
    std::string server;              // cbsServer
    std::string path = "/";          // cbsFindPath
    std::string mask;                // cbsMask
    std::string user = "anonymous";  // cbsUserName
    std::string password = "us@site";
    std::string port = "21";
    std::string saveName;
    bool active = false;        // CheckBox1: check at an interval
    bool checkAtStart = false;  // CheckBox2
    bool subfolders = false;    // cbsDir
    bool tls = false;           // cbsTls: checked over explicit FTPS
    int intervalMinutes = 60;   // SpinEdit1
    int days = 7;               // SpinEdit2
    int saveType = 0;           // filter index of the save dialog
};

// The dialog filled from an entry, as "Изменить" shows it.
WatchForm WatchFormOf(const TFtpMain& entry);

// The dialog's own texts after "Ok": server trimmed and without a leading "ftp://", the start
// folder between slashes ("/" when empty), a mask starting with a star ("*.*" when empty), the
// user "anonymous" when empty. The dialog shows these texts next time, so they stay as typed
// otherwise (the mask keeps its letter case).
void NormaliseWatchForm(WatchForm& form);

// The line position of an entry with the typed server, start folder and mask (each trimmed,
// compared exactly), or -1.
int FindWatchDuplicate(const WatchTable& table, const WatchForm& typed);

// Why the (normalised) texts cannot be stored: one holds a line break, a NUL or a marker of the
// watch list's file, which would split the entry's line or cut a field when it is loaded back.
std::optional<std::string> CheckWatchTexts(const WatchForm& form);

// Sets the entry's settings from a normalised form, in the dialog's order; a port text (empty:
// 21) that is no decimal integer stops there with `error`, the fields before it already set.
// The interval is held in 1 .. 35791 minutes (what 32-bit milliseconds hold), days at least 1.
// The timers (ProgressTimer, FinishTimer, the entry's own) are the caller's.
bool FillWatchEntry(TFtpMain& entry, const WatchForm& form, std::time_t now,
                    std::string* error = nullptr);

// The window's combos whose typed texts editing remembers, with their files under "TXT/".
struct WatchHistory {
    HistoryList& passwords;
    HistoryList& logins;
    HistoryList& masks;
    HistoryList& paths;
};

// Remembers the normalised texts: a password, user name or start folder no entry equals
// exactly is added and its list saved; a mask no entry equals exactly (as typed, so a
// lower-case mask comes again each time) is upper-cased and appended to "MASK.txt".
bool UpdateWatchHistory(WatchHistory& history, const WatchForm& form, std::string* error = nullptr);

struct WatchEditResult {
    enum Kind { Added, Changed, Removed, Duplicate, Refused, Failed };
    Kind kind = Refused;
    // The record concerned (-1 when none): an added or changed entry's timer is (re)started
    // with its interval, a removed entry's may be stopped.
    int entry = -1;
    // Its line position (after Removed, the one it had); after Failed, a line >= 0 means the
    // list shows the entry as edited and only saving failed, so its timer is (re)started as
    // after success.
    int line = -1;
    // What to tell the user, Windows-1251: "dubladd2" with the line's number, "noserver", the
    // reason of a refusal or of a failure. Empty for a refusal that needs no word.
    std::string message;
};

// "Добавить": the duplicate test on the typed texts, then normalising them, the refusals, the
// history lists, a new record, its line (" мин ") and saving the list. The dialog shows the
// normalised texts next time: the caller applies NormaliseWatchForm to its own copy.
WatchEditResult AddWatchEntry(WatchTable& table, const WatchForm& typed, WatchHistory& history,
                              const std::string& programDir, const WatchTexts& texts,
                              std::time_t now);

// "Изменить" of the entry on line `linePosition`: as adding without the duplicate test, on the
// same record and line (" min "), CheckNumber back to 1. Refused while a check of the entry
// runs, since its worker reads the settings.
WatchEditResult ChangeWatchEntry(WatchTable& table, int linePosition, const WatchForm& typed,
                                 WatchHistory& history, const std::string& programDir,
                                 const WatchTexts& texts, std::time_t now);

// "Удалить": the line goes, the record stays (other indexes do not move), the list is saved.
WatchEditResult RemoveWatchLine(WatchTable& table, int linePosition, const std::string& programDir);

}  // namespace quarrow
