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

// A click on a row of the archive list: selects it and toggles its check mark.
void clickRow(QListWidget* list, const QString& name) {
    const int row = list->row(list->findItems(name, Qt::MatchExactly).front());
    list->setCurrentRow(row);
    emit list->itemClicked(list->item(row));
}

void doubleClickItem(VirtualListView* list, int item) {
    const QPoint at = list->visualRect(list->rows().indexOfItem(item)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

// Archive actions that do nothing but say whether a load is under way.
struct IdleActions : ArchiveActions {
    explicit IdleActions(const bool* loading) : loading_(loading) {}
    void LoadArchives() override {}
    void SearchKeyDown() override {}
    void SearchKeyUp() override {}
    void PageClosed() override {}
    bool Loading() const override { return *loading_; }
    const bool* loading_;
};

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
        const std::string scan = *program.bytes("scan.qrnet");
        const std::string contents[] = {scan, writtenSnapshot(), scan.substr(0, scan.size() / 2)};
        for (int i = 0; i < 3; ++i) {
            const QString name = w().clb2->item(i)->text();
            const std::string path = program.path() + "Arhive/" + name.toStdString() + ".qrnet";
            if (!writeFileAtomic(path, path + ".tmp", contents[i])) qFatal("cannot write");
            (i == 0 ? scanned : i == 1 ? written : damaged) = name;
        }
    }

    int archiveJob() { return form->state().context.ArchiveJob.load(); }
    ScanPage* archivePage() {
        for (int i = 0; i < pageCount(); ++i)
            if (form->pages().pageAt(i)->isArchive()) return form->pages().pageAt(i);
        return nullptr;
    }
    // Ticks exactly `names`, presses the load button and waits for the load to end. False when
    // the button could not be pressed, stayed enabled while loading, or the load did not end.
    bool load(const QStringList& names) {
        for (const QString& name : form->archive().checkedArchives()) clickRow(w().clb2, name);
        for (const QString& name : names) clickRow(w().clb2, name);
        if (!w().SpeedButton8->isEnabled()) return false;
        w().SpeedButton8->click();
        if (w().SpeedButton8->isEnabled()) return false;
        return QTest::qWaitFor([&] { return w().SpeedButton8->isEnabled(); }, 10000);
    }
    // Waits until no search runs and the redraws and searches asked for are done.
    bool settle() {
        return QTest::qWaitFor(
            [&] { return !scansRunning() && !w().Timer1->isActive() && !w().Timer9->isActive(); });
    }
};

}  // namespace

// The archive tab's loading and as-you-type search, through the window, over snapshots of a
// real scan and of the engine's writer.
class GuiArchiveSearchTest : public QObject {
    Q_OBJECT

private slots:
    void theTabListsTheSnapshotsAndTheLoadButtonNeedsATickAndNoLoadUnderWay() {
        Window a;
        makeTree(a.program.path(), {{"Arhive/music.qrnet", "x"},
                                    {"Arhive/films.qrnet", "x"},
                                    {"Arhive/notes.txt", "x"},
                                    {"Arhive/OLD.QRNET", "x"}});
        bool loading = false;
        a.form->archive().setActions(std::make_unique<IdleActions>(&loading));
        FormWidgets& w = a.w();
        w.pc1->setCurrentWidget(w.TabSheet3);
        QStringList listed;
        for (int i = 0; i < w.clb2->count(); ++i) listed.append(w.clb2->item(i)->text());
        listed.sort();
        QCOMPARE(listed, (QStringList{QStringLiteral("films"), QStringLiteral("music")}));
        QVERIFY(!w.SpeedButton8->isEnabled() && !w.cb1->isEnabled());
        const QString music = QStringLiteral("music");
        clickRow(w.clb2, music);
        QVERIFY(a.form->archive().checkedArchives() == QStringList{music} &&
                w.SpeedButton8->isEnabled());

        // Showing the tab again lists new snapshots, keeps the ticks and disables loading.
        makeTree(a.program.path(), {{"Arhive/more.qrnet", "x"}});
        w.pc1->setCurrentWidget(w.TabSheet2);
        QVERIFY(!w.SpeedButton8->isEnabled());
        w.pc1->setCurrentWidget(w.TabSheet3);
        QVERIFY(w.clb2->count() == 3 && a.form->archive().checkedArchives() == QStringList{music});
        clickRow(w.clb2, music);
        QVERIFY(a.form->archive().checkedArchives().isEmpty());
        loading = true;
        clickRow(w.clb2, music);
        QVERIFY2(!w.SpeedButton8->isEnabled(), "no second load while one is under way");
    }

    // The search below opens the usual hits' folders; these are the unusual locations.
    void revealAddressesNameTheHitsFtpFolder() {
        QCOMPARE(revealAddress("/pub/"), std::string("ftp://pub/"));
        QCOMPARE(revealAddress("ftp://host/a/b.txt"), std::string("ftp://host/a/"));
        const QUrl url = revealUrl(utf8ToCp1251("host/музыка/рок #1?/x.mp3"));
        QCOMPARE(url.host() + url.path(), QStringLiteral("host/музыка/рок #1?/"));
        QVERIFY(!url.hasFragment() && !url.hasQuery());
    }

