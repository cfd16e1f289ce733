#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/TFtpMain.h"
#include "engine/Translate.h"

namespace quarrow {

class EngineContext;

// One save of a job's results: the state of the walk when its last folder was listed.
struct SaveRequest {
    std::shared_ptr<TFtpMain> job;
    bool final = false;         // the end-of-scan save: snapshot and text export, no resume
    bool snapshot = true;       // false: only the resume file (a final save follows at once)
    std::size_t fileCount = 0;  // how many entries of FileDirs/FileNames belong to this state
    std::vector<std::string> dirQueue;
    std::string currentDir;
};

// Writes snapshot and resume files on a thread of its own, one save at a time for all jobs
// (WriterBusy is set for the whole of each). Walkers hand it a captured state instead of
// writing themselves, and capture only when it is ready for their job, so a fast walk is not
// held up by compression and a big scan does not rewrite its files after every folder: each
// write takes the newest complete state, and the pause after a write is a few times its length.
//
// Every file is written beside its target and renamed into place, so the previous complete
// file stays until a new one is whole. A job whose page is being closed (StopRequested) gets
// nothing more written.
class SnapshotWriter {
public:
    explicit SnapshotWriter(EngineContext& context);
    ~SnapshotWriter();
    SnapshotWriter(const SnapshotWriter&) = delete;
    SnapshotWriter& operator=(const SnapshotWriter&) = delete;

    // Whether a progress state of `job` captured now would be written next: none of its saves
    // is waiting and the pause after its previous write is over.
    bool readyFor(const std::shared_ptr<TFtpMain>& job);
    void submit(SaveRequest request);
    // Blocks until every save submitted for `job` has been written or dropped.
    void waitFor(const std::shared_ptr<TFtpMain>& job);

private:
    struct JobState {
        int outstanding = 0;
        std::chrono::steady_clock::time_point nextAllowed{};
    };

    void run();
    void process(const SaveRequest& request);
    bool write(const SaveRequest& request, StringList& dirs, StringList& names);
    bool writeSnapshot(TFtpMain& job, const ThreadTexts& texts, const StringList& dirs,
                       const StringList& names, std::string& error);
    bool writeResume(const SaveRequest& request, StringList& dirs, StringList& names,
                     std::string& error);
    void waitForArchive();

    EngineContext& context_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable done_;
    std::deque<SaveRequest> queue_;
    std::map<std::shared_ptr<TFtpMain>, JobState> states_;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace quarrow
