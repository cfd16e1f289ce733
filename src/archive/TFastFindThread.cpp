#include "archive/TFastFindThread.h"

#include "archive/RunSearch.h"
#include "engine/EngineContext.h"

namespace quarrow {

void TFastFindThread::Create(EngineContext& context, std::shared_ptr<SearchChannel> channel,
                             Request request) {
    context.startWorker([&context, channel = std::move(channel), request = std::move(request)] {
        Execute(context, *channel, request);
    });
}

void TFastFindThread::Execute(EngineContext& context, SearchChannel& channel,
                              const Request& request) {
    const auto started = std::chrono::steady_clock::now();
    const SearchCancel cancel(channel.latest, request.generation);
    SearchOutcome outcome =
        RunSearch(*request.content, request.boxText, channel.state, *request.texts, cancel);
    const std::chrono::duration<double, std::milli> took =
        std::chrono::steady_clock::now() - started;
    const auto job = context.Jobs.at(request.jobNumber);
    bool redraw = false;
    {
        std::lock_guard lock(channel.lock);
        if (cancel.cancelled()) outcome.kind = SearchOutcome::Kind::Cancelled;
        if (outcome.kind == SearchOutcome::Kind::Published) {
            auto results = std::make_shared<SearchResults>();
            results->content = request.content;
            results->hits = std::move(outcome.hits);
            channel.results = std::move(results);
            if (job && outcome.status) job->setStatusText(*outcome.status);
        }
        if (outcome.kind != SearchOutcome::Kind::Cancelled) {
            channel.lastRun = {request.generation, outcome.kind, took.count()};
            redraw = true;
        }
    }
    if (redraw && job) job->enableProgressTimer();
    // Counted out last, so whoever waits for the search finds all of its effects.
    {
        std::lock_guard lock(channel.lock);
        --channel.running;
    }
    channel.idle.notify_all();
}

}  // namespace quarrow