    void loadingShowsTheArchivePageAndSearchTypedKeyByKeyOpensTheHitsFolders() {
        ArchiveWindow a;
        FormWidgets& w = a.w();
        QVERIFY(!w.cb1->isEnabled());
        QVERIFY(a.load({a.scanned, a.written}));
        ScanPage* page = a.archivePage();
        QVERIFY(page && a.dialogs->errors.isEmpty() && w.cb1->isEnabled());
        QCOMPARE(a.form->pages().currentPage(), page);
        QCOMPARE(w.pc2->scanTabBar()->colourOf(1), TabColour::Archive);
        QTRY_COMPARE(w.pc2->tabText(1), QStringLiteral("0 : Arhive"));
        const QString all = QStringLiteral("Files in archive - %1\n");
        const int names = ArchiveWindow::kScannedNames + ArchiveWindow::kWrittenNames;
        QTRY_VERIFY(
            w.Label1->text().startsWith(QStringLiteral("Archive search\n") + all.arg(names)));

        // A second load replaces the first on the same job and page.
        const int job = a.archiveJob();
        QVERIFY(a.load({a.written}));
        QTRY_VERIFY(w.Label1->text().contains(all.arg(ArchiveWindow::kWrittenNames)));
        QVERIFY(a.archiveJob() == job && a.archivePage() == page);

        // Loading stops at the damaged snapshot, listed last; what came before it stays.
        QVERIFY(a.load({a.scanned, a.written, a.damaged}));
        QCOMPARE(a.dialogs->errors.size(), 1);
        QVERIFY(a.dialogs->errors.front().contains(a.damaged + QStringLiteral(".qrnet")));
        QTRY_VERIFY(w.Label1->text().contains(all.arg(names)));

        // Typed on without a pause: whatever the earlier texts found, the last one's hits stay.
        typeKeys(w.cb1, QStringLiteral("song1"));
        typeKeys(w.cb1, QStringLiteral("_1"));
        const QStringList song = {QStringLiteral("song1_1.mp3")};
        QTRY_COMPARE(itemTexts(page->fileList()), song);
        QVERIFY(a.settle());
        QVERIFY(itemTexts(page->fileList()) == song && page->folderList()->itemCount() == 0);
        QTRY_COMPARE(w.pc2->tabText(1), QStringLiteral("1 : Arhive"));
        QVERIFY(w.Label1->text().contains(QStringLiteral("\nFound - 1\n")));
        doubleClickItem(page->fileList(), 0);
        QCOMPARE(a.dialogs->urls, QList<QUrl>{QUrl(QStringLiteral("ftp://127.0.0.1/dir1/"))});

        w.cb1->lineEdit()->selectAll();
        QTest::keyClick(w.cb1, Qt::Key_Backspace);
        typeKeys(w.cb1, QStringLiteral("рок"));
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
        // Long enough, then new, too short, extending an item, already listed; newest first,
        // the box keeping the text as typed. The limit is the core suite's check.
        for (const char* text :
             {"song of", "концерт", "song", "song of songs", "КОНЦЕРТ", "item 10"})
            search(QString::fromUtf8(text));
        QCOMPARE((QStringList{w.cb1->itemText(0), w.cb1->itemText(1), w.cb1->itemText(2)}),
                 listOf("ITEM 10|КОНЦЕРТ|SONG OF"));
        QVERIFY(w.cb1->count() == 3 && w.cb1->currentText() == QStringLiteral("item 10"));

        // Closing the archive page forgets the archive; a search typed now finds no archive
        // and leaves the scan's page alone.
        const int first = a.archiveJob();
        QTest::mouseClick(w.btnClose, Qt::LeftButton);
        QVERIFY(a.pageCount() == 1 && !a.archivePage() && a.archiveJob() == -1);
        QVERIFY2(w.cb1->isEnabled(), "the scan page is still there");
        VirtualListView* scanFiles = a.form->pages().currentPage()->fileList();
        QTRY_COMPARE(scanFiles->itemCount(), 6);
        typeKeys(w.cb1, QStringLiteral("song"));
        QVERIFY(a.settle());
        QVERIFY(scanFiles->itemCount() == 6 && a.pageCount() == 1);

        // The next load makes a new archive job and page.
        QVERIFY(a.load({a.written}));
        QVERIFY(a.archivePage() && a.archiveJob() > first);

        // Closing every page disables the search box and the load button.
        QTest::mouseClick(w.btnClose, Qt::LeftButton);
        QTest::mouseClick(w.btnClose, Qt::LeftButton);
        QVERIFY(a.pageCount() == 0 && a.archiveJob() == -1);
        QVERIFY(!w.cb1->isEnabled() && !w.SpeedButton8->isEnabled());
        QVERIFY(a.form->archive().checkedArchives().isEmpty());
    }
};

QUARROW_GUI_SUITE(GuiArchiveSearchTest)

}  // namespace quarrow::test

#include "GuiArchiveSearchTest.moc"
