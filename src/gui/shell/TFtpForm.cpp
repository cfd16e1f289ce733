#include "gui/shell/TFtpForm.h"

#include <QCloseEvent>
#include <QTimer>

#include "gui/archive/ArchiveSearch.h"
#include "gui/archive/ArchiveTab.h"
#include "gui/scan/ScanControl.h"
#include "gui/scan/ScanPages.h"
#include "gui/shell/FormDialogs.h"
#include "gui/shell/FormState.h"
#include "gui/shell/FtpFormLayout.h"
#include "gui/shell/OptionsTab.h"
#include "gui/shell/PageSwitch.h"
#include "gui/shell/StartupShell.h"
#include "gui/shell/TrayNotice.h"
#include "gui/watch/WatchTab.h"
#include "gui/widgets/TimerNotifier.h"

namespace quarrow {

TFtpForm::TFtpForm(FormSetup setup)
    : setup_(std::move(setup)),
      dialogs_(setup_.dialogs ? setup_.dialogs : std::make_shared<DesktopDialogs>()),
      state_(std::make_unique<FormState>(setup_.programDir, setup_.settingsFile, *dialogs_)),
      w_(buildFtpForm(*this)) {
    state_->progressTimer = std::make_shared<TimerNotifier>(w_.Timer1);
    state_->finishTimer = std::make_shared<TimerNotifier>(w_.Timer2);
    state_->newVersionTimer = std::make_shared<TimerNotifier>(w_.timernewversion);
    state_->updatePage = setup_.updatePage;
    tray_ = new TrayNotice(this, setup_.trayAvailable);
    pages_ = new ScanPages(*state_, w_, *tray_, this);
    options_ = new OptionsTab(*state_, w_, this);
    archive_ = new ArchiveTab(*state_, w_, this);
    archive_->setActions(std::make_unique<ArchiveSearch>(*state_, w_, *pages_, *archive_, this));
    scans_ = new ScanControl(*state_, w_, *pages_, *options_, *archive_, this);
    watch_ = new WatchTab(*state_, w_, *options_, *tray_, this);
    options_->setLanguageListener([this] { watch_->LanguageApplied(); });
    pageSwitch_ = new PageSwitch(*state_, w_, *archive_, *watch_, this);
    startup_ = new StartupShell(*state_, w_, *scans_, *options_, *watch_, *tray_, this);
    startup_->FormCreate(setup_.version);
    scans_->UpdateStartEnabled();
}

TFtpForm::~TFtpForm() {
    // Searches end before the scans are stopped and the engine goes.
    archive_->setActions(nullptr);
    state_->progressTimer->detach();
    state_->finishTimer->detach();
    state_->newVersionTimer->detach();
    scans_->stopAll();
    // Every check is stopped and has ended before the watch list goes.
    watch_->detach();
    // The pages read the job table while they exist: they go before the engine does.
    std::unique_ptr<QWidget> central(takeCentralWidget());
}

void TFtpForm::FormActivate() {
    startup_->FormActivate(setup_.argument);
}

void TFtpForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    activateWindow();
    if (state_->firstActivation) QTimer::singleShot(0, this, &TFtpForm::FormActivate);
}

void TFtpForm::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) FormActivate();
    // Minimising hides the window to the tray; without a tray it stays minimised.
    if (event->type() == QEvent::WindowStateChange && isMinimized() && tray_->shown())
        QTimer::singleShot(0, this, [this] { tray_->hideWindow(); });
}

void TFtpForm::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    pages_->resizeRows(width());
}

void TFtpForm::closeEvent(QCloseEvent* event) {
    if (!closed_) {
        closed_ = true;
        tray_->remove();
        startup_->SaveSettings();
    }
    event->accept();
}

}  // namespace quarrow
