#pragma once

#include <QFont>
#include <QString>

class QPainter;
class QRect;

namespace quarrow {

// The smaller font of row numbers and watch lines: two points below `base`.
QFont numberFont(const QFont& base);

// Draws `text` from `x` with its baseline so that its descent ends `gap` pixels above the
// bottom of `row`; returns its width.
int drawBottomAligned(QPainter& painter, const QRect& row, int x, int gap, const QString& text);

}  // namespace quarrow
