#pragma once

#include <QPixmap>

namespace quarrow {

enum class RowBackground { File, Green, Orange, Yellow };

// The pre-rendered row backgrounds of the result and watch lists, stretched over each row as
// it is drawn and regenerated only when the window is resized.
class RowBackgrounds {
public:
    RowBackgrounds();

    // Renders every bitmap at `size` (the list's row height, half its width).
    void resize(const QSize& size);
    const QPixmap& pixmap(RowBackground kind) const;

private:
    QPixmap file_, green_, orange_, yellow_;
};

}  // namespace quarrow
