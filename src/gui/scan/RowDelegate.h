#pragma once

#include <QStyledItemDelegate>

namespace quarrow {

class RowBackgrounds;

// Draws the rows of the result lists: a stretched gradient background, the entry's icon, its
// row number in a smaller blue font and its text, all bottom-aligned.
class RowDelegate : public QStyledItemDelegate {
public:
    enum class Kind { Folders, Files };

    RowDelegate(Kind kind, const RowBackgrounds& backgrounds, QObject* parent);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

private:
    Kind kind_;
    const RowBackgrounds& backgrounds_;
};

}  // namespace quarrow
