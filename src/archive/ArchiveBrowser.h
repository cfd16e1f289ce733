#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "archive/ArchiveContent.h"
#include "archive/SearchChannel.h"
#include "archive/SearchTrigger.h"
#include "engine/Notifier.h"
#include "engine/Translate.h"

namespace quarrow {

class EngineContext;

// The archive tab's engine: the archive job with its loaded content, and the as-you-type
// search over it. Every method is called from the window thread (quarrow-cli's main thread);
// searches run on workers and hand their complete hit lists back through Results().
class ArchiveBrowser {
public:
    using Clock = std::chrono::steady_clock;

    // `texts` supplies "regimfind", "allfile", "findfile" and "nofindfile".
    ArchiveBrowser(EngineContext& context, FormTexts texts);
    // Cancels running searches and waits for them to end.
    ~ArchiveBrowser();
    ArchiveBrowser(const ArchiveBrowser&) = delete;
    ArchiveBrowser& operator=(const ArchiveBrowser&) = delete;

    // Finishes a load with an indexed archive: creates the archive job on the first load
    // (the next job number, which becomes the current job) or reuses it, sets its fields and
    // status, replaces the searched content and clears the hit lists. Returns the job number.
    int Install(std::shared_ptr<const ArchiveContent> content, const std::string& ident,
                std::shared_ptr<Notifier> progressTimer, std::shared_ptr<Notifier> finishTimer);

    // Empties both hit lists (the status stays) and cancels running searches; nothing happens
    // while there is no archive job.
    void ClearSearchResults();

    // The archive page was closed: the archive job is forgotten (the next load creates a new
    // one), running searches are cancelled and the content is released.
    void PageClosed();

    // Search box events. A key press cancels every running search; a key release lowers the
    // flag that keeps short texts from starting a second search right after one started.
    void KeyDown();
    void KeyUp();

    // The search timer's tick with the box's text: clears the lists, starts a search or does
    // nothing (see DecideTrigger), then updates the drop-down `history`. `pagesShown` says
    // whether the scan page control is visible. The search starts only while an archive job
    // exists.
    TriggerDecision::Action Timer9Timer(std::string_view boxText, bool pagesShown,
                                        std::vector<std::string>& history,
                                        Clock::time_point now = Clock::now());

    // The hit lists on show; empty lists before the first search.
    std::shared_ptr<const SearchResults> Results() const;
    // The archive job's status text.
    std::string Status() const;
    // How the last search that ran to its end finished, and how long it took.
    SearchRun LastRun() const;
    // The content searches run over; null before the first load and after the page closed.
    std::shared_ptr<const ArchiveContent> Content() const { return content_; }
    int JobNumber() const;

    // Blocks until no search is running (the command-line tool and tests wait for results).
    void WaitForSearches();

    // How long a starting search keeps NewSearchFlag raised.
    static constexpr std::chrono::milliseconds kNewSearchPause{50};

private:
    void cancelSearches();
    void publish(std::shared_ptr<const SearchResults> results);
    void startSearch(std::string_view boxText, Clock::time_point now);

    EngineContext& context_;
    const std::shared_ptr<const FormTexts> texts_;
    const std::shared_ptr<SearchChannel> channel_;
    std::shared_ptr<const ArchiveContent> content_;
};

}  // namespace quarrow
