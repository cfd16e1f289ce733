#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/SnapshotWriter.h"
#include "engine/TMainFtp.h"
#include "engine/Translate.h"
#include "platform/FtpSession.h"

namespace quarrow {

// The engine's process-wide state in one object, handed to everything that needs it: the job
// table, the shared flags and lists, the language texts the workers use, the snapshot writer
// and the worker threads. Tests create as many as they like.
class EngineContext {
public:
    // `programDir` is the folder of the executable (or a test folder), with a trailing "/".
    explicit EngineContext(std::string programDir);
    // Stops the writer and waits for every worker; call only once scans were stopped or ended.
    ~EngineContext();
    EngineContext(const EngineContext&) = delete;
    EngineContext& operator=(const EngineContext&) = delete;

    const std::string ProgramDir;
    TMainFtp Jobs;
    std::atomic<int> CurrentJob{0};
    std::atomic<bool> WriterBusy{false};
    std::atomic<bool> ArchiveBusy{false};
    // Job number of the loaded archive, -1 while there is none (archive/ArchiveBrowser).
    std::atomic<int> ArchiveJob{-1};
    std::atomic<bool> EndSortEnabled{true};
    std::atomic<bool> CloseSortEnabled{true};
    // How scans talk to servers (timeouts, reconnection, passive mode). Set before any scan
    // starts; read-only while scans run.
    FtpOptions SessionOptions;
    // Benchmarks switch saving off to measure the bare walk.
    std::atomic<bool> SavingEnabled{true};

    // The lists and texts workers read while the window may replace them: readers get an
    // immutable snapshot; setters swap in a new one.
    std::shared_ptr<const std::vector<std::string>> IgnoreList() const;
    void setIgnoreList(std::vector<std::string> lines);
    std::shared_ptr<const std::vector<std::string>> CommentLines() const;
    void setCommentLines(std::vector<std::string> lines);
    std::shared_ptr<const ThreadTexts> Texts() const;
    void setTexts(ThreadTexts texts);

    SnapshotWriter& Writer() { return *writer_; }

    // Runs `body` on a worker thread of its own. Workers end by themselves; the context only
    // keeps them so that it can wait for them before it goes away.
    void startWorker(std::function<void()> body);
    // Blocks until every worker started so far has ended.
    void waitForWorkers();
    // Whether any worker is still running.
    bool workersRunning() const;

private:
    struct Worker {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };

    mutable std::mutex mutex_;
    std::shared_ptr<const std::vector<std::string>> ignoreList_;
    std::shared_ptr<const std::vector<std::string>> commentLines_;
    std::shared_ptr<const ThreadTexts> texts_;
    std::vector<Worker> workers_;
    std::unique_ptr<SnapshotWriter> writer_;
};

}  // namespace quarrow
