#include "gui/watch/WatchListModel.h"

#include "gui/widgets/QtText.h"
#include "watch/WatchContext.h"

namespace quarrow {
namespace {

const QColor kStatusBlue(0, 0, 255);
const QColor kStatusRed(255, 0, 0);

}  // namespace

WatchListModel::WatchListModel(WatchContext& watch, QObject* parent)
    : QAbstractListModel(parent), watch_(watch) {}

int WatchListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(watch_.Table.lines().size());
}

Qt::ItemFlags WatchListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable;
}

QVariant WatchListModel::data(const QModelIndex& index, int role) const {
    const auto lines = watch_.Table.lines();
    if (!index.isValid() || index.row() >= static_cast<int>(lines.size())) return {};
    const auto& line = lines[static_cast<std::size_t>(index.row())];
    switch (role) {
        case Qt::DisplayRole:
            return fromSystem(line.text);
        case Qt::CheckStateRole:
            return line.ticked ? Qt::Checked : Qt::Unchecked;
        case EntryRole:
            return line.entry;
        case BackgroundRole:
        case StatusRole:
        case StatusColourRole:
            return look(index.row(), role);
        default:
            return {};
    }
}

QVariant WatchListModel::look(int row, int role) const {
    const auto line = watch_.Table.lines()[static_cast<std::size_t>(row)];
    const auto entry = watch_.Table.at(line.entry);
    if (!entry) return {};
    const bool busy = entry->Connected.load();
    if (role == BackgroundRole) {
        const RowBackground kind = busy                   ? RowBackground::Yellow
                                   : entry->Active.load() ? RowBackground::Green
                                                          : RowBackground::Orange;
        return static_cast<int>(kind);
    }
    // A busy entry shows its progress, a ticked idle one its countdown, both in blue; an
    // unticked idle one says in red that it is not checked on its own, with the counts of its
    // last finished check.
    const bool counting = busy || line.ticked;
    if (role == StatusColourRole) return counting ? kStatusBlue : kStatusRed;
    const std::string status = entry->statusText();
    if (counting) return fromSystem(status);
    const auto& texts = watch_.Texts()->form;
    if (!texts.stop.empty() && status.find(texts.stop) != std::string::npos)
        return fromSystem(texts.autonofile + std::to_string(entry->NewFileCount.load()) +
                          texts.dir + std::to_string(entry->NewDirCount.load()));
    return fromSystem(texts.autono);
}

bool WatchListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::CheckStateRole || !index.isValid() || index.row() >= rowCount()) return false;
    watch_.Table.setTicked(index.row(), value.toInt() == Qt::Checked);
    emit dataChanged(index, index, {Qt::CheckStateRole});
    return true;
}

void WatchListModel::reload() {
    beginResetModel();
    endResetModel();
}

void WatchListModel::repaint() {
    const int rows = rowCount();
    if (rows > 0) emit dataChanged(index(0), index(rows - 1));
}

}  // namespace quarrow
