#pragma once

#include <QWidget>
#include <functional>
#include <string>

#include "engine/Settings.h"
#include "watch/TMainObj.h"

class QAction;
class QActionGroup;
class QLabel;
class QLineEdit;
class QListView;
class QMenu;
class QStackedWidget;
class QStatusBar;
class QTableView;
class QToolButton;

namespace quarrow {

class FormDialogs;
class LanguageFile;
class NewFilesModel;
class WatchContext;
struct WatchEntry;

// The new-files window: what the last or running check of one watch entry found, with size
// and modification time, shown as a table or as list, icons or small icons. From it the user
// copies an item's address, opens its folder, saves the whole result and switches to another
// entry of the watch list. A top-level window of its own, created once and only hidden when
// closed; the watch tab tells it which entry to show and when a check has progressed.
class TNevForm : public QWidget {
public:
    TNevForm(WatchContext& watch, FormDialogs& dialogs);

    // The entry shown (the list's tag), -1 before any.
    int entryTag() const { return tag_; }
    // Shows `entry` afresh: no rows, no sort state, no cached icons, then a full refresh.
    void showEntry(int entry);
    // A new check of the shown entry starts: the list shows nothing until refreshed.
    void clearRows();
    // While visible: the status bar, and more rows when the new-items list has grown (the
    // row count never shrinks here).
    void RefreshNewFiles();
    // The server menu, the colours, then RefreshNewFiles.
    void RefreshWindow();
    // Captions, title and column captions from the file's section "NevForm".
    void applyLanguage(const LanguageFile& file);

    // 0 table, 1 list, 2 icons, 3 small icons.
    int ViewStyleSetting() const { return viewStyle_; }
    void setViewStyle(int style);

    // The frame's position and the inner size, as the settings file keeps them.
    WindowBounds bounds() const;
    // Applies saved bounds; a window that would lie off every screen is brought back onto the
    // primary screen's available area.
    void setBounds(const WindowBounds& saved);

    // What the copy item copies: the address of the last clicked item.
    QString SelectedUrl() const { return selectedUrl_; }
    QString statusPanel(int panel) const;
    NewFilesModel& rows() { return *model_; }

    // Handlers of the list, the menus and their items.
    void FilesClick();
    void FilesDblClick();
    void FilesColumnClick(int column);
    void PopupMenu1Popup();
    void PopupMenu3Popup();
    void N5Click();
    void N6Click();
    // What "Скачать файл..." does with the selected file of the shown entry; until it is set
    // the item stays disabled.
    using Downloader = std::function<void(const WatchEntry& entry, const std::string& fullName)>;
    void setDownloader(Downloader download);
    void N7Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildViews();
    void buildMenus();
    QToolButton* addMenuButton(const char* name, const QString& caption, QMenu* menu);
    QMenu* newMenu(const char* name);
    QAction* menuItem(QMenu* menu, const char* name, const QString& caption);
    void chooseEntry(int entry);
    void resetEntryState(int entry);
    // The item of the selected row; an empty one without a selection.
    TMainObj selectedItem() const;

    WatchContext& watch_;
    FormDialogs& dialogs_;
    NewFilesModel* model_ = nullptr;
    int tag_ = -1;
    int viewStyle_ = 0;
    bool listSortedOnce_ = false;
    QString selectedUrl_;

    QStackedWidget* views_ = nullptr;
    QTableView* Files = nullptr;
    QListView* FilesIcons = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QMenu* PopupMenu2 = nullptr;
    QMenu* PopupMenu3 = nullptr;
    QActionGroup* viewGroup_ = nullptr;
    QActionGroup* serverGroup_ = nullptr;
    QAction* N5 = nullptr;
    QAction* N6 = nullptr;
    Downloader download_;
    QAction* N7 = nullptr;
    QStatusBar* sbar1 = nullptr;
    QLabel* panels_[2] = {nullptr, nullptr};
    QLineEdit* Edit3 = nullptr;
};

}  // namespace quarrow
