#include "gui/shell/StartupShell.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QListWidget>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>

#include "engine/CommandLine.h"
#include "engine/ProgramFolders.h"
#include "engine/StartupRules.h"
#include "gui/scan/ScanControl.h"
#include "gui/scan/ScanPages.h"
#include "gui/shell/FormState.h"
#include "gui/shell/FormWidgets.h"
#include "gui/shell/HistoryCombos.h"
#include "gui/shell/LogoArea.h"
#include "gui/shell/OptionsTab.h"
#include "gui/shell/TrayNotice.h"
#include "gui/shell/UpdateNotice.h"
#include "gui/watch/WatchTab.h"
#include "gui/widgets/QtText.h"
#include "platform/Cp1251.h"
#include "platform/FileSystem.h"
#include "platform/TextLines.h"

namespace quarrow {
namespace {

const QSize kDesignedSize(387, 501);
// Where a maximised window is recorded, as the desktop the settings come from records it;
// a negative Left and Top reopen the window maximised.
constexpr int kMaximisedPosition = -4;

// The scans of the command line get their pages like a scan started from the scanner page.
class WindowHooks : public CommandLineHooks {
public:
    WindowHooks(ScanControl& scans, WatchTab& watch) : scans_(scans), watch_(watch) {}
    void CreatePage(int jobNumber, TFtpMain& job) override {
        scans_.attachPage(jobNumber, job, job.Server);
    }
    void NoStartSpyAll() override { watch_.NoStartSpyAll(); }
    void StartSpyAll() override { watch_.StartSpyAll(); }

private:
    ScanControl& scans_;
    WatchTab& watch_;
};

int dayOfMonth() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local.tm_mday;
}

}  // namespace

StartupShell::StartupShell(FormState& state, FormWidgets& widgets, ScanControl& scans,
                           OptionsTab& options, WatchTab& watch, TrayNotice& tray,
                           QMainWindow* window)
    : QObject(window),
      state_(state),
      w_(widgets),
      scans_(scans),
      options_(options),
      watch_(watch),
      tray_(tray),
      window_(window),
      update_(new UpdateNotice(state, widgets, settings_.lastUpdateCheck, window)) {
    connect(w_.Timer8, &QTimer::timeout, this, &StartupShell::Timer8Timer);
}

void StartupShell::FormCreate(const std::string& version) {
    // Known before the settings are read: the update check they schedule compares with it.
    state_.ownVersion = OwnVersionText(version);
    w_.pc1->setCurrentIndex(0);
    state_.idents.assign({"Quarrow", "IEXPLORE", "Mozila", "NetScape", "Opera"});
    showHistory(*w_.cbsIdent, state_.idents);
    w_.cbsIdent->setEditText(QStringLiteral("Quarrow"));
    LoadSettings();
    w_.grbox->hide();
    state_.context.CurrentJob.store(0);
    CreateDataFolders(state_.programDir());
    loadHistoryLists();
    watch_.FormCreate();
    w_.logo->setVersion(fromSystem(state_.ownVersion));
}

void StartupShell::loadHistoryLists() {
    std::string error;
    const auto report = [&](bool loaded) {
        if (!loaded)
            showError(state_, window_, state_.messages.fileread, QString::fromStdString(error));
    };
    report(state_.ignores.loadAll(&error));
    showHistory(*w_.lbignore, state_.ignores);
    const std::string comment = historyFilePath(state_.programDir(), "Coment.txt");
    if (fileExists(comment)) {
        std::vector<std::string> lines;
        const bool loaded = readLinesFile(comment, lines, &error);
        report(loaded);
        QStringList text;
        for (const auto& line : lines) text.append(fromSystem(line));
        if (loaded) w_.MemoComent->setPlainText(text.join(QLatin1Char('\n')));
    }
    report(state_.servers.loadAll(&error));
    report(state_.paths.loadNew(&error));
    report(state_.masks.loadNew(&error));
    report(state_.logins.loadNew(&error));
    report(state_.passwords.loadAll(&error));
    report(state_.idents.loadReplacing(&error));
    showHistory(*w_.cbsServer, state_.servers);
    showHistory(*w_.cbsFindPath, state_.paths);
    showHistory(*w_.cbsMask, state_.masks);
    showHistory(*w_.cbsUserName, state_.logins);
    showHistory(*w_.cbspassword, state_.passwords);
    showHistory(*w_.cbsIdent, state_.idents);
}

