#include "gui/widgets/Gradient.h"

#include <QPainter>
#include <cmath>

namespace quarrow {
namespace {

int blend(int from, int to, double t) {
    return static_cast<int>(from + (to - from) * t);
}

QColor mix(const QColor& from, const QColor& to, double t) {
    return QColor(blend(from.red(), to.red(), t), blend(from.green(), to.green(), t),
                  blend(from.blue(), to.blue(), t));
}

}  // namespace

std::vector<QColor> gradientLines(int extent, const std::vector<QColor>& colours) {
    if (colours.size() < 2 || extent <= 0) return {};
    const int bands = static_cast<int>(colours.size()) - 1;
    const int band = static_cast<int>(std::lround(static_cast<double>(extent) / bands));
    std::vector<QColor> lines(static_cast<std::size_t>(extent), colours.back());
    for (int k = 0; k < bands; ++k) {
        const int start = k * band;
        const int length = k == bands - 1 ? extent - start - 1 : band;
        for (int i = 0; i <= length; ++i) {
            const int at = start + i;
            if (at < 0 || at >= extent) continue;
            const double t = length <= 1 ? 1.0 : static_cast<double>(i) / length;
            lines[static_cast<std::size_t>(at)] = mix(colours[k], colours[k + 1], t);
        }
    }
    return lines;
}

void GradientFill(QPainter& painter, const QRect& rect, Qt::Orientation orientation,
                  const std::vector<QColor>& colours) {
    const bool horizontal = orientation == Qt::Horizontal;
    const auto lines = gradientLines(horizontal ? rect.width() : rect.height(), colours);
    if (lines.empty()) return;
    const QPen saved = painter.pen();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        painter.setPen(lines[i]);
        const int at = static_cast<int>(i);
        if (horizontal)
            painter.drawLine(rect.left() + at, rect.top(), rect.left() + at, rect.bottom());
        else
            painter.drawLine(rect.left(), rect.top() + at, rect.right(), rect.top() + at);
    }
    painter.setPen(saved);
}

}  // namespace quarrow
