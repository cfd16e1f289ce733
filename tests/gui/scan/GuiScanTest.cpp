#include <set>

#include <QCheckBox>

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
        FormWidgets& w = a.w();
        a.dialogs->saves.push_back(a.saveAs("Arhive/first.qrnet"));
        a.enter(server.port());
        QVERIFY(w.Button1->isEnabled() && w.logo->isVisible());
        QTest::mouseClick(w.Button1, Qt::LeftButton);
        QCOMPARE(a.dialogs->folders, QStringList{a.program.file("Arhive")});
        QCOMPARE(a.pageCount(), 1);
        QVERIFY(w.pc2->isVisible() && !w.logo->isVisible());
        QTRY_COMPARE_WITH_TIMEOUT(w.pc2->scanTabBar()->colourOf(0), TabColour::Connected, 10000);
        const QColor green = tabBottomColour(*a.form, 0);
        QVERIFY2(green.green() > 180 && green.red() < 120, qPrintable(green.name()));
        ScanPage* page = a.form->pages().currentPage();
        QTRY_VERIFY(w.Label1->text().contains(QStringLiteral("Files found: ")));

        QVERIFY(a.scansEnd());
        QTRY_COMPARE(w.pc2->scanTabBar()->colourOf(0), TabColour::Other);
        const QColor orange = tabBottomColour(*a.form, 0);
        QVERIFY2(orange.red() > 200 && orange.blue() < 60, qPrintable(orange.name()));
        QTRY_COMPARE(page->fileList()->itemCount(), static_cast<int>(server.names.size()));
        QStringList expected, shown = itemTexts(page->fileList());
        for (const auto& name : server.names) expected.append(QString::fromStdString(name));
        shown.sort();
        QCOMPARE(shown, expected);  // the tree's names come sorted
        const QStringList folders = itemTexts(page->folderList());
        QVERIFY(folders.size() == 6 && folders.at(1) == QStringLiteral("dir0"));
        QTRY_COMPARE(w.pc2->tabText(0), QStringLiteral("15 : 127.0.0.1"));
        QTRY_VERIFY(w.Label1->text().endsWith(QStringLiteral("\nNot connected.")));
        QVERIFY(a.notice().endsWith(QStringLiteral("Scan finished.")));
        QVERIFY(a.program.bytes("Arhive/first.qrnet"));
        QVERIFY2(a.program.bytes("Arhive/first.qrnet.txt"), "the first filter exports a list");
    }

    // A server gone for good and a ticked TLS start on a server without TLS: neither scan is
    // called finished, and the second never falls back to plain text.
    void scansThatCannotCompleteAreNeverCalledFinished() {
        Window a({{"quarrow.ini", {"[Connection]", "Reconnects=1", "ReconnectPause=10"}}});
        TreeServer server(6, 2);
        FtpProxyOptions dying;
        dying.closeAfter = 12;
        dying.maxConnections = 1;
        FtpProxy proxy(server.port(), dying);
        a.start(proxy.port(), "Arhive/cut.qrnet");
        QVERIFY(a.scansEnd());
        const QString text = a.notice();
        QVERIFY2(text.contains(QStringLiteral("the scan is interrupted")) &&
                     text.contains(QStringLiteral("Scan incomplete.\nFolders not listed: ")) &&
                     !text.contains(QStringLiteral("Scan finished.")),
                 qPrintable(text));

        a.w().cbsTls->setChecked(true);
        a.start(server.port(), "Arhive/tls.qrnet");
        QVERIFY(a.scansEnd());
        QTRY_VERIFY2(a.w().Label1->text().contains(QStringLiteral(
                         "cannot be connected securely (TLS): the server does not offer TLS")),
                     qPrintable(a.w().Label1->text()));
        QVERIFY(!a.program.bytes("Arhive/tls.qrnet"));
    }

    void startNormalisesTheEntriesAndUpdatesTheHistoryFiles() {
        Window a(Window::Files{{"TXT/FTP.txt", {"old.example"}}});
        TempDir tree;
        makeTree(tree.path(), {{"pub/x.mp3", "x"}});
        FtpServer server(tree.path());
        a.dialogs->saves = {a.saveAs("Arhive/a.qrnet"), a.saveAs("Arhive/b.qrnet")};
        FormWidgets& w = a.w();
        a.enter(server.port(), QStringLiteral("pub"), QStringLiteral(".mp3"));
        w.cbsServer->setEditText(QStringLiteral(" ftp://127.0.0.1 "));
        w.cbsUserName->setEditText(QString());
        a.form->scans().Button1Click();
        // The page shown puts the job's own (upper-cased) mask into the field.
        QCOMPARE((QStringList{w.cbsServer->currentText(), w.cbsFindPath->currentText(),
                              w.cbsMask->currentText(), w.cbsUserName->currentText()}),
                 listOf("127.0.0.1|/pub/|*.MP3|anonymous"));
        QVERIFY(a.job(0)->Port == server.port() &&
                a.job(0)->SnapshotBase == a.program.path() + "Arhive/a");
        // The history files, unchanged by a second start of the same scan; Ctrl held at that
        // start lists only the start folder.
        const std::pair<const char*, std::string> history[] = {
            {"TXT/PATH.txt", "/pub/\r\n"},
            {"TXT/MASK.txt", "*.MP3\r\n"},
            {"TXT/Login.txt", "anonymous\r\n"},
            {"TXT/Password.txt", "us@site\r\n"},
            {"TXT/SERVER.txt", "127.0.0.1  /pub/  *.MP3  anonymous  us@site\r\n"},
            {"TXT/FTP.txt", "127.0.0.1\r\nold.example\r\n"}};
        for (int start = 0; start < 2; ++start) {
            a.dialogs->ctrl = start == 1;
            if (start) a.form->scans().Button1Click();
            QCOMPARE(a.pageCount(), start + 1);
            QCOMPARE(a.job(start)->Recursive, start == 0);
            for (const auto& [file, content] : history) QCOMPARE(*a.program.bytes(file), content);
            QCOMPARE(w.cbsMask->count(), 1);
            QVERIFY(a.scansEnd());
        }
    }

    void refusedStartsAndUnreadableResumeFilesTellWhyAndCreateNothing() {
        Window a;
        FormWidgets& w = a.w();
        ScanControl& scans = a.form->scans();
        for (const char* server : {"   ", "ftp://"}) {
            w.cbsServer->setEditText(QString::fromLatin1(server));
            scans.Button1Click();
        }
        QCOMPARE(a.dialogs->messages,
                 QStringList{QStringLiteral("Please enter the address of an FTP server.")});
        a.enter(99999);
        scans.Button1Click();
        QVERIFY(a.dialogs->errors.size() == 1 && a.dialogs->folders.isEmpty());
        QVERIFY(a.dialogs->errors.front().contains(QStringLiteral("65535")));
        a.enter(21);
        scans.Button1Click();  // the save dialog is cancelled
        QCOMPARE(a.dialogs->folders.size(), 1);

        a.program.write("Session/broken.qrsftp", {"not a resume file"});
        a.dialogs->opens.push_back(a.program.file("Session/broken.qrsftp"));
        a.dialogs->saves.push_back(a.saveAs("Arhive/never.qrnet"));
        scans.Button5Click();
        QCOMPARE(a.dialogs->errors.size(), 2);
        QVERIFY(
            a.dialogs->errors.last().startsWith(QStringLiteral("This file cannot be resumed.")));
        QVERIFY(a.pageCount() == 0 && a.form->state().context.Jobs.LastJobIndex() == -1);
        QVERIFY(!w.pc2->isVisible());
    }

    void aRunningScanRefusesItsTwinAndClosingItsPageStopsItAndItsResumeFileContinuesIt() {
        Window a;
        TreeServer server(64, 2, 0.3);
        FormWidgets& w = a.w();
        a.start(server.port(), "Arhive/cut.qrnet", QStringLiteral("*.*"));
        const auto job = a.job(0);
        const std::string resume = job->ResumeBase + ".qrsftp";
        QTRY_VERIFY_WITH_TIMEOUT(fileExists(resume) && job->DirIndex.load() >= 3, 20000);
        // The same scan again while it is connected is refused with its page number.
        a.start(server.port(), "Arhive/again.qrnet", QStringLiteral("*.*"));
        QCOMPARE(a.dialogs->messages,
                 QStringList{QStringLiteral("This scan is already running on page 1")});
        QCOMPARE(a.pageCount(), 1);
        a.dialogs->saves.clear();

        // That a closed page's files are never written again is the random closing's check.
        QTest::mouseClick(w.btnClose, Qt::LeftButton);
        QVERIFY(a.pageCount() == 0 && a.form->state().context.Jobs.LastJobIndex() == -1);
        QVERIFY(!w.pc2->isVisible() && w.logo->isVisible() && job->PageClosed.load());
        QVERIFY(a.scansEnd());
        QTest::qWait(700);  // time for a notice to show, were one given
        QVERIFY2(!a.form->tray().notice(), "a closed page gives no end-of-scan notice");

        a.dialogs->opens.push_back(QString::fromStdString(resume));
        a.form->scans().Button6Click();
        QCOMPARE(a.dialogs->folders.last(), a.program.file("Session"));
        QCOMPARE((QStringList{w.Edit4->text(), w.Edit5->text(), w.Edit6->text(), w.Edit10->text(),
                              w.Edit9->text()}),
                 listOf("127.0.0.1|/|*.*|anonymous|us@site"));

        a.dialogs->opens.push_back(QString::fromStdString(resume));
        a.dialogs->saves.push_back(a.saveAs("Arhive/whole.qrnet"));
        w.Button5->click();
        QVERIFY(a.pageCount() == 1 && a.job(0)->StartStamp.ends_with("_Ses"));
        QCOMPARE(w.Edit1->text(), QString::number(server.port()));
        QVERIFY(a.scansEnd());
        SnapshotData whole;
        std::string error;
        QVERIFY2(readSnapshotFile(a.program.path() + "Arhive/whole.qrnet", whole, &error),
                 error.c_str());
        // The folder being listed at the close is listed again, so its files may come twice.
        const Lines names = linesOf(whole.names);
        std::set<std::string> expected(server.names.begin(), server.names.end());
        expected.insert("readme.txt");
        QVERIFY(std::set(names.begin(), names.end()) == expected);
        QVERIFY(names.size() <= expected.size() + 2);
    }

    void closingTheWindowWithScansRunningEndsThemAll() {
        Window a;
        TreeServer server(10, 1, 0.3);
        for (const char* mask : {"*.mp3", "*.*"})
            a.start(server.port(), "Arhive/open.qrnet", QString::fromLatin1(mask));
        QTRY_VERIFY(a.job(1)->Running.load());
        a.form->close();
        a.form.reset();
        QVERIFY(a.program.bytes("quarrow.ini"));
    }
};

QUARROW_GUI_SUITE(GuiScanTest)

}  // namespace quarrow::test

#include "GuiScanTest.moc"
