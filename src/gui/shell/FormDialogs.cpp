#include "gui/shell/FormDialogs.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <algorithm>

namespace quarrow {
namespace {

const QString kSnapshotFilter = QStringLiteral("Файл Tuneharbor 2.7 и выше (*.qrnet)");
// The three result types, in the order their filter index names them.
const QStringList kWatchResultFilters = {QStringLiteral("Путь+Имя файла (*.txt)"),
                                         QStringLiteral("Имя файла (*.txt)"),
                                         QStringLiteral("Файл Tuneharbor 2.7 и выше (*.qrnet)")};
const QString kResumeFilters = QStringLiteral("Файл qrsftp(*.qrsftp);;Файл qrnet(*.qrnet)");

}  // namespace

std::optional<SaveChoice> DesktopDialogs::saveSnapshot(QWidget* parent, const QString& folder) {
    QFileDialog dialog(parent, QString(), folder, kSnapshotFilter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("qrnet"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return SaveChoice{dialog.selectedFiles().front(), 1};
}

std::optional<SaveChoice> DesktopDialogs::saveWatchResult(QWidget* parent, const QString& fileName,
                                                          int filterIndex) {
    // No default suffix and no overwrite question: the result's own extension is appended
    // when it is written, and it is rewritten after every check anyway.
    QFileDialog dialog(parent, QString(), fileName);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setNameFilters(kWatchResultFilters);
    const int index = std::clamp(filterIndex, 1, static_cast<int>(kWatchResultFilters.size()));
    dialog.selectNameFilter(kWatchResultFilters[index - 1]);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return SaveChoice{
        dialog.selectedFiles().front(),
        static_cast<int>(kWatchResultFilters.indexOf(dialog.selectedNameFilter())) + 1};
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

bool DesktopDialogs::question(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::Information, title, text, QMessageBox::Yes | QMessageBox::No,
                    parent);
    return box.exec() == QMessageBox::Yes;
}

bool DesktopDialogs::controlHeld() {
    return QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ControlModifier);
}

void DesktopDialogs::openUrl(const QUrl& url) {
    QDesktopServices::openUrl(url);
}

}  // namespace quarrow
