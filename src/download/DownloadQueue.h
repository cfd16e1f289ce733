#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "download/DownloadTexts.h"
#include "download/Mrec.h"

namespace quarrow {

class EngineContext;
class FtpSession;
class Notifier;

// What the progress window shows.
struct DownloadDisplay {
    std::string label;    // Label1: status and counter line
    std::string caption;  // the window's title
    int percent = 0;
    bool running = false;
};

// How one requested file ended, for whoever reports it (quarrow-cli prints one line each).
struct DownloadOutcome {
    std::string remotePath, localPath;  // Windows-1251
    std::uint64_t bytes = 0;
    std::string status;
    bool ok = false;
};

// The download queue: requests in order, worked off one file at a time by a TFTPThread on the
// engine's worker threads. The window thread (or quarrow-cli's main loop) enqueues, aborts and
// reads the display; the worker writes its status and progress and, when it ends, starts the
// next item itself. Everything shared sits behind one lock; the worker's FTP session is
// published so that Abort can close it and end a blocked read at once.
class DownloadQueue {
public:
    // `refresh` is the progress window's Timer1: enabled whenever there is something to show.
    DownloadQueue(EngineContext& engine, std::shared_ptr<Notifier> refresh);
    // Aborts and waits for the worker, which ends at once once its session is closed.
    ~DownloadQueue();

    void setTexts(DownloadTexts texts);
    // The identification the worker's sessions announce themselves with.
    void setAgent(std::string agent);

    void EnqueueDownload(Mrec item);
    // "Прервать": empties the queue, zeroes the counters, closes the worker's session. Closing
    // the window does the same with an empty counter line instead of ".".
    void Abort(bool windowClosed = false);

    // The Timer1 tick: the counter line and the bar, and whether to tick again.
    DownloadDisplay Timer1Timer(bool* again);
    DownloadDisplay display() const;
    // The local file of the current or last download.
    std::string LocalPath() const;
    // True when no worker runs and nothing is waiting.
    bool idle() const;
    // The outcomes of the items ended since the last call, in order.
    std::vector<DownloadOutcome> takeOutcomes();

private:
    friend class TFTPThread;

    void StartNextDownload();               // with mutex_ held
    void StartDownload(std::size_t index);  // with mutex_ held
    void showFinal();                       // with mutex_ held
    void closeSession();
    // The worker's reports; all ignored once its generation has been aborted.
    bool current(std::uint64_t generation) const;
    void publish(std::uint64_t generation, std::shared_ptr<FtpSession> session);
    void progress(std::uint64_t generation, std::string status, int percent);
    void finished(std::uint64_t generation, std::size_t index, DownloadOutcome outcome);

    EngineContext& engine_;
    std::shared_ptr<Notifier> refresh_;
    mutable std::mutex mutex_;
    DownloadTexts texts_;
    std::string agent_;
    std::vector<Mrec> queue_;       // DownloadQueue
    bool running_ = false;          // DownloadRunning
    int queued_ = 0;                // DownloadsQueued
    int done_ = 0;                  // DownloadsDone: attempts
    int failed_ = 0;                // attempts that did not arrive whole
    int currentDownload_ = -1;      // CurrentDownload
    std::uint64_t generation_ = 0;  // raised by every abort
    bool final_ = false;            // the final counter line is shown
    std::string statusLine_, label_, caption_, localPath_;
    int percent_ = 0;
    std::shared_ptr<FtpSession> session_;
    std::vector<DownloadOutcome> outcomes_;
};

}  // namespace quarrow
