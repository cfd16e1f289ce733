#include <map>
#include <random>

#include "engine/TestHelpers.h"
#include "gui/GuiFixture.h"

namespace quarrow::test {

// Many scans started from the scanner page and their pages closed in random order while they
// run: nothing crashes or hangs, and a closed page's files are never written again.
class GuiStressTest : public QObject {
    Q_OBJECT

private slots:
    void pagesClosedInRandomOrderWhileScanning() {
        Window a;
        TreeServer server(10, 2, 0.05);
        FormWidgets& w = a.w();
        std::mt19937 random(4242);
        int closedAfterAWrite = 0;
        const QString masks[] = {QStringLiteral("*.mp3"), QStringLiteral("*.txt"),
                                 QStringLiteral("*.*"), QStringLiteral("*.ogg*.mp3")};

        for (int round = 0; round < 3; ++round) {
            for (int scan = 0; scan < 4; ++scan) {
                const std::string name =
                    "Arhive/s" + std::to_string(round) + "_" + std::to_string(scan) + ".qrnet";
                a.start(server.port(), name.c_str(), masks[scan]);
            }
            QCOMPARE(a.form->pages().pageCount(), 4);
            std::map<std::string, std::optional<std::string>> atClose;
            while (a.form->pages().pageCount() > 0) {
                QTest::qWait(static_cast<int>(random() % 200));
                w.pc2->setCurrentIndex(static_cast<int>(random() % a.form->pages().pageCount()));
                const auto job = jobOf(*a.form, a.form->pages().currentPage()->jobNumber());
                QVERIFY(job);
                w.btnClose->click();
                QVERIFY(job->PageClosed.load());
                for (const std::string& file :
                     {job->SnapshotBase + ".qrnet", job->ResumeBase + ".qrsftp"})
                    atClose[file] = bytesOf(file);
                if (atClose[job->ResumeBase + ".qrsftp"]) ++closedAfterAWrite;
            }
            QCOMPARE(a.form->state().context.Jobs.LastJobIndex(), -1);
            QVERIFY(!w.pc2->isVisible());
            QVERIFY(a.scansEnd(20000));
            QTest::qWait(300);
            for (const auto& [file, content] : atClose)
                QVERIFY2(bytesOf(file) == content, file.c_str());
            QVERIFY(a.dialogs->messages.isEmpty());
        }
        QVERIFY2(closedAfterAWrite > 0, "no page was closed while its scan was saving");
    }

    void closingTheWindowWithScansRunningEndsThemAll() {
        Window a;
        TreeServer server(10, 1, 0.3);
        for (const char* mask : {"*.mp3", "*.*"})
            a.start(server.port(), "Arhive/open.qrnet", QString::fromLatin1(mask));
        QTRY_VERIFY(jobOf(*a.form, 1)->Running.load());
        a.form->close();
        a.form.reset();
        QVERIFY(a.program.bytes("quarrow.ini"));
    }
};

QUARROW_GUI_SUITE(GuiStressTest)

}  // namespace quarrow::test

#include "GuiStressTest.moc"
