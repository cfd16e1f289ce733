#include "gui/scan/ScanPage.h"

#include <QLabel>
#include <QSplitter>
#include <QVBoxLayout>

#include "gui/scan/RowDelegate.h"
#include "gui/scan/VirtualListView.h"

namespace quarrow {
namespace {

QLabel* taggedLabel(int tag, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setProperty("tag", tag);
    return label;
}

QWidget* listBlock(QLabel* label, VirtualListView* list, QWidget* parent) {
    auto* block = new QWidget(parent);
    auto* layout = new QVBoxLayout(block);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    layout->addWidget(label);
    layout->addWidget(list, 1);
    return block;
}

}  // namespace

ScanPage::ScanPage(int jobNumber, bool archive, const Sources& sources,
                   const RowBackgrounds& backgrounds, QWidget* parent)
    : QWidget(parent), jobNumber_(jobNumber), archive_(archive) {
    setProperty("tag", jobNumber);
    setProperty("hint", QString::number(archive ? kArchiveFolderListTag : kFolderListTag));

    folderLabel_ = taggedLabel(11, this);
    fileLabel_ = taggedLabel(22, this);
    folderList_ = new VirtualListView(sources.folders, this);
    folderList_->setProperty("tag", archive ? kArchiveFolderListTag : kFolderListTag);
    folderList_->setItemDelegate(
        new RowDelegate(RowDelegate::Kind::Folders, backgrounds, folderList_));
    fileList_ = new VirtualListView(sources.files, this);
    fileList_->setProperty("tag", kFileListTag);
    fileList_->setItemDelegate(new RowDelegate(RowDelegate::Kind::Files, backgrounds, fileList_));
    fileList_->rows().setColumns(2);

    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->setHandleWidth(2);
    splitter->setStyleSheet(
        QStringLiteral("QSplitter::handle { background: palette(highlight); }"));
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(listBlock(folderLabel_, folderList_, splitter));
    splitter->addWidget(listBlock(fileLabel_, fileList_, splitter));
    // The folder list takes a third of the height, the file list the rest.
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 2);
    splitter->setSizes({100, 200});

    layout_ = new QVBoxLayout(this);
    layout_->setContentsMargins(2, 2, 2, 2);
    layout_->setSpacing(2);
    layout_->addWidget(splitter, 1);
}

void ScanPage::attachStatusBox(QWidget* box) {
    if (box->parentWidget() == this) return;
    box->setParent(this);
    layout_->addWidget(box);
}

}  // namespace quarrow
