#include <QTabWidget>
#include <QTest>
#include <ctime>

#include "GuiFixture.h"
#include "GuiSuites.h"
#include "fixtures/FtpServer.h"
#include "gui/FormState.h"
#include "gui/ScanPageControl.h"
#include "gui/ScanPages.h"
#include "gui/TrayNotice.h"
#include "platform/DateTimeText.h"

namespace quarrow::test {
namespace {

constexpr int kScanTimeout = 30000;

std::string serverKeywords(const FtpServer& server) {
    return "[server=127.0.0.1][port=" + std::to_string(server.port()) + "]";
}

}  // namespace

// The command line handed over at the first activation.
class GuiCommandLineTest : public QObject {
    Q_OBJECT

private slots:
    void loadfileStartsOneScanPerDescribedServerAndHideHidesToTheTray() {
        ProgramFolder program;
        TempDir tree;
        mp3Tree(tree.path(), 8, 1);
        FtpServerOptions slow;
        slow.listDelaySeconds = 0.4;
        FtpServer server(tree.path(), slow);
        TempDir lists;
        const std::string file = lists.path() + "servers.txt";
        makeTree(lists.path(), {{"servers.txt", serverKeywords(server) + "[mask=*.mp3]\r\n" +
                                                    "no server here\r\n" + serverKeywords(server) +
                                                    "[path=/dir1][nodirchild]\r\n"}});
        auto dialogs = std::make_shared<FakeDialogs>();
        auto form = makeForm(program, dialogs, {"[loadfile=" + file + "][hide]", true});

        QTRY_COMPARE(form->pages().pageCount(), 2);
        QVERIFY(form->tray().shown());
        QCOMPARE(form->state().context.Jobs.LastJobIndex(), 2);
        QVERIFY2(jobOf(*form, 1)->Server.empty(), "a line without a server takes a job number");
        const auto second = jobOf(*form, 2);
        QCOMPARE(second->Path, std::string("/dir1/"));
        QVERIFY(!second->Recursive);
        QCOMPARE(form->state().context.CurrentJob.load(), 2);
        QCOMPARE(form->widgets().pc2->currentIndex(), 1);
        QVERIFY(dialogs->errors.isEmpty());

        QTRY_VERIFY_WITH_TIMEOUT(form->isHidden(), 3000);
        QVERIFY2(scansRunning(*form), "the scans outlast the hiding");
        QTRY_VERIFY_WITH_TIMEOUT(!scansRunning(*form), kScanTimeout);
        QTRY_VERIFY2(form->isVisible(), "the end-of-scan notice brings the window back");
    }

    void singleDescriptionFillsTheJobAndHidingWithoutATrayMinimises() {
        ProgramFolder program;
        TempDir tree;
        mp3Tree(tree.path(), 6, 1);
        FtpServerOptions slow;
        slow.listDelaySeconds = 0.4;
        FtpServer server(tree.path(), slow);
        auto dialogs = std::make_shared<FakeDialogs>();
        auto form = makeForm(program, dialogs,
                             {serverKeywords(server) + "[mask=.mp3][user=anonymous][hide]"});
        QTRY_COMPARE(form->pages().pageCount(), 1);
        const auto job = jobOf(*form, 0);
        const std::string date = formatDate(std::time(nullptr));
        QCOMPARE(job->Path, std::string("/"));
        QCOMPARE(job->Mask, std::string("*.MP3"));
        QCOMPARE(job->Port, server.port());
        QCOMPARE(job->Password, std::string("us@site"));
        QCOMPARE(job->SnapshotBase, program.path() + "Arhive/127.0.0.1_" + date);
        QCOMPARE(form->widgets().pc2->tabText(0).endsWith(QStringLiteral("127.0.0.1")), true);
        QTRY_VERIFY_WITH_TIMEOUT(form->isMinimized(), 3000);
        QVERIFY2(!form->isHidden(), "without a tray the window is never hidden beyond reach");
        QTRY_VERIFY_WITH_TIMEOUT(!scansRunning(*form), kScanTimeout);
        QTRY_VERIFY(!form->isMinimized());
    }

    void portThatIsNotANumberStopsAtItsDescription() {
        ProgramFolder program;
        TempDir tree;
        mp3Tree(tree.path(), 1, 1);
        FtpServer server(tree.path());
        TempDir lists;
        makeTree(lists.path(),
                 {{"s.txt", serverKeywords(server) + "\r\n[server=127.0.0.1][port=abc]\r\n" +
                                serverKeywords(server) + "[path=/dir0]\r\n"}});
        auto dialogs = std::make_shared<FakeDialogs>();
        auto form =
            makeForm(program, dialogs, {"[loadfile=" + lists.path() + "s.txt][hide]", true});
        QTRY_COMPARE(dialogs->errors.size(), 1);
        QVERIFY(dialogs->errors.front().contains(QStringLiteral("abc")));
        QCOMPARE(form->pages().pageCount(), 1);
        QTest::qWait(1500);
        QVERIFY2(form->isVisible(), "Timer8 is not started, so [hide] has no effect");
        QTRY_VERIFY_WITH_TIMEOUT(!scansRunning(*form), kScanTimeout);
    }

    void unreadableLoadfileStartsNothing() {
        ProgramFolder program;
        auto dialogs = std::make_shared<FakeDialogs>();
        auto form = makeForm(program, dialogs, {"[loadfile=" + program.path() + "missing.txt]"});
        QTRY_COMPARE(dialogs->errors.size(), 1);
        QVERIFY(dialogs->errors.front().startsWith(
            QStringLiteral("The command line was not carried out.")));
        QCOMPARE(form->pages().pageCount(), 0);
        QCOMPARE(form->state().context.Jobs.LastJobIndex(), -1);
    }

    void argumentOfTheDayNumberStartsNothing() {
        ProgramFolder program;
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        auto dialogs = std::make_shared<FakeDialogs>();
        auto form = makeForm(program, dialogs, {std::to_string(555 * local.tm_mday)});
        QTRY_VERIFY(!form->state().firstActivation);
        QCOMPARE(form->pages().pageCount(), 0);
        QCOMPARE(form->state().context.Jobs.LastJobIndex(), -1);
        QVERIFY(dialogs->errors.isEmpty());
    }
};

std::unique_ptr<QObject> makeGuiCommandLineTest() {
    return std::make_unique<GuiCommandLineTest>();
}

}  // namespace quarrow::test

#include "GuiCommandLineTest.moc"
