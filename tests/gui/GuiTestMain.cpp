#include <QTest>

#include "GuiSuites.h"
#include "gui/shell/GuardedApplication.h"

namespace quarrow::test {

std::map<QString, GuiSuiteMaker>& guiSuites() {
    static std::map<QString, GuiSuiteMaker> suites;
    return suites;
}

}  // namespace quarrow::test

using namespace quarrow::test;

// Usage: quarrow_gui_tests [SUITE] [Qt Test options]. Without a suite every suite runs.
int main(int argc, char** argv) {
    quarrow::GuardedApplication application(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    QStringList chosen;
    if (arguments.size() > 1 && !arguments.at(1).startsWith(QLatin1Char('-'))) {
        if (!guiSuites().count(arguments.at(1))) {
            qCritical("unknown suite %s", qPrintable(arguments.at(1)));
            return 2;
        }
        chosen.append(arguments.takeAt(1));
    } else {
        for (const auto& [name, make] : guiSuites()) chosen.append(name);
    }
    int failures = 0;
    for (const QString& name : chosen)
        failures += QTest::qExec(guiSuites().at(name)().get(), arguments);
    return failures == 0 ? 0 : 1;
}
