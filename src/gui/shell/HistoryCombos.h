#pragma once

#include <QStringList>
#include <string>
#include <vector>

#include "engine/HistoryLists.h"

class QComboBox;
class QListWidget;

namespace quarrow {

// The entries of a history list as a control's items.
QStringList historyItems(const HistoryList& list);

// Makes the combo's items the list's entries, keeping the text typed in it.
void showHistory(QComboBox& combo, const HistoryList& list);
void showHistory(QListWidget& listBox, const HistoryList& list);

// The combo's items as system text, and items put back while the user types: the text in the
// box and the cursor in it stay as they were.
std::vector<std::string> comboItems(const QComboBox& combo);
void showItemsWhileTyping(QComboBox& combo, const std::vector<std::string>& items);

}  // namespace quarrow
