#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>
#include <thread>

#include "GuiSuites.h"
#include "gui/ExtensionIcons.h"
#include "gui/FolderRowText.h"
#include "gui/Gradient.h"
#include "gui/GuardedApplication.h"
#include "gui/JobRowsModel.h"
#include "gui/ScanPages.h"
#include "gui/TimerNotifier.h"
#include "gui/TrayNotice.h"
#include "gui/VirtualListView.h"

namespace quarrow::test {

// The window's drawing and display rules that need no running scan.
class GuiRulesTest : public QObject {
    Q_OBJECT

private slots:
    void gradientBandsBlendNeighbouringColours() {
        const auto lines =
            gradientLines(10, {QColor(0, 0, 0), QColor(100, 0, 0), QColor(100, 200, 0)});
        QCOMPARE(static_cast<int>(lines.size()), 10);
        // Two bands of 5 lines; the last one takes 10 - 5 - 1 = 4 steps.
        QCOMPARE(lines[0], QColor(0, 0, 0));
        QCOMPARE(lines[1], QColor(20, 0, 0));
        QCOMPARE(lines[4], QColor(80, 0, 0));
        QCOMPARE(lines[5], QColor(100, 0, 0));
        QCOMPARE(lines[6], QColor(100, 50, 0));
        QCOMPARE(lines[9], QColor(100, 200, 0));
        QVERIFY(gradientLines(10, {QColor(1, 2, 3)}).empty());
        QCOMPARE(gradientLines(1, {Qt::black, Qt::white}).front(), QColor(Qt::white));
    }

    void fileListColumnsFollowTheWindowWidth() {
        const std::pair<int, int> cases[] = {{299, 1}, {300, 2}, {700, 2}, {701, 3},
                                             {970, 3}, {971, 4}, {1600, 4}};
        for (const auto& [width, columns] : cases) QCOMPARE(fileListColumns(width), columns);
    }

    void balloonFieldsAreCutToTheirLength() {
        QCOMPARE(fitBalloonField(QStringLiteral("short"), kBalloonTitleLength),
                 QStringLiteral("short"));
        const QString title(70, QLatin1Char('t'));
        const QString fitted = fitBalloonField(title, kBalloonTitleLength);
        QCOMPARE(fitted.size(), kBalloonTitleLength);
        QVERIFY(fitted.endsWith(QChar(0x2026)));
        QCOMPARE(fitBalloonField(QString(255, QLatin1Char('x')), kBalloonTextLength).size(), 255);
    }

    void folderRowsShowTheLastTwoLevelsAndResolveReferences() {
        QCOMPARE(folderRowName("/pub/"), std::string("pub"));
        QCOMPARE(folderRowName("/pub/music/"), std::string("music"));
        QCOMPARE(folderRowName("/a/b/c/"), std::string("b/c"));
        QCOMPARE(folderRowName("/"), std::string(""));
        QCOMPARE(folderBackReference("12"), 12L);
        QCOMPARE(folderBackReference("/pub/"), -1L);
        QCOMPARE(folderBackReference("1a"), -1L);
    }

    void extensionsAreCachedOncePerUpperCasedExtension() {
        ExtensionIcons icons;
        icons.iconFor(QStringLiteral("a.mp3"));
        icons.iconFor(QStringLiteral("B.MP3"));
        icons.iconFor(QStringLiteral("noext"));
        icons.iconFor(QStringLiteral("x.tar.gz"));
        QCOMPARE(icons.extensions(),
                 (std::vector<QString>{QStringLiteral(".MP3"), QString(), QStringLiteral(".GZ")}));
        QVERIFY(!icons.folderIcon().isNull());
    }

    void virtualRowsFillTheGridRowByRowAndKeepTheSelection() {
        int reads = 0;
        VirtualListView view(
            [&reads](int item) -> std::optional<RowLook> {
                ++reads;
                return RowLook{QString::number(item), RowBackground::File, QIcon()};
            },
            nullptr);
        JobRowsModel& rows = view.rows();
        rows.setColumns(3);
        view.setItemCount(1'000'000, true);
        QCOMPARE(rows.rowCount(), 333'334);
        QCOMPARE(reads, 0);
        QCOMPARE(rows.itemAt(rows.index(1, 2)), 5);
        QCOMPARE(rows.itemAt(rows.index(333'333, 1)), -1);
        QCOMPARE(rows.data(rows.indexOfItem(999'999), Qt::DisplayRole).toString(),
                 QStringLiteral("999999"));

        view.selectItem(7);
        view.setItemCount(1'000'010, true);
        QCOMPARE(view.selectedItem(), 7);
        view.setItemCount(5, true);
        QCOMPARE(view.selectedItem(), -1);
        QCOMPARE(rows.rowCount(), 2);
    }

    void failingHandlerIsReportedAndTheLoopGoesOn() {
        auto* application = dynamic_cast<GuardedApplication*>(QCoreApplication::instance());
        QVERIFY(application);
        QStringList reports;
        application->setErrorReporter([&reports](const QString& text) { reports.append(text); });
        const auto restore = qScopeGuard([application] {
            application->setErrorReporter([](const QString& text) { QFAIL(qPrintable(text)); });
        });
        QTimer failing;
        failing.setSingleShot(true);
        int after = 0;
        connect(&failing, &QTimer::timeout, [] { throw std::runtime_error("cannot open x.txt"); });
        QTimer::singleShot(0, [&after] { ++after; });
        failing.start(0);
        QTRY_COMPARE(reports, QStringList{QStringLiteral("cannot open x.txt")});
        QTRY_COMPARE(after, 1);
    }

    void workersWakeTheTimerOnceAndNeverAfterDetach() {
        QTimer timer;
        timer.setSingleShot(true);
        timer.setInterval(50);
        QSignalSpy ticks(&timer, &QTimer::timeout);
        auto notifier = std::make_shared<TimerNotifier>(&timer);
        std::vector<std::thread> workers;
        for (int t = 0; t < 4; ++t)
            workers.emplace_back([&notifier] {
                for (int i = 0; i < 2000; ++i) notifier->enable();
            });
        for (auto& worker : workers) worker.join();
        QTRY_COMPARE(ticks.count(), 1);
        QTest::qWait(200);
        QCOMPARE(ticks.count(), 1);

        notifier->enable();
        QTRY_COMPARE(ticks.count(), 2);
        notifier->detach();
        notifier->enable();
        QTest::qWait(200);
        QCOMPARE(ticks.count(), 2);
        QVERIFY(!timer.isActive());
    }
};

std::unique_ptr<QObject> makeGuiRulesTest() {
    return std::make_unique<GuiRulesTest>();
}

}  // namespace quarrow::test

#include "GuiRulesTest.moc"
