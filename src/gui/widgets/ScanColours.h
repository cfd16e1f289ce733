#pragma once

#include <QColor>

namespace quarrow {

// The window's fixed colours.
inline const QColor kWindowColour(217, 218, 221);
inline const QColor kListBackground(235, 235, 235);
inline const QColor kWatchListBackground(226, 226, 226);
inline const QColor kRowNumberColour(0, 0, 255);

}  // namespace quarrow
