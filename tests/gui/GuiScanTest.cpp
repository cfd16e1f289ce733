#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <set>

#include "GuiFixture.h"
#include "GuiSuites.h"
#include "engine/SnapshotFile.h"
#include "fixtures/FtpProxy.h"
#include "fixtures/FtpServer.h"
#include "gui/FormState.h"
#include "gui/LogoArea.h"
#include "gui/ScanControl.h"
#include "gui/ScanPage.h"
#include "gui/ScanPageControl.h"
#include "gui/ScanPages.h"
#include "gui/TrayNotice.h"
#include "gui/VirtualListView.h"
#include "platform/DateTimeText.h"
#include "platform/FileSystem.h"
#include "platform/TextLines.h"

namespace quarrow::test {
namespace {

constexpr int kScanTimeout = 30000;

FtpServerOptions slowServer(double seconds) {
    FtpServerOptions options;
    options.listDelaySeconds = seconds;
    return options;
}

SaveChoice saveAs(const ProgramFolder& program, const char* relative) {
    return SaveChoice{program.file(relative), 1};
}

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
        ProgramFolder program;
        TempDir tree;
        const auto names = mp3Tree(tree.path(), 5, 3);
        FtpServer server(tree.path(), slowServer(0.3));
        auto dialogs = std::make_shared<FakeDialogs>();
        dialogs->saves.push_back(saveAs(program, "Arhive/first.qrnet"));
        auto form = makeForm(program, dialogs);
        enterScan(*form, server.port());
        FormWidgets& w = form->widgets();
        QVERIFY(w.Button1->isEnabled());
        QVERIFY(w.logo->isVisible());

        QTest::mouseClick(w.Button1, Qt::LeftButton);
        QCOMPARE(dialogs->folders, QStringList{program.file("Arhive")});
        QCOMPARE(form->pages().pageCount(), 1);
        QVERIFY(w.pc2->isVisible());
        QVERIFY(!w.logo->isVisible());
        QTRY_COMPARE_WITH_TIMEOUT(w.pc2->scanTabBar()->colourOf(0), TabColour::Connected, 10000);
        const QColor green = tabBottomColour(*form, 0);
        QVERIFY2(green.green() > 180 && green.red() < 120, qPrintable(green.name()));
        ScanPage* page = form->pages().currentPage();
        QTRY_VERIFY_WITH_TIMEOUT(page->fileList()->itemCount() > 0, 10000);
        QTRY_VERIFY(w.Label1->text().contains(QStringLiteral("Files found: ")));

        QTRY_VERIFY_WITH_TIMEOUT(!scansRunning(*form), kScanTimeout);
        QTRY_COMPARE(w.pc2->scanTabBar()->colourOf(0), TabColour::Other);
        QTRY_COMPARE(page->fileList()->itemCount(), static_cast<int>(names.size()));
        const QColor orange = tabBottomColour(*form, 0);
        QVERIFY2(orange.red() > 200 && orange.blue() < 60, qPrintable(orange.name()));
        QStringList expected;
        for (const auto& name : names) expected.append(QString::fromStdString(name));
        QStringList shown = itemTexts(page->fileList());
        shown.sort();
        expected.sort();
        QCOMPARE(shown, expected);
        const QStringList folders = itemTexts(page->folderList());
        QCOMPARE(folders.size(), 6);
        QCOMPARE(folders.at(1), QStringLiteral("dir0"));
        QTRY_COMPARE(w.pc2->tabText(0), QStringLiteral("15 : 127.0.0.1"));
        QTRY_VERIFY(w.Label1->text().endsWith(QStringLiteral("\nNot connected.")));
        QTRY_VERIFY(form->tray().notice() && form->tray().notice()->isVisible());
        QVERIFY(form->tray().notice()->text().endsWith(QStringLiteral("Scan finished.")));
        QVERIFY(program.bytes("Arhive/first.qrnet"));
        QVERIFY2(program.bytes("Arhive/first.qrnet.txt"), "the first filter exports a list");
    }

