#include <QAction>
#include <QClipboard>
#include <QDateTime>
#include <QHeaderView>
#include <QListView>
#include <QLocale>
#include <QMenu>
#include <QScreen>
#include <QStackedWidget>
#include <QTableView>
#include <atomic>
#include <thread>

#include "engine/EngineContext.h"
#include "engine/Translate.h"
#include "gui/GuiFixture.h"
#include "gui/watch/NewFilesModel.h"
#include "gui/watch/TNevForm.h"
#include "watch/TimerQueue.h"
#include "watch/WatchContext.h"

namespace quarrow::test {
namespace {

constexpr std::time_t kTime = 1700000000;

TMainObj file(const std::string& fullName, std::uint32_t size) {
    return {size, kTime, fullName, false};
}

TMainObj folder(const std::string& fullName) {
    return {0, kTime, fullName, true};
}

// A watch list over a temporary program folder, with the new-files window over it.
struct NevWindow {
    NevWindow() { watch.setTexts(LoadWatchTexts(languageFilePath(program.path(), 0))); }

    int addEntry(const std::string& line, const std::vector<TMainObj>& items) {
        const int index = watch.Table.add();
        entry(index)->Server = "ftp.example.org";
        entry(index)->Path = "/pub/";
        for (const TMainObj& item : items) entry(index)->NewItems.append(item);
        watch.Table.appendLine(index, line, false);
        return index;
    }
    std::shared_ptr<WatchEntry> entry(int index) const { return watch.Table.at(index); }
    int rowCount() { return form.rows().rowCount(); }
    QString cell(int row, int column) {
        return form.rows().data(form.rows().index(row, column), Qt::DisplayRole).toString();
    }
    QStringList names() {
        QStringList all;
        for (int row = 0; row < rowCount(); ++row) all.append(cell(row, 0).trimmed());
        return all;
    }
    QTableView* table() { return form.findChild<QTableView*>(QStringLiteral("Files")); }
    QAction* action(const char* name) {
        auto* found = form.findChild<QAction*>(QString::fromLatin1(name));
        if (!found) qFatal("no action %s", name);
        return found;
    }
    QPoint rowCentre(int row) { return table()->visualRect(form.rows().index(row, 0)).center(); }

    ProgramFolder program;
    EngineContext engine{program.path()};
    TimerQueue timers;
    WatchContext watch{engine, timers};
    FakeDialogs dialogs;
    TNevForm form{watch, dialogs};
};

const std::vector<TMainObj> kItems = {file("/pub/music/Song.MP3", 1500000),
                                      folder("/pub/music/new/"), file("/pub/readme.txt", 999)};

}  // namespace

// The new-files window over a filled watch entry, without a server.
class GuiNewFilesTest : public QObject {
    Q_OBJECT

private slots:
    void rowsGrowWithTheListOnlyWhileShownAndNeverShrink() {
        NevWindow a;
        const int e = a.addEntry("one", {kItems[0], kItems[1]});
        a.entry(e)->NewFileCount = 3;
        a.entry(e)->NewDirCount = 1;
        a.form.showEntry(e);
        QCOMPARE(a.form.statusPanel(0), QStringLiteral(" ftp://ftp.example.org/pub/"));
        QCOMPARE(a.form.statusPanel(1), QStringLiteral("New files: 3, new folders: 1"));
        a.form.hide();
        a.entry(e)->NewItems.append(kItems[2]);
        a.form.RefreshNewFiles();
        QCOMPARE(a.rowCount(), 2);
        a.form.show();
        QCOMPARE(a.rowCount(), 3);
        const QString when =
            QLocale().toString(QDateTime::fromSecsSinceEpoch(kTime).date(), QLocale::ShortFormat);
        const QStringList shown = {QStringLiteral("   Song.MP3|1.50 Mb"), QStringLiteral("   new|"),
                                   QStringLiteral("   readme.txt|999 bytes")};
        for (int row = 0; row < 3; ++row) {
            QCOMPARE(a.cell(row, 0) + QLatin1Char('|') + a.cell(row, 1), shown[row]);
            QVERIFY(a.cell(row, 2).startsWith(when + QLatin1Char(' ')));
            const auto icon = a.form.rows().data(a.form.rows().index(row, 0), Qt::DecorationRole);
            QVERIFY(!icon.value<QIcon>().isNull());
        }
        // A new check clears the rows until the next refresh; a list that shrinks under the
        // view leaves blank rows.
        a.form.clearRows();
        QCOMPARE(a.rowCount(), 0);
        a.form.RefreshNewFiles();
        QCOMPARE(a.rowCount(), 3);
        a.entry(e)->NewItems.clear();
        a.form.RefreshNewFiles();
        QVERIFY(a.rowCount() == 3 && a.cell(0, 0).isEmpty());
    }

