#pragma once

#include <QAbstractListModel>
#include <QColor>

#include "gui/widgets/RowBackgrounds.h"

namespace quarrow {

class WatchContext;

// The watch list's lines as rows of a check list: the line text, its tick, and what a row is
// drawn with, decided here so the delegate only paints. Rows are read from the table each
// time a row is drawn; the window calls reload() after the lines changed and repaint() when
// only the entries' states did.
class WatchListModel : public QAbstractListModel {
public:
    enum Role {
        BackgroundRole = Qt::UserRole + 1,  // a RowBackground
        StatusRole,                         // the text at the right
        StatusColourRole,                   // its colour
        EntryRole,                          // the entry the line shows
    };

    WatchListModel(WatchContext& watch, QObject* parent);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    // Only the tick is editable: it goes into the line, and the click handler makes the
    // entry's Active follow it.
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    void reload();
    void repaint();

private:
    QVariant look(int row, int role) const;

    WatchContext& watch_;
};

}  // namespace quarrow