    void aScanWhoseServerIsGoneForGoodIsNeverCalledFinished() {
        ProgramFolder program;
        program.write("quarrow.ini", {"[Connection]", "Reconnects=1", "ReconnectPause=10"});
        TempDir tree;
        mp3Tree(tree.path(), 6, 2);
        FtpServer server(tree.path());
        FtpProxyOptions dying;
        dying.closeAfter = 12;
        dying.maxConnections = 1;
        FtpProxy proxy(server.port(), dying);
        auto dialogs = std::make_shared<FakeDialogs>();
        dialogs->saves.push_back(saveAs(program, "Arhive/cut.qrnet"));
        auto form = makeForm(program, dialogs);
        enterScan(*form, proxy.port());
        QTest::mouseClick(form->widgets().Button1, Qt::LeftButton);

        QTRY_VERIFY_WITH_TIMEOUT(!scansRunning(*form), kScanTimeout);
        QTRY_VERIFY(form->tray().notice() && form->tray().notice()->isVisible());
        const QString text = form->tray().notice()->text();
        QVERIFY2(text.contains(QStringLiteral("the scan is interrupted")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("Scan incomplete.\nFolders not listed: ")),
                 qPrintable(text));
        QVERIFY2(!text.contains(QStringLiteral("Scan finished.")), qPrintable(text));
    }

    void startNormalisesTheEntriesAndUpdatesTheHistoryFiles() {
        ProgramFolder program;
        TempDir tree;
        mp3Tree(tree.path(), 1, 1);
        makeTree(tree.path(), {{"pub/x.mp3", "x"}});
        FtpServer server(tree.path());
        program.write("TXT/FTP.txt", {"old.example"});
        auto dialogs = std::make_shared<FakeDialogs>();
        dialogs->saves = {saveAs(program, "Arhive/a.qrnet"), saveAs(program, "Arhive/b.qrnet")};
        auto form = makeForm(program, dialogs);
        FormWidgets& w = form->widgets();
        enterScan(*form, server.port(), QStringLiteral("pub"), QStringLiteral(".mp3"));
        w.cbsServer->setEditText(QStringLiteral(" ftp://127.0.0.1 "));
        w.cbsUserName->setEditText(QString());
        form->scans().Button1Click();

        QCOMPARE(w.cbsServer->currentText(), QStringLiteral("127.0.0.1"));
        QCOMPARE(w.cbsFindPath->currentText(), QStringLiteral("/pub/"));
        // The page shown puts the job's own (upper-cased) mask into the field.
        QCOMPARE(w.cbsMask->currentText(), QStringLiteral("*.MP3"));
        QCOMPARE(w.cbsUserName->currentText(), QStringLiteral("anonymous"));
        const auto job = jobOf(*form, 0);
        QVERIFY(job);
        QCOMPARE(job->Mask, std::string("*.MP3"));
        QCOMPARE(job->Path, std::string("/pub/"));
        QCOMPARE(job->Port, server.port());
        QVERIFY(job->Recursive);
        QCOMPARE(job->SnapshotBase, program.path() + "Arhive/a");
        QCOMPARE(*program.bytes("TXT/PATH.txt"), std::string("/pub/\r\n"));
        QCOMPARE(*program.bytes("TXT/MASK.txt"), std::string("*.MP3\r\n"));
        QCOMPARE(*program.bytes("TXT/Login.txt"), std::string("anonymous\r\n"));
        QCOMPARE(*program.bytes("TXT/Password.txt"), std::string("us@site\r\n"));
        const std::string line = "127.0.0.1  /pub/  *.MP3  anonymous  us@site\r\n";
        QCOMPARE(*program.bytes("TXT/SERVER.txt"), line);
        QCOMPARE(*program.bytes("TXT/FTP.txt"), std::string("127.0.0.1\r\nold.example\r\n"));
        QVERIFY(w.cbsServer->findText(QStringLiteral("127.0.0.1")) >= 0);
        QTRY_VERIFY_WITH_TIMEOUT(!scansRunning(*form), kScanTimeout);

        form->scans().Button1Click();
        QCOMPARE(form->pages().pageCount(), 2);
        QCOMPARE(*program.bytes("TXT/SERVER.txt"), line);
        QCOMPARE(*program.bytes("TXT/FTP.txt"), std::string("127.0.0.1\r\nold.example\r\n"));
        QCOMPARE(w.cbsMask->count(), 1);
        QTRY_VERIFY_WITH_TIMEOUT(!scansRunning(*form), kScanTimeout);
    }

