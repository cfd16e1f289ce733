#include <ctime>

#include "gui/GuiFixture.h"
#include "platform/DateTimeText.h"

namespace quarrow::test {
namespace {

std::string serverKeywords(const TreeServer& server) {
    return "[server=127.0.0.1][port=" + std::to_string(server.port()) + "]";
}

}  // namespace

// The command line handed over at the first activation.
class GuiCommandLineTest : public QObject {
    Q_OBJECT

private slots:
    void loadfileStartsOneScanPerDescribedServerAndHideHidesToTheTray() {
        TreeServer server(8, 1, 0.4);
        TempDir lists;
        const std::string file = lists.path() + "servers.txt";
        makeTree(lists.path(), {{"servers.txt", serverKeywords(server) + "[mask=*.mp3]\r\n" +
                                                    "no server here\r\n" + serverKeywords(server) +
                                                    "[path=/dir1][nodirchild]\r\n"}});
        Window a({}, {"[loadfile=" + file + "][hide]", true});

        QTRY_COMPARE(a.form->pages().pageCount(), 2);
        QVERIFY(a.form->tray().shown());
        QCOMPARE(a.form->state().context.Jobs.LastJobIndex(), 2);
        QVERIFY2(jobOf(*a.form, 1)->Server.empty(), "a line without a server takes a job number");
        const auto second = jobOf(*a.form, 2);
        QCOMPARE(second->Path, std::string("/dir1/"));
        QVERIFY(!second->Recursive);
        QCOMPARE(a.form->state().context.CurrentJob.load(), 2);
        QCOMPARE(a.w().pc2->currentIndex(), 1);
        QVERIFY(a.dialogs->errors.isEmpty());

        QTRY_VERIFY_WITH_TIMEOUT(a.form->isHidden(), 3000);
        QVERIFY2(scansRunning(*a.form), "the scans outlast the hiding");
        QVERIFY(a.scansEnd());
        QTRY_VERIFY2(a.form->isVisible(), "the end-of-scan notice brings the window back");
    }

    void singleDescriptionFillsTheJobAndHidingWithoutATrayMinimises() {
        TreeServer server(6, 1, 0.4);
        Window a({}, {serverKeywords(server) + "[mask=.mp3][user=anonymous][hide]"});
        QTRY_COMPARE(a.form->pages().pageCount(), 1);
        const auto job = jobOf(*a.form, 0);
        const std::string date = formatDate(std::time(nullptr));
        QCOMPARE(job->Path, std::string("/"));
        QCOMPARE(job->Mask, std::string("*.MP3"));
        QCOMPARE(job->Port, server.port());
        QCOMPARE(job->Password, std::string("us@site"));
        QCOMPARE(job->SnapshotBase, a.program.path() + "Arhive/127.0.0.1_" + date);
        QVERIFY(a.w().pc2->tabText(0).endsWith(QStringLiteral("127.0.0.1")));
        QTRY_VERIFY_WITH_TIMEOUT(a.form->isMinimized(), 3000);
        QVERIFY2(!a.form->isHidden(), "without a tray the window is never hidden beyond reach");
        QVERIFY(a.scansEnd());
        QTRY_VERIFY(!a.form->isMinimized());
    }

    void portThatIsNotANumberStopsAtItsDescription() {
        TreeServer server(1, 1);
        TempDir lists;
        makeTree(lists.path(),
                 {{"s.txt", serverKeywords(server) + "\r\n[server=127.0.0.1][port=abc]\r\n" +
                                serverKeywords(server) + "[path=/dir0]\r\n"}});
        Window a({}, {"[loadfile=" + lists.path() + "s.txt][hide]", true});
        QTRY_COMPARE(a.dialogs->errors.size(), 1);
        QVERIFY(a.dialogs->errors.front().contains(QStringLiteral("abc")));
        QCOMPARE(a.form->pages().pageCount(), 1);
        QTest::qWait(1500);
        QVERIFY2(a.form->isVisible(), "Timer8 is not started, so [hide] has no effect");
        QVERIFY(a.scansEnd());

        // A whole number out of range fails on its own page; the batch goes on.
        makeTree(lists.path(), {{"t.txt", "[server=127.0.0.1][port=0]\r\n" +
                                              serverKeywords(server) + "[path=/dir0]\r\n"}});
        Window b({}, {"[loadfile=" + lists.path() + "t.txt]"});
        QTRY_COMPARE(b.form->pages().pageCount(), 2);
        QVERIFY(b.scansEnd());
        QVERIFY(b.dialogs->errors.isEmpty());
    }

    void unreadableLoadfileOrTheDayNumberStartsNothing() {
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        for (const bool dayNumber : {false, true}) {
            ProgramFolder program;
            auto dialogs = std::make_shared<FakeDialogs>();
            auto form = makeForm(program, dialogs,
                                 {dayNumber ? std::to_string(555 * local.tm_mday)
                                            : "[loadfile=" + program.path() + "missing.txt]"});
            QTRY_VERIFY(!form->state().firstActivation);
            QCOMPARE(form->pages().pageCount(), 0);
            QCOMPARE(form->state().context.Jobs.LastJobIndex(), -1);
            QTRY_COMPARE(dialogs->errors.size(), dayNumber ? 0 : 1);
            if (!dayNumber)
                QVERIFY(dialogs->errors.front().startsWith(
                    QStringLiteral("The command line was not carried out.")));
        }
    }
};

QUARROW_GUI_SUITE(GuiCommandLineTest)

}  // namespace quarrow::test

#include "GuiCommandLineTest.moc"
