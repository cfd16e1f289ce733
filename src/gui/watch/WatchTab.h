#pragma once

#include <QObject>
#include <QString>
#include <memory>

#include "engine/Settings.h"

class QWidget;

namespace quarrow {

struct FormState;
struct FormWidgets;
class LanguageFile;
class OptionsTab;
class QtWatchTimers;
class RowBackgrounds;
class TFormDownload;
class TFormSetingSpy;
class TNevForm;
class TimerNotifier;
class TrayNotice;
class WatchContext;
class WatchEditor;
class WatchListModel;
class WatchScheduler;
struct WatchEntry;

// The watch tab: the watch list drawn as a check list, its buttons, the entries' timers and
// the main window's watch timers (Timer4 refresh, Timer5 countdown, Timer6 balloon, Timer7
// refresh fed by the checks), and the new-files window it opens. The decisions are the
// core's WatchScheduler; this class draws and enables.
class WatchTab : public QObject {
public:
    WatchTab(FormState& state, FormWidgets& widgets, OptionsTab& options, TrayNotice& tray,
             QWidget* window);
    ~WatchTab() override;

    // Loads the watch list and starts every entry's timer, once, after the settings.
    void FormCreate();
    // The language in force changed: the checks' texts, the list's hint, the captions of the
    // dialog and of the new-files window.
    void LanguageApplied();
    // The command line's "[nostartspyall]" and "[startspyallinstart]".
    void NoStartSpyAll();
    void StartSpyAll();

    void SpeedButton3Click();  // start or stop the selected entry
    void SpeedButton6Click();  // start all
    void CheckListBox1Click();
    void CheckListBox1DblClick();
    void TabSheet5Show();
    // Another tab than the options tab was shown.
    void TabLeft();
    void SpyTimerTimer(int entry);
    void Timer4Timer();
    void Timer5Timer();
    void Timer6Timer();
    void Timer7Timer();

    // The selected line, or -1.
    int selectedLine() const;
    void selectLine(int line);
    // Repaints the list after an entry or a line changed.
    void reloadList();
    // Enables the buttons for the selected line, as a click does.
    void updateButtons();

    WatchContext& watch() { return *watch_; }
    WatchScheduler& scheduler() { return *scheduler_; }
    QtWatchTimers& timers() { return *timers_; }
    WatchListModel& list() { return *model_; }
    WatchEditor& editor() { return *editor_; }
    // The new-files window, made hidden on first need; null before.
    TNevForm* nevForm() const { return nevForm_.get(); }
    TNevForm& ensureNevForm();
    // The download window, made on the first request; null before.
    TFormDownload* downloadForm() const { return downloadForm_.get(); }

    // Its stored bounds and view, read before it exists and written back with the settings.
    void restoreNevForm(const MainSettings& settings);
    void storeNevForm(MainSettings& settings) const;

    // Ends the wake-ups of running checks; the window calls it before it goes.
    void detach();

private:
    // "Скачать файл..." of the new-files window: the file into "Downloads/" with the entry's
    // login.
    void download(const WatchEntry& entry, const std::string& fullName);
    // Active follows the line's tick, the list is saved, the timers run while one is active.
    void applyTick(int line);
    bool anyActiveOrBusy() const;

    FormState& state_;
    FormWidgets& w_;
    TrayNotice& tray_;
    QWidget* window_;
    QtWatchTimers* timers_;
    std::unique_ptr<WatchContext> watch_;
    std::unique_ptr<WatchScheduler> scheduler_;
    std::unique_ptr<RowBackgrounds> backgrounds_;
    WatchListModel* model_;
    std::unique_ptr<WatchEditor> editor_;
    std::shared_ptr<TimerNotifier> refreshTimer_, balloonTimer_;
    std::unique_ptr<TNevForm> nevForm_;
    std::unique_ptr<TFormDownload> downloadForm_;
    WindowBounds nevBounds_{100, 100, 544, 390};
    int nevView_ = 0;
    QString startCaption_;
};

}  // namespace quarrow
