#include <chrono>
#include <ctime>
#include <set>
#include <thread>

#include "cli/CliCommands.h"
#include "cli/Json.h"
#include "engine/CommandLine.h"
#include "engine/EngineContext.h"
#include "engine/HistoryLists.h"
#include "engine/ProgramFolders.h"
#include "engine/Settings.h"
#include "platform/Cp1251.h"
#include "platform/FileSystem.h"
#include "watch/ItemText.h"
#include "watch/SpyFile.h"
#include "watch/TimerQueue.h"
#include "watch/WatchContext.h"
#include "watch/WatchEditing.h"
#include "watch/WatchScheduler.h"

namespace quarrow::cli {
namespace {

constexpr auto kTick = std::chrono::milliseconds(100);
constexpr auto kMinute = std::chrono::minutes(1);

// The engine and watch list as the window program has them after start-up.
struct WatchSetup {
    explicit WatchSetup(const std::string& programDir)
        : engine(programDir), watch(engine, timers), scheduler(watch) {
        watch.setTexts(LoadWatchTexts(PrepareEngine(engine)));
    }

    // False, after saying why, when the list stopped loading at a damaged entry.
    bool load() {
        const SpyLoadResult loaded =
            LoadWatchList(engine.ProgramDir, watch.Table, *watch.Texts(), std::time(nullptr));
        if (loaded.error.empty()) return true;
        PrintErr("quarrow-cli: " + engine.ProgramDir + "Spy/Spy.ini: " + loaded.error);
        return false;
    }

    TimerQueue timers;
    EngineContext engine;
    WatchContext watch;
    WatchScheduler scheduler;
};

std::string jsonItem(const WatchEntry& entry, const TMainObj& item) {
    std::string out = "{\"line\": ";
    appendJsonString(out, NewItemLine(item));
    out += ", \"url\": ";
    appendJsonString(out, "ftp://" + entry.Server + item.FullName);
    out += ", \"size\": ";
    appendJsonString(out, FormatItemSize(static_cast<std::int32_t>(item.Size)));
    out += ", \"bytes\": " + std::to_string(item.Size) + ", \"time\": ";
    appendJsonString(out, dateTimeText(item.Time));
    out += std::string(", \"folder\": ") + (item.IsFolder ? "true" : "false") + "}";
    return out;
}

// One line of JSON for a check that has ended.
std::string checkReport(int line, const WatchEntry& entry) {
    std::string out = "{\"entry\": " + std::to_string(line) + ", \"server\": ";
    appendJsonString(out, entry.Server);
    out += ", \"path\": ";
    appendJsonString(out, entry.Path);
    out += ", \"status\": ";
    appendJsonString(out, entry.statusText());
    out += ", \"files\": " + std::to_string(entry.NewFileCount.load()) +
           ", \"dirs\": " + std::to_string(entry.NewDirCount.load()) + ", \"items\": [";
    const auto items = entry.NewItems.items();
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) out += ", ";
        out += jsonItem(entry, items[i]);
    }
    return out + "]}";
}

bool connected(const WatchEntry& entry) {
    const WalkOutcome outcome = entry.Outcome.load();
    return outcome == WalkOutcome::Walked || outcome == WalkOutcome::Stopped ||
           outcome == WalkOutcome::Interrupted;
}

// Follows the checks of the watched lines: prints a report when one ends, and whether every
// check so far connected.
class CheckReporter {
public:
    explicit CheckReporter(WatchContext& watch) : watch_(watch) {}

    bool report() {
        const auto lines = watch_.Table.lines();
        for (std::size_t p = 0; p < lines.size(); ++p) {
            const auto entry = watch_.Table.at(lines[p].entry);
            const bool busy = entry->Connected.load() || entry->WorkerRunning.load();
            if (busy) {
                running_.insert(lines[p].entry);
            } else if (running_.erase(lines[p].entry) > 0) {
                PrintOut(checkReport(static_cast<int>(p), *entry));
                std::fflush(stdout);
                allConnected_ = allConnected_ && connected(*entry);
            }
        }
        return allConnected_;
    }
    bool idle() const { return running_.empty(); }
    // A check about to start: it is reported when it ends, even when it ends before the next
    // look at the flags (a refused connect can).
    void expect(int entry) { running_.insert(entry); }

private:
    WatchContext& watch_;
    std::set<int> running_;
    bool allConnected_ = true;
};

