#pragma once

#include <QTableView>

#include "gui/scan/JobRowsModel.h"

namespace quarrow {

// A result list of a scan page: rows 20 pixels high, no headers or grid, one item selected at
// a time; the rows come from a JobRowsModel the view owns.
class VirtualListView : public QTableView {
public:
    VirtualListView(RowSource source, QWidget* parent);

    JobRowsModel& rows() { return *model_; }
    int itemCount() const { return model_->itemCount(); }
    int selectedItem() const;
    void selectItem(int item);
    // Brings the row count to `items`; the selected item stays selected when it still exists
    // and `keepSelection` is set.
    void setItemCount(int items, bool keepSelection);

private:
    JobRowsModel* model_;
};

}  // namespace quarrow
