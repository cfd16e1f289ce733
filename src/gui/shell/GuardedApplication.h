#pragma once

#include <QApplication>
#include <QString>
#include <functional>

namespace quarrow {

// The application object of the window program. An exception escaping an event handler is
// reported in an error box and the event loop goes on, so a failing handler skips only its
// own remaining steps instead of ending the program.
class GuardedApplication : public QApplication {
public:
    GuardedApplication(int& argc, char** argv);

    // Replaces the error box (tests collect the reports instead).
    void setErrorReporter(std::function<void(const QString&)> reporter);

    bool notify(QObject* receiver, QEvent* event) override;

private:
    std::function<void(const QString&)> reporter_;
};

}  // namespace quarrow
