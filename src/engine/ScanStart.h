#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace quarrow {

class EngineContext;
class TMainFtp;
struct TFtpMain;

// The scanner page's entry texts (Windows-1251) as the Start button reads them.
struct ScanEntries {
    std::string server, path, mask, userName, password, port;
};

// The job number of a connected scan with the same server, start folder and mask as the
// entries (each trimmed, letter case counting), if there is one.
std::optional<int> FindDuplicateScan(const TMainFtp& jobs, const ScanEntries& entries);

// Rewrites the entry texts the way Start writes them back into its controls: the server
// trimmed and without a leading "ftp://", the start folder between slashes ("/" when empty),
// the mask with a leading star ("*.*" when empty), "anonymous" for an empty user. False, and
// nothing changed, when no server is left.
bool NormaliseScanEntries(ScanEntries& entries);

// The port text as Start takes it: an empty field means 21; anything that is not a port
// number is refused.
std::optional<int> StartPort(std::string_view text);

// What the save dialog and the moment of the click add to the entries.
struct StartChoice {
    std::string saveFileName;  // exactly as the dialog returned it
    int filterIndex = 1;       // the chosen filter: what is exported beside the snapshot
    std::string ident;         // the identification string in force
    bool recursive = true;     // false while Ctrl is held: only the start folder is listed
    std::time_t now = 0;
};

// Fills a fresh job from normalised entries and a checked port. The caller attaches the
// window's timers and starts the walker.
void FillJobFromEntries(const EngineContext& context, TFtpMain& job, const ScanEntries& entries,
                        int port, const StartChoice& choice);

// The line a start adds to the log of parameter sets used ("TXT/SERVER.txt"): server, start
// folder, mask, user text and password text, separated by two blanks.
std::string ServerLogLine(const TFtpMain& job, std::string_view userText,
                          std::string_view passwordText);

}  // namespace quarrow
