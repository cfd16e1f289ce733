#include "gui/watch/TNevForm.h"

#include <QActionGroup>
#include <QClipboard>
#include <QCursor>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QScreen>
#include <QShowEvent>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <ctime>

#include "engine/Translate.h"
#include "gui/shell/FormDialogs.h"
#include "gui/shell/FormLanguage.h"
#include "gui/watch/NewFilesModel.h"
#include "gui/widgets/QtText.h"
#include "gui/widgets/RevealAddress.h"
#include "watch/CheckResult.h"
#include "watch/WatchContext.h"

namespace quarrow {
namespace {

const QColor kBackground(240, 241, 244);
constexpr QSize kDesignedSize(544, 390);
constexpr int kPanelWidths[] = {200, 220};
constexpr int kColumnWidths[] = {300, 70, 75};
// How much of a window must lie on a screen for the user to reach it.
constexpr int kReachable = 40;

}  // namespace

TNevForm::TNevForm(WatchContext& watch, FormDialogs& dialogs)
    : QWidget(nullptr), watch_(watch), dialogs_(dialogs), model_(new NewFilesModel(watch, this)) {
    setObjectName(QStringLiteral("NevForm"));
    setWindowTitle(QStringLiteral("Новые файлы"));
    // Only the main window's closing ends the program.
    setAttribute(Qt::WA_QuitOnClose, false);
    buildMenus();
    buildViews();
    resize(kDesignedSize);
    setViewStyle(0);
}

void TNevForm::buildMenus() {
    PopupMenu1 = newMenu("PopupMenu1");
    viewGroup_ = new QActionGroup(this);
    const std::pair<const char*, const char*> views[] = {
        {"N2", "Таблица"}, {"N1", "Лист"}, {"N3", "Значки"}, {"N4", "Плитка"}};
    for (int tag = 0; tag < 4; ++tag) {
        QAction* item =
            menuItem(PopupMenu1, views[tag].first, QString::fromUtf8(views[tag].second));
        item->setCheckable(true);
        item->setData(tag);
        viewGroup_->addAction(item);
        connect(item, &QAction::triggered, this, [this, tag] { setViewStyle(tag); });
    }
    connect(PopupMenu1, &QMenu::aboutToShow, this, &TNevForm::PopupMenu1Popup);

    PopupMenu3 = newMenu("PopupMenu3");
    const auto fileItem = [this](const char* name, const QString& caption, Qt::Key key,
                                 void (TNevForm::*click)()) {
        QAction* item = menuItem(PopupMenu3, name, caption);
        item->setShortcut(QKeySequence(Qt::CTRL | key));
        QWidget::addAction(item);  // so that the short cut works while the menu is closed
        connect(item, &QAction::triggered, this, click);
        return item;
    };
    N5 = fileItem("N5", QStringLiteral("Копировать путь к файлу"), Qt::Key_C, &TNevForm::N5Click);
    N6 = fileItem("N6", QStringLiteral("Скачать файл..."), Qt::Key_D, &TNevForm::N6Click);
    N7 = fileItem("N7", QStringLiteral("Сохранить результат сканирования.."), Qt::Key_S,
                  &TNevForm::N7Click);
    connect(PopupMenu3, &QMenu::aboutToShow, this, &TNevForm::PopupMenu3Popup);

    PopupMenu2 = newMenu("PopupMenu2");
    serverGroup_ = new QActionGroup(this);
}

QMenu* TNevForm::newMenu(const char* name) {
    auto* menu = new QMenu(this);
    menu->setObjectName(QString::fromLatin1(name));
    return menu;
}

QAction* TNevForm::menuItem(QMenu* menu, const char* name, const QString& caption) {
    QAction* item = menu->addAction(caption);
    item->setObjectName(QString::fromLatin1(name));
    return item;
}

QToolButton* TNevForm::addMenuButton(const char* name, const QString& caption, QMenu* menu) {
    auto* button = new QToolButton(this);
    button->setObjectName(QString::fromLatin1(name));
    button->setText(caption);
    button->setMenu(menu);
    button->setPopupMode(QToolButton::MenuButtonPopup);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    // A click beside the arrow opens the menu at the mouse, a little to its right.
    connect(button, &QToolButton::clicked, this,
            [menu] { menu->popup(QCursor::pos() + QPoint(20, 0)); });
    return button;
}

void TNevForm::buildViews() {
    auto* tools = new QToolBar(this);
    tools->setObjectName(QStringLiteral("ToolBar1"));
    tools->addWidget(addMenuButton("ToolButton1", QStringLiteral("Вид.."), PopupMenu1));
    tools->addWidget(addMenuButton("ToolButton2", QStringLiteral("Файл"), PopupMenu3));
    tools->addWidget(addMenuButton("ToolButton3", QStringLiteral("Сервер"), PopupMenu2));

    Files = new QTableView(this);
    Files->setObjectName(QStringLiteral("Files"));
    Files->setModel(model_);
    Files->setWordWrap(false);
    Files->setSelectionBehavior(QAbstractItemView::SelectRows);
    Files->verticalHeader()->hide();
    Files->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    Files->verticalHeader()->setDefaultSectionSize(20);
    Files->horizontalHeader()->setHighlightSections(false);
    for (int column = 0; column < NewFilesModel::ColumnCount; ++column)
        Files->setColumnWidth(column, kColumnWidths[column]);
    // The time column is as wide as the locale's date and time need, the name column takes
    // what the other two leave, whatever the window's width.
    const int timeWidth = Files->fontMetrics().horizontalAdvance(
                              model_->timeText(std::time(nullptr)) + QStringLiteral("00")) +
                          12;
    Files->setColumnWidth(NewFilesModel::TimeColumn,
                          std::max(kColumnWidths[NewFilesModel::TimeColumn], timeWidth));
    Files->horizontalHeader()->setSectionResizeMode(NewFilesModel::NameColumn,
                                                    QHeaderView::Stretch);
    connect(Files->horizontalHeader(), &QHeaderView::sectionClicked, this,
            &TNevForm::FilesColumnClick);

    // The list and icon views show the same rows and share the table's selection.
    FilesIcons = new QListView(this);
    FilesIcons->setObjectName(QStringLiteral("FilesIcons"));
    FilesIcons->setModel(model_);
    FilesIcons->setSelectionModel(Files->selectionModel());
    FilesIcons->setUniformItemSizes(true);

    for (QAbstractItemView* view :
         {static_cast<QAbstractItemView*>(Files), static_cast<QAbstractItemView*>(FilesIcons)}) {
        view->setSelectionMode(QAbstractItemView::SingleSelection);
        view->setEditTriggers(QAbstractItemView::NoEditTriggers);
        view->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(view, &QWidget::customContextMenuRequested, this, [this, view](const QPoint& at) {
            PopupMenu1->popup(view->viewport()->mapToGlobal(at));
        });
        connect(view, &QAbstractItemView::clicked, this, &TNevForm::FilesClick);
        connect(view, &QAbstractItemView::doubleClicked, this, &TNevForm::FilesDblClick);
    }
    connect(Files->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TNevForm::FilesClick);

    views_ = new QStackedWidget(this);
    views_->addWidget(Files);
    views_->addWidget(FilesIcons);

    sbar1 = new QStatusBar(this);
    sbar1->setObjectName(QStringLiteral("sbar1"));
    for (int i = 0; i < 2; ++i) {
        panels_[i] = new QLabel(sbar1);
        panels_[i]->setFixedWidth(kPanelWidths[i]);
        panels_[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        sbar1->addWidget(panels_[i]);
    }
    Edit3 = new QLineEdit(sbar1);
    Edit3->setObjectName(QStringLiteral("Edit3"));
    Edit3->setReadOnly(true);
    sbar1->addWidget(Edit3, 1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(tools);
    layout->addWidget(views_, 1);
    layout->addWidget(sbar1);
}

void TNevForm::showEntry(int entry) {
    hide();
    resetEntryState(entry);
    show();
    raise();
    activateWindow();
}

void TNevForm::clearRows() {
    model_->setRowCount(0);
}

void TNevForm::resetEntryState(int entry) {
    listSortedOnce_ = false;
    model_->setRowCount(0);
    model_->resetIcons();
    tag_ = entry;
    model_->setEntry(entry);
    selectedUrl_.clear();
    Edit3->clear();
}

void TNevForm::chooseEntry(int entry) {
    resetEntryState(entry);
    RefreshWindow();
}

void TNevForm::RefreshNewFiles() {
    if (!isVisible()) return;
    const auto entry = watch_.Table.at(tag_);
    if (!entry) return;
    const auto texts = watch_.Texts();
    panels_[0]->setText(QStringLiteral(" ftp://") + fromSystem(entry->Server + entry->Path));
    panels_[1]->setText(fromSystem(texts->nevfile + std::to_string(entry->NewFileCount.load()) +
                                   texts->nevdir + std::to_string(entry->NewDirCount.load())));
    const int lines = static_cast<int>(entry->NewItems.size());
    // Rows added at the end leave the view's top row where it is.
    if (lines > model_->rowCount()) model_->setRowCount(lines);
    PopupMenu3Popup();
}

void TNevForm::RefreshWindow() {
    // Old items go later: this may run from the triggered signal of one of them.
    for (QAction* item : PopupMenu2->actions()) {
        PopupMenu2->removeAction(item);
        serverGroup_->removeAction(item);
        item->deleteLater();
    }
    for (const WatchTable::Line& line : watch_.Table.lines()) {
        QAction* item = PopupMenu2->addAction(fromSystem(line.text));
        item->setCheckable(true);
        item->setData(line.entry);
        item->setChecked(line.entry == tag_);
        serverGroup_->addAction(item);
        connect(item, &QAction::triggered, this,
                [this, entry = line.entry] { chooseEntry(entry); });
    }

    QPalette colours = palette();
    colours.setColor(QPalette::Window, kBackground);
    colours.setColor(QPalette::Base, kBackground);
    setPalette(colours);

    RefreshNewFiles();
}

void TNevForm::applyLanguage(const LanguageFile& file) {
    ApplyFormLanguage(*this, kNevFormSection, file);
    for (int column = 0; column < NewFilesModel::ColumnCount; ++column) {
        const auto caption =
            file.value(kNevFormSection, "Files.Column[" + std::to_string(column) + "]");
        if (caption) model_->setColumnCaption(column, fromSystem(*caption));
    }
    RefreshNewFiles();
}

void TNevForm::setViewStyle(int style) {
    if (style < 0 || style > 3) style = 0;
    viewStyle_ = style;
    PopupMenu1Popup();
    if (style == 0) {
        views_->setCurrentWidget(Files);
        return;
    }
    // Setting the mode resets flow, wrapping and movement, so it comes first.
    FilesIcons->setViewMode(style == 2 ? QListView::IconMode : QListView::ListMode);
    FilesIcons->setFlow(style == 1 ? QListView::TopToBottom : QListView::LeftToRight);
    FilesIcons->setWrapping(true);
    FilesIcons->setMovement(QListView::Static);
    FilesIcons->setResizeMode(QListView::Adjust);
    FilesIcons->setWordWrap(style == 2);
    FilesIcons->setIconSize(style == 2 ? QSize(32, 32) : QSize(16, 16));
    FilesIcons->setGridSize(style == 2 ? QSize(100, 72) : QSize(200, 20));
    views_->setCurrentWidget(FilesIcons);
}

WindowBounds TNevForm::bounds() const {
    const QRect frame = frameGeometry();
    return {frame.left(), frame.top(), width(), height()};
}

void TNevForm::setBounds(const WindowBounds& saved) {
    QSize size(saved.width > 0 ? saved.width : kDesignedSize.width(),
               saved.height > 0 ? saved.height : kDesignedSize.height());
    QPoint at(saved.left, saved.top);
    const QRect wanted(at, size);
    const auto screens = QGuiApplication::screens();
    const bool reachable = std::any_of(screens.begin(), screens.end(), [&](const QScreen* screen) {
        const QRect shown = screen->availableGeometry().intersected(wanted);
        return shown.width() >= kReachable && shown.height() >= kReachable;
    });
    if (const QScreen* primary = QGuiApplication::primaryScreen(); !reachable && primary) {
        const QRect area = primary->availableGeometry();
        size = size.boundedTo(area.size());
        at = {std::clamp(at.x(), area.left(), area.left() + area.width() - size.width()),
              std::clamp(at.y(), area.top(), area.top() + area.height() - size.height())};
    }
    resize(size);
    move(at);
}

QString TNevForm::statusPanel(int panel) const {
    return panel >= 0 && panel < 2 ? panels_[panel]->text() : QString();
}

TMainObj TNevForm::selectedItem() const {
    const QModelIndexList selected = Files->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? TMainObj{} : model_->item(selected.front().row());
}

void TNevForm::FilesClick() {
    RefreshNewFiles();
    const auto entry = watch_.Table.at(tag_);
    const TMainObj item = selectedItem();
    if (!entry || item.FullName.empty()) return;
    selectedUrl_ = QStringLiteral("ftp://") + fromSystem(entry->Server + item.FullName);
    Edit3->setText(selectedUrl_);
}

void TNevForm::FilesDblClick() {
    const auto entry = watch_.Table.at(tag_);
    const TMainObj item = selectedItem();
    if (!entry || item.FullName.empty()) return;
    // The item's folder (a folder item's own), handed to the desktop as an address.
    dialogs_.openUrl(revealUrl(entry->Server + item.FullName));
}

void TNevForm::FilesColumnClick(int) {
    const auto entry = watch_.Table.at(tag_);
    if (!entry) return;
    const bool changed = listSortedOnce_ ? entry->NewItems.reverse() : entry->NewItems.sortByLine();
    if (!changed) return;
    listSortedOnce_ = true;
    model_->repaint();
}

void TNevForm::PopupMenu1Popup() {
    for (QAction* item : viewGroup_->actions())
        item->setChecked(item->data().toInt() == viewStyle_);
}

void TNevForm::PopupMenu3Popup() {
    const auto entry = watch_.Table.at(tag_);
    const TMainObj item = selectedItem();
    const bool file = !item.FullName.empty() && !item.IsFolder;
    N6->setEnabled(file && static_cast<bool>(download_));
    N5->setEnabled(file);
    N7->setEnabled(entry && entry->NewItems.size() > 0);
}

void TNevForm::N5Click() {
    QGuiApplication::clipboard()->setText(selectedUrl_);
}

void TNevForm::N6Click() {
    const auto entry = watch_.Table.at(tag_);
    const TMainObj item = selectedItem();
    if (!entry || item.FullName.empty() || item.IsFolder || !download_) return;
    download_(*entry, item.FullName);
}

void TNevForm::setDownloader(Downloader download) {
    download_ = std::move(download);
    PopupMenu3Popup();
}

void TNevForm::N7Click() {
    const auto entry = watch_.Table.at(tag_);
    if (!entry) return;
    const auto choice = dialogs_.saveWatchResult(this, QString(), 1);
    if (!choice || choice->fileName.isEmpty()) return;
    const auto comments = watch_.Engine.CommentLines();
    std::string error;
    if (!SaveScanResult(*entry, toSystem(choice->fileName), choice->filterIndex,
                        comments ? *comments : std::vector<std::string>{}, std::time(nullptr),
                        &error))
        dialogs_.error(this, QString::fromUtf8(error));
}

void TNevForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous()) RefreshWindow();
}

}  // namespace quarrow
