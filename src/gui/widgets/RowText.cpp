#include "gui/widgets/RowText.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

namespace quarrow {

QFont numberFont(const QFont& base) {
    QFont font = base;
    if (font.pointSizeF() > 0) font.setPointSizeF(std::max(font.pointSizeF() - 2, 1.0));
    return font;
}

int drawBottomAligned(QPainter& painter, const QRect& row, int x, int gap, const QString& text) {
    const QFontMetrics metrics(painter.font());
    const int baseline = row.bottom() - gap - metrics.descent();
    painter.drawText(x, baseline, text);
    return metrics.horizontalAdvance(text);
}

}  // namespace quarrow
