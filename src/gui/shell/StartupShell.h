#pragma once

#include <QObject>
#include <string>

#include "engine/Settings.h"

class QMainWindow;

namespace quarrow {

struct FormState;
struct FormWidgets;
class OptionsTab;
class ScanControl;
class TrayNotice;
class UpdateNotice;
class WatchTab;

// How the main window comes up and goes down: the data folders, the settings file, the
// history lists, the version, the update check's schedule, and the first activation with the
// command line and the hiding it may ask for.
class StartupShell : public QObject {
public:
    StartupShell(FormState& state, FormWidgets& widgets, ScanControl& scans, OptionsTab& options,
                 WatchTab& watch, TrayNotice& tray, QMainWindow* window);

    // The creation steps, once, before the window is first shown.
    void FormCreate(const std::string& version);
    void LoadSettings();
    void SaveSettings();
    // The first activation: tray icon, command line, and Timer8 for "[hide]". Later calls do
    // nothing.
    void FormActivate(const std::string& argument);
    void Timer8Timer();

private:
    void loadHistoryLists();
    void placeWindow(const WindowBounds& saved);

    FormState& state_;
    FormWidgets& w_;
    ScanControl& scans_;
    OptionsTab& options_;
    WatchTab& watch_;
    TrayNotice& tray_;
    QMainWindow* window_;
    MainSettings settings_;
    UpdateNotice* update_;
};

}  // namespace quarrow
