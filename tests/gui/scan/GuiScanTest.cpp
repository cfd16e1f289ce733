#include <QGroupBox>
#include <set>

#include "engine/SnapshotFile.h"
#include "fixtures/FtpProxy.h"
#include "gui/GuiFixture.h"
#include "gui/shell/LogoArea.h"

namespace quarrow::test {
namespace {

// The colour of the tab's lowest gradient line, as drawn.
QColor tabBottomColour(TFtpForm& form, int index) {
    ScanTabBar* bar = form.widgets().pc2->scanTabBar();
    const QRect tab = bar->tabRect(index);
    return bar->grab().toImage().pixelColor(tab.left() + 4, tab.bottom() - 3);
}

}  // namespace

// Scans started, watched, closed and resumed through the window, against a real FTP server.
class GuiScanTest : public QObject {
    Q_OBJECT

private slots:
    void startedScanFillsItsPageAndTabTurnsGreenThenOrange() {
        Window a;
        TreeServer server(5, 3, 0.3);
        const auto& names = server.names;
        a.dialogs->saves.push_back(a.saveAs("Arhive/first.qrnet"));
        enterScan(*a.form, server.port());
        FormWidgets& w = a.w();
        QVERIFY(w.Button1->isEnabled());
        QVERIFY(w.logo->isVisible());

        QTest::mouseClick(w.Button1, Qt::LeftButton);
        QCOMPARE(a.dialogs->folders, QStringList{a.program.file("Arhive")});
        QCOMPARE(a.form->pages().pageCount(), 1);
        QVERIFY(w.pc2->isVisible());
        QVERIFY(!w.logo->isVisible());
        QTRY_COMPARE_WITH_TIMEOUT(w.pc2->scanTabBar()->colourOf(0), TabColour::Connected, 10000);
        const QColor green = tabBottomColour(*a.form, 0);
        QVERIFY2(green.green() > 180 && green.red() < 120, qPrintable(green.name()));
        ScanPage* page = a.form->pages().currentPage();
        QTRY_VERIFY_WITH_TIMEOUT(page->fileList()->itemCount() > 0, 10000);
        QTRY_VERIFY(w.Label1->text().contains(QStringLiteral("Files found: ")));

        QVERIFY(a.scansEnd());
        QTRY_COMPARE(w.pc2->scanTabBar()->colourOf(0), TabColour::Other);
        QTRY_COMPARE(page->fileList()->itemCount(), static_cast<int>(names.size()));
        const QColor orange = tabBottomColour(*a.form, 0);
        QVERIFY2(orange.red() > 200 && orange.blue() < 60, qPrintable(orange.name()));
        QStringList expected, shown = itemTexts(page->fileList());
        for (const auto& name : names) expected.append(QString::fromStdString(name));
        shown.sort();
        expected.sort();
        QCOMPARE(shown, expected);
        const QStringList folders = itemTexts(page->folderList());
        QCOMPARE(folders.size(), 6);
        QCOMPARE(folders.at(1), QStringLiteral("dir0"));
        QTRY_COMPARE(w.pc2->tabText(0), QStringLiteral("15 : 127.0.0.1"));
        QTRY_VERIFY(w.Label1->text().endsWith(QStringLiteral("\nNot connected.")));
        QTRY_VERIFY(a.form->tray().notice() && a.form->tray().notice()->isVisible());
        QVERIFY(a.form->tray().notice()->text().endsWith(QStringLiteral("Scan finished.")));
        QVERIFY(a.program.bytes("Arhive/first.qrnet"));
        QVERIFY2(a.program.bytes("Arhive/first.qrnet.txt"), "the first filter exports a list");
    }

    void aScanWhoseServerIsGoneForGoodIsNeverCalledFinished() {
        Window a(
            Window::Files{{"quarrow.ini", {"[Connection]", "Reconnects=1", "ReconnectPause=10"}}});
        TreeServer server(6, 2);
        FtpProxyOptions dying;
        dying.closeAfter = 12;
        dying.maxConnections = 1;
        FtpProxy proxy(server.port(), dying);
        a.start(proxy.port(), "Arhive/cut.qrnet");

        QVERIFY(a.scansEnd());
        QTRY_VERIFY(a.form->tray().notice() && a.form->tray().notice()->isVisible());
        const QString text = a.form->tray().notice()->text();
        QVERIFY2(text.contains(QStringLiteral("the scan is interrupted")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("Scan incomplete.\nFolders not listed: ")),
                 qPrintable(text));
        QVERIFY2(!text.contains(QStringLiteral("Scan finished.")), qPrintable(text));
    }

