#include "gui/scan/VirtualListView.h"

#include <QHeaderView>

#include "gui/widgets/ScanColours.h"

namespace quarrow {

constexpr int kRowHeight = 20;

VirtualListView::VirtualListView(RowSource source, QWidget* parent)
    : QTableView(parent), model_(new JobRowsModel(std::move(source), this)) {
    setModel(model_);
    horizontalHeader()->hide();
    verticalHeader()->hide();
    horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(kRowHeight);
    verticalHeader()->setMinimumSectionSize(1);
    setShowGrid(false);
    setWordWrap(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setIconSize(QSize(16, 16));
    QPalette colours = palette();
    colours.setColor(QPalette::Base, kListBackground);
    setPalette(colours);
}

int VirtualListView::selectedItem() const {
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : model_->itemAt(selected.front());
}

void VirtualListView::selectItem(int item) {
    const QModelIndex index = model_->indexOfItem(item);
    if (!index.isValid()) return;
    selectionModel()->select(index, QItemSelectionModel::ClearAndSelect);
    scrollTo(index);
}

void VirtualListView::setItemCount(int items, bool keepSelection) {
    if (items == model_->itemCount()) return;
    const int selected = selectedItem();
    model_->setItemCount(items);
    if (keepSelection && selected >= 0 && selected < items) selectItem(selected);
}

}  // namespace quarrow
