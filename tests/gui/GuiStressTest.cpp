#include <QComboBox>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <map>
#include <random>

#include "GuiFixture.h"
#include "GuiSuites.h"
#include "fixtures/FtpServer.h"
#include "gui/FormState.h"
#include "gui/ScanControl.h"
#include "gui/ScanPage.h"
#include "gui/ScanPageControl.h"
#include "gui/ScanPages.h"
#include "platform/FileSystem.h"

namespace quarrow::test {
namespace {

std::optional<std::string> contentOf(const std::string& path) {
    std::string bytes;
    if (!readWholeFile(path, bytes)) return std::nullopt;
    return bytes;
}

}  // namespace

// Many scans started from the scanner page and their pages closed in random order while they
// run: nothing crashes or hangs, and a closed page's files are never written again.
class GuiStressTest : public QObject {
    Q_OBJECT

private slots:
    void pagesClosedInRandomOrderWhileScanning() {
        ProgramFolder program;
        TempDir tree;
        mp3Tree(tree.path(), 10, 2);
        FtpServerOptions slow;
        slow.listDelaySeconds = 0.05;
        FtpServer server(tree.path(), slow);
        auto dialogs = std::make_shared<FakeDialogs>();
        auto form = makeForm(program, dialogs);
        FormWidgets& w = form->widgets();
        std::mt19937 random(4242);
        int closedAfterAWrite = 0;
        const QString masks[] = {QStringLiteral("*.mp3"), QStringLiteral("*.txt"),
                                 QStringLiteral("*.*"), QStringLiteral("*.ogg*.mp3")};

        for (int round = 0; round < 3; ++round) {
            for (int scan = 0; scan < 4; ++scan) {
                const std::string name =
                    "Arhive/s" + std::to_string(round) + "_" + std::to_string(scan) + ".qrnet";
                dialogs->saves.push_back(SaveChoice{program.file(name.c_str()), 1});
                enterScan(*form, server.port(), QStringLiteral("/"), masks[scan]);
                form->scans().Button1Click();
            }
            QCOMPARE(form->pages().pageCount(), 4);
            std::map<std::string, std::optional<std::string>> atClose;
            while (form->pages().pageCount() > 0) {
                QTest::qWait(static_cast<int>(random() % 200));
                w.pc2->setCurrentIndex(static_cast<int>(random() % form->pages().pageCount()));
                const auto job = jobOf(*form, form->pages().currentPage()->jobNumber());
                QVERIFY(job);
                w.btnClose->click();
                QVERIFY(job->PageClosed.load());
                for (const std::string& file :
                     {job->SnapshotBase + ".qrnet", job->ResumeBase + ".qrsftp"})
                    atClose[file] = contentOf(file);
                if (atClose[job->ResumeBase + ".qrsftp"]) ++closedAfterAWrite;
            }
            QCOMPARE(form->state().context.Jobs.LastJobIndex(), -1);
            QVERIFY(!w.pc2->isVisible());
            QTRY_VERIFY_WITH_TIMEOUT(!scansRunning(*form), 20000);
            QTest::qWait(300);
            for (const auto& [file, content] : atClose)
                QVERIFY2(contentOf(file) == content, file.c_str());
            QVERIFY(dialogs->messages.isEmpty());
        }
        QVERIFY2(closedAfterAWrite > 0, "no page was closed while its scan was saving");
    }

    void closingTheWindowWithScansRunningEndsThemAll() {
        ProgramFolder program;
        TempDir tree;
        mp3Tree(tree.path(), 10, 1);
        FtpServerOptions slow;
        slow.listDelaySeconds = 0.3;
        FtpServer server(tree.path(), slow);
        auto dialogs = std::make_shared<FakeDialogs>();
        auto form = makeForm(program, dialogs);
        for (const char* mask : {"*.mp3", "*.*"}) {
            dialogs->saves.push_back(SaveChoice{program.file("Arhive/open.qrnet"), 1});
            enterScan(*form, server.port(), QStringLiteral("/"), QString::fromLatin1(mask));
            form->scans().Button1Click();
        }
        QTRY_VERIFY(jobOf(*form, 1)->Running.load());
        form->close();
        form.reset();
        QVERIFY(program.bytes("quarrow.ini"));
    }
};

std::unique_ptr<QObject> makeGuiStressTest() {
    return std::make_unique<GuiStressTest>();
}

}  // namespace quarrow::test

#include "GuiStressTest.moc"
