#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quarrow {
class EngineContext;
}

namespace quarrow::cli {

// Exit codes of quarrow-cli.
constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;  // a scan could not connect or enter "/", a file was damaged
constexpr int kExitUsage = 2;   // bad arguments
constexpr int kExitInterrupted = 130;

// `programDir` and `description` are Windows-1251 text.
int RunScan(const std::string& programDir, const std::string& description);
int RunResume(const std::string& programDir, const std::string& resumeFile,
              const std::string& snapshotFile);
int RunDump(const std::string& file);
// `operands` are the arguments after "search", as given (UTF-8): [--stats] SNAPSHOT... -- QUERY...
int RunSearchCommand(const std::string& programDir, const std::vector<std::string>& operands);

// The identification string sent by scans the tool starts.
inline constexpr const char* kIdentText = "Quarrowbrisk";

// Console output: system text (Windows-1251) converted to UTF-8.
void PrintOut(const std::string& cp1251Line);
void PrintErr(const std::string& cp1251Line);

// Says what is wrong with the command line on stderr, with a pointer to --help; returns
// kExitUsage.
int PrintUsageError(const std::string& message);
// A number of a list line: decimal digits only.
std::optional<int> parseLineNumber(std::string_view text);

// Sets up the engine as the window program does at start-up: data folders, ignore list,
// comment, worker texts and connection settings of the program folder. Returns the language
// file in force (see LanguageFileFor).
std::string PrepareEngine(EngineContext& context);

// `operands` are the arguments after "watch", as given (UTF-8).
int RunWatchCommand(const std::string& programDir, const std::vector<std::string>& operands);

// `operands` are the arguments after "download" (UTF-8): a watch line number and the remote
// paths of the files to fetch with its login into the program folder's "Downloads/".
int RunDownloadCommand(const std::string& programDir, const std::vector<std::string>& operands);

// `operands` are the arguments after "update-check", as given (UTF-8): [--url URL].
int RunUpdateCheck(const std::string& programDir, const std::vector<std::string>& operands);

// SIGINT and SIGTERM only set a flag, which the commands' loops look at.
void InstallStopSignals();
bool StopSignalled();

// The folder of the running executable, with a trailing "/".
std::string ExecutableDir();
// The language file in force for `programDir` (its settings choose the language): the program
// folder's own, else the one beside the executable, which is said on stderr.
std::string LanguageFileFor(const std::string& programDir);

}  // namespace quarrow::cli
