#include "platform/FolderPrefetch.h"

#include <algorithm>
#include <chrono>

namespace quarrow {
namespace {

constexpr auto kGiveUpPoll = std::chrono::milliseconds(100);
// Listings held or planned ahead of the walk. A deep tree needs many: listings of folders the
// walk reaches only after whole subtrees fill the room, and with too little of it the
// connections idle while the walk lists the folders at hand itself. The entries held bound
// the memory.
constexpr std::size_t kAheadPerConnection = 512;
constexpr std::size_t kMostHeldEntries = 500'000;

}  // namespace

FolderPrefetch::FolderPrefetch(PrefetchLogin login, int connections)
    : login_(std::move(login)), connections_(static_cast<std::size_t>(std::max(connections, 0))) {}

FolderPrefetch::~FolderPrefetch() {
    close();
    for (std::thread& thread : threads_) thread.join();
}

void FolderPrefetch::close() {
    std::vector<std::shared_ptr<FtpSession>> sessions;
    {
        std::lock_guard lock(lock_);
        closed_ = true;
        sessions = sessions_;
    }
    for (const auto& session : sessions) session->close();
    changed_.notify_all();
}

void FolderPrefetch::want(const std::vector<std::string>& folders) {
    std::lock_guard lock(lock_);
    if (closed_) return;
    // The walk needs these before anything foreseen: they go to the front, in its order.
    std::vector<std::string> next;
    for (const std::string& folder : folders) {
        if (underWay_.contains(folder) || done_.contains(folder)) continue;
        if (const auto at = std::find(waiting_.begin(), waiting_.end(), folder);
            at != waiting_.end())
            waiting_.erase(at);
        next.push_back(folder);
    }
    waiting_.insert(waiting_.begin(), next.begin(), next.end());
    // Another connection only while folders wait that no connection will take soon.
    while (threads_.size() < connections_ && waiting_.size() > idle_ + starting_) {
        ++starting_;
        threads_.emplace_back([this] { work(); });
    }
    changed_.notify_all();
}

bool FolderPrefetch::known(const std::string& folder) const {
    return underWay_.contains(folder) || done_.contains(folder) ||
           std::find(waiting_.begin(), waiting_.end(), folder) != waiting_.end();
}

void FolderPrefetch::foresee(const std::string& folder, const std::vector<FtpEntry>& entries) {
    if (!login_.subfolder) return;
    const std::size_t most = kAheadPerConnection * connections_;
    std::vector<std::string> next;
    for (const FtpEntry& entry : entries) {
        if (done_.size() + underWay_.size() + waiting_.size() + next.size() >= most ||
            heldEntries_ >= kMostHeldEntries)
            break;
        if (auto path = login_.subfolder(folder, entry); path && !known(*path))
            next.push_back(std::move(*path));
    }
    waiting_.insert(waiting_.begin(), next.begin(), next.end());
}

std::optional<FetchedListing> FolderPrefetch::take(const std::string& folder,
                                                   const std::function<bool()>& giveUp) {
    std::unique_lock lock(lock_);
    for (;;) {
        if (const auto done = done_.find(folder); done != done_.end()) {
            FetchedListing listing = std::move(done->second);
            done_.erase(done);
            heldEntries_ -= listing.entries.size();
            return listing;
        }
        if (!underWay_.contains(folder)) {
            const auto at = std::find(waiting_.begin(), waiting_.end(), folder);
            if (at != waiting_.end()) waiting_.erase(at);
            return std::nullopt;
        }
        if (closed_ || giveUp()) return std::nullopt;
        changed_.wait_for(lock, kGiveUpPoll);
    }
}

void FolderPrefetch::work() {
    const auto session = std::make_shared<FtpSession>(login_.agent, login_.options);
    session->setEventSink(login_.events);
    {
        std::lock_guard lock(lock_);
        sessions_.push_back(session);
        if (closed_) session->close();
    }
    const bool connected = session->connect(login_.host, login_.port, login_.user, login_.password);
    std::unique_lock lock(lock_);
    --starting_;
    while (connected && !closed_) {
        ++idle_;
        changed_.wait(lock, [&] { return closed_ || !waiting_.empty(); });
        --idle_;
        if (closed_) break;
        const std::string folder = std::move(waiting_.front());
        waiting_.pop_front();
        underWay_.insert(folder);
        lock.unlock();
        FetchedListing listing;
        // Entered first, as the walk does: a folder STAT cannot name is then listed by "STAT ."
        // instead of over a data connection.
        session->changeDir(folder);
        listing.listed = session->list(folder, listing.entries);
        if (!listing.listed) listing.failure = session->lastFailure();
        const bool over =
            listing.failure == FtpFailure::kLost || listing.failure == FtpFailure::kClosed;
        lock.lock();
        underWay_.erase(folder);
        if (listing.listed) foresee(folder, listing.entries);
        // A lost connection says nothing about the folder: the walk lists it itself.
        if (!over) {
            heldEntries_ += listing.entries.size();
            done_.emplace(folder, std::move(listing));
        }
        changed_.notify_all();
        if (over) break;
    }
    changed_.notify_all();
}

}  // namespace quarrow