void stopAll(WatchSetup& setup) {
    const auto lines = setup.watch.Table.lines();
    for (std::size_t p = 0; p < lines.size(); ++p)
        if (setup.watch.Table.at(lines[p].entry)->Connected.load())
            setup.scheduler.StartOrStop(static_cast<int>(p));
}

// Line positions named on the command line; every line when none is named.
std::optional<std::vector<int>> chosenLines(const WatchTable& table,
                                            const std::vector<std::string>& operands) {
    const int count = static_cast<int>(table.lines().size());
    std::vector<int> chosen;
    for (const std::string& operand : operands) {
        const auto number = parseLineNumber(operand);
        if (!number || *number >= count) {
            PrintErr("quarrow-cli: no watch line " + operand + " (the list has " +
                     std::to_string(count) + ")");
            return std::nullopt;
        }
        chosen.push_back(*number);
    }
    if (operands.empty())
        for (int p = 0; p < count; ++p) chosen.push_back(p);
    return chosen;
}

int runCheck(WatchSetup& setup, const std::vector<std::string>& operands) {
    const auto chosen = chosenLines(setup.watch.Table, operands);
    if (!chosen) return kExitUsage;
    CheckReporter reporter(setup.watch);
    InstallStopSignals();
    const auto lines = setup.watch.Table.lines();
    for (const int p : *chosen) {
        const int entry = lines[static_cast<std::size_t>(p)].entry;
        reporter.expect(entry);
        setup.scheduler.SpyTimerTimer(entry);
    }
    reporter.report();
    bool stopped = false;
    while (!reporter.idle()) {
        if (StopSignalled() && !stopped) {
            stopAll(setup);
            stopped = true;
        }
        std::this_thread::sleep_for(kTick);
        reporter.report();
    }
    setup.engine.waitForWorkers();
    if (stopped) return kExitInterrupted;
    return reporter.report() ? kExitOk : kExitFailed;
}

// The window program's schedule without the window: the entries' timers and the one-minute
// countdown, until SIGINT or SIGTERM.
int runTimers(WatchSetup& setup) {
    CheckReporter reporter(setup.watch);
    InstallStopSignals();
    setup.scheduler.ArmLoaded();
    auto nextMinute = TimerQueue::Clock::now() + kMinute;
    while (!StopSignalled()) {
        for (const int entry : setup.timers.takeDue()) setup.scheduler.SpyTimerTimer(entry);
        if (TimerQueue::Clock::now() >= nextMinute) {
            setup.scheduler.Timer5Timer();
            nextMinute += kMinute;
        }
        reporter.report();
        std::this_thread::sleep_for(kTick);
    }
    stopAll(setup);
    while (!reporter.idle()) {
        std::this_thread::sleep_for(kTick);
        reporter.report();
    }
    setup.engine.waitForWorkers();
    return kExitOk;
}

int listLines(WatchSetup& setup) {
    const auto lines = setup.watch.Table.lines();
    for (std::size_t p = 0; p < lines.size(); ++p) {
        const auto entry = setup.watch.Table.at(lines[p].entry);
        PrintOut(std::to_string(p) + "\t" + (entry->Active.load() ? "[x]" : "[ ]") + "\t" +
                 lines[p].text + "\t" + entry->statusText());
    }
    return kExitOk;
}

int reportEdit(const WatchEditResult& result) {
    switch (result.kind) {
        case WatchEditResult::Added:
        case WatchEditResult::Changed:
            PrintOut("watch line " + std::to_string(result.line));
            return kExitOk;
        case WatchEditResult::Removed:
            return kExitOk;
        case WatchEditResult::Refused:
            PrintErr("quarrow-cli: " + result.message);
            return kExitUsage;
        case WatchEditResult::Duplicate:
        case WatchEditResult::Failed:
            break;
    }
    PrintErr("quarrow-cli: " + result.message);
    return kExitFailed;
}

