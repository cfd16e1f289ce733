#include "watch/TNevDirThread.h"

#include <vector>

#include "engine/ConnectServer.h"
#include "engine/FolderBounds.h"
#include "engine/Masks.h"
#include "platform/Cp1251.h"
#include "platform/DateTimeText.h"
#include "platform/FtpSession.h"
#include "platform/ThreadPriority.h"
#include "watch/CheckResult.h"
#include "watch/WatchContext.h"

namespace quarrow {
namespace {

std::string counts(const WatchEntry& entry, const std::string& lead, const WatchTexts& texts) {
    return lead + std::to_string(entry.NewFileCount.load()) + texts.nevdir +
           std::to_string(entry.NewDirCount.load());
}

}  // namespace

void TNevDirThread::Create(WatchContext& context, int entry) {
    const auto record = context.Table.at(entry);
    if (!record) return;
    record->NewItems.clear();
    {
        std::lock_guard lock(record->Lock);
        record->FileNames.clear();
    }
    record->NewFileCount.store(0);
    record->NewDirCount.store(0);
    record->StopRequested.store(false);
    record->WorkerRunning.store(true);
    auto check = std::shared_ptr<TNevDirThread>(new TNevDirThread(context, entry));
    context.Engine.startWorker([check] { check->Execute(); });
}

TNevDirThread::TNevDirThread(WatchContext& context, int entry) : context_(context), index_(entry) {}

TNevDirThread::~TNevDirThread() = default;

bool TNevDirThread::Abandoned() const {
    return context_.Table.LastWatchIndex() == -1;
}

bool TNevDirThread::SessionOver() const {
    return session_->isClosed() || session_->lastFailure() == FtpFailure::kLost;
}

void TNevDirThread::Execute() {
    if (index_ >= 3) LowerThreadPriority();
    const auto entry = context_.Table.at(index_);
    entry->IdleMinutes.store(0);
    entry->Connected.store(true);
    const bool walked = CheckServer(*entry);
    if (!Abandoned()) {
        if (walked) {
            session_->close();
            entry->Connected.store(false);
        }
        Finish(*entry);
    }
    entry->WorkerRunning.store(false);
}

bool TNevDirThread::CheckServer(WatchEntry& entry) {
    writeResult_ = true;
    const auto texts = context_.Texts();
    FtpOptions options = context_.Engine.SessionOptions;
    // "New" compares times: listings must carry the most exact times the server gives.
    options.listing.statOnlyWithoutMlsd = true;
    options.tls.enabled = entry.Tls;
    const ConnectSteps steps{texts->thread, options, {}, [this] { return Abandoned(); }, false};
    entry.Outcome.store(WalkOutcome::Running);
    const ConnectResult connected = ConnectServer(entry, steps, session_);
    if (connected != ConnectResult::Connected) {
        writeResult_ = false;
        entry.Outcome.store(connected == ConnectResult::NoLibrary ? WalkOutcome::NoLibrary
                            : connected == ConnectResult::NoHost  ? WalkOutcome::NoHost
                                                                  : WalkOutcome::NoRootDir);
        return false;
    }
    {
        std::lock_guard lock(entry.Lock);
        entry.FileNames.append(entry.Path);
    }
    queued_.insert(upperName(entry.Path));
    if (Abandoned()) return true;
    options_ = options;
    WalkWatchFolders(entry);
    prefetch_.reset();
    if (Abandoned()) return true;
    // A server that stayed unreachable is no finished check, whatever was found before.
    const bool lost = session_->lastFailure() == FtpFailure::kLost;
    entry.Outcome.store(lost                   ? WalkOutcome::Interrupted
                        : session_->isClosed() ? WalkOutcome::Stopped
                                               : WalkOutcome::Walked);
    entry.setStatusText(counts(
        entry, lost ? texts->thread.infointerrupted + " " + texts->nevfile : texts->stopf, *texts));
    return true;
}

void TNevDirThread::WalkWatchFolders(WatchEntry& entry) {
    entry.NewFileCount.store(0);
    entry.NewDirCount.store(0);
    std::size_t start = 0;
    for (;;) {
        std::size_t passEnd = 0;
        {
            std::lock_guard lock(entry.Lock);
            passEnd = entry.FileNames.size();
        }
        std::size_t lastDone = start;
        for (std::size_t j = start; j < passEnd; ++j) {
            if (Abandoned() || SessionOver()) return;
            std::string folder;
            {
                std::lock_guard lock(entry.Lock);
                folder = entry.FileNames.at(j);
            }
            entry.DirIndex.store(static_cast<int>(j));
            WantAhead(entry, j);
            ListWatchFolder(entry, folder);
            if (!entry.Recursive) return;
            lastDone = j;
        }
        std::size_t queued = 0;
        {
            std::lock_guard lock(entry.Lock);
            queued = entry.FileNames.size();
        }
        if (queued <= static_cast<std::size_t>(entry.DirIndex.load()) + 1) return;
        start = lastDone + 1;
    }
}

void TNevDirThread::WantAhead(WatchEntry& entry, std::size_t index) {
    if (options_.parallelListings <= 1 || !entry.Recursive) return;
    const auto ahead = static_cast<std::size_t>(2 * options_.parallelListings);
    std::vector<std::string> folders;
    {
        std::lock_guard lock(entry.Lock);
        for (std::size_t at = index + 1; at < entry.FileNames.size() && folders.size() < ahead;
             ++at)
            folders.emplace_back(entry.FileNames.at(at));
    }
    if (folders.empty()) return;
    if (!prefetch_) prefetch_ = PrefetchFor(entry, options_, *session_, {});
    prefetch_->want(folders);
}

// Folders count as new strictly after NewSince, files from NewSince on; no ignore list applies,
// and folders starting with "." are never entered.
void TNevDirThread::ListWatchFolder(WatchEntry& entry, const std::string& folder) {
    std::optional<FetchedListing> fetched;
    if (prefetch_)
        fetched = prefetch_->take(folder, [this] { return Abandoned() || SessionOver(); });
    if (!fetched) {
        fetched.emplace();
        session_->changeDir(folder);
        fetched->listed = session_->list(folder, fetched->entries);
    }
    if (!fetched->listed) return;
    const std::vector<FtpEntry>& listing = fetched->entries;
    const std::time_t newSince = entry.NewSince.load();
    for (const FtpEntry& item : listing) {
        if (Abandoned()) return;
        if (!storableName(item.name)) continue;
        const std::time_t time = cutToDosSeconds(static_cast<std::time_t>(item.mtime));
        if (item.attributes == kAttrDirectory) {
            if (item.name.starts_with('.')) continue;
            const std::string path = folder + item.name + "/";
            if (folderTooDeep(path) || !queued_.insert(upperName(path)).second) continue;
            {
                std::lock_guard lock(entry.Lock);
                entry.FileNames.append(path);
            }
            if (time > newSince) {
                entry.NewDirCount.fetch_add(1);
                entry.NewItems.append({0, time, path, true});
            }
            entry.enableProgressTimer();
        } else if (MatchesMask(item.name, entry.Mask, entry.Extensions) && time >= newSince) {
            entry.NewItems.append(
                {static_cast<std::uint32_t>(item.size), time, folder + item.name, false});
            entry.NewFileCount.fetch_add(1);
        }
    }
    entry.setStatusText(counts(entry, context_.Texts()->nevfile, *context_.Texts()));
    entry.enableProgressTimer();
}

void TNevDirThread::Finish(WatchEntry& entry) {
    entry.Connected.store(false);
    if (entry.Active.load()) context_.Timers.start(index_, entry.Interval.load());
    context_.setBalloonText(entry.statusText());
    entry.enableFinishTimer();
    if (!writeResult_) return;
    std::string error;
    if (!WriteCheckResult(entry, context_.Texts()->thread, *context_.Engine.CommentLines(),
                          std::time(nullptr), &error)) {
        entry.setSaveError(context_.Texts()->thread.infosaveerror + utf8ToCp1251(error));
        entry.enableProgressTimer();
    } else {
        entry.setSaveError({});
    }
}

}  // namespace quarrow