void StartupShell::LoadSettings() {
    settings_ = quarrow::LoadSettings(state_.settingsFile, std::time(nullptr));
    state_.identText = settings_.identText;
    state_.context.SessionOptions = settings_.connection;
    w_.cbsupdate->setChecked(settings_.autoUpdate);
    for (std::size_t i = 0; i < state_.idents.size(); ++i)
        if (equalsNoCase(state_.idents.entries()[i], state_.identText))
            w_.cbsIdent->setCurrentIndex(static_cast<int>(i));

    const int page = settings_.activePage;
    if (page >= 0 && page < w_.pc1->count() && w_.pc1->isTabVisible(page))
        w_.pc1->setCurrentIndex(page);
    const int language = std::clamp(settings_.language, 0, w_.ComboBox1->count() - 1);
    {
        const QSignalBlocker quiet(w_.ComboBox1);
        w_.ComboBox1->setCurrentIndex(language);
    }
    options_.ComboBox1Change(language);
    placeWindow(settings_.mainWindow);
    watch_.restoreNevForm(settings_);
    state_.settingsLoading = false;
    if (!settings_.updateUrl.empty()) state_.updatePage = settings_.updateUrl;
    update_->ScheduleAtStart();
}

void StartupShell::placeWindow(const WindowBounds& saved) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
    const Placement placement = PlaceMainWindow(saved, area.width(), area.height());
    switch (placement.kind) {
        case PlacementKind::Designed: {
            window_->resize(kDesignedSize);
            const QRect work = screen ? screen->availableGeometry() : area;
            window_->move(work.center() -
                          QPoint(kDesignedSize.width(), kDesignedSize.height()) / 2);
            break;
        }
        case PlacementKind::Maximised:
            window_->resize(saved.width, saved.height);
            window_->setWindowState(window_->windowState() | Qt::WindowMaximized);
            break;
        case PlacementKind::Bounds:
            window_->move(placement.bounds.left, placement.bounds.top);
            window_->resize(placement.bounds.width, placement.bounds.height);
            break;
    }
}

void StartupShell::SaveSettings() {
    settings_.language = w_.ComboBox1->currentIndex();
    const QRect frame = window_->frameGeometry();
    const bool maximised = window_->isMaximized();
    settings_.mainWindow = {maximised ? kMaximisedPosition : frame.left(),
                            maximised ? kMaximisedPosition : frame.top(), window_->width(),
                            window_->height()};
    settings_.activePage = w_.pc1->currentIndex();
    settings_.identText = state_.identText;
    settings_.autoUpdate = w_.cbsupdate->isChecked();
    watch_.storeNevForm(settings_);
    std::string error;
    if (!quarrow::SaveSettings(state_.settingsFile, settings_, watch_.nevForm() != nullptr, &error))
        showError(state_, window_, state_.messages.filewrite, QString::fromStdString(error));
}

void StartupShell::FormActivate(const std::string& argument) {
    if (!state_.firstActivation) return;
    keepBottomInWorkArea(*window_);
    state_.firstActivation = false;
    tray_.add();
    if (CommandLineWanted(argument, dayOfMonth())) {
        options_.publishToEngine();
        WindowHooks hooks(scans_, watch_);
        const CommandLineResult result = CommandLineHandler(state_.context, argument, hooks);
        if (!result.ok) {
            showError(state_, window_, state_.messages.commandline, fromSystem(result.error));
            return;
        }
        if (result.hide) state_.hideOnStart = true;
    }
    w_.Timer8->start();
}

void StartupShell::Timer8Timer() {
    w_.Timer8->stop();
    if (state_.hideOnStart) tray_.hideWindow();
}

}  // namespace quarrow
