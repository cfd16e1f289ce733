#include "gui/shell/GuardedApplication.h"

#include <QMessageBox>
#include <exception>

namespace quarrow {

GuardedApplication::GuardedApplication(int& argc, char** argv)
    : QApplication(argc, argv), reporter_([](const QString& text) {
          QMessageBox::critical(nullptr, QApplication::applicationDisplayName(), text);
      }) {}

void GuardedApplication::setErrorReporter(std::function<void(const QString&)> reporter) {
    reporter_ = std::move(reporter);
}

bool GuardedApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        reporter_(QString::fromUtf8(error.what()));
    } catch (...) {
        reporter_(QStringLiteral("Unexpected error"));
    }
    return false;
}

}  // namespace quarrow
