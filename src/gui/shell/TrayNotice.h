#pragma once

#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

class QSystemTrayIcon;
class QTimer;
class QWidget;

namespace quarrow {

// Balloon icons: none, information, warning, error.
enum class BalloonIcon { None = 0, Information = 1, Warning = 2, Error = 3 };

// The longest balloon title and text; longer ones are cut and end in "…".
inline constexpr int kBalloonTitleLength = 63;
inline constexpr int kBalloonTextLength = 255;
QString fitBalloonField(const QString& text, int length);

// The tray icon of the main window and its balloons. Where the desktop has no tray the window
// is never hidden beyond reach (it is minimised instead) and a balloon becomes a small
// non-modal notice window that closes by itself.
class TrayNotice : public QObject {
public:
    // `trayAvailable` tells whether the desktop has a tray (tests decide it).
    TrayNotice(QWidget* window, std::function<bool()> trayAvailable);

    bool available() const;
    void add();
    void remove();
    bool shown() const;

    void ShowBalloon(const QString& title, const QString& text, int seconds, BalloonIcon icon);
    // The fallback notice while it is open, else null.
    QMessageBox* notice() const { return notice_; }

    // Hides the window to the tray, or minimises it where there is no tray.
    void hideWindow();
    void showWindow();
    void toggleWindow();

private:
    void showNotice(const QString& title, const QString& text, int seconds, BalloonIcon icon);

    QWidget* window_;
    std::function<bool()> trayAvailable_;
    QSystemTrayIcon* icon_ = nullptr;
    QPointer<QMessageBox> notice_;
    QTimer* noticeTimer_;  // closes the notice; restarted by each balloon
};

}  // namespace quarrow
