#pragma once

#include <QAbstractTableModel>
#include <QIcon>
#include <functional>
#include <optional>

#include "gui/widgets/RowBackgrounds.h"

namespace quarrow {

// How one row of a result list looks: fetched from the job's list when the row is drawn.
struct RowLook {
    QString text;
    RowBackground background = RowBackground::File;
    QIcon icon;
};

// Gives the look of item `item`, or nothing when the job's list no longer reaches it.
using RowSource = std::function<std::optional<RowLook>(int item)>;

// A virtual list of a job's entries: only the number of items is stored, and an item is read
// from the job when it is drawn, so a million entries cost nothing until they are shown.
// Items fill the grid row by row, `columns` to a row.
class JobRowsModel : public QAbstractTableModel {
public:
    JobRowsModel(RowSource source, QObject* parent);

    int itemCount() const { return items_; }
    // Sets the number of items; growing keeps the selection and the scroll position.
    void setItemCount(int items);
    int columns() const { return columns_; }
    void setColumns(int columns);

    // The item shown at `index`, or -1 for a cell past the last item.
    int itemAt(const QModelIndex& index) const;
    QModelIndex indexOfItem(int item) const;
    std::optional<RowLook> look(int item) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    int rowsFor(int items) const;

    RowSource source_;
    int items_ = 0;
    int columns_ = 1;
};

}  // namespace quarrow
