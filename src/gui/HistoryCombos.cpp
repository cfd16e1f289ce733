#include "gui/HistoryCombos.h"

#include <QComboBox>
#include <QListWidget>

#include "gui/QtText.h"

namespace quarrow {

QStringList historyItems(const HistoryList& list) {
    QStringList items;
    items.reserve(static_cast<qsizetype>(list.size()));
    for (const auto& entry : list.entries()) items.append(fromSystem(entry));
    return items;
}

void showHistory(QComboBox& combo, const HistoryList& list) {
    const QString typed = combo.currentText();
    const QSignalBlocker quiet(combo);
    combo.clear();
    combo.addItems(historyItems(list));
    combo.setEditText(typed);
}

void showHistory(QListWidget& listBox, const HistoryList& list) {
    listBox.clear();
    listBox.addItems(historyItems(list));
}

}  // namespace quarrow