// The scanner's history lists the settings dialog adds to, as their files hold them.
struct HistoryFiles {
    explicit HistoryFiles(const std::string& programDir)
        : passwords(historyFilePath(programDir, "Password.txt"), true),
          logins(historyFilePath(programDir, "Login.txt"), true),
          masks(historyFilePath(programDir, "MASK.txt"), true),
          paths(historyFilePath(programDir, "PATH.txt"), true) {
        for (HistoryList* list : {&passwords, &logins, &masks, &paths}) list->loadAll();
    }
    HistoryList passwords, logins, masks, paths;
    WatchHistory lists{passwords, logins, masks, paths};
};

// The settings dialog's fields from a bracketed description, with the dialog's defaults.
std::optional<WatchForm> WatchFormFromDescription(const std::string& description) {
    WatchForm form;
    const auto value = [&](const char* keyword, std::string fallback) {
        return KeywordValue(description, keyword).value_or(std::move(fallback));
    };
    form.server = value("[server=", "");
    form.path = value("[path=", "/");
    form.mask = value("[mask=", "");
    form.user = value("[user=", "anonymous");
    form.password = value("[password=", "us@site");
    form.port = value("[port=", "21");
    form.saveName = value("[savename=", "");
    form.active = HasKeyword(description, "[active]");
    form.checkAtStart = HasKeyword(description, "[startup]");
    form.subfolders = HasKeyword(description, "[subfolders]");
    form.tls = HasKeyword(description, "[tls]");
    const auto number = [&](const char* keyword, int fallback) -> std::optional<int> {
        const auto text = KeywordValue(description, keyword);
        if (!text) return fallback;
        return parseLineNumber(*text);
    };
    const auto interval = number("[interval=", 60);
    const auto days = number("[days=", 7);
    const auto saveType = number("[savetype=", 1);
    if (!interval || !days || !saveType) return std::nullopt;
    form.intervalMinutes = *interval;
    form.days = *days;
    form.saveType = *saveType;
    return form;
}

}  // namespace

int RunWatchCommand(const std::string& programDir, const std::vector<std::string>& operands) {
    if (operands.empty())
        return PrintUsageError("watch needs list, add, change, remove, check or run");
    const std::string& action = operands[0];
    const std::vector<std::string> rest(operands.begin() + 1, operands.end());
    WatchSetup setup(programDir);
    const bool complete = setup.load();
    const std::time_t now = std::time(nullptr);
    const auto texts = setup.watch.Texts();

    if (action == "list" && rest.empty()) return complete ? listLines(setup) : kExitFailed;
    if (action == "check") return complete ? runCheck(setup, rest) : kExitFailed;
    if (action == "run" && rest.empty()) return complete ? runTimers(setup) : kExitFailed;
    // Saving a list that stopped loading part way would drop the entries after the damage.
    if (!complete) {
        PrintErr("quarrow-cli: the watch list is left unchanged until Spy/Spy.ini is repaired");
        return kExitFailed;
    }
    if (action == "add" && rest.size() == 1) {
        const auto form = WatchFormFromDescription(utf8ToCp1251(rest[0]));
        if (!form) return PrintUsageError("interval, days and savetype take whole numbers");
        HistoryFiles history(programDir);
        return reportEdit(
            AddWatchEntry(setup.watch.Table, *form, history.lists, programDir, *texts, now));
    }
    if (action == "change" && rest.size() == 2) {
        const auto line = parseLineNumber(rest[0]);
        const auto form = WatchFormFromDescription(utf8ToCp1251(rest[1]));
        if (!line || !form || *line >= static_cast<int>(setup.watch.Table.lines().size()))
            return PrintUsageError("change takes the number of a watch line and a DESCRIPTION");
        HistoryFiles history(programDir);
        return reportEdit(ChangeWatchEntry(setup.watch.Table, *line, *form, history.lists,
                                           programDir, *texts, now));
    }
    if (action == "remove" && rest.size() == 1) {
        const auto line = parseLineNumber(rest[0]);
        if (!line || *line >= static_cast<int>(setup.watch.Table.lines().size()))
            return PrintUsageError("remove takes the number of a watch line");
        return reportEdit(RemoveWatchLine(setup.watch.Table, *line, programDir));
    }
    return PrintUsageError("unknown or incomplete watch command '" + action + "'");
}

}  // namespace quarrow::cli
