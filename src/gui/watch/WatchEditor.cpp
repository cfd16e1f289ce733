#include "gui/watch/WatchEditor.h"

#include <QComboBox>
#include <QCursor>
#include <ctime>

#include "engine/Translate.h"
#include "gui/shell/FormDialogs.h"
#include "gui/shell/FormState.h"
#include "gui/shell/FormWidgets.h"
#include "gui/shell/HistoryCombos.h"
#include "gui/shell/OptionsTab.h"
#include "gui/watch/TFormSetingSpy.h"
#include "gui/watch/TNevForm.h"
#include "gui/watch/WatchTab.h"
#include "gui/widgets/QtText.h"
#include "watch/WatchContext.h"
#include "watch/WatchEditing.h"
#include "watch/WatchScheduler.h"

namespace quarrow {

WatchEditor::WatchEditor(FormState& state, FormWidgets& widgets, OptionsTab& options, WatchTab& tab,
                         QWidget* window)
    : state_(state), w_(widgets), options_(options), tab_(tab), window_(window) {}

WatchEditor::~WatchEditor() = default;

void WatchEditor::applyLanguage(const LanguageFile& file) {
    if (dialog_) dialog_->applyLanguage(file, state_.texts);
}

TFormSetingSpy& WatchEditor::ensureDialog() {
    if (!dialog_) {
        dialog_ = std::make_unique<TFormSetingSpy>(state_.dialogs, window_);
        LanguageFile file;
        if (file.load(state_.languageFile)) dialog_->applyLanguage(file, state_.texts);
    }
    return *dialog_;
}

bool WatchEditor::runDialog() {
    ensureDialog();
    dialog_->placeNear(*window_, QCursor::pos());
    dialog_->copyHistory(historyItems(state_.servers), historyItems(state_.paths),
                         historyItems(state_.masks), historyItems(state_.passwords),
                         historyItems(state_.logins));
    return dialog_->showModal();
}

void WatchEditor::showHistoryCombos() {
    showHistory(*w_.cbspassword, state_.passwords);
    showHistory(*w_.cbsUserName, state_.logins);
    showHistory(*w_.cbsMask, state_.masks);
    showHistory(*w_.cbsFindPath, state_.paths);
}

void WatchEditor::AddSurveillance() {
    if (!runDialog()) return;
    const WatchForm typed = dialog_->form();
    // A check's snapshot header takes the comment as it stands now.
    options_.publishToEngine();
    WatchHistory history{state_.passwords, state_.logins, state_.masks, state_.paths};
    WatchContext& watch = tab_.watch();
    const WatchEditResult result = AddWatchEntry(watch.Table, typed, history, state_.programDir(),
                                                 *watch.Texts(), std::time(nullptr));
    if (result.kind == WatchEditResult::Duplicate) {
        tab_.selectLine(result.line);
    } else {
        WatchForm shown = typed;
        NormaliseWatchForm(shown);
        dialog_->setForm(shown);
    }
    showResult(result);
}

void WatchEditor::SpeedButton7Click() {
    const int line = tab_.selectedLine();
    if (line < 0) return;
    WatchContext& watch = tab_.watch();
    const auto entry = watch.Table.at(watch.Table.lines()[static_cast<std::size_t>(line)].entry);
    if (!entry) return;
    ensureDialog().setForm(WatchFormOf(*entry));
    if (!runDialog()) return;
    const WatchForm typed = dialog_->form();
    options_.publishToEngine();
    WatchHistory history{state_.passwords, state_.logins, state_.masks, state_.paths};
    const WatchEditResult result = ChangeWatchEntry(
        watch.Table, line, typed, history, state_.programDir(), *watch.Texts(), std::time(nullptr));
    WatchForm shown = typed;
    NormaliseWatchForm(shown);
    dialog_->setForm(shown);
    showResult(result);
}

void WatchEditor::SpeedButton4Click() {
    const int line = tab_.selectedLine();
    if (line < 0) return;
    const WatchEditResult result = RemoveWatchLine(tab_.watch().Table, line, state_.programDir());
    showResult(result);
    if (TNevForm* window = tab_.nevForm()) window->hide();
}

void WatchEditor::showResult(const WatchEditResult& result) {
    const bool edited = result.kind == WatchEditResult::Added ||
                        result.kind == WatchEditResult::Changed ||
                        (result.kind == WatchEditResult::Failed && result.line >= 0);
    if (edited) tab_.scheduler().ArmEdited(result.entry);
    // A deleted entry is no longer checked on its own: nothing would show its result.
    if (result.kind == WatchEditResult::Removed) tab_.watch().Timers.stop(result.entry);
    if (result.kind != WatchEditResult::Duplicate && result.kind != WatchEditResult::Refused)
        showHistoryCombos();
    tab_.reloadList();
    if (result.kind == WatchEditResult::Duplicate) tab_.selectLine(result.line);
    if (result.kind == WatchEditResult::Changed) tab_.selectLine(result.line);
    tab_.updateButtons();
    if (result.message.empty()) return;
    if (result.kind == WatchEditResult::Failed)
        state_.dialogs.error(window_, fromSystem(result.message));
    else
        state_.dialogs.message(window_, fromSystem(result.message));
}

}  // namespace quarrow
