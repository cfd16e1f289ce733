#include "gui/watch/NewFilesModel.h"

#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>

#include "gui/widgets/QtText.h"
#include "watch/ItemText.h"
#include "watch/WatchContext.h"

namespace quarrow {
namespace {

// The locale's long time form without its time-zone part, which a file's time never needs.
QString longTimeFormat() {
    QString format = QLocale().timeFormat(QLocale::LongFormat);
    format.remove(QRegularExpression(QStringLiteral("\\s*\\bt+\\b")));
    return format.trimmed();
}

}  // namespace

NewFilesModel::NewFilesModel(WatchContext& watch, QObject* parent)
    : QAbstractTableModel(parent),
      watch_(watch),
      captions_{QStringLiteral("Имя"), QStringLiteral("Размер"), QStringLiteral("Изменен")},
      timeFormat_(longTimeFormat()),
      icons_(std::make_unique<ExtensionIcons>()) {}

void NewFilesModel::setRowCount(int rows) {
    rows = std::max(rows, 0);
    if (rows == rows_) return;
    if (rows > rows_) {
        beginInsertRows({}, rows_, rows - 1);
        rows_ = rows;
        endInsertRows();
    } else {
        beginResetModel();
        rows_ = rows;
        endResetModel();
    }
}

void NewFilesModel::resetIcons() {
    icons_ = std::make_unique<ExtensionIcons>();
}

void NewFilesModel::setColumnCaption(int column, const QString& caption) {
    if (column < 0 || column >= ColumnCount) return;
    captions_[column] = caption;
    emit headerDataChanged(Qt::Horizontal, column, column);
}

void NewFilesModel::repaint() {
    if (rows_ > 0) emit dataChanged(index(0, 0), index(rows_ - 1, ColumnCount - 1));
}

TMainObj NewFilesModel::item(int row) const {
    const auto entry = watch_.Table.at(entry_);
    if (!entry || row < 0) return {};
    return entry->NewItems.at(static_cast<std::size_t>(row));
}

int NewFilesModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int NewFilesModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QString NewFilesModel::timeText(std::time_t time) const {
    const QDateTime moment = QDateTime::fromSecsSinceEpoch(static_cast<qint64>(time));
    const QLocale locale;
    return locale.toString(moment.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
           locale.toString(moment.time(), timeFormat_);
}

QVariant NewFilesModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::DecorationRole)) return {};
    if (role == Qt::DecorationRole && index.column() != NameColumn) return {};
    // One read of the item: the list may be sorted or grown between two calls.
    const TMainObj found = item(index.row());
    if (found.FullName.empty()) return {};
    const QString caption = QStringLiteral("   ") + fromSystem(NameFromPath(NewItemLine(found)));
    if (role == Qt::DecorationRole)
        return found.IsFolder ? icons_->folderIcon() : icons_->iconFor(caption);
    switch (index.column()) {
        case NameColumn:
            return caption;
        case SizeColumn:
            return fromSystem(FormatItemSize(static_cast<std::int32_t>(found.Size)));
        default:
            return timeText(found.Time);
    }
}

QVariant NewFilesModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= ColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    return captions_[section];
}

Qt::ItemFlags NewFilesModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

}  // namespace quarrow
