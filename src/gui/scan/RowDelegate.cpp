#include "gui/scan/RowDelegate.h"

#include <QPainter>

#include "gui/scan/JobRowsModel.h"
#include "gui/widgets/RowText.h"
#include "gui/widgets/ScanColours.h"

namespace quarrow {
namespace {

constexpr int kIconSide = 16;

}  // namespace

RowDelegate::RowDelegate(Kind kind, const RowBackgrounds& backgrounds, QObject* parent)
    : QStyledItemDelegate(parent), kind_(kind), backgrounds_(backgrounds) {}

void RowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const {
    const auto* model = dynamic_cast<const JobRowsModel*>(index.model());
    if (!model) return;
    const int item = model->itemAt(index);
    const auto look = model->look(item);
    if (!look) return;

    painter->save();
    painter->setClipRect(option.rect);
    const QRect row = option.rect;
    const QRect background = row.adjusted(2, 0, 0, -1);
    const bool selected = option.state.testFlag(QStyle::State_Selected);
    painter->drawPixmap(background, backgrounds_.pixmap(look->background));
    if (selected) painter->fillRect(background, option.palette.highlight());

    const int iconTop = row.top() + (row.height() - kIconSide) / 2;
    look->icon.paint(painter, QRect(row.left() + 1, iconTop, kIconSide, kIconSide));

    const bool files = kind_ == Kind::Files;
    int x = files ? row.left() + 4 + kIconSide : row.left() + kIconSide + 2 + 1;
    painter->setFont(numberFont(option.font));
    const QColor numberColour = !selected ? kRowNumberColour : files ? Qt::white : Qt::black;
    painter->setPen(numberColour);
    x += drawBottomAligned(*painter, row, x, 2, QString::number(item + 1) + QStringLiteral(". "));

    painter->setFont(option.font);
    painter->setPen(selected ? Qt::white : Qt::black);
    drawBottomAligned(*painter, row, x + (files ? 5 : 0), 3, look->text);
    painter->restore();
}

}  // namespace quarrow
