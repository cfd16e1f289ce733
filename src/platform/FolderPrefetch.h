#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/FtpSession.h"

namespace quarrow {

// The login the extra connections use: the walk's own.
struct PrefetchLogin {
    std::string agent;
    std::string host;
    int port = 21;
    std::string user;
    std::string password;
    FtpOptions options;
    std::shared_ptr<ServerNames> names;  // the walk's session's, shared with the connections
    FtpEventSink events;  // told what the extra connections do on their own, on their threads
    // For a walk that lists each folder's subfolders right after it: the path of the subfolder
    // an entry of `folder` is when the walk would enter it. The connections then list those
    // too before the walk asks for them, subfolders first, as the walk will reach them.
    std::function<std::optional<std::string>(const std::string& folder, const FtpEntry& entry)>
        subfolder;
};

// Lists folders ahead of a walk on extra connections of the same login, each asking for
// several folders at once where the server answers commands sent together, so that on a slow
// link many listings are under way at once while the walk still takes them one by one, in its
// own order. A listing is handed over as the walk's own session would have ended it (listed,
// refused, failed after its retries, or past the listing bounds); whatever was not fetched (not
// asked for yet, waiting for a connection, or on a connection that was lost) the walk lists
// itself, so its results do not depend on what was fetched. A connection that cannot log in
// (a server limiting connections per address) or is lost ends, and the others go on.
//
// One thread (the walk's) calls want() and take(); close() may come from any thread.
class FolderPrefetch {
public:
    FolderPrefetch(PrefetchLogin login, int connections);
    ~FolderPrefetch();  // closes every connection (within about a second) and waits for them
    FolderPrefetch(const FolderPrefetch&) = delete;
    FolderPrefetch& operator=(const FolderPrefetch&) = delete;

    // Folders the walk will list next, in its order; those asked for before are left alone.
    void want(const std::vector<std::string>& folders);

    // The listing of `folder` when an extra connection made it, waiting while one is making it
    // or, while any connection is logged in, will make it next (`giveUp` is asked several times
    // a second); nothing otherwise. Each folder's listing
    // is handed over once.
    std::optional<FetchedListing> take(const std::string& folder,
                                       const std::function<bool()>& giveUp);

    void close();

private:
    void work();
    bool known(const std::string& folder) const;
    void foresee(const std::string& folder, const std::vector<FtpEntry>& entries);
    // Takes up to `most` waiting folders for one connection.
    std::vector<std::string> start(std::size_t most);
    // A listing made: held for the walk, its subfolders foreseen.
    void hand(const std::string& folder, FetchedListing listing);
    // One folder on its own; nothing when the connection is over (lost or closed).
    static std::optional<FetchedListing> listOne(FtpSession& session, const std::string& folder);

    const PrefetchLogin login_;
    const std::size_t connections_;
    std::mutex lock_;
    std::condition_variable changed_;
    bool closed_ = false;
    std::size_t idle_ = 0;                               // connections waiting for a folder
    std::size_t starting_ = 0;                           // connections logging in
    std::size_t live_ = 0;                               // connections logged in, not over
    std::deque<std::string> waiting_;                    // asked for, not started
    std::set<std::string> underWay_;                     // being listed now
    std::map<std::string, FetchedListing> done_;         // not taken yet
    std::size_t heldEntries_ = 0;                        // the entries of done_
    std::vector<std::shared_ptr<FtpSession>> sessions_;  // for close()
    std::vector<std::thread> threads_;
};

}  // namespace quarrow
