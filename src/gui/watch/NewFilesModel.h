#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <memory>

#include "gui/widgets/ExtensionIcons.h"
#include "watch/TMainObj.h"

namespace quarrow {

class WatchContext;

// The rows of the new-files window: one per new item of the shown watch entry, in three
// columns (name, size, modified). Only the row count is kept; a row's texts and icon are
// built from the entry's new-items list when the view asks for them, so a check may go on
// appending meanwhile. The count is set by the window, never followed by itself; rows the
// list no longer reaches are blank.
class NewFilesModel : public QAbstractTableModel {
public:
    enum Column { NameColumn, SizeColumn, TimeColumn, ColumnCount };

    NewFilesModel(WatchContext& watch, QObject* parent);

    int entry() const { return entry_; }
    void setEntry(int entry) { entry_ = entry; }
    // Sets the number of rows; growing keeps the views' selection and scroll position.
    void setRowCount(int rows);
    // Forgets the icons fetched so far (another entry is being shown).
    void resetIcons();
    void setColumnCaption(int column, const QString& caption);
    // The rows' contents changed under them (the list was sorted).
    void repaint();

    // The item behind `row`; an empty item when the list does not reach it.
    TMainObj item(int row) const;
    // The extensions whose icon has been fetched, in order of first use.
    const std::vector<QString>& iconExtensions() const { return icons_->extensions(); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // The modified column's text: the locale's short date and long time.
    QString timeText(std::time_t time) const;

private:
    WatchContext& watch_;
    int entry_ = -1;
    int rows_ = 0;
    QStringList captions_;
    QString timeFormat_;
    // Filled as rows are drawn, hence mutable.
    mutable std::unique_ptr<ExtensionIcons> icons_;
};

}  // namespace quarrow