    void aCheckAppendingMeanwhileLeavesConsistentRows() {
        NevWindow a;
        const int e = a.addEntry("one", {});
        a.form.showEntry(e);
        constexpr int kCount = 3000;
        std::atomic<bool> done{false};
        std::thread check([&] {
            for (int i = 0; i < kCount; ++i)
                a.entry(e)->NewItems.append(file("/d/f" + std::to_string(i), i % 999 + 1));
            done = true;
        });
        while (!done) {
            a.form.FilesColumnClick(0);
            a.form.RefreshNewFiles();
            for (int row = 0; row < std::min(a.rowCount(), 20); ++row) a.cell(row, 1);
        }
        check.join();
        a.form.RefreshNewFiles();
        QCOMPARE(a.rowCount(), kCount);
        // Each row shows one item whole, and every item appears once.
        for (int row = 0; row < kCount; ++row) {
            const int i = a.cell(row, 0).trimmed().mid(1).toInt();
            QCOMPARE(a.cell(row, 1), QStringLiteral("%1 bytes").arg(i % 999 + 1));
        }
        QStringList names = a.names();
        names.removeDuplicates();
        QCOMPARE(names.size(), kCount);
    }

    void headerClicksSortThenReverseUntilTheServerMenuSwitchesEntry() {
        NevWindow a;
        const int e = a.addEntry("one", {file("/x/b.mp3", 1), folder("/pub/A/"),
                                         file("/x/c.mp3", 1), file("/x/a.mp3", 1)});
        const int other = a.addEntry("two \xE4\xE2\xE0", {kItems[0]});
        a.form.showEntry(e);
        QHeaderView* header = a.table()->horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(1) + 5, 5));
        const QStringList ascending = listOf("A|a.mp3|b.mp3|c.mp3");
        QCOMPARE(a.names(), ascending);
        a.form.FilesColumnClick(2);
        QCOMPARE(a.names(), (QStringList{ascending.rbegin(), ascending.rend()}));

