#include <QKeyEvent>
#include <QTimer>

#include "engine/SnapshotContainer.h"
#include "engine/SnapshotFile.h"
#include "engine/SnapshotHeader.h"
#include "gui/GuiFixture.h"
#include "gui/archive/ArchiveTab.h"
#include "gui/widgets/RevealAddress.h"
#include "platform/Cp1251.h"

namespace quarrow::test {
namespace {

// A snapshot from the engine's writer functions for ftp.example.org; the second file refers
// back to the first one's folder.
std::string writtenSnapshot() {
    StringList dirs, names;
    for (const char* dir : {"/музыка/рок концерты/", "0", "/pub/misc #1/"})
        dirs.append(utf8ToCp1251(dir));
    for (const char* name : {"Рок концерт live.mp3", "Второй концерт.ogg", "song of songs.mp3"})
        names.append(utf8ToCp1251(name));
    const SnapshotHeaderTexts texts{"Snapshot of ftp://", "Created: ", "Files: ", ""};
    const auto header = buildSnapshotHeader(texts, "ftp.example.org", "/", 3, "anonymous", {},
                                            "*.*", "01.02.2026_10.00.00");
    return packSnapshot("written.qrnet", buildSnapshotContent(header, dirs, names));
}

// Types `text` into the box key by key, each key pressed and released, without waiting.
void typeKeys(QWidget* box, const QString& text) {
    for (const QChar c : text) {
        QTest::sendKeyEvent(QTest::Press, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

void retype(QComboBox* box, const QString& text) {
    box->lineEdit()->selectAll();
    QTest::keyClick(box, Qt::Key_Backspace);
    typeKeys(box, text);
}

// A click on a row of the archive list: selects it and toggles its check mark.
void clickRow(QListWidget* list, int row) {
    list->setCurrentRow(row);
    emit list->itemClicked(list->item(row));
}

void doubleClickItem(VirtualListView* list, int item) {
    const QPoint at = list->visualRect(list->rows().indexOfItem(item)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

// Archive actions that only count the calls.
struct CountingActions : ArchiveActions {
    explicit CountingActions(int* calls, const bool* loading) : calls_(calls), loading_(loading) {}
    void LoadArchives() override { ++calls_[0]; }
    void SearchKeyDown() override { ++calls_[1]; }
    void SearchKeyUp() override { ++calls_[2]; }
    void PageClosed() override { ++calls_[3]; }
    bool Loading() const override { return *loading_; }
    int* calls_;
    const bool* loading_;
};

QStringList sorted(QListWidget* list) {
    QStringList names;
    for (int i = 0; i < list->count(); ++i) names.append(list->item(i)->text());
    names.sort();
    return names;
}

// A window after a finished scan of a small tree (3 folders, 6 ".mp3" files) on a real server,
// with three snapshots in "Arhive/": the scan's, the written one and, listed last, a damaged
// one. The list shows the file system's order, so the roles go by listed position.
struct ArchiveWindow : Window {
    static constexpr int kScannedNames = 6 + 3, kWrittenNames = 3 + 2;

    TreeServer server{3, 2};
    QString scanned, written, damaged;

    ArchiveWindow() {
        start(server.port(), "scan.qrnet");
        if (!scansEnd()) qFatal("scan hangs");

        makeTree(program.path(),
                 {{"Arhive/a.qrnet", ""}, {"Arhive/b.qrnet", ""}, {"Arhive/c.qrnet", ""}});
        w().pc1->setCurrentWidget(w().TabSheet3);
        scanned = w().clb2->item(0)->text();
        written = w().clb2->item(1)->text();
        damaged = w().clb2->item(2)->text();
        const std::string scan = *program.bytes("scan.qrnet");
        const std::string contents[] = {scan, writtenSnapshot(), scan.substr(0, scan.size() / 2)};
        for (int i = 0; i < 3; ++i) {
            const std::string path =
                program.path() + "Arhive/" + w().clb2->item(i)->text().toStdString() + ".qrnet";
            if (!writeFileAtomic(path, path + ".tmp", contents[i])) qFatal("cannot write");
        }
    }

    int archiveJob() { return form->state().context.ArchiveJob.load(); }
    ScanPage* archivePage() {
        for (int i = 0; i < form->pages().pageCount(); ++i)
            if (form->pages().pageAt(i)->isArchive()) return form->pages().pageAt(i);
        return nullptr;
    }

    // Ticks exactly `names`, presses the load button and waits for the load to end. False when
    // the button could not be pressed, stayed enabled while loading, or the load did not end.
    bool load(const QStringList& names) {
        for (int i = 0; i < w().clb2->count(); ++i)
            if (w().clb2->item(i)->checkState() == Qt::Checked) clickRow(w().clb2, i);
        for (const QString& name : names)
            clickRow(w().clb2, w().clb2->row(w().clb2->findItems(name, Qt::MatchExactly).front()));
        if (!w().SpeedButton8->isEnabled()) return false;
        w().SpeedButton8->click();
        if (w().SpeedButton8->isEnabled()) return false;
        return QTest::qWaitFor([&] { return w().SpeedButton8->isEnabled(); }, 10000);
    }

    // Waits until no search runs and the redraws and searches asked for are done.
    bool settle() {
        return QTest::qWaitFor([&] {
            return !form->state().context.workersRunning() && !w().Timer1->isActive() &&
                   !w().Timer9->isActive();
        });
    }
};

}  // namespace

// The archive tab's loading and as-you-type search, through the window, over snapshots of a
// real scan and of the engine's writer.
class GuiArchiveSearchTest : public QObject {
    Q_OBJECT

private slots:
    void theTabListsTheSnapshotsAndHandsClicksAndKeysToTheArchiveActions() {
        Window a;
        makeTree(a.program.path(), {{"Arhive/music.qrnet", "x"},
                                    {"Arhive/films.qrnet", "x"},
                                    {"Arhive/notes.txt", "x"},
                                    {"Arhive/OLD.QRNET", "x"}});
        int calls[4] = {};
        bool loading = false;
        a.form->archive().setActions(std::make_unique<CountingActions>(calls, &loading));
        FormWidgets& w = a.w();
        w.pc1->setCurrentWidget(w.TabSheet3);
        QCOMPARE(sorted(w.clb2), (QStringList{QStringLiteral("films"), QStringLiteral("music")}));
        QVERIFY(!w.SpeedButton8->isEnabled() && !w.cb1->isEnabled());
        const auto music = [&] {
            return w.clb2->findItems(QStringLiteral("music"), Qt::MatchExactly).front();
        };
        clickRow(w.clb2, w.clb2->row(music()));
        QCOMPARE(music()->checkState(), Qt::Checked);
        QCOMPARE(a.form->archive().checkedArchives(), QStringList{QStringLiteral("music")});
        QVERIFY(w.SpeedButton8->isEnabled());
        w.SpeedButton8->click();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
        QCoreApplication::sendEvent(w.cb1, &press);
        QCoreApplication::sendEvent(w.cb1, &release);
        QCOMPARE((std::vector<int>(calls, calls + 3)), (std::vector<int>{1, 1, 1}));

        // Showing the tab again lists new snapshots, keeps the ticks and disables loading.
        makeTree(a.program.path(), {{"Arhive/more.qrnet", "x"}});
        w.pc1->setCurrentWidget(w.TabSheet2);
        QVERIFY(!w.SpeedButton8->isEnabled());
        w.pc1->setCurrentWidget(w.TabSheet3);
        QCOMPARE(w.clb2->count(), 3);
        QCOMPARE(a.form->archive().checkedArchives(), QStringList{QStringLiteral("music")});
        clickRow(w.clb2, w.clb2->row(music()));
        QVERIFY(a.form->archive().checkedArchives().isEmpty());
        loading = true;
        clickRow(w.clb2, w.clb2->row(music()));
        QVERIFY2(!w.SpeedButton8->isEnabled(), "no second load while one is under way");
    }

    void revealAddressesNameTheHitsFtpFolder() {
        const std::pair<std::string, std::string> cases[] = {
            {"ftp.example.org/pub/music/", "ftp://ftp.example.org/pub/music/"},
            {"ftp.example.org/pub/music/song.mp3", "ftp://ftp.example.org/pub/music/"},
            {"/pub/", "ftp://pub/"},
            {"ftp://host/a/b.txt", "ftp://host/a/"},
        };
        for (const auto& [location, address] : cases) QCOMPARE(revealAddress(location), address);
        const QUrl url = revealUrl(utf8ToCp1251("host/музыка/рок #1?/x.mp3"));
        QCOMPARE(url.host(), QStringLiteral("host"));
        QCOMPARE(url.path(), QStringLiteral("/музыка/рок #1?/"));
        QVERIFY(!url.hasFragment() && !url.hasQuery());
    }

    void loadingShowsTheArchivePageAndNamesADamagedSnapshot() {
        ArchiveWindow a;
        FormWidgets& w = a.w();
        QVERIFY(!w.cb1->isEnabled());
        QVERIFY(a.load({a.scanned, a.written}));
        ScanPage* page = a.archivePage();
        QVERIFY(page && a.dialogs->errors.isEmpty());
        QCOMPARE(a.form->pages().currentPage(), page);
        QCOMPARE(w.pc2->scanTabBar()->colourOf(1), TabColour::Archive);
        QTRY_COMPARE(w.pc2->tabText(1), QStringLiteral("0 : Arhive"));
        const QString all = QStringLiteral("Files in archive - %1\n");
        const int names = ArchiveWindow::kScannedNames + ArchiveWindow::kWrittenNames;
        QTRY_VERIFY(
            w.Label1->text().startsWith(QStringLiteral("Archive search\n") + all.arg(names)));
        QVERIFY(w.cb1->isEnabled());

        // A second load replaces the first on the same job and page.
        const int job = a.archiveJob();
        QVERIFY(a.load({a.written}));
        QTRY_VERIFY(w.Label1->text().contains(all.arg(ArchiveWindow::kWrittenNames)));
        QCOMPARE(a.archiveJob(), job);
        QCOMPARE(a.archivePage(), page);

        // Loading stops at the damaged snapshot, listed last; what came before it stays.
        QVERIFY(a.load({a.scanned, a.written, a.damaged}));
        QCOMPARE(a.dialogs->errors.size(), 1);
        QVERIFY(a.dialogs->errors.front().contains(a.damaged + QStringLiteral(".qrnet")));
        QTRY_VERIFY(w.Label1->text().contains(all.arg(names)));
        typeKeys(w.cb1, QStringLiteral("song2"));
        QTRY_COMPARE(itemTexts(page->fileList()),
                     (QStringList{QStringLiteral("song2_0.mp3"), QStringLiteral("song2_1.mp3")}));
    }

    void searchTypedKeyByKeyShowsTheLatestHitsAndOpensTheirFolders() {
        ArchiveWindow a;
        FormWidgets& w = a.w();
        QVERIFY(a.load({a.scanned, a.written}));
        ScanPage* page = a.archivePage();

        // Typed on without a pause: whatever the earlier texts found, the last one's hits stay.
        typeKeys(w.cb1, QStringLiteral("song1"));
        typeKeys(w.cb1, QStringLiteral("_1"));
        const QStringList song = {QStringLiteral("song1_1.mp3")};
        QTRY_COMPARE(itemTexts(page->fileList()), song);
        QVERIFY(a.settle());
        QCOMPARE(itemTexts(page->fileList()), song);
        QCOMPARE(page->folderList()->itemCount(), 0);
        QTRY_COMPARE(w.pc2->tabText(1), QStringLiteral("1 : Arhive"));
        QVERIFY(w.Label1->text().contains(QStringLiteral("\nFound - 1\n")));
        doubleClickItem(page->fileList(), 0);
        QCOMPARE(a.dialogs->urls, QList<QUrl>{QUrl(QStringLiteral("ftp://127.0.0.1/dir1/"))});

        retype(w.cb1, QStringLiteral("рок"));
        QTRY_COMPARE(itemTexts(page->folderList()), QStringList{QStringLiteral("рок концерты")});
        QTRY_COMPARE(itemTexts(page->fileList()),
                     QStringList{QStringLiteral("Рок концерт live.mp3")});
        doubleClickItem(page->folderList(), 0);
        doubleClickItem(page->fileList(), 0);
        const QUrl rock(QStringLiteral("ftp://ftp.example.org/музыка/рок концерты/"));
        QCOMPARE(a.dialogs->urls.mid(1), (QList<QUrl>{rock, rock}));

        // A blank typed last clears the hits.
        typeKeys(w.cb1, QStringLiteral(" "));
        QTRY_COMPARE(page->fileList()->itemCount(), 0);
        QVERIFY(a.settle());
        QCOMPARE(page->fileList()->itemCount() + page->folderList()->itemCount(), 0);

        // The scan's own page opens nothing.
        w.pc2->setCurrentIndex(0);
        doubleClickItem(a.form->pages().currentPage()->fileList(), 0);
        QCOMPARE(a.dialogs->urls.size(), 3);
    }

    void historyKeepsTheLatestLongTextsAndClosingThePageForgetsTheArchive() {
        ArchiveWindow a;
        FormWidgets& w = a.w();
        QVERIFY(a.load({a.written}));
        const auto search = [&](const QString& text) {
            w.cb1->setEditText(text);
            QTest::sendKeyEvent(QTest::Release, w.cb1, Qt::Key_End, QString(), Qt::NoModifier);
            QVERIFY(w.Timer9->isActive());
            QTRY_VERIFY(!w.Timer9->isActive());
        };
        // Long enough, then new, too short, extending an item, already listed.
        for (const char* text : {"song of", "концерт", "song", "song of songs", "КОНЦЕРТ"})
            search(QString::fromUtf8(text));
        QCOMPARE(w.cb1->count(), 2);
        QCOMPARE((QStringList{w.cb1->itemText(0), w.cb1->itemText(1)}),
                 (QStringList{QStringLiteral("КОНЦЕРТ"), QStringLiteral("SONG OF")}));

        // Newest first, the box keeping the text as typed; the limit is the core suite's check.
        search(QStringLiteral("item 10"));
        QCOMPARE(w.cb1->count(), 3);
        QCOMPARE(w.cb1->itemText(0), QStringLiteral("ITEM 10"));
        QCOMPARE(w.cb1->currentText(), QStringLiteral("item 10"));

        // Closing the archive page forgets the archive.
        const int first = a.archiveJob();
        QTest::mouseClick(w.btnClose, Qt::LeftButton);
        QCOMPARE(a.form->pages().pageCount(), 1);
        QVERIFY(!a.archivePage());
        QCOMPARE(a.archiveJob(), -1);
        QVERIFY2(w.cb1->isEnabled(), "the scan page is still there");

        // A search typed now finds no archive and leaves the scan's page alone.
        VirtualListView* scanFiles = a.form->pages().currentPage()->fileList();
        QTRY_COMPARE(scanFiles->itemCount(), 6);
        typeKeys(w.cb1, QStringLiteral("song"));
        QVERIFY(a.settle());
        QCOMPARE(scanFiles->itemCount(), 6);
        QCOMPARE(a.form->pages().pageCount(), 1);

        // The next load makes a new archive job and page.
        QVERIFY(a.load({a.written}));
        QVERIFY(a.archivePage() && a.archiveJob() > first);

        // Closing every page disables the search box and the load button.
        QTest::mouseClick(w.btnClose, Qt::LeftButton);
        QTest::mouseClick(w.btnClose, Qt::LeftButton);
        QCOMPARE(a.form->pages().pageCount(), 0);
        QCOMPARE(a.archiveJob(), -1);
        QVERIFY(!w.cb1->isEnabled() && !w.SpeedButton8->isEnabled());
        QVERIFY(a.form->archive().checkedArchives().isEmpty());
    }
};

QUARROW_GUI_SUITE(GuiArchiveSearchTest)

}  // namespace quarrow::test

#include "GuiArchiveSearchTest.moc"
