#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <unordered_set>

#include "platform/FtpSession.h"

namespace quarrow {

class FolderPrefetch;
class WatchContext;
struct WatchEntry;

// The worker of one watch check: connects like a scan, walks the entry's folders breadth first
// and collects the files and folders whose time reaches the entry's NewSince into its
// new-items list, then re-arms the entry's timer, sets the balloon text and writes the result
// file. It differs from the scan walker in what it walks for, not in how it talks to servers:
// the connect sequence and the session layer are the scan's.
class TNevDirThread {
public:
    // Window thread: empties the entry's lists, marks its worker running and starts the check.
    static void Create(WatchContext& context, int entry);
    ~TNevDirThread();

private:
    TNevDirThread(WatchContext& context, int entry);

    void Execute();
    bool CheckServer(WatchEntry& entry);
    void WalkWatchFolders(WatchEntry& entry);
    void ListWatchFolder(WatchEntry& entry, const std::string& folder);
    // Asks the extra connections for the folders queued after number `index`.
    void WantAhead(WatchEntry& entry, std::size_t index);
    void Finish(WatchEntry& entry);
    // True once every line is deleted: the check ends without touching its entry again.
    bool Abandoned() const;
    // The session is closed (Stop) or the server stayed unreachable: nothing more can be listed.
    bool SessionOver() const;

    WatchContext& context_;
    const int index_;
    bool writeResult_ = false;
    std::shared_ptr<FtpSession> session_;
    FtpOptions options_;
    std::unique_ptr<FolderPrefetch> prefetch_;
    std::unordered_set<std::string> queued_;  // the folder queue upper-cased, for de-duplication
};

}  // namespace quarrow
