#pragma once

#include <QObject>
#include <string>

class QWidget;

namespace quarrow {

struct FormState;
struct FormWidgets;
struct TFtpMain;
class ArchiveTab;
class OptionsTab;
class ScanPages;

// Starting, resuming and stopping scans from the window: the scanner page's Start button,
// the interrupted-scan page's two buttons and the close button of the scan pages.
class ScanControl : public QObject {
public:
    ScanControl(FormState& state, FormWidgets& widgets, ScanPages& pages, OptionsTab& options,
                ArchiveTab& archive, QWidget* window);

    void Button1Click();   // Start
    void Button6Click();   // show a resume file's data
    void Button5Click();   // resume
    void btnCloseClick();  // close the shown page and stop its scan
    // Start is usable exactly when server, user and password are filled in.
    void UpdateStartEnabled();

    // Gives a new job the window's timers and a page captioned `caption`, then clears its
    // Connected flag again: the steps every start shares before its walker runs.
    void attachPage(int jobNumber, TFtpMain& job, const std::string& caption);
    // Stops every scan without waiting for more than their sessions to close (the window is
    // going away).
    void stopAll();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool duplicateScan();
    void updateStartHistory();
    void updateServerFiles(const TFtpMain& job);
    void closeJobPage(int jobNumber, bool lastPage);

    FormState& state_;
    FormWidgets& w_;
    ScanPages& pages_;
    OptionsTab& options_;
    ArchiveTab& archive_;
    QWidget* window_;
};

}  // namespace quarrow
