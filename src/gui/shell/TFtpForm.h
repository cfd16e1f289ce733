#pragma once

#include <QMainWindow>
#include <functional>
#include <memory>
#include <string>

#include "gui/shell/FormWidgets.h"
#include "update/UpdatePage.h"

namespace quarrow {

class ArchiveTab;
class FormDialogs;
class OptionsTab;
class PageSwitch;
class ScanControl;
class ScanPages;
class StartupShell;
class TrayNotice;
class WatchTab;
struct FormState;

// What the main window is started with.
struct FormSetup {
    std::string programDir;    // the executable's folder (Windows-1251, trailing "/")
    std::string settingsFile;  // the executable's path with ".ini"
    std::string argument;      // the first program argument, the command line
    std::shared_ptr<FormDialogs> dialogs;
    std::function<bool()> trayAvailable;  // whether the desktop has a system tray
    std::string version;                  // the version compiled in
    // The update page when the settings file names none; empty: no update checks then.
    std::string updatePage = DefaultUpdatePage();
};

// The main window: the scan-page area above the lower page control with the scanner,
// interrupted-scan, archive, miscellaneous, watch and options tabs. Its parts are separate
// objects sharing one FormState; the window wires them to its own events.
class TFtpForm : public QMainWindow {
public:
    explicit TFtpForm(FormSetup setup);
    ~TFtpForm() override;

    FormState& state() { return *state_; }
    FormWidgets& widgets() { return w_; }
    ScanPages& pages() { return *pages_; }
    ScanControl& scans() { return *scans_; }
    OptionsTab& options() { return *options_; }
    ArchiveTab& archive() { return *archive_; }
    TrayNotice& tray() { return *tray_; }
    WatchTab& watch() { return *watch_; }

    // The first activation (tray icon and command line); later calls do nothing.
    void FormActivate();

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    FormSetup setup_;
    std::shared_ptr<FormDialogs> dialogs_;
    std::unique_ptr<FormState> state_;
    FormWidgets w_;
    TrayNotice* tray_;
    ScanPages* pages_;
    OptionsTab* options_;
    ScanControl* scans_;
    ArchiveTab* archive_;
    WatchTab* watch_;
    PageSwitch* pageSwitch_;
    StartupShell* startup_;
    bool closed_ = false;
};

}  // namespace quarrow
