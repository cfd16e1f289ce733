#include "gui/shell/TrayNotice.h"

#include <QApplication>
#include <QMessageBox>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTimer>

namespace quarrow {
namespace {

QSystemTrayIcon::MessageIcon trayIcon(BalloonIcon icon) {
    switch (icon) {
        case BalloonIcon::Information:
            return QSystemTrayIcon::Information;
        case BalloonIcon::Warning:
            return QSystemTrayIcon::Warning;
        case BalloonIcon::Error:
            return QSystemTrayIcon::Critical;
        case BalloonIcon::None:
            break;
    }
    return QSystemTrayIcon::NoIcon;
}

QMessageBox::Icon noticeIcon(BalloonIcon icon) {
    switch (icon) {
        case BalloonIcon::Information:
            return QMessageBox::Information;
        case BalloonIcon::Warning:
            return QMessageBox::Warning;
        case BalloonIcon::Error:
            return QMessageBox::Critical;
        case BalloonIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

QString fitBalloonField(const QString& text, int length) {
    if (text.size() <= length) return text;
    return text.left(length - 1) + QChar(0x2026);
}

TrayNotice::TrayNotice(QWidget* window, std::function<bool()> trayAvailable)
    : QObject(window),
      window_(window),
      trayAvailable_(std::move(trayAvailable)),
      noticeTimer_(new QTimer(this)) {
    noticeTimer_->setSingleShot(true);
    connect(noticeTimer_, &QTimer::timeout, this, [this] {
        if (notice_) notice_->close();
    });
}

bool TrayNotice::available() const {
    return trayAvailable_ && trayAvailable_();
}

void TrayNotice::add() {
    if (icon_ || !available()) return;
    icon_ = new QSystemTrayIcon(this);
    QIcon picture = QApplication::windowIcon();
    if (picture.isNull()) picture = QApplication::style()->standardIcon(QStyle::SP_ComputerIcon);
    icon_->setIcon(picture);
    icon_->setToolTip(QApplication::applicationDisplayName());
    connect(icon_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::Context)
                    toggleWindow();
            });
    icon_->show();
}

void TrayNotice::remove() {
    if (!icon_) return;
    icon_->hide();
    icon_->deleteLater();
    icon_ = nullptr;
}

bool TrayNotice::shown() const {
    return icon_ && icon_->isVisible();
}

void TrayNotice::ShowBalloon(const QString& title, const QString& text, int seconds,
                             BalloonIcon icon) {
    const QString fittedTitle = fitBalloonField(title, kBalloonTitleLength);
    const QString fittedText = fitBalloonField(text, kBalloonTextLength);
    if (icon_ && available()) {
        icon_->showMessage(fittedTitle, fittedText, trayIcon(icon), seconds * 1000);
        return;
    }
    showNotice(fittedTitle, fittedText, seconds, icon);
}

void TrayNotice::showNotice(const QString& title, const QString& text, int seconds,
                            BalloonIcon icon) {
    if (!notice_) {
        notice_ = new QMessageBox(window_);
        notice_->setObjectName(QStringLiteral("BalloonNotice"));
        notice_->setWindowModality(Qt::NonModal);
        notice_->setAttribute(Qt::WA_DeleteOnClose);
        notice_->setStandardButtons(QMessageBox::Ok);
    }
    notice_->setWindowTitle(title);
    notice_->setText(text);
    notice_->setIcon(noticeIcon(icon));
    notice_->show();
    noticeTimer_->start(seconds * 1000);
}

void TrayNotice::hideWindow() {
    if (available() && icon_)
        window_->hide();
    else
        window_->showMinimized();
}

void TrayNotice::showWindow() {
    if (window_->isMinimized())
        window_->showNormal();
    else
        window_->show();
    window_->raise();
    window_->activateWindow();
}

void TrayNotice::toggleWindow() {
    if (window_->isVisible() && !window_->isMinimized())
        hideWindow();
    else
        showWindow();
}

}  // namespace quarrow
