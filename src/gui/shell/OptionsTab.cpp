#include "gui/shell/OptionsTab.h"

#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>

#include "engine/OptionLists.h"
#include "gui/shell/FormDialogs.h"
#include "gui/shell/FormLanguage.h"
#include "gui/shell/FormState.h"
#include "gui/shell/FormWidgets.h"
#include "gui/shell/HistoryCombos.h"
#include "gui/widgets/QtText.h"
#include "platform/TextLines.h"
#include "update/UpdatePage.h"

namespace quarrow {

OptionsTab::OptionsTab(FormState& state, FormWidgets& widgets, QWidget* window)
    : QObject(window), state_(state), w_(widgets), window_(window) {
    connect(w_.ComboBox1, &QComboBox::currentIndexChanged, this, &OptionsTab::ComboBox1Change);
    connect(w_.cbsIdent, &QComboBox::activated, this, &OptionsTab::cbsIdentChoose);
    connect(w_.SpeedButton1, &QToolButton::clicked, this, &OptionsTab::SpeedButton1Click);
    connect(w_.SpeedButton2, &QToolButton::clicked, this, &OptionsTab::SpeedButton2Click);
    connect(w_.lbignore, &QListWidget::itemSelectionChanged, this, &OptionsTab::lbignoreClick);
    connect(w_.Button3, &QPushButton::clicked, this, &OptionsTab::Button3Click);
    w_.cbsIdent->installEventFilter(this);
    w_.Label18->installEventFilter(this);
}

void OptionsTab::saveList(const HistoryList& list) {
    std::string error;
    if (!list.save(&error))
        showError(state_, window_, state_.messages.filewrite, QString::fromStdString(error));
}

void OptionsTab::ComboBox1Change(int index) {
    state_.languageFile = languageFilePath(state_.programDir(), index);
    ApplyLanguage(state_, *window_);
    if (languageApplied_) languageApplied_();
}

void OptionsTab::setLanguageListener(std::function<void()> applied) {
    languageApplied_ = std::move(applied);
}

void OptionsTab::cbsIdentChoose(int index) {
    IdentComboChoose(toSystem(w_.cbsIdent->itemText(index)), state_.identText);
}

void OptionsTab::cbsIdentExit() {
    if (!IdentComboLeave(state_.idents, toSystem(w_.cbsIdent->currentText()), state_.identText))
        return;
    showHistory(*w_.cbsIdent, state_.idents);
    saveList(state_.idents);
}

void OptionsTab::SpeedButton1Click() {
    if (IgnoreListAdd(state_.ignores, toSystem(w_.editIgnore->text()))) {
        showHistory(*w_.lbignore, state_.ignores);
        saveList(state_.ignores);
    }
    lbignoreClick();
}

void OptionsTab::SpeedButton2Click() {
    const int selected = IgnoreListRemove(state_.ignores, w_.lbignore->currentRow());
    if (static_cast<std::size_t>(w_.lbignore->count()) != state_.ignores.size()) {
        const QSignalBlocker quiet(w_.lbignore);
        showHistory(*w_.lbignore, state_.ignores);
        w_.lbignore->setCurrentRow(selected);
        saveList(state_.ignores);
    }
    lbignoreClick();
}

void OptionsTab::lbignoreClick() {
    w_.SpeedButton2->setEnabled(!w_.lbignore->selectedItems().isEmpty());
}

void OptionsTab::Button3Click() {
    std::string error;
    if (!writeLinesFile(historyFilePath(state_.programDir(), "Coment.txt"), commentLines(), &error))
        showError(state_, window_, state_.messages.filewrite, QString::fromStdString(error));
}

void OptionsTab::Label18Click() {
    state_.dialogs.openUrl(QUrl(QString::fromStdString(HomePageUrl())));
}

std::vector<std::string> OptionsTab::commentLines() const {
    // A memo ending in a line break, or an empty one, has no empty last line.
    return splitLines(toSystem(w_.MemoComent->toPlainText()));
}

std::vector<std::string> OptionsTab::ignoreLines() const {
    return state_.ignores.entries();
}

void OptionsTab::publishToEngine() {
    state_.context.setCommentLines(commentLines());
    state_.context.setIgnoreList(ignoreLines());
}

bool OptionsTab::eventFilter(QObject* watched, QEvent* event) {
    if (watched == w_.cbsIdent && event->type() == QEvent::FocusOut) {
        // Only a move to another control leaves the combo: its own drop-down opening, or the
        // program losing the focus, keeps a half-typed text out of the list.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason) cbsIdentExit();
    } else if (watched == w_.Label18) {
        const auto linkSize = [this](double extra) {
            QFont font = w_.Label18->font();
            font.setPointSizeF(w_.Label1->font().pointSizeF() + extra);
            w_.Label18->setFont(font);
        };
        if (event->type() == QEvent::Enter) linkSize(2);
        if (event->type() == QEvent::Leave) linkSize(0);
        if (event->type() == QEvent::MouseButtonRelease) Label18Click();
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace quarrow
