#include "cli/ChildProcess.h"

#include <signal.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>

#include "platform/DateTimeText.h"
#include "platform/TextLines.h"

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

// Opened anew by its /proc name, the memory file reads from its start.
std::string captured(int fd) {
    std::ifstream file("/proc/self/fd/" + std::to_string(fd), std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& args)
    : outFd_(memoryFile("child-stdout")), errFd_(memoryFile("child-stderr")) {
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
    result.timedOut = signalWhen(
        SIGKILL, [&] { return Clock::now() >= deadline; }, 2 * watchdog);
    if (pid_ > 0) reap(0);
    if (WIFEXITED(status_)) result.exitCode = WEXITSTATUS(status_);
    if (WIFSIGNALED(status_)) result.termSignal = WTERMSIG(status_);
    result.out = captured(outFd_);
    result.err = captured(errFd_);
    return result;
}

ChildResult runChild(const std::vector<std::string>& args, std::chrono::milliseconds watchdog) {
    return ChildProcess(args).wait(watchdog);
}

ChildResult runCli(const std::vector<std::string>& args, std::chrono::milliseconds watchdog) {
    std::vector<std::string> all{QUARROW_CLI_PATH};
    all.insert(all.end(), args.begin(), args.end());
    ChildResult result = runChild(all, watchdog);
    EXPECT_FALSE(result.timedOut) << "quarrow-cli hung; stderr:\n" << result.err;
    EXPECT_EQ(result.termSignal, 0) << result.err;
    for (const char* report : {"Sanitizer", "runtime error:"})
        EXPECT_EQ(result.err.find(report), std::string::npos) << result.err;
    return result;
}

ChildResult runCliIn(const std::string& programDir, std::vector<std::string> args) {
    args.insert(args.begin(), {"--program-dir", programDir});
    return runCli(args);
}

std::vector<std::string> dumped(const std::string& file, char tag) {
    const ChildResult dump = runCli({"dump", file});
    EXPECT_EQ(dump.exitCode, 0) << file << ": " << dump.err;
    std::vector<std::string> found;
    for (std::string& line : splitLines(dump.out)) {
        if (line.size() < 2 || line[0] != tag || line[1] != '\t') continue;
        line.erase(0, 2);
        if (tag == 'F') line.erase(line.find('\t'), 1);
        found.push_back(line);
    }
    return found;
}

std::string todaysSnapshot(const std::string& programDir) {
    return programDir + "Arhive/127.0.0.1_" + formatDate(std::time(nullptr)) + ".qrnet";
}

std::string todaysResumeFile(const std::string& programDir) {
    const std::string today = formatDate(std::time(nullptr));
    return programDir + "Session/127.0.0.1_" + today + "_127.0.0.1_" + today + ".qrsftp";
}

void copyLanguageFiles(const std::string& programDir) {
    namespace fs = std::filesystem;
    fs::create_directories(programDir + "TXT");
    for (const auto& entry : fs::directory_iterator(QUARROW_DATA_DIR "/TXT"))
        fs::copy_file(entry.path(), programDir + "TXT/" + entry.path().filename().string());
}

}  // namespace quarrow::test
