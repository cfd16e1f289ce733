#pragma once

#include <cstdint>
#include <string>

#include "download/DownloadTexts.h"
#include "download/Mrec.h"
#include "platform/FtpSession.h"

namespace quarrow {

class DownloadQueue;
struct DownloadOutcome;

// The worker of one download: logs in with the item's login, finds the file's size in its
// folder's listing, receives it into a part file beside the local name and publishes it when
// whole. It reports to its queue under its generation; once that has been aborted, nothing it
// does reaches the queue's counters.
class TFTPThread {
public:
    TFTPThread(DownloadQueue& queue, std::string agent, FtpOptions options, DownloadTexts texts,
               Mrec item, std::size_t index, std::uint64_t generation);

    void Execute();

private:
    // Finds the file in its folder and receives it; false with the status set when it fails.
    bool fetch(FtpSession& session, DownloadOutcome& outcome);
    std::string loadStatus(std::uint64_t received, std::uint64_t size, int percent) const;

    DownloadQueue& queue_;
    std::string agent_;
    FtpOptions options_;
    DownloadTexts texts_;
    Mrec item_;
    std::size_t index_;
    std::uint64_t generation_;
};

}  // namespace quarrow
