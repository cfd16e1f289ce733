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
// Listings a connection asks for at once where the server answers commands sent together.
constexpr std::size_t kPipelined = 16;

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
            if (at == waiting_.end()) return std::nullopt;
            if (live_ == 0 || closed_ || giveUp()) {
                waiting_.erase(at);
                return std::nullopt;
            }
            // A connection takes it next, sooner than the walk could list it itself.
            std::rotate(waiting_.begin(), at, std::next(at));
        } else if (closed_ || giveUp()) {
            return std::nullopt;
        }
        changed_.wait_for(lock, kGiveUpPoll);
    }
}

void FolderPrefetch::work() {
    const auto session = std::make_shared<FtpSession>(login_.agent, login_.options);
    session->setEventSink(login_.events);
    if (login_.names) session->shareNames(login_.names);
    {
        std::lock_guard lock(lock_);
        sessions_.push_back(session);
        if (closed_) session->close();
    }
    const bool connected = session->connect(login_.host, login_.port, login_.user, login_.password);
    std::unique_lock lock(lock_);
    --starting_;
    if (connected) ++live_;
    bool over = !connected;
    while (!over && !closed_) {
        ++idle_;
        changed_.wait(lock, [&] { return closed_ || !waiting_.empty(); });
        --idle_;
        if (closed_) break;
        const std::vector<std::string> folders = start(session->listsAhead() ? kPipelined : 1);
        std::vector<bool> handed(folders.size(), false);
        lock.unlock();
        session->listAhead(folders, [&](std::size_t folder, FetchedListing listing) {
            std::lock_guard held(lock_);
            hand(folders[folder], std::move(listing));
            handed[folder] = true;
        });
        for (std::size_t folder = 0; folder < folders.size(); ++folder) {
            if (handed[folder]) continue;
            std::optional<FetchedListing> listing;
            if (!over) listing = listOne(*session, folders[folder]);
            over = !listing;
            lock.lock();
            if (listing)
                hand(folders[folder], std::move(*listing));
            else
                underWay_.erase(folders[folder]);  // the walk lists it itself
            changed_.notify_all();
            lock.unlock();
        }
        lock.lock();
    }
    if (connected) --live_;
    changed_.notify_all();
}

std::vector<std::string> FolderPrefetch::start(std::size_t most) {
    std::vector<std::string> folders;
    while (folders.size() < most && !waiting_.empty()) {
        folders.push_back(std::move(waiting_.front()));
        waiting_.pop_front();
        underWay_.insert(folders.back());
    }
    return folders;
}

void FolderPrefetch::hand(const std::string& folder, FetchedListing listing) {
    underWay_.erase(folder);
    if (listing.listed) foresee(folder, listing.entries);
    heldEntries_ += listing.entries.size();
    done_.emplace(folder, std::move(listing));
    changed_.notify_all();
}

std::optional<FetchedListing> FolderPrefetch::listOne(FtpSession& session,
                                                      const std::string& folder) {
    FetchedListing listing;
    // Entered first, as the walk does: a folder STAT cannot name is then listed by "STAT ."
    // instead of over a data connection.
    session.changeDir(folder);
    listing.listed = session.list(folder, listing.entries);
    if (!listing.listed) listing.failure = session.lastFailure();
    // A lost connection says nothing about the folder.
    if (listing.failure == FtpFailure::kLost || listing.failure == FtpFailure::kClosed)
        return std::nullopt;
    return listing;
}

}  // namespace quarrow
