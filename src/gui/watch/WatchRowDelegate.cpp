#include "gui/watch/WatchRowDelegate.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "gui/watch/WatchListModel.h"
#include "gui/widgets/RowBackgrounds.h"
#include "gui/widgets/RowText.h"
#include "gui/widgets/ScanColours.h"

namespace quarrow {
namespace {

constexpr int kCheckSide = 13;

void toggle(QAbstractItemModel* model, const QModelIndex& index) {
    const bool ticked = index.data(Qt::CheckStateRole).toInt() == Qt::Checked;
    model->setData(index, ticked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
}

}  // namespace

WatchRowDelegate::WatchRowDelegate(const RowBackgrounds& backgrounds, QObject* parent)
    : QStyledItemDelegate(parent), backgrounds_(backgrounds) {}

QRect WatchRowDelegate::checkRect(const QRect& row) {
    return {row.left() + 2, row.top() + (row.height() - kCheckSide) / 2, kCheckSide, kCheckSide};
}

QSize WatchRowDelegate::sizeHint(const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
    return {QStyledItemDelegate::sizeHint(option, index).width(), kRowHeight};
}

void WatchRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    painter->save();
    painter->setClipRect(option.rect);
    const QRect row = option.rect;

    QStyleOptionViewItem box = option;
    box.rect = checkRect(row);
    box.state = QStyle::State_Enabled |
                (index.data(Qt::CheckStateRole).toInt() == Qt::Checked ? QStyle::State_On
                                                                       : QStyle::State_Off);
    const QStyle* style = option.widget ? option.widget->style() : QApplication::style();
    style->drawPrimitive(QStyle::PE_IndicatorItemViewItemCheck, &box, painter, option.widget);

    const QRect drawn = row.adjusted(box.rect.right() + 3, 0, 0, 0);
    const QRect background = drawn.adjusted(2, 1, 0, 0);
    const auto kind =
        static_cast<RowBackground>(index.data(WatchListModel::BackgroundRole).toInt());
    painter->drawPixmap(background, backgrounds_.pixmap(kind));
    const bool selected = option.state.testFlag(QStyle::State_Selected);
    if (selected) painter->fillRect(background, option.palette.highlight());

    painter->setFont(numberFont(option.font));
    int x = drawn.left() + 2;
    painter->setPen(selected ? Qt::white : kRowNumberColour);
    x += drawBottomAligned(*painter, row, x, 2,
                           QString::number(index.row() + 1) + QStringLiteral(". "));
    painter->setPen(selected ? Qt::white : Qt::black);
    drawBottomAligned(*painter, row, x + 2, 2, index.data(Qt::DisplayRole).toString());

    const QString status = index.data(WatchListModel::StatusRole).toString();
    const int width = QFontMetrics(painter->font()).horizontalAdvance(status);
    painter->setPen(selected ? QColor(Qt::white)
                             : index.data(WatchListModel::StatusColourRole).value<QColor>());
    drawBottomAligned(*painter, row, row.right() - 2 - width, 2, status);
    painter->restore();
}

bool WatchRowDelegate::editorEvent(QEvent* event, QAbstractItemModel* model,
                                   const QStyleOptionViewItem& option, const QModelIndex& index) {
    if (event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton &&
            checkRect(option.rect).adjusted(-2, -2, 2, 2).contains(mouse->position().toPoint())) {
            toggle(model, index);
            return false;  // the view still reports the click, which applies the tick
        }
    }
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space) {
        toggle(model, index);
        return true;
    }
    return false;
}

}  // namespace quarrow
