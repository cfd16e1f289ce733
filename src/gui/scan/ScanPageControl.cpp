#include "gui/scan/ScanPageControl.h"

#include <QPainter>

#include "gui/widgets/Gradient.h"

namespace quarrow {

std::vector<QColor> tabGradient(TabColour colour) {
    switch (colour) {
        case TabColour::Connected:
            return {QColor(227, 249, 232), QColor(153, 234, 167), QColor(72, 217, 98)};
        case TabColour::Archive:
            return {QColor(221, 238, 255), QColor(102, 179, 255), QColor(0, 85, 170)};
        case TabColour::Other:
            break;
    }
    return {QColor(255, 224, 193), QColor(255, 153, 51), QColor(242, 121, 0)};
}

ScanTabBar::ScanTabBar(QWidget* parent) : QTabBar(parent) {
    setMouseTracking(true);
}

void ScanTabBar::setColourSource(std::function<TabColour(int)> source) {
    colourSource_ = std::move(source);
    update();
}

TabColour ScanTabBar::colourOf(int index) const {
    return colourSource_ ? colourSource_(index) : TabColour::Other;
}

void ScanTabBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QFontMetrics metrics(font());
    for (int i = 0; i < count(); ++i) {
        const QRect tab = tabRect(i);
        painter.save();
        painter.setClipRect(tab);
        GradientFill(painter, tab, Qt::Vertical, tabGradient(colourOf(i)));
        const QString text = tabText(i);
        const int x = tab.left() + tab.width() / 2 - metrics.horizontalAdvance(text) / 2;
        const int y = tab.top() + tab.height() / 2 - metrics.height() / 2 - 2;
        painter.setPen(Qt::black);
        painter.drawText(QRect(x, y, metrics.horizontalAdvance(text) + 1, metrics.height()),
                         Qt::AlignLeft | Qt::AlignTop, text);
        if (i == currentIndex()) {
            painter.setPen(palette().color(QPalette::Dark));
            painter.drawRect(tab.adjusted(0, 0, -1, -1));
        }
        painter.restore();
    }
}

ScanPageControl::ScanPageControl(QWidget* parent) : QTabWidget(parent), bar_(new ScanTabBar(this)) {
    setTabBar(bar_);
    setTabPosition(QTabWidget::South);
    setDocumentMode(true);
}

}  // namespace quarrow
