#include "gui/scan/JobRowsModel.h"

namespace quarrow {

JobRowsModel::JobRowsModel(RowSource source, QObject* parent)
    : QAbstractTableModel(parent), source_(std::move(source)) {}

int JobRowsModel::rowsFor(int items) const {
    return (items + columns_ - 1) / columns_;
}

void JobRowsModel::setItemCount(int items) {
    items = std::max(items, 0);
    if (items == items_) return;
    const int oldRows = rowsFor(items_);
    const int newRows = rowsFor(items);
    if (items < items_) {
        beginResetModel();
        items_ = items;
        endResetModel();
        return;
    }
    if (newRows > oldRows) beginInsertRows(QModelIndex(), oldRows, newRows - 1);
    items_ = items;
    if (newRows > oldRows) endInsertRows();
    // The last row of the old grid may have gained items in its empty cells.
    if (oldRows > 0 && columns_ > 1)
        emit dataChanged(index(oldRows - 1, 0), index(oldRows - 1, columns_ - 1));
}

void JobRowsModel::setColumns(int columns) {
    columns = std::max(columns, 1);
    if (columns == columns_) return;
    beginResetModel();
    columns_ = columns;
    endResetModel();
}

int JobRowsModel::itemAt(const QModelIndex& index) const {
    if (!index.isValid()) return -1;
    const int item = index.row() * columns_ + index.column();
    return item < items_ ? item : -1;
}

QModelIndex JobRowsModel::indexOfItem(int item) const {
    if (item < 0 || item >= items_) return {};
    return index(item / columns_, item % columns_);
}

std::optional<RowLook> JobRowsModel::look(int item) const {
    if (item < 0 || item >= items_ || !source_) return std::nullopt;
    return source_(item);
}

int JobRowsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rowsFor(items_);
}

int JobRowsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columns_;
}

QVariant JobRowsModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole && role != Qt::DecorationRole) return {};
    const auto row = look(itemAt(index));
    if (!row) return {};
    if (role == Qt::DecorationRole) return row->icon;
    return row->text;
}

Qt::ItemFlags JobRowsModel::flags(const QModelIndex& index) const {
    return itemAt(index) < 0 ? Qt::NoItemFlags : Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

}  // namespace quarrow
