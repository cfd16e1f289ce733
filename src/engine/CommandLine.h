#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quarrow {

class EngineContext;
struct TFtpMain;

// The value of a bracketed keyword such as "[server=": the text after "=" up to the next "]"
// (to the end when "]" is missing). Case-sensitive; the first occurrence counts.
std::optional<std::string> KeywordValue(std::string_view line, std::string_view keyword);
bool HasKeyword(std::string_view line, std::string_view keyword);

// The start-folder and mask texts as the scanner page normalises them.
std::string NormalisePath(std::string_view path);
std::string NormaliseMask(std::string_view mask);
// A whole decimal TCP port (1 to 65535); anything else is refused.
std::optional<int> ParsePort(std::string_view text);
// A text made safe as one file-name component: "/" and NUL become "_".
std::string FileNameSafe(std::string_view text);
// The job's resume files without extension: ProgramDir + "Session/" + the snapshot's name +
// "_" + server + "_" + start stamp, every part safe as a file name.
std::string ResumeBaseOf(std::string_view programDir, std::string_view snapshotBase,
                         std::string_view server, std::string_view startStamp);

// The scan descriptions of a command-line argument: the lines of its "[loadfile=" file, or the
// argument itself. False with `error` set when the file cannot be read.
bool GatherDescriptions(std::string_view argument, std::vector<std::string>& descriptions,
                        std::string& error);

enum class FillResult { NoServer, Filled, BadPort };

// Fills a fresh job from one scan description, as a command-line scan is set up. `now` gives
// the date of the stamp and of "%date%".
FillResult FillJobFromDescription(const EngineContext& context, TFtpMain& job,
                                  std::string_view description, std::time_t now,
                                  std::string& error);

// What a front end does for each command-line job: give it a page and timers, act on the
// watch keywords. The engine calls these from the thread that runs the command line.
class CommandLineHooks {
public:
    virtual ~CommandLineHooks() = default;
    // Called with `Connected` set, before the worker starts: attach timers, create the page.
    virtual void CreatePage(int jobNumber, TFtpMain& job) = 0;
    virtual void NoStartSpyAll() {}
    virtual void StartSpyAll() {}
};

struct CommandLineResult {
    bool ok = true;         // false: a description stopped the handling (see error)
    std::string error;      // Windows-1251 text for the front end to show
    std::vector<int> jobs;  // job numbers of the scans started
    bool hide = false;      // the argument asked for "[hide]"
};

// Starts the scans of a command-line argument: one job per description (a description
// without "[server=" takes a job number and starts nothing), each with its page and walker.
// A port that is not a number stops the handling at that description; an unreadable
// "[loadfile=" starts nothing.
CommandLineResult CommandLineHandler(EngineContext& context, std::string_view argument,
                                     CommandLineHooks& hooks);

}  // namespace quarrow
