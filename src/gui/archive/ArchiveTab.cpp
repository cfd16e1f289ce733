#include "gui/archive/ArchiveTab.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QListWidget>
#include <QToolButton>

#include "archive/ArchiveList.h"
#include "gui/shell/FormState.h"
#include "gui/shell/FormWidgets.h"
#include "gui/widgets/QtText.h"

namespace quarrow {
ArchiveTab::ArchiveTab(FormState& state, FormWidgets& widgets, QWidget* window)
    : QObject(window), state_(state), w_(widgets) {
    connect(w_.clb2, &QListWidget::itemClicked, this, &ArchiveTab::clb2Click);
    connect(w_.SpeedButton8, &QToolButton::clicked, this, [this] {
        if (actions_) actions_->LoadArchives();
    });
    w_.cb1->installEventFilter(this);
}

void ArchiveTab::setActions(std::unique_ptr<ArchiveActions> actions) {
    actions_ = std::move(actions);
}

void ArchiveTab::ArchivePageClosed() {
    if (actions_) actions_->PageClosed();
}

void ArchiveTab::RefreshArchiveList() {
    std::vector<ArchiveListItem> current;
    for (int i = 0; i < w_.clb2->count(); ++i) {
        const QListWidgetItem* item = w_.clb2->item(i);
        current.push_back({toSystem(item->text()), item->checkState() == Qt::Checked});
    }
    w_.clb2->clear();
    for (const auto& listed : quarrow::RefreshArchiveList(state_.programDir(), current)) {
        auto* item = new QListWidgetItem(fromSystem(listed.name), w_.clb2);
        // Ticking is done by the click handler, so a click on the box is not counted twice.
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        item->setCheckState(listed.checked ? Qt::Checked : Qt::Unchecked);
    }
}

QStringList ArchiveTab::checkedArchives() const {
    QStringList names;
    for (int i = 0; i < w_.clb2->count(); ++i)
        if (w_.clb2->item(i)->checkState() == Qt::Checked) names.append(w_.clb2->item(i)->text());
    return names;
}

void ArchiveTab::clb2Click() {
    QListWidgetItem* item = w_.clb2->currentItem();
    if (!item) return;
    w_.SpeedButton8->setEnabled(actions_ && !actions_->Loading());
    item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

void ArchiveTab::clearSelection() {
    w_.clb2->clearSelection();
    w_.clb2->setCurrentItem(nullptr);
    w_.SpeedButton8->setEnabled(false);
}

bool ArchiveTab::eventFilter(QObject* watched, QEvent* event) {
    if (watched == w_.cb1 && actions_) {
        if (event->type() == QEvent::KeyPress) actions_->SearchKeyDown();
        if (event->type() == QEvent::KeyRelease) actions_->SearchKeyUp();
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace quarrow
