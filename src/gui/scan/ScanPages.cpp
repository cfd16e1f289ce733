#include "gui/scan/ScanPages.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QScreen>
#include <QTimer>
#include <QToolButton>

#include "engine/Settings.h"
#include "gui/archive/ArchiveHits.h"
#include "gui/scan/FolderRowText.h"
#include "gui/scan/ScanPage.h"
#include "gui/scan/ScanPageControl.h"
#include "gui/scan/VirtualListView.h"
#include "gui/shell/FormState.h"
#include "gui/shell/FormWidgets.h"
#include "gui/shell/LogoArea.h"
#include "gui/shell/TrayNotice.h"
#include "gui/widgets/QtText.h"

namespace quarrow {
namespace {

constexpr int kBalloonSeconds = 10;
const char* const kEndOfListMark = "End Quarrow";

// Folders still to be listed are green, those listed and the end marker orange.
RowBackground folderBackground(int item, int dirIndex, std::string_view entry) {
    const bool pending = item > dirIndex && entry.find(kEndOfListMark) == std::string::npos;
    return pending ? RowBackground::Green : RowBackground::Orange;
}

RowLook fileLook(std::string_view name, ExtensionIcons& icons) {
    const QString text = fromSystem(name);
    const bool folder = name.find('/') != std::string::npos;
    return RowLook{text, RowBackground::File, folder ? icons.folderIcon() : icons.iconFor(text)};
}

std::optional<RowLook> folderRow(const TFtpMain& job, int item, const ExtensionIcons& icons) {
    std::string entry;
    {
        std::lock_guard lock(job.Lock);
        const auto at = static_cast<std::size_t>(item);
        if (at >= job.DirQueue.size()) return std::nullopt;
        entry = job.DirQueue[at];
        const long reference = folderBackReference(entry);
        if (reference >= 0 && static_cast<std::size_t>(reference) < job.DirQueue.size())
            entry = job.DirQueue[static_cast<std::size_t>(reference)];
    }
    return RowLook{fromSystem(folderRowName(entry)),
                   folderBackground(item, job.DirIndex.load(), entry), icons.folderIcon()};
}

std::optional<RowLook> fileRow(const TFtpMain& job, int item, ExtensionIcons& icons) {
    std::string name;
    {
        std::lock_guard lock(job.Lock);
        const auto at = static_cast<std::size_t>(item);
        if (at >= job.FileNames.size()) return std::nullopt;
        name = std::string(job.FileNames.at(at));
    }
    return fileLook(name, icons);
}

// The archive page's rows are the latest search's hits: folder hits are folder paths.
ScanPage::Sources archiveSources(const std::shared_ptr<ArchiveHits>& hits,
                                 std::function<int()> dirIndex, ExtensionIcons& icons) {
    ScanPage::Sources sources;
    sources.folders = [hits, dirIndex, &icons](int item) -> std::optional<RowLook> {
        const auto name = hits->folderName(item);
        if (!name) return std::nullopt;
        return RowLook{fromSystem(folderRowName(*name)), folderBackground(item, dirIndex(), *name),
                       icons.folderIcon()};
    };
    sources.files = [hits, &icons](int item) -> std::optional<RowLook> {
        const auto name = hits->fileName(item);
        if (!name) return std::nullopt;
        return fileLook(*name, icons);
    };
    return sources;
}

// A scan is called finished only when its walk reached the end with every folder listed.
std::string endOfScanText(const TFtpMain& job, const FormTexts& texts) {
    if (job.walkComplete()) return texts.endscan;
    const int unlisted = job.UnlistedDirs.load();
    return texts.endscanincomplete +
           (unlisted > 0 ? "\r" + texts.unlisteddirs + std::to_string(unlisted) : "");
}
}  // namespace

int fileListColumns(int windowWidth) {
    if (windowWidth > 970) return 4;
    if (windowWidth > 700) return 3;
    if (windowWidth >= 300) return 2;
    return 1;
}

ScanPages::ScanPages(FormState& state, FormWidgets& widgets, TrayNotice& tray, QWidget* window)
    : QObject(window), state_(state), w_(widgets), tray_(tray), window_(window) {
    w_.pc2->scanTabBar()->setColourSource([this](int index) {
        const ScanPage* page = pageAt(index);
        const auto job = page ? state_.context.Jobs.at(page->jobNumber()) : nullptr;
        if (job && job->Connected.load()) return TabColour::Connected;
        return page && page->isArchive() ? TabColour::Archive : TabColour::Other;
    });
    connect(w_.pc2, &QTabWidget::currentChanged, this, &ScanPages::PageShown);
    connect(w_.Timer1, &QTimer::timeout, this, &ScanPages::Timer1Timer);
    connect(w_.Timer2, &QTimer::timeout, this, &ScanPages::Timer2Timer);
}

void ScanPages::setArchiveHits(std::shared_ptr<ArchiveHits> hits) {
    archiveHits_ = std::move(hits);
}

ScanPage::Sources ScanPages::jobSources(int jobNumber) {
    ScanPage::Sources sources;
    sources.folders = [this, jobNumber](int item) -> std::optional<RowLook> {
        const auto job = state_.context.Jobs.at(jobNumber);
        return job ? folderRow(*job, item, icons_) : std::nullopt;
    };
    sources.files = [this, jobNumber](int item) -> std::optional<RowLook> {
        const auto job = state_.context.Jobs.at(jobNumber);
        return job ? fileRow(*job, item, icons_) : std::nullopt;
    };
    return sources;
}

ScanPage* ScanPages::CreateScanPage(int jobNumber, const QString& caption, bool archive) {
    const auto dirIndex = [this, jobNumber] {
        const auto job = state_.context.Jobs.at(jobNumber);
        return job ? job->DirIndex.load() : -1;
    };
    const ScanPage::Sources sources = archive && archiveHits_
                                          ? archiveSources(archiveHits_, dirIndex, icons_)
                                          : jobSources(jobNumber);
    auto* page = new ScanPage(jobNumber, archive, sources, backgrounds_, w_.pc2);
    page->folderLabel()->setText(labelText(state_.texts.founddir));
    page->fileLabel()->setText(labelText(state_.texts.foundfile));
    page->fileList()->rows().setColumns(fileListColumns(window_->width()));
    for (VirtualListView* list : {page->folderList(), page->fileList()})
        connect(list, &QAbstractItemView::clicked, this, &ScanPages::RefreshListCounts);
    w_.pc2->setCurrentIndex(w_.pc2->addTab(page, caption));
    return page;
}

ScanPage* ScanPages::pageAt(int index) const {
    return dynamic_cast<ScanPage*>(w_.pc2->widget(index));
}

ScanPage* ScanPages::currentPage() const {
    return pageAt(w_.pc2->currentIndex());
}

int ScanPages::pageCount() const {
    return w_.pc2->count();
}

void keepBottomInWorkArea(QWidget& window) {
    const QScreen* screen = window.screen();
    if (!screen || window.isMaximized()) return;
    const QRect frame = window.frameGeometry();
    const QRect work = screen->availableGeometry();
    const int top = TopInsideWorkArea(frame.top(), frame.height(), work.top() + work.height());
    if (top != frame.top()) window.move(frame.left(), top);
}

void ScanPages::showArea() {
    if (!w_.pc2->isHidden()) return;
    w_.logo->hide();
    w_.pc2->show();
    keepBottomInWorkArea(*window_);
}

void ScanPages::hideArea() {
    w_.pc2->hide();
    w_.logo->show();
}

void ScanPages::removePage(ScanPage* page) {
    if (w_.grbox->parentWidget() == page) {
        w_.grbox->hide();
        w_.grbox->setParent(w_.logo->parentWidget());
    }
    w_.pc2->removeTab(w_.pc2->indexOf(page));
    page->deleteLater();
}

void ScanPages::showScannerFields(int jobNumber) {
    const auto job = state_.context.Jobs.at(jobNumber);
    if (!job) return;
    w_.cbsServer->setEditText(fromSystem(job->Server));
    w_.cbsFindPath->setEditText(fromSystem(job->Path));
    w_.cbsMask->setEditText(fromSystem(job->Mask));
    w_.cbspassword->setEditText(fromSystem(job->Password));
    w_.cbsUserName->setEditText(fromSystem(job->UserName));
    w_.Port->setText(QString::number(job->Port));
}

void ScanPages::PageShown(int index) {
    ScanPage* page = pageAt(index);
    if (!page) return;
    state_.context.ArchiveBusy.store(false);
    page->attachStatusBox(w_.grbox);
    w_.btnClose->show();
    w_.pb1->show();
    w_.grbox->show();
    state_.context.CurrentJob.store(page->jobNumber());
    showScannerFields(page->jobNumber());
    setPageCaption(page);
    if (const auto job = state_.context.Jobs.at(page->jobNumber())) {
        page->folderList()->setItemCount(countsOf(*page).folders, false);
        page->folderList()->selectItem(job->DirIndex.load());
    }
    w_.pc2->update();
    w_.Timer1->start();
}

ScanPages::ListCounts ScanPages::countsOf(const ScanPage& page) {
    if (page.isArchive() && archiveHits_) {
        archiveHits_->refresh();
        return {archiveHits_->folderCount(), archiveHits_->fileCount()};
    }
    const auto job = state_.context.Jobs.at(page.jobNumber());
    if (!job) return {};
    return {static_cast<int>(job->dirQueueSize()), static_cast<int>(job->fileCount())};
}

void ScanPages::setPageCaption(ScanPage* page) {
    const auto job = state_.context.Jobs.at(page->jobNumber());
    if (!job) return;
    w_.pc2->setTabText(w_.pc2->indexOf(page), QString::number(countsOf(*page).files) +
                                                  QStringLiteral(" : ") + fromSystem(job->Server));
}

void ScanPages::updateProgressBar(ScanPage* page) {
    const auto job = state_.context.Jobs.at(page->jobNumber());
    if (!job) return;
    const int queued = countsOf(*page).folders;
    w_.pb1->setRange(0, std::max(queued, 1));
    w_.pb1->setValue(std::clamp(job->DirIndex.load(), 0, std::max(queued, 1)));
    page->folderList()->viewport()->update();
}

void ScanPages::Timer1Timer() {
    w_.Timer1->stop();
    const int current = state_.context.CurrentJob.load();
    const auto job = state_.context.Jobs.at(current);
    if (!job || job->StopRequested.load()) return;
    const std::string status = job->statusText();
    ScanPage* shown = currentPage();
    const int files = shown && shown->jobNumber() == current ? countsOf(*shown).files
                                                             : static_cast<int>(job->fileCount());
    const std::string note = job->note();
    w_.Label1->setText(labelText(status + "\r" + state_.texts.filefind + std::to_string(files) +
                                 (note.empty() ? "" : "\r" + note)));
    for (int i = 0; i < pageCount(); ++i) setPageCaption(pageAt(i));
    if (!job->Connected.load()) w_.Label1->setText(labelText(status + "\r" + state_.texts.nojoin));
    RefreshListCounts();
    if (ScanPage* page = currentPage()) updateProgressBar(page);
    w_.pc2->update();
}

void ScanPages::RefreshListCounts() {
    if (ScanPage* page = currentPage()) refreshCounts(*page);
}

void ScanPages::refreshCounts(ScanPage& page) {
    if (!state_.context.Jobs.at(page.jobNumber())) return;
    const ListCounts counts = countsOf(page);
    const bool keep = window_->isVisible();
    page.fileList()->setItemCount(counts.files, keep);
    page.folderList()->setItemCount(counts.folders, keep);
    // A new search may have as many hits as the last one: its rows must be drawn anew.
    if (page.isArchive()) {
        page.fileList()->viewport()->update();
        page.folderList()->viewport()->update();
    }
}

void ScanPages::Timer2Timer() {
    w_.Timer2->stop();
    const auto job = state_.context.Jobs.at(state_.context.CurrentJob.load());
    if (job) {
        if (job->StopRequested.load()) return;
        w_.pc2->update();
        if (ScanPage* page = currentPage(); page && job->dirQueueSize() > 0)
            updateProgressBar(page);
    }
    tray_.showWindow();
    // One flash of the taskbar entry, as long as the balloon shows, not an alert that lasts
    // until the user comes back.
    QApplication::alert(window_, kBalloonSeconds * 1000);
    const std::string text =
        job ? job->statusText() + "\r" + endOfScanText(*job, state_.texts) : state_.texts.endscan;
    tray_.ShowBalloon(QStringLiteral("Quarrow :"), labelText(text), kBalloonSeconds,
                      BalloonIcon::Warning);
}

void ScanPages::resizeRows(int windowWidth) {
    if (ScanPage* page = currentPage()) {
        const QWidget* viewport = page->folderList()->viewport();
        backgrounds_.resize(QSize(std::max(viewport->width() / 2, 1), 20));
    }
    for (int i = 0; i < pageCount(); ++i)
        pageAt(i)->fileList()->rows().setColumns(fileListColumns(windowWidth));
}

}  // namespace quarrow