    void startNormalisesTheEntriesAndUpdatesTheHistoryFiles() {
        Window a(Window::Files{{"TXT/FTP.txt", {"old.example"}}});
        TempDir tree;
        makeTree(tree.path(), {{"pub/x.mp3", "x"}});
        FtpServer server(tree.path());
        a.dialogs->saves = {a.saveAs("Arhive/a.qrnet"), a.saveAs("Arhive/b.qrnet")};
        FormWidgets& w = a.w();
        enterScan(*a.form, server.port(), QStringLiteral("pub"), QStringLiteral(".mp3"));
        w.cbsServer->setEditText(QStringLiteral(" ftp://127.0.0.1 "));
        w.cbsUserName->setEditText(QString());
        a.form->scans().Button1Click();

        QCOMPARE(w.cbsServer->currentText(), QStringLiteral("127.0.0.1"));
        QCOMPARE(w.cbsFindPath->currentText(), QStringLiteral("/pub/"));
        // The page shown puts the job's own (upper-cased) mask into the field.
        QCOMPARE(w.cbsMask->currentText(), QStringLiteral("*.MP3"));
        QCOMPARE(w.cbsUserName->currentText(), QStringLiteral("anonymous"));
        const auto job = jobOf(*a.form, 0);
        QVERIFY(job && job->Recursive && job->Port == server.port());
        QCOMPARE(job->SnapshotBase, a.program.path() + "Arhive/a");
        // The history files, unchanged by a second start of the same scan.
        const std::pair<const char*, std::string> history[] = {
            {"TXT/PATH.txt", "/pub/\r\n"},
            {"TXT/MASK.txt", "*.MP3\r\n"},
            {"TXT/Login.txt", "anonymous\r\n"},
            {"TXT/Password.txt", "us@site\r\n"},
            {"TXT/SERVER.txt", "127.0.0.1  /pub/  *.MP3  anonymous  us@site\r\n"},
            {"TXT/FTP.txt", "127.0.0.1\r\nold.example\r\n"}};
        for (int start = 0; start < 2; ++start) {
            if (start) a.form->scans().Button1Click();
            QCOMPARE(a.form->pages().pageCount(), start + 1);
            for (const auto& [file, content] : history) QCOMPARE(*a.program.bytes(file), content);
            QCOMPARE(w.cbsMask->count(), 1);
            QVERIFY(a.scansEnd());
        }
        QVERIFY(a.scansEnd());
    }

    void refusedStartsAndUnreadableResumeFilesTellWhyAndCreateNothing() {
        Window a;
        FormWidgets& w = a.w();
        ScanControl& scans = a.form->scans();

        w.cbsServer->setEditText(QStringLiteral("   "));
        scans.Button1Click();
        QCOMPARE(a.dialogs->messages,
                 QStringList{QStringLiteral("Please enter the address of an FTP server.")});
        w.cbsServer->setEditText(QStringLiteral("ftp://"));
        scans.Button1Click();
        QCOMPARE(a.dialogs->messages.size(), 1);
        w.cbsServer->setEditText(QStringLiteral("127.0.0.1"));
        w.Port->setText(QStringLiteral("99999"));
        scans.Button1Click();
        QCOMPARE(a.dialogs->errors.size(), 1);
        QVERIFY(a.dialogs->errors.front().contains(QStringLiteral("65535")));
        QVERIFY(a.dialogs->folders.isEmpty());

        w.Port->setText(QStringLiteral("21"));
        scans.Button1Click();
        QCOMPARE(a.dialogs->folders.size(), 1);
        QCOMPARE(a.form->state().context.Jobs.LastJobIndex(), -1);
        QCOMPARE(a.form->pages().pageCount(), 0);
        QVERIFY(!w.pc2->isVisible());

        a.program.write("Session/broken.qrsftp", {"not a resume file"});
        a.dialogs->opens.push_back(a.program.file("Session/broken.qrsftp"));
        a.dialogs->saves.push_back(a.saveAs("Arhive/never.qrnet"));
        scans.Button5Click();
        QCOMPARE(a.dialogs->errors.size(), 2);
        QVERIFY(
            a.dialogs->errors.last().startsWith(QStringLiteral("This file cannot be resumed.")));
        QCOMPARE(a.form->pages().pageCount(), 0);
        QCOMPARE(a.form->state().context.Jobs.LastJobIndex(), -1);
    }

