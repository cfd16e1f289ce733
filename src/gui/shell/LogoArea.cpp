#include "gui/shell/LogoArea.h"

#include <QPainter>

#include "gui/widgets/ScanColours.h"

namespace quarrow {
namespace {

void drawCentred(QPainter& painter, int width, int middle, const QString& text) {
    const QFontMetrics metrics(painter.font());
    const int x = width / 2 - metrics.horizontalAdvance(text) / 2;
    painter.drawText(x, middle - metrics.height() / 2 + metrics.ascent(), text);
}

}  // namespace

LogoArea::LogoArea(QWidget* parent) : QWidget(parent) {}

void LogoArea::setVersion(const QString& version) {
    version_ = version;
    update();
}

void LogoArea::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), kWindowColour);
    painter.setPen(Qt::white);
    const int middle = height() / 2;
    QFont title(QStringLiteral("Roman"));
    title.setPointSize(24);
    painter.setFont(title);
    drawCentred(painter, width(), middle, QStringLiteral("QuarrowBrisk"));
    QFont small(QStringLiteral("Arial"));
    small.setPointSize(9);
    painter.setFont(small);
    drawCentred(painter, width(), middle + 24, version_);
}

}  // namespace quarrow
