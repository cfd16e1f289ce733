#include <QTest>
#include <functional>
#include <map>

#include "GuiSuites.h"
#include "gui/shell/GuardedApplication.h"

using namespace quarrow::test;

// Usage: quarrow_gui_tests [SUITE] [Qt Test options]. Without a suite every suite runs.
int main(int argc, char** argv) {
    quarrow::GuardedApplication application(argc, argv);
    const std::map<QString, std::function<std::unique_ptr<QObject>()>> suites = {
        {QStringLiteral("GuiRulesTest"), makeGuiRulesTest},
        {QStringLiteral("GuiScanTest"), makeGuiScanTest},
        {QStringLiteral("GuiCommandLineTest"), makeGuiCommandLineTest},
        {QStringLiteral("GuiLanguageTest"), makeGuiLanguageTest},
        {QStringLiteral("GuiSettingsTest"), makeGuiSettingsTest},
        {QStringLiteral("GuiOptionsTest"), makeGuiOptionsTest},
        {QStringLiteral("GuiStressTest"), makeGuiStressTest},
        {QStringLiteral("GuiArchiveSearchTest"), makeGuiArchiveSearchTest},
        {QStringLiteral("GuiNewFilesTest"), makeGuiNewFilesTest},
        {QStringLiteral("GuiWatchDialogTest"), makeGuiWatchDialogTest},
        {QStringLiteral("GuiWatchTest"), makeGuiWatchTest},
        {QStringLiteral("GuiUpdateTest"), makeGuiUpdateTest},
    };
    QStringList arguments = QCoreApplication::arguments();
    QStringList chosen;
    if (arguments.size() > 1 && !arguments.at(1).startsWith(QLatin1Char('-'))) {
        if (!suites.count(arguments.at(1))) {
            qCritical("unknown suite %s", qPrintable(arguments.at(1)));
            return 2;
        }
        chosen.append(arguments.takeAt(1));
    }
    if (chosen.isEmpty())
        for (const auto& [name, make] : suites) chosen.append(name);
    int failures = 0;
    for (const QString& name : chosen) {
        const auto suite = suites.at(name)();
        failures += QTest::qExec(suite.get(), arguments);
    }
    return failures == 0 ? 0 : 1;
}
