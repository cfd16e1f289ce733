#include <atomic>
#include <map>
#include <thread>

#include "cli/CliCommands.h"
#include "engine/ClosePage.h"
#include "engine/CommandLine.h"
#include "engine/EngineContext.h"
#include "engine/ProgramFolders.h"
#include "engine/ResumeJob.h"
#include "engine/Settings.h"
#include "engine/TMonDirThread.h"
#include "platform/FileSystem.h"

namespace quarrow::cli {
namespace {

// Stands in for the window's 100 ms timers: a worker's enable() only marks that there is
// something to show, and the status loop looks at most once per tick, so a fast walk never
// makes the console thread compete with it.
class ConsoleTimer : public Notifier {
public:
    void enable() override { pending_.store(true, std::memory_order_relaxed); }

    // Waits one tick and tells whether anything was enabled meanwhile.
    bool tick() {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        return pending_.exchange(false, std::memory_order_relaxed);
    }

private:
    std::atomic<bool> pending_{false};
};

class ConsoleHooks : public CommandLineHooks {
public:
    explicit ConsoleHooks(std::shared_ptr<ConsoleTimer> timer) : timer_(std::move(timer)) {}
    void CreatePage(int, TFtpMain& job) override {
        std::lock_guard lock(job.Lock);
        job.ProgressTimer = timer_;
        job.FinishTimer = timer_;
    }

private:
    std::shared_ptr<ConsoleTimer> timer_;
};

std::string oneLine(std::string text) {
    for (auto at = text.find('\r'); at != std::string::npos; at = text.find('\r', at))
        text.replace(at, 1, " | ");
    return text;
}

// Prints each job's status, session note and save error when they changed since the last look.
class StatusPrinter {
public:
    void print(EngineContext& context, const std::vector<int>& jobs) {
        for (const int number : jobs) {
            const auto job = context.Jobs.at(number);
            if (!job) continue;
            report(number, "", job->statusText(), shownStatus_[number]);
            report(number, "note: ", job->note(), shownNote_[number]);
            report(number, "error: ", job->saveError(), shownError_[number]);
        }
    }

private:
    static void report(int number, const char* prefix, const std::string& text,
                       std::string& shown) {
        if (text == shown) return;
        shown = text;
        if (!text.empty())
            PrintErr("job " + std::to_string(number + 1) + ": " + prefix + oneLine(text));
    }

    std::map<int, std::string> shownStatus_;
    std::map<int, std::string> shownNote_;
    std::map<int, std::string> shownError_;
};

void stopAll(EngineContext& context, const std::vector<int>& jobs) {
    const auto pump = [] { std::this_thread::sleep_for(std::chrono::milliseconds(10)); };
    for (std::size_t i = 0; i < jobs.size(); ++i)
        ClosePage(context, jobs[i], i + 1 == jobs.size(), pump);
}

bool stale(const TFtpMain& job) {
    return job.SnapshotStale.load() || job.ResumeStale.load() || job.ExportStale.load();
}

// What the walk came to, as the summary says it.
std::string walkState(const TFtpMain& job) {
    const std::string unlisted = std::to_string(job.UnlistedDirs.load());
    switch (job.Outcome.load()) {
        case WalkOutcome::Walked:
            return job.walkComplete() ? "" : "  incomplete (" + unlisted + " folders not listed)";
        case WalkOutcome::Interrupted:
            return "  interrupted, incomplete (" + unlisted + " folders not listed)";
        default:
            return "  (not walked)";
    }
}

// The files the scan left: each named only when it exists, a stale one marked as such.
std::string filesLeft(const TFtpMain& job) {
    const std::string snapshot = job.SnapshotBase + ".qrnet";
    std::string text = fileExists(snapshot) ? "  snapshot: " + snapshot : "  no snapshot";
    if (job.SnapshotStale.load() && fileExists(snapshot)) text += " (stale: its last write failed)";
    const std::string resume = job.ResumeBase + ".qrsftp";
    if (!job.walkComplete() && fileExists(resume)) text += "  resume: " + resume;
    if (job.ResumeStale.load()) text += "  stale resume file: " + resume;
    if (job.ExportStale.load()) text += "  text export not written: " + job.SaveFileName + ".txt";
    return text;
}

// Folders the walk's bounds left out; the note on stderr names the first.
std::string leftOut(const TFtpMain& job) {
    const int tooDeep = job.TooDeepDirs.load();
    return tooDeep == 0 ? "" : "  " + std::to_string(tooDeep) + " folders too deep, not entered";
}

int summarise(EngineContext& context, const std::vector<int>& jobs) {
    int code = kExitOk;
    for (const int number : jobs) {
        const auto job = context.Jobs.at(number);
        if (!job) continue;
        PrintOut("job " + std::to_string(number + 1) + ": ftp://" + job->Server + job->Path +
                 "  files: " + std::to_string(job->fileCount()) +
                 "  folders: " + std::to_string(job->dirQueueSize()) + filesLeft(*job) +
                 walkState(*job) + leftOut(*job));
        if (!job->walkComplete() || stale(*job)) code = kExitFailed;
    }
    return code;
}

// Sets up the engine as the window program does at start-up: data folders, ignore list,
// comment and language of the program folder.
void prepare(EngineContext& context) {
    PrepareEngine(context);
    InstallStopSignals();
}

// Shows the scans' progress until they end or the user interrupts, and gives the exit code.
int supervise(EngineContext& context, const std::vector<int>& jobs, ConsoleTimer& timer) {
    StatusPrinter printer;
    while (context.workersRunning() && !StopSignalled()) {
        if (timer.tick()) printer.print(context, jobs);
    }
    if (StopSignalled()) {
        stopAll(context, jobs);
        context.waitForWorkers();
        PrintErr("quarrow-cli: interrupted; the last saved snapshot and resume files are kept");
        return kExitInterrupted;
    }
    context.waitForWorkers();
    printer.print(context, jobs);
    return summarise(context, jobs);
}

}  // namespace

int RunScan(const std::string& programDir, const std::string& description) {
    EngineContext context(programDir);
    prepare(context);
    auto timer = std::make_shared<ConsoleTimer>();
    ConsoleHooks hooks(timer);
    const CommandLineResult started = CommandLineHandler(context, description, hooks);
    if (!started.ok) PrintErr("quarrow-cli: " + started.error);
    if (started.ok && started.jobs.empty()) {
        PrintErr("quarrow-cli: no scan described (a description needs [server=HOST])");
        return kExitUsage;
    }
    const int code = supervise(context, started.jobs, *timer);
    return started.ok || code == kExitInterrupted ? code : kExitUsage;
}

int RunResume(const std::string& programDir, const std::string& resumeFile,
              const std::string& snapshotFile) {
    EngineContext context(programDir);
    prepare(context);
    auto timer = std::make_shared<ConsoleTimer>();
    ConsoleHooks hooks(timer);
    const int number = context.Jobs.add();
    const auto job = context.Jobs.at(number);
    ResumeChoice choice{resumeFile, snapshotFile, kIdentText};
    std::string error;
    // The port field keeps its default here, so every failure is the file's.
    if (FillJobFromResume(context, *job, choice, error) != ResumeFillResult::Filled) {
        PrintErr("quarrow-cli: " + resumeFile + ": " + error);
        return kExitFailed;
    }
    job->Connected.store(true);
    hooks.CreatePage(number, *job);
    job->Connected.store(false);
    context.CurrentJob.store(number);
    TMonDirThread::Create(context, number, true);
    return supervise(context, {number}, *timer);
}

}  // namespace quarrow::cli
