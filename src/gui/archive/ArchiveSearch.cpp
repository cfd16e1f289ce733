#include "gui/archive/ArchiveSearch.h"

#include <QComboBox>
#include <QProgressBar>
#include <QTimer>
#include <QToolButton>

#include "archive/ArchiveBrowser.h"
#include "archive/LoadArchives.h"
#include "engine/EngineContext.h"
#include "gui/archive/ArchiveHits.h"
#include "gui/scan/ScanPage.h"
#include "gui/scan/ScanPageControl.h"
#include "gui/scan/ScanPages.h"
#include "gui/scan/VirtualListView.h"
#include "gui/shell/FormDialogs.h"
#include "gui/shell/FormState.h"
#include "gui/shell/FormWidgets.h"
#include "gui/shell/HistoryCombos.h"
#include "gui/widgets/QtText.h"
#include "gui/widgets/RevealAddress.h"
#include "gui/widgets/TimerNotifier.h"
#include "gui/widgets/WindowInbox.h"

namespace quarrow {
namespace {

// The texts the search engine writes into the archive's status.
bool sameSearchTexts(const FormTexts& a, const FormTexts& b) {
    return a.regimfind == b.regimfind && a.allfile == b.allfile && a.findfile == b.findfile &&
           a.nofindfile == b.nofindfile;
}

}  // namespace

ArchiveSearch::ArchiveSearch(FormState& state, FormWidgets& widgets, ScanPages& pages,
                             ArchiveTab& tab, QWidget* window)
    : state_(state),
      w_(widgets),
      pages_(pages),
      tab_(tab),
      window_(window),
      browserTexts_(state.texts),
      browser_(std::make_shared<ArchiveBrowser>(state.context, state.texts)),
      hits_(std::make_shared<ArchiveHits>()),
      inbox_(std::make_shared<WindowInbox>(this)),
      closing_(std::make_shared<std::atomic<bool>>(false)) {
    hits_->setSource(browser_);
    pages_.setArchiveHits(hits_);
    connect(w_.Timer9, &QTimer::timeout, this, &ArchiveSearch::Timer9Timer);
}

ArchiveSearch::~ArchiveSearch() {
    closing_->store(true);
    inbox_->detach();
}

void ArchiveSearch::LoadArchives() {
    if (loading_) return;
    std::vector<ArchiveListItem> ticked;
    for (const QString& name : tab_.checkedArchives()) ticked.push_back({toSystem(name), true});
    std::vector<std::string> paths = TickedSnapshotPaths(state_.programDir(), ticked);
    loading_ = true;
    w_.SpeedButton8->setEnabled(false);
    // The worker touches nothing of the window: it hands the built archive to the inbox.
    state_.context.startWorker(
        [this, paths = std::move(paths), inbox = inbox_, closing = closing_] {
            ArchiveLoadResult result = LoadArchiveFiles(paths);
            Loaded loaded{ArchiveContent::Build(std::move(result.lists), closing.get()),
                          std::move(result.error)};
            if (!loaded.content) return;
            inbox->post([this, loaded = std::move(loaded)] { finishLoad(loaded); });
        });
}

void ArchiveSearch::finishLoad(Loaded loaded) {
    renewBrowserForLanguage();
    const int number = browser_->Install(std::move(loaded.content), state_.identText,
                                         state_.progressTimer, state_.finishTimer);
    if (!archivePage()) createPage(number);
    refreshPage();
    w_.cb1->setEnabled(true);
    // What was merged before a damaged snapshot stays loaded and searchable.
    if (!loaded.error.empty())
        showError(state_, window_, state_.messages.fileread, fromSystem(loaded.error));
    loading_ = false;
    w_.SpeedButton8->setEnabled(true);
}

void ArchiveSearch::renewBrowserForLanguage() {
    if (sameSearchTexts(browserTexts_, state_.texts)) return;
    // The engine keeps its status texts for life; a load after a language switch starts a
    // new one, which takes over the archive job.
    browserTexts_ = state_.texts;
    browser_ = std::make_shared<ArchiveBrowser>(state_.context, state_.texts);
    hits_->setSource(browser_);
}

ScanPage* ArchiveSearch::archivePage() const {
    const int number = state_.context.ArchiveJob.load();
    for (int i = 0; i < pages_.pageCount(); ++i) {
        ScanPage* page = pages_.pageAt(i);
        if (page->isArchive() && page->jobNumber() == number) return page;
    }
    return nullptr;
}

void ArchiveSearch::createPage(int jobNumber) {
    w_.pb1->setValue(0);
    pages_.showArea();
    ScanPage* page = pages_.CreateScanPage(jobNumber, QString(), true);
    page->folderList()->setItemCount(0, false);
    connect(page->folderList(), &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& index) { revealHit(true, index); });
    connect(page->fileList(), &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& index) { revealHit(false, index); });
}

void ArchiveSearch::refreshPage() {
    if (ScanPage* page = archivePage()) pages_.refreshCounts(*page);
}

void ArchiveSearch::SearchKeyDown() {
    browser_->KeyDown();
}

void ArchiveSearch::SearchKeyUp() {
    browser_->KeyUp();
    // Enabling the timer while it runs keeps its interval going.
    if (!w_.Timer9->isActive()) w_.Timer9->start();
}

void ArchiveSearch::Timer9Timer() {
    w_.Timer9->stop();
    std::vector<std::string> history = comboItems(*w_.cb1);
    const std::vector<std::string> before = history;
    const auto action =
        browser_->Timer9Timer(toSystem(w_.cb1->currentText()), !w_.pc2->isHidden(), history);
    if (action == TriggerDecision::Action::Clear) refreshPage();
    if (history != before) showItemsWhileTyping(*w_.cb1, history);
}

void ArchiveSearch::PageClosed() {
    browser_->PageClosed();
    hits_->refresh();
}

void ArchiveSearch::revealHit(bool folderList, const QModelIndex& index) {
    const auto* rows = dynamic_cast<const JobRowsModel*>(index.model());
    if (!rows) return;
    const int item = rows->itemAt(index);
    const auto location = folderList ? hits_->folderLocation(item) : hits_->fileLocation(item);
    if (location) state_.dialogs.openUrl(revealUrl(*location));
}

}  // namespace quarrow
