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

// A command started at construction with its standard output and error captured in memory
// files, so a chatty child never blocks on a full pipe while the test waits for something
// else. A child still running when the object goes away is killed and reaped, so a failing
// test leaves no process behind.
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
    std::string captured(int fd) const;

    pid_t pid_ = -1;
    int status_ = 0;
    int outFd_ = -1;
    int errFd_ = -1;
};

// Runs a command to its end under the watchdog.
ChildResult runChild(const std::vector<std::string>& args,
                     std::chrono::milliseconds watchdog = std::chrono::seconds(20));

}  // namespace quarrow::test
