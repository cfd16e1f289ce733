#include <unistd.h>

#include <climits>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/CliCommands.h"
#include "platform/Cp1251.h"
#include "platform/FileSystem.h"

namespace {

constexpr const char* kHelp = R"(quarrow-cli - headless front end of Quarrow, the FTP server scanner

Usage:
  quarrow-cli [--program-dir DIR] scan DESCRIPTION
  quarrow-cli [--program-dir DIR] resume RESUMEFILE SNAPSHOT
  quarrow-cli dump FILE
  quarrow-cli [--program-dir DIR] search [--stats] SNAPSHOT... -- QUERY...
  quarrow-cli [--program-dir DIR] watch list|add|change|remove|check|run ...
  quarrow-cli [--program-dir DIR] update-check [--url URL]
  quarrow-cli --help

Options:
  --program-dir DIR  The program folder: data folders TXT/, Session/, Arhive/ live there, and
                     the language comes from its quarrow.ini. Default: this executable's folder.

scan DESCRIPTION
  Runs the scans of a command-line description, exactly as the window program's command line
  does, and exits when every scan has ended. DESCRIPTION is one argument of bracketed keywords
  (quote it for the shell); keywords are case-sensitive, the first occurrence counts, and a
  value runs from "=" to the next "]":
    [server=HOST]        host to scan (required; a leading "ftp://" is removed)
    [path=FOLDER]        start folder, default "/"; slashes are added before and after
    [mask=MASKS]         extension masks one after another, e.g. *.mp3*.ogg; default *.*
    [port=N]             TCP port, default 21
    [user=NAME]          login name, default anonymous
    [password=TEXT]      password, default us@site
    [savefilename=PATH]  snapshot to write (extension replaced by .qrnet; every %date% becomes
                         dd.mm.yyyy); default DIR/Arhive/HOST_dd.mm.yyyy.qrnet
    [nodirchild]         list only the start folder, do not enter subfolders
    [passive]            start in passive mode (otherwise active, passive when that fails)
    [tls]                explicit FTPS: AUTH TLS, control and data encrypted, the certificate
                         verified (system store, or [Connection] TlsCaFile of quarrow.ini);
                         a server without TLS or a certificate that fails is a failed connect
    [loadfile=FILE]      take the descriptions from FILE, one per line (each line one scan)
    [hide], [nostartspyall], [startspyallinstart]
                         window and watch-list keywords: accepted and ignored here
  The ignore list TXT/Ignore.txt and the comment TXT/Coment.txt of the program folder apply.
  While it scans, the snapshot and the resume file (DIR/Session/NAME_HOST_DATE.qrsftp) are
  rewritten as it goes; Ctrl+C stops every scan, leaving the last saved files complete.
  Status lines go to stderr, a summary per scan to stdout; the summary names a snapshot only
  when it exists and says when a walk was incomplete or interrupted (with its resume file).
  Exit: 0 every walk completed and every file was written; 1 a scan could not connect or enter
  "/", a walk was incomplete or interrupted, or a file could not be written; 2 bad arguments
  (unknown command, bad port, unreadable load file); 130 interrupted.

resume RESUMEFILE SNAPSHOT
  Continues the interrupted scan a resume file (.qrsftp, in DIR/Session/) describes, with its
  login, queue and results, writing the snapshot SNAPSHOT (extension replaced by .qrnet) and a
  new resume file; the folder that was being listed is listed again. Exit codes as for scan.

dump FILE
  Prints a snapshot (.qrnet) or resume file (.qrsftp) as UTF-8 text: "H<TAB>line" for each
  header line, "Q<TAB>folder" for each queued folder of a resume file, "F<TAB>folder<TAB>name"
  for each file; a backslash, TAB, CR or LF inside a field is written as \\, \t, \r or \n.
  Exit 1 with a message when the file is missing or damaged.

watch list
  One line per watch list entry (DIR/Spy/Spy.ini): N<TAB>[x] or [ ]<TAB>line<TAB>status. N counts
  from 0 and names the entry in the commands below.
watch add DESCRIPTION
watch change N DESCRIPTION
watch remove N
  Add, change or delete an entry as the window's settings dialog and buttons do (the history
  files of DIR/TXT/ are updated, Spy.ini rewritten). DESCRIPTION is bracketed like scan's:
    [server=HOST] [path=FOLDER] [mask=MASKS] [user=NAME] [password=TEXT] [port=N]
    [interval=MINUTES] (60) [days=N] (7) [active] [startup] [subfolders] [tls]
    [savename=PATH] [savetype=1|2|3]
  1: a list of full addresses, 2: a list of names (both PATH.txt), 3: a snapshot PATH.qrnet.
  Exit 1 when the same server, folder and mask are watched already.
