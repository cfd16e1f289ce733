#include "gui/FormDialogs.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>

namespace quarrow {
namespace {

const QString kSnapshotFilter = QStringLiteral("Файл Tuneharbor 2.7 и выше (*.qrnet)");
const QString kResumeFilters = QStringLiteral("Файл qrsftp(*.qrsftp);;Файл qrnet(*.qrnet)");

}  // namespace

std::optional<SaveChoice> DesktopDialogs::saveSnapshot(QWidget* parent, const QString& folder) {
    QFileDialog dialog(parent, QString(), folder, kSnapshotFilter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("qrnet"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return SaveChoice{dialog.selectedFiles().front(), 1};
}

std::optional<QString> DesktopDialogs::openResume(QWidget* parent, const QString& folder) {
    const QString file = QFileDialog::getOpenFileName(parent, QString(), folder, kResumeFilters);
    if (file.isEmpty()) return std::nullopt;
    return file;
}

void DesktopDialogs::message(QWidget* parent, const QString& text) {
    QMessageBox::information(parent, QGuiApplication::applicationDisplayName(), text);
}

void DesktopDialogs::error(QWidget* parent, const QString& text) {
    QMessageBox::critical(parent, QGuiApplication::applicationDisplayName(), text);
}

bool DesktopDialogs::controlHeld() {
    return QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ControlModifier);
}

void DesktopDialogs::openUrl(const QUrl& url) {
    QDesktopServices::openUrl(url);
}

}  // namespace quarrow