    void refusedStartsTellWhyAndCreateNothing() {
        ProgramFolder program;
        auto dialogs = std::make_shared<FakeDialogs>();
        auto form = makeForm(program, dialogs);
        FormWidgets& w = form->widgets();
        ScanControl& scans = form->scans();

        w.cbsServer->setEditText(QStringLiteral("   "));
        scans.Button1Click();
        QCOMPARE(dialogs->messages,
                 QStringList{QStringLiteral("Please enter the address of an FTP server.")});
        w.cbsServer->setEditText(QStringLiteral("ftp://"));
        scans.Button1Click();
        QCOMPARE(dialogs->messages.size(), 1);
        w.cbsServer->setEditText(QStringLiteral("127.0.0.1"));
        w.Port->setText(QStringLiteral("99999"));
        scans.Button1Click();
        QCOMPARE(dialogs->errors.size(), 1);
        QVERIFY(dialogs->errors.front().contains(QStringLiteral("65535")));
        QVERIFY(dialogs->folders.isEmpty());

        w.Port->setText(QStringLiteral("21"));
        scans.Button1Click();
        QCOMPARE(dialogs->folders.size(), 1);
        QCOMPARE(form->state().context.Jobs.LastJobIndex(), -1);
        QCOMPARE(form->pages().pageCount(), 0);
        QVERIFY(!w.pc2->isVisible());
    }

    void sameScanTwiceWhileConnectedIsRefusedWithItsPageNumber() {
        ProgramFolder program;
        TempDir tree;
        mp3Tree(tree.path(), 4, 1);
        FtpServer server(tree.path(), slowServer(0.3));
        auto dialogs = std::make_shared<FakeDialogs>();
        dialogs->saves = {saveAs(program, "Arhive/one.qrnet"), saveAs(program, "Arhive/two.qrnet")};
        auto form = makeForm(program, dialogs);
        enterScan(*form, server.port());
        form->scans().Button1Click();
        QTRY_VERIFY_WITH_TIMEOUT(jobOf(*form, 0)->Connected.load(), 10000);
        form->scans().Button1Click();
        QCOMPARE(dialogs->messages,
                 QStringList{QStringLiteral("This scan is already running on page 1")});
        QCOMPARE(form->pages().pageCount(), 1);
        QCOMPARE(static_cast<int>(dialogs->saves.size()), 1);
    }

    void ctrlHeldAtStartListsOnlyTheStartFolder() {
        ProgramFolder program;
        TempDir tree;
        mp3Tree(tree.path(), 3, 2);
        makeTree(tree.path(), {{"top.mp3", "t"}});
        FtpServer server(tree.path());
        auto dialogs = std::make_shared<FakeDialogs>();
        dialogs->saves.push_back(saveAs(program, "Arhive/flat.qrnet"));
        dialogs->ctrl = true;
        auto form = makeForm(program, dialogs);
        enterScan(*form, server.port());
        form->scans().Button1Click();
        QVERIFY(!jobOf(*form, 0)->Recursive);
        QTRY_VERIFY_WITH_TIMEOUT(!scansRunning(*form), kScanTimeout);
        QTRY_COMPARE(form->pages().currentPage()->fileList()->itemCount(), 1);
        QCOMPARE(jobOf(*form, 0)->DirIndex.load(), 0);
    }

