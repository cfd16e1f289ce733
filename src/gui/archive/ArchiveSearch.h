#pragma once

#include <QObject>
#include <atomic>
#include <memory>
#include <string>

#include "engine/Translate.h"
#include "gui/archive/ArchiveTab.h"

class QModelIndex;
class QWidget;

namespace quarrow {

class ArchiveBrowser;
class ArchiveContent;
class ArchiveHits;
class ScanPage;
class ScanPages;
class WindowInbox;
struct FormState;
struct FormWidgets;

// The archive tab's loading and as-you-type search, plugged into the tab as its actions.
// Loading reads and indexes the ticked snapshots on a worker and installs the result from
// the window thread, so the window never waits for it. The search box's key events and
// Timer9 drive the engine's search; the archive page shows the latest search's hits, and a
// double-click on a hit opens the FTP folder it lives in.
class ArchiveSearch : public QObject, public ArchiveActions {
public:
    ArchiveSearch(FormState& state, FormWidgets& widgets, ScanPages& pages, ArchiveTab& tab,
                  QWidget* window);
    // Cancels the searches and waits for them; a load still running is dropped.
    ~ArchiveSearch() override;

    void LoadArchives() override;
    void SearchKeyDown() override;
    void SearchKeyUp() override;
    void PageClosed() override;
    bool Loading() const override { return loading_; }

    // The search trigger: clears the hits, starts a search or does nothing, and keeps the
    // search box's history.
    void Timer9Timer();

private:
    struct Loaded {
        std::shared_ptr<const ArchiveContent> content;
        std::string error;  // why loading stopped early, naming the file; empty when it did not
    };

    void finishLoad(Loaded loaded);
    void renewBrowserForLanguage();
    ScanPage* archivePage() const;
    void createPage(int jobNumber);
    void refreshPage();
    void revealHit(bool folderList, const QModelIndex& index);

    FormState& state_;
    FormWidgets& w_;
    ScanPages& pages_;
    ArchiveTab& tab_;
    QWidget* window_;
    FormTexts browserTexts_;
    std::shared_ptr<ArchiveBrowser> browser_;
    std::shared_ptr<ArchiveHits> hits_;
    std::shared_ptr<WindowInbox> inbox_;
    // Raised when the window goes away, so that an index build still running gives up.
    std::shared_ptr<std::atomic<bool>> closing_;
    bool loading_ = false;
};

}  // namespace quarrow