watch check [N...]
  One check of each named entry (all when none is named), in parallel; each result file is
  written, and one line of JSON per entry goes to stdout when its check ends:
    {"entry": N, "server": S, "path": P, "status": T, "files": n, "dirs": n,
     "items": [{"line": L, "url": U, "size": S, "bytes": n, "time": T, "folder": b}]}
  Ctrl+C stops every check, keeping the partial results (exit 130). Exit 0 when every check
  connected, 1 otherwise.
watch run
  Runs the entries' timers as the window program does (a check at start for entries marked so,
  then every interval for active ones), one line of JSON per finished check, until SIGINT or
  SIGTERM, which stop the checks under way and end with exit 0.
download N PATH...
  Fetches the files at the absolute remote PATHs with the login of watch line N into
  DIR/Downloads/, one at a time, as the new-files window's download does. The status line
  goes to stderr as it changes; one line of JSON per file to stdout:
    {"path": P, "local": L, "bytes": n, "status": S, "ok": bool}
  A file is received beside its name and renamed when whole, so a failed one leaves nothing
  that looks complete. Exit 0 when every file arrived whole, 1 otherwise, 130 after Ctrl+C
  (which aborts the download under way).

update-check [--url URL]
  Asks the update page once whether a newer version than this one exists, as the window
  program does at start-up, and prints one line of JSON:
    {"own": V, "announced": A, "update": true|false, "url": U}
  V is this program's version, A the last version the page announced (empty when none), U the
  download address the page gives (empty when none). The page is URL, else the address
  "Update"/"UpdateUrl" of DIR's quarrow.ini, else the maker's page. The request gives up after
  5 seconds. Exit: 0 whatever the page says; 1 when it could not be fetched (an HTTP error
  status included); 2 bad arguments.

search [--stats] SNAPSHOT... -- QUERY...
  Loads the snapshots, in the order given, into one archive as the window program's archive
  tab does (a missing file adds nothing; loading stops at a damaged one, keeping what was
  loaded before it), then searches each QUERY in turn as text typed into the archive's search
  box: words separated by blanks are found in any order, words separated by "*" in that order,
  and when no name holds the words literally a tolerant search follows. A QUERY ending in a
  blank clears the hits; one ending in "*" leaves them as they were. For each QUERY one line
  of JSON goes to stdout:
    {"query": Q, "dirs": [...], "files": [...], "status": S, "ms": T}
  with the folder and file hits in display order, the archive's status text and the search's
  own time in milliseconds. --stats adds one line on stderr: load and index times, the number
  of names and the peak memory. Exit: 0; 1 when a snapshot was damaged; 2 bad arguments.
)";

int usage(const std::string& message) {
    return quarrow::cli::PrintUsageError(message);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string programDir;
    std::size_t i = 0;
    if (i < args.size() && (args[i] == "--help" || args[i] == "-h")) {
        std::fputs(kHelp, stdout);
        return quarrow::cli::kExitOk;
    }
    if (i < args.size() && args[i] == "--program-dir") {
        if (i + 1 >= args.size()) return usage("--program-dir needs a folder");
        programDir = quarrow::systemPath(args[i + 1]);
        if (!programDir.ends_with('/')) programDir += '/';
        i += 2;
    }
    if (programDir.empty()) programDir = quarrow::cli::ExecutableDir();
    if (i >= args.size()) return usage("no command given");
    const std::string command = args[i++];
    const std::size_t operands = args.size() - i;
    if (command == "scan") {
        if (operands != 1) return usage("scan takes one DESCRIPTION argument");
        return quarrow::cli::RunScan(programDir, quarrow::utf8ToCp1251(args[i]));
    }
    if (command == "resume") {
        if (operands != 2) return usage("resume takes RESUMEFILE and SNAPSHOT");
        return quarrow::cli::RunResume(programDir, quarrow::systemPath(args[i]),
                                       quarrow::systemPath(args[i + 1]));
    }
    if (command == "dump") {
        if (operands != 1) return usage("dump takes one FILE argument");
        return quarrow::cli::RunDump(quarrow::systemPath(args[i]));
    }
    if (command == "watch") {
        return quarrow::cli::RunWatchCommand(
            programDir, std::vector<std::string>(args.begin() + static_cast<long>(i), args.end()));
    }
    if (command == "download") {
        return quarrow::cli::RunDownloadCommand(
            programDir, std::vector<std::string>(args.begin() + static_cast<long>(i), args.end()));
    }
    if (command == "search") {
        return quarrow::cli::RunSearchCommand(
            programDir, std::vector<std::string>(args.begin() + static_cast<long>(i), args.end()));
    }
    if (command == "update-check") {
        return quarrow::cli::RunUpdateCheck(
            programDir, std::vector<std::string>(args.begin() + static_cast<long>(i), args.end()));
    }
    return usage("unknown command '" + command + "'");
}
