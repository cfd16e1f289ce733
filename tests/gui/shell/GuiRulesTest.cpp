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
#include "gui/widgets/TimerNotifier.h"

namespace quarrow::test {

// The window's drawing and display rules that need no running scan.
class GuiRulesTest : public QObject {
    Q_OBJECT

private slots:
    void textsAndColumnsFollowTheirRules() {
        const std::pair<int, int> columns[] = {{299, 1}, {300, 2}, {700, 2}, {701, 3},
                                               {970, 3}, {971, 4}, {1600, 4}};
        for (const auto& [width, count] : columns) QCOMPARE(fileListColumns(width), count);

        const QString title = fitBalloonField(QString(70, QLatin1Char('t')), kBalloonTitleLength);
        QVERIFY(title.size() == 63 && title.endsWith(QChar(0x2026)));
        QCOMPARE(fitBalloonField(QStringLiteral("short"), 63), QStringLiteral("short"));
        QCOMPARE(fitBalloonField(QString(300, QLatin1Char('x')), kBalloonTextLength).size(), 255);

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
        int after = 0;
        QTimer::singleShot(0, [] { throw std::runtime_error("cannot open x.txt"); });
        QTimer::singleShot(0, [&after] { ++after; });
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
