#include <unistd.h>

#include <atomic>
#include <climits>
#include <csignal>
#include <cstdio>

#include "cli/CliCommands.h"
#include "engine/EngineContext.h"
#include "engine/ProgramFolders.h"
#include "engine/Settings.h"
#include "engine/Translate.h"
#include "platform/Cp1251.h"
#include "platform/FileSystem.h"
#include "platform/IniFile.h"

namespace quarrow::cli {
namespace {

// The signal may arrive on any thread, so the flag is a lock-free atomic rather than a
// volatile sig_atomic_t, which is only sound for a handler on the thread that reads it.
std::atomic<bool> stopSignalled{false};
static_assert(std::atomic<bool>::is_always_lock_free);

void onStopSignal(int) {
    stopSignalled.store(true, std::memory_order_relaxed);
}

}  // namespace

int PrintUsageError(const std::string& message) {
    std::fprintf(stderr, "quarrow-cli: %s\nTry 'quarrow-cli --help'.\n", message.c_str());
    return kExitUsage;
}

std::optional<int> parseLineNumber(std::string_view text) {
    if (text.empty() || text.front() < '0' || text.front() > '9') return std::nullopt;
    return parseIniInteger(text);
}

void InstallStopSignals() {
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool StopSignalled() {
    return stopSignalled.load(std::memory_order_relaxed);
}

void PrintOut(const std::string& cp1251Line) {
    std::fputs((cp1251ToUtf8(cp1251Line) + "\n").c_str(), stdout);
}

void PrintErr(const std::string& cp1251Line) {
    std::fputs((cp1251ToUtf8(cp1251Line) + "\n").c_str(), stderr);
}

std::string ExecutableDir() {
    char buffer[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0) return "./";
    return folderOf(systemPath(std::string(buffer, static_cast<size_t>(length))));
}

std::string PrepareEngine(EngineContext& context) {
    CreateDataFolders(context.ProgramDir);
    context.setIgnoreList(LoadTxtList(context.ProgramDir, "Ignore.txt"));
    context.setCommentLines(LoadTxtList(context.ProgramDir, "Coment.txt"));
    const std::string languageFile = LanguageFileFor(context.ProgramDir);
    context.setTexts(LoadThreadTexts(languageFile));
    context.SessionOptions =
        LoadSettings(settingsFilePath(context.ProgramDir), std::time(nullptr)).connection;
    return languageFile;
}

std::string LanguageFileFor(const std::string& programDir) {
    const int language = languageIndexFromSettings(programDir);
    const std::string own = languageFilePath(programDir, language);
    if (fileExists(own)) return own;
    const std::string beside = languageFilePath(ExecutableDir(), language);
    if (beside == own || !fileExists(beside)) return own;
    PrintErr("quarrow-cli: " + programDir + "TXT/ holds no language file; using " + beside);
    return beside;
}

}  // namespace quarrow::cli
