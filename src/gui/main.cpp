#include <QIcon>
#include <QSystemTrayIcon>

#include "gui/shell/FormDialogs.h"
#include "gui/shell/GuardedApplication.h"
#include "gui/shell/TFtpForm.h"
#include "gui/widgets/QtText.h"
#include "platform/FileSystem.h"

int main(int argc, char** argv) {
    quarrow::GuardedApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quarrow"));
    QApplication::setApplicationDisplayName(QStringLiteral("Quarrow"));
    QApplication::setDesktopFileName(QStringLiteral("quarrow"));

    quarrow::FormSetup setup;
    setup.programDir = quarrow::toSystem(QCoreApplication::applicationDirPath()) + "/";
    setup.settingsFile =
        quarrow::withoutExtension(quarrow::toSystem(QCoreApplication::applicationFilePath())) +
        ".ini";
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() > 1) setup.argument = quarrow::toSystem(arguments.at(1));
    setup.dialogs = std::make_shared<quarrow::DesktopDialogs>();
    setup.trayAvailable = [] { return QSystemTrayIcon::isSystemTrayAvailable(); };
    setup.version = QUARROW_VERSION;
    QApplication::setWindowIcon(
        QIcon(quarrow::fromSystem(setup.programDir) + QStringLiteral("quarrow.png")));

    quarrow::TFtpForm form(std::move(setup));
    form.show();
    return QApplication::exec();
}
