#pragma once

#include <QColor>
#include <QRect>
#include <vector>

class QPainter;

namespace quarrow {

// The colour of each line across a gradient `extent` lines long through `colours`: the extent
// is cut into one band per pair of neighbouring colours, each as long as extent / bands
// rounded, the last band taking what is left less one line; each band blends its two colours
// linearly, channel values truncated. Empty for fewer than two colours.
std::vector<QColor> gradientLines(int extent, const std::vector<QColor>& colours);

// Paints `rect` line by line with gradientLines: columns left to right when horizontal, rows
// top to bottom otherwise. The painter's pen is restored afterwards.
void GradientFill(QPainter& painter, const QRect& rect, Qt::Orientation orientation,
                  const std::vector<QColor>& colours);

}  // namespace quarrow
