#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "engine/TFtpMain.h"
#include "platform/FolderPrefetch.h"
#include "platform/FtpSession.h"

namespace quarrow {

class EngineContext;

// The worker of one scan: connects, walks the server's folder tree depth first from the job's
// start folder, collects the files matching the job's mask into its lists and has the writer
// save progress after each listed folder. It reaches the outside only through its record,
// which it looks up by job number at every step, and it ends by itself.
class TMonDirThread {
public:
    // Starts the walker of job `jobNumber`, whose record must be filled completely (lists
    // included). A resumed job continues from the folder recorded in its CurrentDir.
    static void Create(EngineContext& context, int jobNumber, bool resume);

private:
    TMonDirThread(EngineContext& context, int jobNumber, bool resume);

    void Execute();
    void ConnectAndWalk();
    void WalkQueue();
    // Lists the folder (or takes what an extra connection listed); `failure` says why not.
    bool ListFolder(const std::string& folder, std::size_t position, FtpFailure& failure);
    // The path of the subfolder an entry of `folder` is when the walk would enter it (a case
    // duplicate of a queued folder aside): what the extra connections may list before asked.
    std::optional<std::string> WillEnter(const std::string& folder, const FtpEntry& entry) const;
    // Asks the extra connections for the folders that follow `position` in the queue.
    void WantAhead(TFtpMain& job, std::size_t position);
    void AddFolder(TFtpMain& job, const std::string& folder, const FtpEntry& entry,
                   std::size_t position, std::size_t& queued);
    void AddFile(TFtpMain& job, const std::string& folder, const FtpEntry& entry);
    void ProgressSave(const std::shared_ptr<TFtpMain>& job);
    void FlushProgress(const std::shared_ptr<TFtpMain>& job, bool finalSaveFollows);
    void FinalSave(const std::shared_ptr<TFtpMain>& job);
    void SubmitCapture(const std::shared_ptr<TFtpMain>& job, bool final);
    void SubmitDeferred(const std::shared_ptr<TFtpMain>& job, bool resumeOnly);
    // Ends the walk at the folder at `position`, which could not be listed because the server
    // stayed unreachable: everything found before it is saved, so that the resume file
    // continues the walk with that folder.
    void Interrupt(const std::shared_ptr<TFtpMain>& job, std::size_t position);
    void OnSessionEvent(FtpEvent event, int attempt);

    // The job's record, or null once the table is being emptied.
    std::shared_ptr<TFtpMain> Job() const;
    void SetStatus(TFtpMain& job, std::string text);

    EngineContext& context_;
    const int jobNumber_;
    bool resume_;
    long resumeIndex_ = -1;
    int entryCounter_ = 0;
    bool firstFileOfFolder_ = false;
    long firstResult_ = -1;
    int filesSinceSave_ = 0;
    int foldersSinceSave_ = 0;
    // A progress save that fell due while the writer was busy: the state it would have saved,
    // with the queue positions of the folders inserted since, so that state can be rebuilt.
    struct DeferredSave {
        std::size_t fileCount = 0;
        std::string currentDir;
        std::vector<std::size_t> insertions;
    };
    std::optional<DeferredSave> deferred_;
    std::unordered_set<std::string> queuedFolders_;  // DirQueue upper-cased, for de-duplication
    std::shared_ptr<FtpSession> session_;
    FtpOptions options_;  // the walk's session options, for its extra connections
    std::unique_ptr<FolderPrefetch> prefetch_;
};

}  // namespace quarrow
