#pragma once

#include <QStringList>

#include "engine/HistoryLists.h"

class QComboBox;
class QListWidget;

namespace quarrow {

// The entries of a history list as a control's items.
QStringList historyItems(const HistoryList& list);

// Makes the combo's items the list's entries, keeping the text typed in it.
void showHistory(QComboBox& combo, const HistoryList& list);
void showHistory(QListWidget& listBox, const HistoryList& list);

}  // namespace quarrow
