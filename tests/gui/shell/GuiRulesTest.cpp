#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>
#include <thread>

#include "gui/GuiSuites.h"
#include "gui/scan/FolderRowText.h"
#include "gui/scan/JobRowsModel.h"
#include "gui/scan/ScanPages.h"
#include "gui/scan/VirtualListView.h"
#include "gui/shell/GuardedApplication.h"
#include "gui/shell/TrayNotice.h"
#include "gui/widgets/Gradient.h"
#include "gui/widgets/TimerNotifier.h"

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
        const std::pair<int, QColor> drawn[] = {{0, QColor(0, 0, 0)},    {1, QColor(20, 0, 0)},
                                                {4, QColor(80, 0, 0)},   {5, QColor(100, 0, 0)},
                                                {6, QColor(100, 50, 0)}, {9, QColor(100, 200, 0)}};
        for (const auto& [line, colour] : drawn) QCOMPARE(lines[line], colour);
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
        const std::pair<std::string, std::string> names[] = {
            {"/pub/", "pub"}, {"/pub/music/", "music"}, {"/a/b/c/", "b/c"}, {"/", ""}};
        for (const auto& [path, name] : names) QCOMPARE(folderRowName(path), name);
        const std::pair<std::string, long> references[] = {{"12", 12}, {"/pub/", -1}, {"1a", -1}};
        for (const auto& [text, reference] : references)
            QCOMPARE(folderBackReference(text), reference);
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
        QSignalSpy ticks(&timer, &QTimer::timeout);
        auto notifier = std::make_shared<TimerNotifier>(&timer);
        std::vector<std::jthread> workers;
        for (int t = 0; t < 4; ++t)
            workers.emplace_back([&notifier] {
                for (int i = 0; i < 2000; ++i) notifier->enable();
            });
        workers.clear();
        QTRY_COMPARE(ticks.count(), 1);
        notifier->detach();
        notifier->enable();
        QTest::qWait(200);
        QCOMPARE(ticks.count(), 1);
        QVERIFY(!timer.isActive());
    }
};

QUARROW_GUI_SUITE(GuiRulesTest)

}  // namespace quarrow::test

#include "GuiRulesTest.moc"
