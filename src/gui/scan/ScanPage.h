#pragma once

#include <QWidget>

#include "gui/scan/JobRowsModel.h"

class QLabel;
class QVBoxLayout;

namespace quarrow {

class RowBackgrounds;
class VirtualListView;

inline constexpr int kFolderListTag = 10;
inline constexpr int kArchiveFolderListTag = 7777777;
inline constexpr int kFileListTag = 20;

// The page of one scan job (or of the loaded archive) in the scan-page area: the folder label
// and list, a splitter, the file label and list, and room at the bottom for the status box
// while the page is shown. Its "tag" property is the job number.
class ScanPage : public QWidget {
public:
    struct Sources {
        RowSource folders, files;
    };

    ScanPage(int jobNumber, bool archive, const Sources& sources, const RowBackgrounds& backgrounds,
             QWidget* parent);

    int jobNumber() const { return jobNumber_; }
    bool isArchive() const { return archive_; }
    VirtualListView* folderList() const { return folderList_; }
    VirtualListView* fileList() const { return fileList_; }
    QLabel* folderLabel() const { return folderLabel_; }
    QLabel* fileLabel() const { return fileLabel_; }

    // Moves the status box onto this page, below the lists.
    void attachStatusBox(QWidget* box);

private:
    int jobNumber_;
    bool archive_;
    QLabel* folderLabel_;
    QLabel* fileLabel_;
    VirtualListView* folderList_;
    VirtualListView* fileList_;
    QVBoxLayout* layout_;
};

}  // namespace quarrow
