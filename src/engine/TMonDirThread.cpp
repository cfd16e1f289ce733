#include "engine/TMonDirThread.h"

#include <vector>

#include "engine/ConnectServer.h"
#include "engine/EngineContext.h"
#include "engine/FolderBounds.h"
#include "engine/Masks.h"
#include "engine/SortSnapshot.h"
#include "platform/Cp1251.h"
#include "platform/FtpSession.h"
#include "platform/ThreadPriority.h"

namespace quarrow {
namespace {

// Once this many files are listed, file entries wake the window only every this many entries.
constexpr std::size_t kEagerProgressFiles = 100;
constexpr int kProgressEvery = 31;
// The skip rule: with this many files found, a folder that brought no more than one file and
// one subfolder since the last save is not saved.
constexpr std::size_t kSkipRuleFiles = 100;
constexpr int kSaveThreshold = 1;

bool ignored(std::string_view folderName, const std::vector<std::string>& ignoreList) {
    const std::string upper = upperCp1251(folderName);
    for (const auto& entry : ignoreList) {
        if (!entry.empty() && upper.starts_with(upperCp1251(entry))) return true;
    }
    return false;
}

}  // namespace

void TMonDirThread::Create(EngineContext& context, int jobNumber, bool resume) {
    auto walker = std::shared_ptr<TMonDirThread>(new TMonDirThread(context, jobNumber, resume));
    context.startWorker([walker] { walker->Execute(); });
}

TMonDirThread::TMonDirThread(EngineContext& context, int jobNumber, bool resume)
    : context_(context), jobNumber_(jobNumber), resume_(resume) {
    const auto job = Job();
    if (!job) return;
    std::lock_guard lock(job->Lock);
    const std::string current = upperName(job->CurrentDir);
    for (std::size_t i = 0; i < job->DirQueue.size(); ++i) {
        std::string key = upperName(job->DirQueue[i]);
        if (resume_ && resumeIndex_ < 0 && key == current) resumeIndex_ = static_cast<long>(i);
        queuedFolders_.insert(std::move(key));
    }
}

std::shared_ptr<TFtpMain> TMonDirThread::Job() const {
    return context_.Jobs.at(jobNumber_);
}

void TMonDirThread::SetStatus(TFtpMain& job, std::string text) {
    job.setStatusText(std::move(text));
    job.enableProgressTimer();
}

void TMonDirThread::Execute() {
    if (jobNumber_ >= 3) LowerThreadPriority();
    entryCounter_ = 0;
    const auto record = Job();
    if (!record) return;
    record->Running.store(true);
    record->Outcome.store(WalkOutcome::Running);
    ConnectAndWalk();
    // Cleared on the record even when the table is being emptied: the close of the last page
    // waits for this flag before it lets the records go.
    record->Running.store(false);

    const auto job = Job();
    if (!job) return;
    job->Connected.store(false);
    if (job->StopRequested.load()) {
        job->Outcome.store(WalkOutcome::Stopped);
    } else if (job->Outcome.load() == WalkOutcome::Interrupted) {
        context_.Writer().waitFor(job);
    } else {
        if (job->Outcome.load() == WalkOutcome::Running) job->Outcome.store(WalkOutcome::Walked);
        const bool finalSave = context_.EndSortEnabled.load() && !job->Sorted.load();
        FlushProgress(job, finalSave);
        if (finalSave) {
            FinalSave(job);
            if (job->fileCount() > 0 && job->HasListing.load())
                SortSnapshot(job->SnapshotBase + ".qrnet", false);
        }
    }
    job->HasListing.store(false);
    if (!job->PageClosed.load()) {
        job->enableProgressTimer();
        job->enableFinishTimer();
    }
}

void TMonDirThread::ConnectAndWalk() {
    auto job = Job();
    if (!job) return;
    job->HasListing.store(false);
    const auto texts = context_.Texts();
    FtpOptions options = context_.SessionOptions;
    options.passive = options.passive || job->Passive;
    options.tls.enabled = job->Tls;
    const ConnectSteps steps{
        *texts, options, [this](FtpEvent event, int attempt) { OnSessionEvent(event, attempt); },
        [this] {
            const auto record = Job();
            return !record || record->StopRequested.load();
        }};
    switch (ConnectServer(*job, steps, session_)) {
        case ConnectResult::Connected:
            break;
        case ConnectResult::NoLibrary:
            job->Outcome.store(WalkOutcome::NoLibrary);
            return;
        case ConnectResult::NoHost:
            job->Outcome.store(WalkOutcome::NoHost);
            return;
        case ConnectResult::NoRootDir:
            job->Outcome.store(WalkOutcome::NoRootDir);
            return;
        case ConnectResult::Abandoned:
            return;
    }

    {
        std::lock_guard lock(job->Lock);
        if (job->DirQueue.empty()) {
            job->DirQueue.push_back(job->Path);
            queuedFolders_.insert(upperName(job->Path));
        }
    }
    options_ = options;
    WalkQueue();
    prefetch_.reset();
    if (!(job = Job())) return;
    session_->close();
    job->Connected.store(false);
}

void TMonDirThread::WalkQueue() {
    std::size_t start = 0;
    if (resume_) start = resumeIndex_ <= 0 ? 1 : static_cast<std::size_t>(resumeIndex_);
    resume_ = false;

    for (;;) {
        auto job = Job();
        if (!job) return;
        const std::size_t passEnd = job->dirQueueSize();
        std::size_t lastDone = start == 0 ? 0 : start - 1;
        for (std::size_t position = start; position < passEnd; ++position) {
            if (!job->Connected.load()) return;
            const std::string folder = job->dirQueueAt(position);
            if (trimText(folder).empty()) continue;

            job->DirIndex.store(static_cast<int>(position));
            const auto texts = context_.Texts();
            SetStatus(*job, texts->scandir + std::to_string(position) + "  -  " + folder + "\r" +
                                texts->countdir + std::to_string(job->dirQueueSize()));
            if (!job->Connected.load()) return;

            job->setCurrentDir(folder);
            firstFileOfFolder_ = true;
            WantAhead(*job, position);
            FtpFailure failure = FtpFailure::kNone;
            if (ListFolder(folder, position, failure)) {
                ProgressSave(job);
            } else if (failure == FtpFailure::kLost) {
                if ((job = Job())) Interrupt(job, position);
                return;
            } else if (failure == FtpFailure::kFailed) {
                job->UnlistedDirs.fetch_add(1);
            } else if (failure == FtpFailure::kOverrun) {
                job->UnlistedDirs.fetch_add(1);
                job->addNote(context_.Texts()->infolistinglimit + folder);
            }

            if (!(job = Job())) return;
            job->setStatusText({});
            if (!job->Recursive) return;
            lastDone = position;
        }
        if (!(job = Job()) || job->StopRequested.load()) return;
        if (job->dirQueueSize() <= passEnd) return;
        start = lastDone + 1;
    }
}

bool TMonDirThread::ListFolder(const std::string& folder, std::size_t position,
                               FtpFailure& failure) {
    firstResult_ = -1;
    std::size_t queued = 0;

    const auto stopped = [this] {
        const auto record = Job();
        return !record || record->StopRequested.load() || session_->isClosed();
    };
    std::optional<FetchedListing> fetched;
    if (prefetch_) fetched = prefetch_->take(folder, stopped);
    if (!fetched) {
        fetched.emplace();
        if (position > 0) session_->changeDir(folder);
        fetched->listed = session_->list(folder, fetched->entries);
        if (!fetched->listed) fetched->failure = session_->lastFailure();
    }
    const bool opened = fetched->listed;
    failure = fetched->failure;
    const std::vector<FtpEntry>& entries = fetched->entries;
    auto job = Job();
    if (!job || job->StopRequested.load()) return opened;
    if (!opened) {
        job->setStatusText({});
        return false;
    }

    for (const FtpEntry& entry : entries) {
        // A page close ends the listing as closing the handle would.
        if (job->StopRequested.load()) break;
        job->HasListing.store(true);
        if (!storableName(entry.name)) continue;
        if (entry.attributes == kAttrDirectory)
            AddFolder(*job, folder, entry, position, queued);
        else
            AddFile(*job, folder, entry);
    }
    job->setStatusText({});
    return true;
}

std::optional<std::string> TMonDirThread::WillEnter(const std::string& folder,
                                                    const FtpEntry& entry) const {
    if (entry.attributes != kAttrDirectory || !storableName(entry.name) ||
        entry.name.starts_with('.') || ignored(entry.name, *context_.IgnoreList()))
        return std::nullopt;
    std::string path = folder + entry.name + "/";
    if (folderTooDeep(path)) return std::nullopt;
    return path;
}

void TMonDirThread::WantAhead(TFtpMain& job, std::size_t position) {
    if (options_.parallelListings <= 1 || !job.Recursive) return;
    // Twice as many as are listed at once, so a connection that finishes finds the next.
    const auto ahead = static_cast<std::size_t>(2 * options_.parallelListings);
    std::vector<std::string> folders;
    {
        std::lock_guard lock(job.Lock);
        for (std::size_t at = position + 1; at < job.DirQueue.size() && folders.size() < ahead;
             ++at)
            if (!trimText(job.DirQueue[at]).empty()) folders.push_back(job.DirQueue[at]);
    }
    if (folders.empty()) return;
    if (!prefetch_) {
        prefetch_ = PrefetchFor(
            job, options_, *session_,
            [this](FtpEvent event, int attempt) { OnSessionEvent(event, attempt); },
            [this](const std::string& folder, const FtpEntry& entry) {
                return WillEnter(folder, entry);
            });
    }
    prefetch_->want(folders);
}

void TMonDirThread::AddFolder(TFtpMain& job, const std::string& folder, const FtpEntry& entry,
                              std::size_t position, std::size_t& queued) {
    if (entry.name.starts_with('.')) return;
    const std::string path = folder + entry.name + "/";
    std::string key = upperName(path);
    if (queuedFolders_.contains(key)) return;
    if (folderTooDeep(path)) {
        // Named once: a link loop would otherwise add a note per level.
        if (job.TooDeepDirs.fetch_add(1) == 0) job.addNote(context_.Texts()->infotoodeep + path);
    } else if (!ignored(entry.name, *context_.IgnoreList())) {
        ++foldersSinceSave_;
        ++queued;
        queuedFolders_.insert(std::move(key));
        std::lock_guard lock(job.Lock);
        const std::size_t at = std::min(position + queued, job.DirQueue.size());
        job.DirQueue.insert(job.DirQueue.begin() + static_cast<std::ptrdiff_t>(at), path);
        if (deferred_) deferred_->insertions.push_back(at);
    }
    job.enableProgressTimer();
    ++entryCounter_;
}

void TMonDirThread::AddFile(TFtpMain& job, const std::string& folder, const FtpEntry& entry) {
    ++entryCounter_;
    std::size_t fileCount = 0;
    {
        std::lock_guard lock(job.Lock);
        fileCount = job.FileNames.size();
        if (firstFileOfFolder_) {
            firstResult_ = static_cast<long>(job.FileDirs.size());
            firstFileOfFolder_ = false;
        }
        if (MatchesMask(entry.name, job.Mask, job.Extensions)) {
            ++filesSinceSave_;
            // The folder's first result keeps the path; later files of the folder refer to it.
            const auto index = job.FileDirs.size();
            if (index == static_cast<std::size_t>(firstResult_))
                job.FileDirs.append(folder);
            else
                job.FileDirs.append(std::to_string(firstResult_));
            job.FileNames.append(entry.name);
        }
    }
    if (fileCount < kEagerProgressFiles || entryCounter_ >= kProgressEvery) {
        job.enableProgressTimer();
        entryCounter_ = 0;
    }
}

void TMonDirThread::SubmitCapture(const std::shared_ptr<TFtpMain>& job, bool final) {
    SaveRequest request;
    request.job = job;
    request.final = final;
    {
        std::lock_guard lock(job->Lock);
        request.fileCount = job->FileNames.size();
        if (!final) {
            request.dirQueue = job->DirQueue;
            request.currentDir = job->CurrentDir;
        }
    }
    context_.Writer().submit(std::move(request));
}

void TMonDirThread::ProgressSave(const std::shared_ptr<TFtpMain>& job) {
    if (!context_.SavingEnabled.load() || context_.Jobs.LastJobIndex() == -1) return;
    if (!job->HasListing.load() || job->PageClosed.load()) return;
    if (job->fileCount() >= kSkipRuleFiles && filesSinceSave_ <= kSaveThreshold &&
        foldersSinceSave_ <= kSaveThreshold)
        return;
    filesSinceSave_ = 0;
    foldersSinceSave_ = 0;
    if (context_.Writer().readyFor(job)) {
        deferred_.reset();
        SubmitCapture(job, false);
    } else {
        deferred_ = DeferredSave{};
        deferred_->fileCount = job->fileCount();
        deferred_->currentDir = job->currentDir();
    }
}

void TMonDirThread::SubmitDeferred(const std::shared_ptr<TFtpMain>& job, bool resumeOnly) {
    SaveRequest request;
    request.job = job;
    request.snapshot = !resumeOnly;
    request.fileCount = deferred_->fileCount;
    request.currentDir = deferred_->currentDir;
    {
        std::lock_guard lock(job->Lock);
        request.dirQueue = job->DirQueue;
    }
    // Undo the later insertions, newest first, to get the queue as it was then.
    for (auto at = deferred_->insertions.rbegin(); at != deferred_->insertions.rend(); ++at) {
        if (*at < request.dirQueue.size())
            request.dirQueue.erase(request.dirQueue.begin() + static_cast<std::ptrdiff_t>(*at));
    }
    deferred_.reset();
    context_.Writer().submit(std::move(request));
}

void TMonDirThread::FlushProgress(const std::shared_ptr<TFtpMain>& job, bool finalSaveFollows) {
    if (deferred_ && !job->PageClosed.load()) {
        context_.Writer().waitFor(job);
        // The final save replaces the snapshot at once, so only the resume file is written.
        SubmitDeferred(job, finalSaveFollows);
    }
    context_.Writer().waitFor(job);
}

void TMonDirThread::Interrupt(const std::shared_ptr<TFtpMain>& job, std::size_t position) {
    job->Outcome.store(WalkOutcome::Interrupted);
    job->UnlistedDirs.fetch_add(static_cast<int>(job->dirQueueSize() - position));
    const auto texts = context_.Texts();
    std::string status = texts->infointerrupted;
    // Unlike a progress save this one is never put off: it is the state to continue from.
    deferred_.reset();
    if (context_.SavingEnabled.load() && context_.Jobs.LastJobIndex() != -1 &&
        job->HasListing.load() && !job->PageClosed.load()) {
        context_.Writer().waitFor(job);
        SubmitCapture(job, false);
        context_.Writer().waitFor(job);
        if (!job->ResumeStale.load())
            status += "\r" + texts->inforesumefile + job->ResumeBase + ".qrsftp";
    }
    SetStatus(*job, std::move(status));
}

void TMonDirThread::OnSessionEvent(FtpEvent event, int attempt) {
    const auto job = Job();
    if (!job) return;
    const auto texts = context_.Texts();
    switch (event) {
        case FtpEvent::kWentPassive:
            job->addNote(texts->infopassive);
            break;
        case FtpEvent::kReconnecting:
            job->setStatusText(texts->inforeconnect + std::to_string(attempt));
            break;
        case FtpEvent::kReconnected:
            job->addNote(texts->inforeconnected);
            break;
    }
    job->enableProgressTimer();
}

void TMonDirThread::FinalSave(const std::shared_ptr<TFtpMain>& job) {
    if (!context_.SavingEnabled.load() || context_.Jobs.LastJobIndex() == -1) return;
    if (!job->HasListing.load() || job->PageClosed.load()) return;
    SubmitCapture(job, true);
    context_.Writer().waitFor(job);
}

}  // namespace quarrow
