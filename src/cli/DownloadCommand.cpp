#include <chrono>
#include <ctime>
#include <thread>

#include "cli/CliCommands.h"
#include "cli/Json.h"
#include "download/DownloadQueue.h"
#include "engine/EngineContext.h"
#include "platform/Cp1251.h"
#include "platform/FileSystem.h"
#include "watch/SpyFile.h"
#include "watch/WatchTable.h"
#include "watch/WatchTexts.h"

namespace quarrow::cli {
namespace {

constexpr auto kPoll = std::chrono::milliseconds(100);

void printOutcome(const DownloadOutcome& outcome) {
    std::string out = "{\"path\": ";
    appendJsonString(out, outcome.remotePath);
    out += ", \"local\": ";
    appendJsonString(out, outcome.localPath);
    out += ", \"bytes\": " + std::to_string(outcome.bytes) + ", \"status\": ";
    appendJsonString(out, outcome.status);
    out += std::string(", \"ok\": ") + (outcome.ok ? "true" : "false") + "}";
    PrintOut(out);
}

}  // namespace

int RunDownloadCommand(const std::string& programDir, const std::vector<std::string>& operands) {
    const auto line = operands.empty() ? std::nullopt : parseLineNumber(operands[0]);
    if (!line || operands.size() < 2)
        return PrintUsageError("download takes the number of a watch line and remote PATHs");
    std::vector<std::string> paths;
    for (std::size_t i = 1; i < operands.size(); ++i) {
        paths.push_back(utf8ToCp1251(operands[i]));
        if (!paths.back().starts_with('/') || paths.back().ends_with('/'))
            return PrintUsageError("'" + operands[i] + "' is not the absolute path of a file");
    }

    EngineContext engine(programDir);
    const std::string languageFile = PrepareEngine(engine);
    WatchTable table;
    const SpyLoadResult loaded =
        LoadWatchList(programDir, table, LoadWatchTexts(languageFile), std::time(nullptr));
    if (!loaded.error.empty()) {
        PrintErr("quarrow-cli: " + SpyFilePath(programDir) + ": " + loaded.error);
        return kExitFailed;
    }
    const auto lines = table.lines();
    if (*line >= static_cast<int>(lines.size()))
        return PrintUsageError("there is no watch line " + operands[0]);
    const auto entry = table.at(lines[static_cast<std::size_t>(*line)].entry);
    const std::string folder = programDir + "Downloads/";
    if (!makeDirectories(folder)) {
        PrintErr("quarrow-cli: cannot create " + folder);
        return kExitFailed;
    }

    DownloadQueue queue(engine, nullptr);
    queue.setTexts(LoadDownloadTexts(languageFile));
    queue.setAgent(upperCp1251(kIdentText));
    InstallStopSignals();
    for (const std::string& path : paths)
        queue.EnqueueDownload(DownloadRequest(*entry, folder, path));

    std::size_t reported = 0, arrived = 0;
    bool aborted = false;
    std::string shown;
    for (;;) {
        if (!aborted && StopSignalled()) {
            queue.Abort();
            aborted = true;
        }
        bool again = false;
        const std::string status = queue.Timer1Timer(&again).label;
        if (status != shown && !status.empty()) PrintErr(status);
        shown = status;
        for (const DownloadOutcome& outcome : queue.takeOutcomes()) {
            printOutcome(outcome);
            arrived += outcome.ok ? 1 : 0;
            ++reported;
        }
        if (queue.idle() && (reported >= paths.size() || aborted)) break;
        std::this_thread::sleep_for(kPoll);
    }
    // Files an abort kept from starting are reported too: none of them arrived.
    for (std::size_t i = reported; i < paths.size(); ++i) {
        DownloadOutcome notStarted;
        notStarted.remotePath = paths[i];
        notStarted.localPath = folder + fileNameOf(paths[i]);
        printOutcome(notStarted);
    }
    if (aborted) return kExitInterrupted;
    return arrived == paths.size() ? kExitOk : kExitFailed;
}

}  // namespace quarrow::cli
