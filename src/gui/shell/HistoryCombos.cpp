#include "gui/shell/HistoryCombos.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>

#include "gui/widgets/QtText.h"

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

std::vector<std::string> comboItems(const QComboBox& combo) {
    std::vector<std::string> items;
    items.reserve(static_cast<std::size_t>(combo.count()));
    for (int i = 0; i < combo.count(); ++i) items.push_back(toSystem(combo.itemText(i)));
    return items;
}

void showItemsWhileTyping(QComboBox& combo, const std::vector<std::string>& items) {
    const QString typed = combo.currentText();
    const int cursor = combo.lineEdit() ? combo.lineEdit()->cursorPosition() : 0;
    const QSignalBlocker quiet(combo);
    combo.clear();
    for (const std::string& item : items) combo.addItem(fromSystem(item));
    combo.setEditText(typed);
    if (combo.lineEdit()) combo.lineEdit()->setCursorPosition(cursor);
}

}  // namespace quarrow
