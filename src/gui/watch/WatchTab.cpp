#include "gui/watch/WatchTab.h"

#include <QListView>
#include <QTimer>
#include <QToolButton>
#include <ctime>

#include "download/DownloadQueue.h"
#include "engine/Translate.h"
#include "gui/download/TFormDownload.h"
#include "gui/shell/FormState.h"
#include "gui/shell/FormWidgets.h"
#include "gui/shell/TrayNotice.h"
#include "gui/watch/QtWatchTimers.h"
#include "gui/watch/TNevForm.h"
#include "gui/watch/WatchEditor.h"
#include "gui/watch/WatchListModel.h"
#include "gui/watch/WatchRowDelegate.h"
#include "gui/widgets/QtText.h"
#include "gui/widgets/RowBackgrounds.h"
#include "gui/widgets/ScanColours.h"
#include "gui/widgets/TimerNotifier.h"
#include "platform/Cp1251.h"
#include "platform/FileSystem.h"
#include "watch/SpyFile.h"
#include "watch/WatchContext.h"
#include "watch/WatchScheduler.h"

namespace quarrow {
namespace {

const QString kBalloonTitle = QStringLiteral("Quarrow : сообщение");
constexpr int kBalloonSeconds = 10;
const QString kStopCaption = QStringLiteral("Stop");

}  // namespace

WatchTab::WatchTab(FormState& state, FormWidgets& widgets, OptionsTab& options, TrayNotice& tray,
                   QWidget* window)
    : QObject(window),
      state_(state),
      w_(widgets),
      tray_(tray),
      window_(window),
      timers_(new QtWatchTimers([this](int entry) { SpyTimerTimer(entry); }, this)),
      watch_(std::make_unique<WatchContext>(state.context, *timers_)),
      scheduler_(std::make_unique<WatchScheduler>(*watch_)),
      backgrounds_(std::make_unique<RowBackgrounds>()),
      model_(new WatchListModel(*watch_, this)),
      editor_(std::make_unique<WatchEditor>(state, widgets, options, *this, window)),
      refreshTimer_(std::make_shared<TimerNotifier>(widgets.Timer7)),
      balloonTimer_(std::make_shared<TimerNotifier>(widgets.Timer6)) {
    watch_->RefreshTimer = refreshTimer_;
    watch_->BalloonTimer = balloonTimer_;

    QListView* list = w_.CheckListBox1;
    list->setModel(model_);
    list->setItemDelegate(new WatchRowDelegate(*backgrounds_, list));
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    QPalette palette = list->palette();
    palette.setColor(QPalette::Base, kWatchListBackground);
    list->setPalette(palette);
    QFont font = list->font();
    font.setPixelSize(13);
    list->setFont(font);
    backgrounds_->resize(QSize(200, WatchRowDelegate::kRowHeight));

    connect(w_.AddSurveillance, &QToolButton::clicked, this,
            [this] { editor_->AddSurveillance(); });
    connect(w_.SpeedButton7, &QToolButton::clicked, this, [this] { editor_->SpeedButton7Click(); });
    connect(w_.SpeedButton4, &QToolButton::clicked, this, [this] { editor_->SpeedButton4Click(); });
    connect(w_.SpeedButton3, &QToolButton::clicked, this, &WatchTab::SpeedButton3Click);
    connect(w_.SpeedButton6, &QToolButton::clicked, this, &WatchTab::SpeedButton6Click);
    connect(list, &QListView::clicked, this, &WatchTab::CheckListBox1Click);
    connect(list, &QListView::doubleClicked, this, &WatchTab::CheckListBox1DblClick);
    // The entry follows a tick at once, whether it came by mouse or keyboard.
    connect(model_, &WatchListModel::dataChanged, this,
            [this](const QModelIndex& changed, const QModelIndex&, const QList<int>& roles) {
                if (roles.contains(Qt::CheckStateRole)) applyTick(changed.row());
            });
    connect(w_.Timer4, &QTimer::timeout, this, &WatchTab::Timer4Timer);
    connect(w_.Timer5, &QTimer::timeout, this, &WatchTab::Timer5Timer);
    connect(w_.Timer6, &QTimer::timeout, this, &WatchTab::Timer6Timer);
    connect(w_.Timer7, &QTimer::timeout, this, &WatchTab::Timer7Timer);
    startCaption_ = w_.SpeedButton3->text();
}

WatchTab::~WatchTab() = default;

void WatchTab::FormCreate() {
    const SpyLoadResult loaded =
        LoadWatchList(state_.programDir(), watch_->Table, *watch_->Texts(), std::time(nullptr));
    if (!loaded.error.empty())
        showError(state_, window_, state_.messages.fileread,
                  QString::fromStdString(state_.programDir() + "Spy/Spy.ini: " + loaded.error));
    scheduler_->ArmLoaded();
    reloadList();
    if (scheduler_->AnyActive()) w_.Timer5->start();
}

void WatchTab::LanguageApplied() {
    w_.CheckListBox1->setToolTip(labelText(state_.texts.CheckListBox1hint));
    startCaption_ = w_.SpeedButton3->text();
    LanguageFile file;
    const bool loaded = file.load(state_.languageFile);
    watch_->setTexts(loaded ? ReadWatchTexts(file) : WatchTexts{});
    if (loaded) {
        editor_->applyLanguage(file);
        if (nevForm_) nevForm_->applyLanguage(file);
        if (downloadForm_) downloadForm_->applyLanguage(file);
    }
    model_->repaint();
}

void WatchTab::NoStartSpyAll() {
    watch_->Table.untickAll();
    model_->repaint();
}

void WatchTab::StartSpyAll() {
    SpeedButton6Click();
}

int WatchTab::selectedLine() const {
    const QModelIndexList selected = w_.CheckListBox1->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.front().row();
}

void WatchTab::selectLine(int line) {
    if (line < 0) {
        w_.CheckListBox1->clearSelection();
        w_.CheckListBox1->setCurrentIndex({});
        return;
    }
    const QModelIndex index = model_->index(line);
    w_.CheckListBox1->setCurrentIndex(index);
    w_.CheckListBox1->selectionModel()->select(index, QItemSelectionModel::ClearAndSelect);
}

void WatchTab::reloadList() {
    model_->reload();
    w_.SpeedButton6->setEnabled(model_->rowCount() > 0);
}

void WatchTab::updateButtons() {
    const int line = selectedLine();
    const auto record =
        line < 0 ? nullptr
                 : watch_->Table.at(watch_->Table.lines()[static_cast<std::size_t>(line)].entry);
    const bool busy = record && record->Connected.load();
    w_.SpeedButton3->setText(busy ? kStopCaption : startCaption_);
    w_.SpeedButton3->setEnabled(record != nullptr);
    w_.SpeedButton7->setEnabled(record && !busy);
    w_.SpeedButton4->setEnabled(record != nullptr);
    w_.SpeedButton6->setEnabled(model_->rowCount() > 0);
}

void WatchTab::SpeedButton3Click() {
    w_.SpeedButton3->setEnabled(false);
    const int line = selectedLine();
    if (line >= 0) scheduler_->StartOrStop(line);
    selectLine(-1);
    updateButtons();
    model_->repaint();
}

void WatchTab::SpeedButton6Click() {
    selectLine(-1);
    scheduler_->StartAll();
    updateButtons();
    model_->repaint();
}

void WatchTab::applyTick(int line) {
    const auto lines = watch_->Table.lines();
    std::string error;
    if (line >= 0 && line < static_cast<int>(lines.size()) &&
        !scheduler_->SetActive(line, lines[static_cast<std::size_t>(line)].ticked, &error))
        showError(state_, window_, state_.messages.filewrite, QString::fromStdString(error));
    if (scheduler_->AnyActive()) {
        if (!w_.Timer4->isActive()) w_.Timer4->start();
        if (!w_.Timer5->isActive()) w_.Timer5->start();
    }
}

void WatchTab::CheckListBox1Click() {
    applyTick(selectedLine());
    updateButtons();
    model_->repaint();
}

void WatchTab::CheckListBox1DblClick() {
    const int line = selectedLine();
    if (line >= 0)
        ensureNevForm().showEntry(watch_->Table.lines()[static_cast<std::size_t>(line)].entry);
    selectLine(-1);
    model_->repaint();
    w_.SpeedButton3->setEnabled(false);
    w_.SpeedButton4->setEnabled(false);
    w_.SpeedButton7->setEnabled(false);
}

void WatchTab::TabSheet5Show() {
    state_.context.ArchiveBusy.store(false);
    w_.Timer4->start();
    w_.SpeedButton6->setEnabled(model_->rowCount() > 0);
    w_.SpeedButton4->setEnabled(selectedLine() >= 0);
}

void WatchTab::TabLeft() {
    w_.Timer4->stop();
    selectLine(-1);
    w_.SpeedButton3->setEnabled(false);
    w_.SpeedButton7->setEnabled(false);
}

void WatchTab::SpyTimerTimer(int entry) {
    TNevForm& window = ensureNevForm();
    model_->repaint();
    const auto record = watch_->Table.at(entry);
    const int before = record ? record->CheckNumber.load() : 0;
    scheduler_->SpyTimerTimer(entry);
    // A new check empties the shown list: the view follows it from an empty list.
    if (record && record->CheckNumber.load() != before && window.entryTag() == entry)
        window.clearRows();
    updateButtons();
    model_->repaint();
}

bool WatchTab::anyActiveOrBusy() const {
    for (const auto& line : watch_->Table.lines()) {
        const auto record = watch_->Table.at(line.entry);
        if (record && (record->Active.load() || record->Connected.load())) return true;
    }
    return false;
}

void WatchTab::Timer4Timer() {
    w_.Timer4->stop();
    model_->repaint();
    if (nevForm_ && nevForm_->isVisible()) nevForm_->RefreshNewFiles();
    if (anyActiveOrBusy()) w_.Timer4->start();
}

void WatchTab::Timer5Timer() {
    scheduler_->Timer5Timer();
    model_->repaint();
}

void WatchTab::Timer6Timer() {
    w_.Timer6->stop();
    tray_.ShowBalloon(kBalloonTitle, fromSystem(watch_->BalloonText()), kBalloonSeconds,
                      BalloonIcon::Information);
    model_->repaint();
}

void WatchTab::Timer7Timer() {
    w_.Timer7->stop();
    if (nevForm_) nevForm_->RefreshNewFiles();
    updateButtons();
    model_->repaint();
}

TNevForm& WatchTab::ensureNevForm() {
    if (!nevForm_) {
        nevForm_ = std::make_unique<TNevForm>(*watch_, state_.dialogs);
        LanguageFile file;
        if (file.load(state_.languageFile)) nevForm_->applyLanguage(file);
        nevForm_->setBounds(nevBounds_);
        nevForm_->setViewStyle(nevView_);
        nevForm_->setDownloader([this](const WatchEntry& entry, const std::string& fullName) {
            download(entry, fullName);
        });
    }
    return *nevForm_;
}

void WatchTab::download(const WatchEntry& entry, const std::string& fullName) {
    const std::string folder = state_.dataPath("Downloads/");
    if (!makeDirectories(folder)) {
        showError(state_, window_, state_.messages.filewrite, fromSystem(folder));
        return;
    }
    if (!downloadForm_) {
        downloadForm_ = std::make_unique<TFormDownload>(state_.context, state_.dialogs);
        LanguageFile file;
        file.load(state_.languageFile);
        downloadForm_->applyLanguage(file);
    }
    downloadForm_->queue().setAgent(upperCp1251(state_.identText));
    downloadForm_->EnqueueDownload(DownloadRequest(entry, folder, fullName));
}

void WatchTab::restoreNevForm(const MainSettings& settings) {
    nevBounds_ = settings.newFilesWindow;
    nevView_ = settings.newFilesView;
}

void WatchTab::storeNevForm(MainSettings& settings) const {
    if (!nevForm_) return;
    settings.newFilesWindow = nevForm_->bounds();
    settings.newFilesView = nevForm_->ViewStyleSetting();
}

void WatchTab::detach() {
    // A running download is aborted and has ended before the engine goes.
    downloadForm_.reset();
    refreshTimer_->detach();
    balloonTimer_->detach();
    scheduler_->StopAll();
    state_.context.waitForWorkers();
    nevForm_.reset();
}

}  // namespace quarrow
