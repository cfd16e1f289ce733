#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace quarrow::test {

// How a child process ended and what it wrote.
struct ChildResult {
    int exitCode = -1;      // the exit status, -1 when it did not exit normally
    int termSignal = 0;     // the signal that ended it, 0 when it exited
    bool timedOut = false;  // the watchdog had to kill it
    std::string out;
    std::string err;
};

// A command started at construction, its output and errors captured in memory files (a chatty
// child never blocks on a full pipe); killed and reaped if still running at destruction.
class ChildProcess {
public:
    // `args[0]` is the executable's path; the environment is inherited.
    explicit ChildProcess(const std::vector<std::string>& args);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Polls `condition` while the child runs and sends `signal` once it holds. False when the
    // child ended or `limit` passed first (nothing is sent then).
    bool signalWhen(int signal, const std::function<bool()>& condition,
                    std::chrono::milliseconds limit);

    // Waits for the end of the child; past `watchdog` it is killed and `timedOut` is set.
    ChildResult wait(std::chrono::milliseconds watchdog = std::chrono::seconds(20));

private:
    bool reap(int options);

    pid_t pid_ = -1;
    int status_ = 0;
    int outFd_ = -1;
    int errFd_ = -1;
};

// Runs a command to its end under the watchdog.
ChildResult runChild(const std::vector<std::string>& args,
                     std::chrono::milliseconds watchdog = std::chrono::seconds(20));

// quarrow-cli with `args`, run to its end; a hang, a crash or a sanitizer report fails the
// calling test whatever it checks.
ChildResult runCli(const std::vector<std::string>& args,
                   std::chrono::milliseconds watchdog = std::chrono::seconds(20));

// runCli with "--program-dir `programDir`" before `args`.
ChildResult runCliIn(const std::string& programDir, std::vector<std::string> args);

// The lines `quarrow-cli dump FILE` prints with `tag` ('H', 'F' or 'Q'), the tag removed; a
// file line reads as folder and name joined.
std::vector<std::string> dumped(const std::string& file, char tag);

// Where a scan of 127.0.0.1 started today without a save name puts its snapshot and resume
// file (dates are dd.mm.yyyy, local).
std::string todaysSnapshot(const std::string& programDir);
std::string todaysResumeFile(const std::string& programDir);

// A program folder's TXT/ holding the shipped language files.
void copyLanguageFiles(const std::string& programDir);

}  // namespace quarrow::test
