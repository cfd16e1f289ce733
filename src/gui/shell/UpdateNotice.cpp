#include "gui/shell/UpdateNotice.h"

#include <QCheckBox>
#include <QTimer>
#include <ctime>

#include "gui/shell/FormDialogs.h"
#include "gui/shell/FormState.h"
#include "gui/shell/FormWidgets.h"
#include "gui/widgets/QtText.h"
#include "gui/widgets/TimerNotifier.h"
#include "platform/Cp1251.h"
#include "update/TGetFileHttp.h"
#include "update/UpdateSchedule.h"

namespace quarrow {

UpdateNotice::UpdateNotice(FormState& state, FormWidgets& widgets, std::string& lastUpdateCheck,
                           QWidget* window)
    : QObject(window),
      state_(state),
      w_(widgets),
      lastUpdateCheck_(lastUpdateCheck),
      window_(window) {
    // Also called when the settings tick the box; the schedule ignores that.
    connect(w_.cbsupdate, &QCheckBox::toggled, this, &UpdateNotice::cbsupdateClick);
    connect(w_.timernewversion, &QTimer::timeout, this, &UpdateNotice::timernewversionTimer);
}

void UpdateNotice::ScheduleAtStart() {
    if (state_.updatePage.empty()) return;
    const UpdateDecision decision =
        UpdateScheduleAtStart(w_.cbsupdate->isChecked(), lastUpdateCheck_, std::time(nullptr));
    if (decision.lastUpdateCheck) lastUpdateCheck_ = *decision.lastUpdateCheck;
    if (decision.startCheck) StartUpdateCheck();
}

void UpdateNotice::cbsupdateClick(bool ticked) {
    if (state_.updatePage.empty()) return;
    const UpdateDecision decision =
        UpdateOptionChanged(ticked, state_.settingsLoading, std::time(nullptr));
    if (decision.lastUpdateCheck) lastUpdateCheck_ = *decision.lastUpdateCheck;
    if (decision.startCheck) StartUpdateCheck();
}

void UpdateNotice::StartUpdateCheck() {
    quarrow::StartUpdateCheck(
        {state_.updatePage, upperCp1251(state_.identText), state_.ownVersion, {}}, state_.updates,
        state_.newVersionTimer);
}

void UpdateNotice::timernewversionTimer() {
    w_.timernewversion->stop();
    const std::string url = state_.updates->DownloadUrl();
    if (!state_.updates->UpdateAvailable() || url.empty()) return;
    const QString title = fromSystem(state_.texts.newversionmessage);
    // A line feed: the message box breaks lines at it.
    const QString text = QStringLiteral("Quarrow ") + title + QLatin1Char('\n') +
                         fromSystem(state_.texts.newversionmessage2);
    if (state_.dialogs.question(window_, title, text))
        state_.dialogs.openUrl(QUrl(fromSystem(url)));
}

}  // namespace quarrow
