#pragma once

#include <QObject>
#include <string>

class QWidget;

namespace quarrow {

struct FormState;
struct FormWidgets;

// The update check in the window: its schedule at start-up and on the automatic-check
// option, the checks it starts, and the notice timernewversion shows once a check has found
// a newer version. Without an update page (state.updatePage empty) the schedule does nothing,
// the last-check date included.
class UpdateNotice : public QObject {
public:
    // `lastUpdateCheck` is the settings' last-check date, which the schedule moves.
    UpdateNotice(FormState& state, FormWidgets& widgets, std::string& lastUpdateCheck,
                 QWidget* window);

    // Right after the settings are read.
    void ScheduleAtStart();
    void cbsupdateClick(bool ticked);
    void timernewversionTimer();
    // One check in the background; returns at once.
    void StartUpdateCheck();

private:
    FormState& state_;
    FormWidgets& w_;
    std::string& lastUpdateCheck_;
    QWidget* window_;
};

}  // namespace quarrow
