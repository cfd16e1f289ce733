#include "cli/ChildProcess.h"

#include <signal.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace quarrow::test {
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kPollStep = std::chrono::milliseconds(20);

int memoryFile(const char* name) {
    const int fd = ::memfd_create(name, MFD_CLOEXEC);
    if (fd < 0) throw std::runtime_error(std::string("memfd_create: ") + std::strerror(errno));
    return fd;
}

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& args) {
    if (args.empty()) throw std::invalid_argument("ChildProcess needs a command");
    outFd_ = memoryFile("child-stdout");
    errFd_ = memoryFile("child-stderr");

    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, outFd_, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, errFd_, STDERR_FILENO);
    const int rc = ::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        ::close(outFd_);
        ::close(errFd_);
        throw std::runtime_error("cannot start " + args[0] + ": " + std::strerror(rc));
    }
}

ChildProcess::~ChildProcess() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        reap(0);
    }
    ::close(outFd_);
    ::close(errFd_);
}

bool ChildProcess::reap(int options) {
    pid_t done = 0;
    do {
        done = ::waitpid(pid_, &status_, options);
    } while (done < 0 && errno == EINTR);
    if (done != pid_) return false;
    pid_ = -1;
    return true;
}

bool ChildProcess::signalWhen(int signal, const std::function<bool()>& condition,
                              std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    while (pid_ > 0 && !reap(WNOHANG) && Clock::now() < deadline) {
        if (condition()) return ::kill(pid_, signal) == 0;
        std::this_thread::sleep_for(kPollStep);
    }
    return false;
}

ChildResult ChildProcess::wait(std::chrono::milliseconds watchdog) {
    ChildResult result;
    const auto deadline = Clock::now() + watchdog;
    while (pid_ > 0 && !reap(WNOHANG)) {
        if (Clock::now() >= deadline) {
            ::kill(pid_, SIGKILL);
            reap(0);
            result.timedOut = true;
            break;
        }
        std::this_thread::sleep_for(kPollStep);
    }
    if (WIFEXITED(status_)) result.exitCode = WEXITSTATUS(status_);
    if (WIFSIGNALED(status_)) result.termSignal = WTERMSIG(status_);
    result.out = captured(outFd_);
    result.err = captured(errFd_);
    return result;
}

std::string ChildProcess::captured(int fd) const {
    std::string text;
    char buffer[4096];
    off_t offset = 0;
    for (;;) {
        const ssize_t n = ::pread(fd, buffer, sizeof buffer, offset);
        if (n <= 0) break;
        text.append(buffer, static_cast<std::size_t>(n));
        offset += n;
    }
    return text;
}

ChildResult runChild(const std::vector<std::string>& args, std::chrono::milliseconds watchdog) {
    ChildProcess child(args);
    return child.wait(watchdog);
}

}  // namespace quarrow::test
