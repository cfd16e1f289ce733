#include "download/DownloadQueue.h"

#include <chrono>
#include <thread>
#include <utility>

#include "download/TFTPThread.h"
#include "engine/EngineContext.h"
#include "engine/Notifier.h"
#include "platform/FtpSession.h"

namespace quarrow {
namespace {

// The counter line's fixed words (Windows-1251): "Загружено ", " файл из ", "Загрузка ".
constexpr const char* kLoaded = "\xC7\xE0\xE3\xF0\xF3\xE6\xE5\xED\xEE ";
constexpr const char* kFileOf = " \xF4\xE0\xE9\xEB \xE8\xE7 ";
constexpr const char* kLoading = "\xC7\xE0\xE3\xF0\xF3\xE7\xEA\xE0 ";
constexpr const char* kNothingYet = "0 kb  \xE8\xE7 ...  ";

}  // namespace

DownloadQueue::DownloadQueue(EngineContext& engine, std::shared_ptr<Notifier> refresh)
    : engine_(engine), refresh_(std::move(refresh)) {}

DownloadQueue::~DownloadQueue() {
    Abort();
    // The worker's session is closed: it ends at its next call.
    for (;;) {
        {
            std::lock_guard lock(mutex_);
            if (!running_) return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void DownloadQueue::setTexts(DownloadTexts texts) {
    std::lock_guard lock(mutex_);
    texts_ = std::move(texts);
}

void DownloadQueue::setAgent(std::string agent) {
    std::lock_guard lock(mutex_);
    agent_ = std::move(agent);
}

void DownloadQueue::EnqueueDownload(Mrec item) {
    {
        std::lock_guard lock(mutex_);
        item.Done = false;
        queue_.push_back(std::move(item));
        ++queued_;
        final_ = false;
        if (!running_) StartNextDownload();
    }
    if (refresh_) refresh_->enable();
}

void DownloadQueue::StartNextDownload() {
    if (running_) return;
    std::size_t pick = queue_.size();
    for (std::size_t i = 0; i < queue_.size(); ++i) {
        if (queue_[i].ServerName.empty()) continue;
        if (!queue_[i].Done) {
            pick = i;
            break;
        }
        pick = i;  // every item done: the last one, which ends the run
    }
    if (pick < queue_.size()) StartDownload(pick);
}

void DownloadQueue::StartDownload(std::size_t index) {
    if (done_ == queued_) {
        showFinal();
        return;
    }
    const Mrec& item = queue_[index];
    if (running_ || item.Done) return;
    running_ = true;
    percent_ = 0;
    currentDownload_ = static_cast<int>(index);
    localPath_ = item.LocalFolder + item.LocalName;
    caption_ = kLoading + item.LocalName;
    label_ = std::string(kLoaded) + kNothingYet + std::to_string(done_ + 1) + kFileOf +
             std::to_string(queued_);
    auto worker = std::make_shared<TFTPThread>(*this, agent_, engine_.SessionOptions, texts_, item,
                                               index, generation_);
    engine_.startWorker([worker] { worker->Execute(); });
}

// Everything asked for has been attempted: the line counts what arrived and names what did
// not, and the queue starts afresh.
void DownloadQueue::showFinal() {
    label_ = kLoaded + std::to_string(done_ - failed_) + kFileOf + std::to_string(queued_);
    if (failed_ > 0) label_ += texts_.notloaded + std::to_string(failed_);
    caption_ = label_;
    statusLine_.clear();
    percent_ = 0;
    queue_.clear();
    queued_ = done_ = failed_ = 0;
    final_ = true;
}

void DownloadQueue::Abort(bool windowClosed) {
    {
        std::lock_guard lock(mutex_);
        queued_ = done_ = failed_ = 0;
        currentDownload_ = -1;
        ++generation_;
        statusLine_.clear();
        label_ = windowClosed ? "" : ".";
        queue_.clear();
        percent_ = 0;
        caption_.clear();
        final_ = false;
    }
    closeSession();
}

void DownloadQueue::closeSession() {
    std::shared_ptr<FtpSession> session;
    {
        std::lock_guard lock(mutex_);
        session = std::move(session_);
    }
    if (session) session->close();
}

DownloadDisplay DownloadQueue::Timer1Timer(bool* again) {
    std::lock_guard lock(mutex_);
    *again = false;
    if (final_ || currentDownload_ < 0) return {label_, caption_, percent_, running_};
    label_ = statusLine_ + "   " + std::to_string(done_ + 1) + kFileOf + std::to_string(queued_);
    *again = percent_ < 100 && running_;
    return {label_, caption_, percent_, running_};
}

DownloadDisplay DownloadQueue::display() const {
    std::lock_guard lock(mutex_);
    return {label_, caption_, percent_, running_};
}

std::string DownloadQueue::LocalPath() const {
    std::lock_guard lock(mutex_);
    return localPath_;
}

bool DownloadQueue::idle() const {
    std::lock_guard lock(mutex_);
    if (running_) return false;
    for (const Mrec& item : queue_)
        if (!item.Done && !item.ServerName.empty()) return false;
    return true;
}

std::vector<DownloadOutcome> DownloadQueue::takeOutcomes() {
    std::lock_guard lock(mutex_);
    return std::exchange(outcomes_, {});
}

bool DownloadQueue::current(std::uint64_t generation) const {
    std::lock_guard lock(mutex_);
    return generation == generation_;
}

void DownloadQueue::publish(std::uint64_t generation, std::shared_ptr<FtpSession> session) {
    {
        std::lock_guard lock(mutex_);
        if (generation == generation_) {
            session_ = std::move(session);
            return;
        }
    }
    // Aborted before it was published: closed at once.
    session->close();
}

void DownloadQueue::progress(std::uint64_t generation, std::string status, int percent) {
    {
        std::lock_guard lock(mutex_);
        if (generation != generation_) return;
        statusLine_ = std::move(status);
        percent_ = percent;
    }
    if (refresh_) refresh_->enable();
}

void DownloadQueue::finished(std::uint64_t generation, std::size_t index, DownloadOutcome outcome) {
    {
        std::lock_guard lock(mutex_);
        outcomes_.push_back(std::move(outcome));
        const bool ok = outcomes_.back().ok;
        if (generation == generation_) {
            ++done_;
            if (!ok) ++failed_;
            queue_[index].Done = true;
            session_.reset();
        }
        running_ = false;
        percent_ = 0;
        statusLine_.clear();
        // After an abort too: a file requested since then waits for this worker to end.
        StartNextDownload();
    }
    if (refresh_) refresh_->enable();
}

}  // namespace quarrow
