#pragma once

#include <QStyledItemDelegate>

namespace quarrow {

class RowBackgrounds;

// Draws a line of the watch list: its tick box, the entry's gradient background (green when
// active and idle, yellow while checked, orange otherwise), the row number in blue, the line in
// black and the status right-aligned, all in the smaller font and bottom-aligned. A click on
// the box toggles the tick.
class WatchRowDelegate : public QStyledItemDelegate {
public:
    WatchRowDelegate(const RowBackgrounds& backgrounds, QObject* parent);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;

    static constexpr int kRowHeight = 18;

private:
    static QRect checkRect(const QRect& row);

    const RowBackgrounds& backgrounds_;
};

}  // namespace quarrow