        // The server menu lists the watch lines, the shown entry checked; after another entry
        // was shown the next click sorts again instead of reversing.
        auto* servers = a.form.findChild<QMenu*>(QStringLiteral("PopupMenu2"));
        const auto menu = [&] {
            QStringList items;
            for (QAction* item : servers->actions())
                items.append(item->text() + (item->isChecked() ? QStringLiteral(" *") : QString()));
            return items;
        };
        QCOMPARE(menu(), (QStringList{QStringLiteral("one *"), QStringLiteral("two два")}));
        a.entry(e)->NewItems.append(file("/x/d.mp3", 1));
        servers->actions().at(other)->trigger();
        QVERIFY(a.form.entryTag() == other && a.rowCount() == 1);
        QCOMPARE(menu(), (QStringList{QStringLiteral("one"), QStringLiteral("two два *")}));
        servers->actions().at(e)->trigger();
        a.form.FilesColumnClick(0);
        QCOMPARE(a.names(), ascending + QStringList{QStringLiteral("d.mp3")});
    }

    void saveClickCopyDoubleClickAndViewItemsActOnTheShownRows() {
        NevWindow a;
        a.form.showEntry(a.addEntry("one", kItems));
        // The chosen filter picks what is written (filter 1 would write addresses); a folder
        // that does not exist is an error. The dialog opens on filter 1 each time.
        a.dialogs.saves = {{a.program.file("second"), 2}, {a.program.file("missing/x"), 1}};
        a.action("N7")->trigger();
        QCOMPARE(a.program.bytes("second.txt").value_or("").substr(0, 10),
                 std::string("Song.MP3\r\n"));
        QVERIFY(a.dialogs.errors.isEmpty());
        a.action("N7")->trigger();
        QVERIFY(a.dialogs.errors.size() == 1 && a.dialogs.filters == (QList<int>{1, 1}));

        // A click shows the address, Ctrl+C copies it, a double click opens the folder.
        QTest::mouseClick(a.table()->viewport(), Qt::LeftButton, {}, a.rowCentre(1));
        QVERIFY2(!a.action("N5")->isEnabled(), "a folder cannot be copied as a file");
        QTest::mouseClick(a.table()->viewport(), Qt::LeftButton, {}, a.rowCentre(0));
        const QString address = QStringLiteral("ftp://ftp.example.org/pub/music/Song.MP3");
        QCOMPARE(a.form.findChild<QLineEdit*>(QStringLiteral("Edit3"))->text(), address);
        QVERIFY(a.action("N5")->isEnabled());
        QVERIFY2(!a.action("N6")->isEnabled(), "no downloader is set");
        QVERIFY(QTest::qWaitForWindowActive(&a.form));
        a.table()->setFocus();
        QTest::keyClick(a.table(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), address);

        // A file opens its folder, a folder itself.
        for (int row : {0, 1}) {
            QTest::mouseClick(a.table()->viewport(), Qt::LeftButton, {}, a.rowCentre(row));
            QTest::mouseDClick(a.table()->viewport(), Qt::LeftButton, {}, a.rowCentre(row));
        }
        QCOMPARE(a.dialogs.urls,
                 (QList<QUrl>{QUrl(QStringLiteral("ftp://ftp.example.org/pub/music/")),
                              QUrl(QStringLiteral("ftp://ftp.example.org/pub/music/new/"))}));

        // The view items switch the view style.
        auto* views = a.form.findChild<QStackedWidget*>();
        auto* icons = a.form.findChild<QListView*>(QStringLiteral("FilesIcons"));
        a.action("N3")->trigger();
        QCOMPARE(a.form.ViewStyleSetting(), 2);
        QVERIFY(views->currentWidget() == icons && icons->viewMode() == QListView::IconMode);
        a.action("N2")->trigger();
        QVERIFY(a.form.ViewStyleSetting() == 0 && views->currentWidget() == a.table());
        a.form.setViewStyle(1);
        QVERIFY(a.action("N1")->isChecked() && !a.action("N2")->isChecked());
    }

    void boundsOffEveryScreenComeBack() {
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        const WindowBounds cases[] = {{5000, 5000, 544, 390},
                                      {-3000, 40, 300, 200},
                                      {area.left() + 10, area.top() + 20, 300, 200}};
        for (const WindowBounds& saved : cases) {
            NevWindow a;
            a.form.setBounds(saved);
            const WindowBounds b = a.form.bounds();
            QVERIFY(area.contains(QRect(b.left, b.top, b.width, b.height)));
            QCOMPARE(b.width, saved.width);
            if (area.contains(QPoint(saved.left, saved.top)))
                QCOMPARE(QPoint(b.left, b.top), QPoint(saved.left, saved.top));
        }
    }
};

QUARROW_GUI_SUITE(GuiNewFilesTest)

}  // namespace quarrow::test

#include "GuiNewFilesTest.moc"
