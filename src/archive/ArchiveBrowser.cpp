#include "archive/ArchiveBrowser.h"

#include "archive/TFastFindThread.h"
#include "engine/EngineContext.h"

namespace quarrow {
namespace {

std::int64_t ticks(ArchiveBrowser::Clock::time_point at) {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(at.time_since_epoch()).count();
}

std::string loadedStatus(const FormTexts& texts, std::size_t names) {
    return texts.regimfind + "\r" + texts.allfile + " - " + std::to_string(names);
}

}  // namespace

ArchiveBrowser::ArchiveBrowser(EngineContext& context, FormTexts texts)
    : context_(context),
      texts_(std::make_shared<const FormTexts>(std::move(texts))),
      channel_(std::make_shared<SearchChannel>()) {
    channel_->results = std::make_shared<const SearchResults>();
}

ArchiveBrowser::~ArchiveBrowser() {
    cancelSearches();
    WaitForSearches();
}

int ArchiveBrowser::JobNumber() const {
    return context_.ArchiveJob.load();
}

int ArchiveBrowser::Install(std::shared_ptr<const ArchiveContent> content, const std::string& ident,
                            std::shared_ptr<Notifier> progressTimer,
                            std::shared_ptr<Notifier> finishTimer) {
    int number = context_.ArchiveJob.load();
    std::shared_ptr<TFtpMain> job = context_.Jobs.at(number);
    if (!job) {
        // Snapshot writers hold off while the table grows for the archive job.
        context_.ArchiveBusy.store(true);
        number = context_.Jobs.add();
        job = context_.Jobs.at(number);
        context_.ArchiveJob.store(number);
        context_.CurrentJob.store(number);
        context_.ArchiveBusy.store(false);
    }
    cancelSearches();
    content_ = std::move(content);
    job->Server = "Arhive";
    job->Recursive = true;
    job->Ident = ident;
    job->Connected.store(false);
    job->StopRequested.store(false);
    job->PageClosed.store(false);
    {
        std::lock_guard lock(job->Lock);
        job->ProgressTimer = std::move(progressTimer);
        job->FinishTimer = std::move(finishTimer);
        job->StatusText = loadedStatus(*texts_, content_->ArchiveNames().size());
        job->DirIndex.store(static_cast<int>(job->DirQueue.size()) - 1);
    }
    ClearSearchResults();
    job->enableProgressTimer();
    return number;
}

void ArchiveBrowser::ClearSearchResults() {
    if (context_.ArchiveJob.load() < 0) return;
    cancelSearches();
    publish(std::make_shared<const SearchResults>());
}

void ArchiveBrowser::PageClosed() {
    cancelSearches();
    context_.ArchiveJob.store(-1);
    content_.reset();
    publish(std::make_shared<const SearchResults>());
}

void ArchiveBrowser::KeyDown() {
    cancelSearches();
}

void ArchiveBrowser::KeyUp() {
    channel_->newSearchUntil.store(0);
}

TriggerDecision::Action ArchiveBrowser::Timer9Timer(std::string_view boxText, bool pagesShown,
                                                    std::vector<std::string>& history,
                                                    Clock::time_point now) {
    const bool newSearchFlag = ticks(now) < channel_->newSearchUntil.load();
    const TriggerDecision decision = DecideTrigger(boxText, pagesShown, newSearchFlag);
    switch (decision.action) {
        case TriggerDecision::Action::Stop:
            return decision.action;
        case TriggerDecision::Action::Clear:
            ClearSearchResults();
            return decision.action;
        case TriggerDecision::Action::Search:
        case TriggerDecision::Action::Skip:
            break;
    }
    channel_->state.update([&](SearchState& s) { s.CurrentQuery = decision.currentQuery; });
    if (decision.action == TriggerDecision::Action::Search && content_ &&
        context_.ArchiveJob.load() >= 0)
        startSearch(boxText, now);
    UpdateSearchHistory(history, boxText);
    return decision.action;
}

void ArchiveBrowser::startSearch(std::string_view boxText, Clock::time_point now) {
    TFastFindThread::Request request;
    request.jobNumber = context_.ArchiveJob.load();
    request.boxText = std::string(boxText);
    request.content = content_;
    request.texts = texts_;
    // The new generation makes every older search give up at its next check.
    request.generation = channel_->latest.fetch_add(1) + 1;
    channel_->newSearchUntil.store(ticks(now + kNewSearchPause));
    {
        std::lock_guard lock(channel_->lock);
        ++channel_->running;
    }
    TFastFindThread::Create(context_, channel_, std::move(request));
}

std::shared_ptr<const SearchResults> ArchiveBrowser::Results() const {
    std::lock_guard lock(channel_->lock);
    return channel_->results;
}

std::string ArchiveBrowser::Status() const {
    const auto job = context_.Jobs.at(context_.ArchiveJob.load());
    return job ? job->statusText() : std::string();
}

SearchRun ArchiveBrowser::LastRun() const {
    std::lock_guard lock(channel_->lock);
    return channel_->lastRun;
}

void ArchiveBrowser::WaitForSearches() {
    std::unique_lock lock(channel_->lock);
    channel_->idle.wait(lock, [&] { return channel_->running == 0; });
}

void ArchiveBrowser::cancelSearches() {
    channel_->latest.fetch_add(1);
}

void ArchiveBrowser::publish(std::shared_ptr<const SearchResults> results) {
    std::lock_guard lock(channel_->lock);
    channel_->results = std::move(results);
}

}  // namespace quarrow