    void closingAPageMidScanStopsItsWritesAndTheResumeFileContinuesIt() {
        ProgramFolder program;
        TempDir tree;
        const auto names = mp3Tree(tree.path(), 8, 2);
        FtpServer server(tree.path(), slowServer(0.3));
        auto dialogs = std::make_shared<FakeDialogs>();
        dialogs->saves.push_back(saveAs(program, "Arhive/cut.qrnet"));
        auto form = makeForm(program, dialogs);
        FormWidgets& w = form->widgets();
        enterScan(*form, server.port(), QStringLiteral("/"), QStringLiteral("*.*"));
        form->scans().Button1Click();
        const auto job = jobOf(*form, 0);
        const std::string resume = job->ResumeBase + ".qrsftp";
        QTRY_VERIFY_WITH_TIMEOUT(fileExists(resume) && job->DirIndex.load() >= 3, 20000);

        QTest::mouseClick(w.btnClose, Qt::LeftButton);
        QCOMPARE(form->state().context.Jobs.LastJobIndex(), -1);
        QCOMPARE(form->pages().pageCount(), 0);
        QVERIFY(!w.pc2->isVisible());
        QVERIFY(w.logo->isVisible());
        QVERIFY(job->PageClosed.load());
        std::string snapshotAtClose, resumeAtClose;
        QVERIFY(readWholeFile(job->SnapshotBase + ".qrnet", snapshotAtClose));
        QVERIFY(readWholeFile(resume, resumeAtClose));
        QTRY_VERIFY_WITH_TIMEOUT(!scansRunning(*form), kScanTimeout);
        QTest::qWait(700);
        std::string snapshotLater, resumeLater;
        QVERIFY(readWholeFile(job->SnapshotBase + ".qrnet", snapshotLater));
        QVERIFY(readWholeFile(resume, resumeLater));
        QVERIFY(snapshotLater == snapshotAtClose);
        QVERIFY(resumeLater == resumeAtClose);
        QVERIFY2(!form->tray().notice(), "a closed page gives no end-of-scan notice");

        dialogs->opens.push_back(QString::fromStdString(resume));
        form->scans().Button6Click();
        QCOMPARE(dialogs->folders.last(), program.file("Session"));
        QCOMPARE(w.Edit4->text(), QStringLiteral("127.0.0.1"));
        QCOMPARE(w.Edit5->text(), QStringLiteral("/"));
        QCOMPARE(w.Edit6->text(), QStringLiteral("*.*"));
        QCOMPARE(w.Edit10->text(), QStringLiteral("anonymous"));
        QCOMPARE(w.Edit9->text(), QStringLiteral("us@site"));

        dialogs->opens.push_back(QString::fromStdString(resume));
        dialogs->saves.push_back(saveAs(program, "Arhive/whole.qrnet"));
        w.Button5->click();
        QCOMPARE(form->pages().pageCount(), 1);
        const auto resumed = jobOf(*form, 0);
        QVERIFY(resumed->StartStamp.ends_with("_Ses"));
        QCOMPARE(resumed->Port, server.port());
        QCOMPARE(w.Edit1->text(), QString::number(server.port()));
        QTRY_VERIFY_WITH_TIMEOUT(!scansRunning(*form), kScanTimeout);
        SnapshotData whole;
        std::string error;
        QVERIFY2(readSnapshotFile(program.path() + "Arhive/whole.qrnet", whole, &error),
                 error.c_str());
        // The folder being listed at the close is listed again, so its files may come twice.
        std::set<std::string> distinct;
        for (std::size_t i = 0; i < whole.names.size(); ++i)
            distinct.insert(std::string(whole.names[i]));
        std::set<std::string> expected(names.begin(), names.end());
        expected.insert("readme.txt");
        QVERIFY(distinct == expected);
        QVERIFY(whole.names.size() <= expected.size() + 2);
    }

    void resumeFileThatCannotBeReadIsReportedAndStartsNothing() {
        ProgramFolder program;
        auto dialogs = std::make_shared<FakeDialogs>();
        auto form = makeForm(program, dialogs);
        program.write("Session/broken.qrsftp", {"not a resume file"});
        dialogs->opens.push_back(program.file("Session/broken.qrsftp"));
        dialogs->saves.push_back(saveAs(program, "Arhive/never.qrnet"));
        form->scans().Button5Click();
        QCOMPARE(dialogs->errors.size(), 1);
        QVERIFY(dialogs->errors.front().startsWith(QStringLiteral("This file cannot be resumed.")));
        QCOMPARE(form->pages().pageCount(), 0);
        QCOMPARE(form->state().context.Jobs.LastJobIndex(), -1);
    }
};

std::unique_ptr<QObject> makeGuiScanTest() {
    return std::make_unique<GuiScanTest>();
}

}  // namespace quarrow::test

#include "GuiScanTest.moc"