    void ctrlHeldAtStartListsOnlyTheStartFolder() {
        Window a;
        TreeServer server(3, 2);
        makeTree(server.tree.path(), {{"top.mp3", "t"}});
        a.dialogs->ctrl = true;
        a.start(server.port(), "Arhive/flat.qrnet");
        QVERIFY(!jobOf(*a.form, 0)->Recursive);
        QVERIFY(a.scansEnd());
        QTRY_COMPARE(a.form->pages().currentPage()->fileList()->itemCount(), 1);
        QCOMPARE(jobOf(*a.form, 0)->DirIndex.load(), 0);
    }

    void aRunningScanRefusesItsTwinAndClosingItsPageStopsItsWritesAndItsResumeFileContinuesIt() {
        Window a;
        TreeServer server(8, 2, 0.3);
        FormWidgets& w = a.w();
        a.start(server.port(), "Arhive/cut.qrnet", QStringLiteral("*.*"));
        const auto job = jobOf(*a.form, 0);
        const std::string resume = job->ResumeBase + ".qrsftp";
        QTRY_VERIFY_WITH_TIMEOUT(fileExists(resume) && job->DirIndex.load() >= 3, 20000);
        // The same scan again while it is connected is refused with its page number.
        a.start(server.port(), "Arhive/again.qrnet", QStringLiteral("*.*"));
        QCOMPARE(a.dialogs->messages,
                 QStringList{QStringLiteral("This scan is already running on page 1")});
        QCOMPARE(a.form->pages().pageCount(), 1);
        QCOMPARE(a.dialogs->saves.size(), std::size_t{1});
        a.dialogs->saves.clear();

        QTest::mouseClick(w.btnClose, Qt::LeftButton);
        QCOMPARE(a.form->state().context.Jobs.LastJobIndex(), -1);
        QCOMPARE(a.form->pages().pageCount(), 0);
        QVERIFY(!w.pc2->isVisible());
        QVERIFY(w.logo->isVisible());
        QVERIFY(job->PageClosed.load());
        // That its files are never written again is the stress suite's check.
        QVERIFY(a.scansEnd());
        QTest::qWait(700);  // time for a notice to show, were one given
        QVERIFY2(!a.form->tray().notice(), "a closed page gives no end-of-scan notice");

        a.dialogs->opens.push_back(QString::fromStdString(resume));
        a.form->scans().Button6Click();
        QCOMPARE(a.dialogs->folders.last(), a.program.file("Session"));
        QCOMPARE((QStringList{w.Edit4->text(), w.Edit5->text(), w.Edit6->text(), w.Edit10->text(),
                              w.Edit9->text()}),
                 QStringLiteral("127.0.0.1 / *.* anonymous us@site").split(QLatin1Char(' ')));

        a.dialogs->opens.push_back(QString::fromStdString(resume));
        a.dialogs->saves.push_back(a.saveAs("Arhive/whole.qrnet"));
        w.Button5->click();
        QCOMPARE(a.form->pages().pageCount(), 1);
        const auto resumed = jobOf(*a.form, 0);
        QVERIFY(resumed->StartStamp.ends_with("_Ses"));
        QCOMPARE(resumed->Port, server.port());
        QCOMPARE(w.Edit1->text(), QString::number(server.port()));
        QVERIFY(a.scansEnd());
        SnapshotData whole;
        std::string error;
        QVERIFY2(readSnapshotFile(a.program.path() + "Arhive/whole.qrnet", whole, &error),
                 error.c_str());
        // The folder being listed at the close is listed again, so its files may come twice.
        std::set<std::string> distinct;
        for (std::size_t i = 0; i < whole.names.size(); ++i) distinct.emplace(whole.names[i]);
        std::set<std::string> expected(server.names.begin(), server.names.end());
        expected.insert("readme.txt");
        QVERIFY(distinct == expected);
        QVERIFY(whole.names.size() <= expected.size() + 2);
    }
};

QUARROW_GUI_SUITE(GuiScanTest)

}  // namespace quarrow::test

#include "GuiScanTest.moc"
