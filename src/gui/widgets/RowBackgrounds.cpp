#include "gui/widgets/RowBackgrounds.h"

#include <QPainter>

#include "gui/widgets/Gradient.h"
#include "gui/widgets/ScanColours.h"

namespace quarrow {
namespace {

QPixmap render(const QSize& size, const QColor& from, const QColor& to) {
    QPixmap pixmap(size.expandedTo(QSize(1, 1)));
    QPainter painter(&pixmap);
    GradientFill(painter, pixmap.rect(), Qt::Horizontal, {from, to});
    return pixmap;
}

}  // namespace

RowBackgrounds::RowBackgrounds() {
    resize(QSize(100, 20));
}

void RowBackgrounds::resize(const QSize& size) {
    file_ = render(size, kListBackground, QColor(210, 213, 215));
    green_ = render(size, kWatchListBackground, QColor(67, 214, 63));
    orange_ = render(size, kWatchListBackground, QColor(255, 169, 83));
    yellow_ = render(size, kWatchListBackground, QColor(255, 255, 43));
}

const QPixmap& RowBackgrounds::pixmap(RowBackground kind) const {
    switch (kind) {
        case RowBackground::Green:
            return green_;
        case RowBackground::Orange:
            return orange_;
        case RowBackground::Yellow:
            return yellow_;
        case RowBackground::File:
            break;
    }
    return file_;
}

}  // namespace quarrow
