#include "gui/shell/FtpFormLayout.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "gui/scan/ScanPageControl.h"
#include "gui/shell/LogoArea.h"
#include "gui/widgets/ScanColours.h"

namespace quarrow {
namespace {

constexpr int kLowerPagesHeight = 143;
constexpr int kStatusBoxHeight = 60;

QTimer* oneShot(QObject* parent, const char* name, int interval) {
    auto* timer = new QTimer(parent);
    timer->setObjectName(QString::fromLatin1(name));
    timer->setInterval(interval);
    timer->setSingleShot(true);
    return timer;
}

QGridLayout* compactGrid(QWidget* page) {
    auto* grid = new QGridLayout(page);
    grid->setContentsMargins(4, 3, 4, 3);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(2);
    return grid;
}

void buildStatusBox(FormWidgets& w, QWidget* parent) {
    w.grbox = named<QGroupBox>(parent, "grbox");
    w.grbox->setFixedHeight(kStatusBoxHeight);
    w.grbox->hide();
    auto* grid = new QGridLayout(w.grbox);
    grid->setContentsMargins(4, 1, 3, 2);
    grid->setSpacing(0);
    w.Label1 = named<QLabel>(w.grbox, "Label1");
    w.Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Three status lines and the progress bar share the box's 60 pixels.
    QFont small = w.Label1->font();
    small.setPointSizeF(std::max(small.pointSizeF() - 1.5, 6.0));
    w.Label1->setFont(small);
    w.btnClose = named<QToolButton>(w.grbox, "btnClose");
    w.btnClose->setFixedSize(18, 18);
    w.btnClose->setAutoRaise(true);
    w.btnClose->setIcon(QApplication::style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    w.pb1 = named<QProgressBar>(w.grbox, "pb1");
    w.pb1->setFixedHeight(10);
    w.pb1->setTextVisible(false);
    grid->addWidget(w.Label1, 0, 0);
    grid->addWidget(w.btnClose, 0, 1, Qt::AlignTop | Qt::AlignRight);
    grid->addWidget(w.pb1, 1, 0, 1, 2);
}

QWidget* addPage(FormWidgets& w, const char* name, const QString& text) {
    auto* page = named<QWidget>(w.pc1, name);
    w.pc1->addTab(page, text);
    return page;
}

}  // namespace

QComboBox* historyCombo(QWidget* parent, const char* name, const QString& text) {
    auto* combo = named<QComboBox>(parent, name);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    // Typed text must stay as typed: a case-blind completer would turn "/PUB/" into a listed
    // "/pub/" when the field is left.
    combo->completer()->setCaseSensitivity(Qt::CaseSensitive);
    combo->setEditText(text);
    return combo;
}

QLabel* captionLabel(QWidget* parent, const char* name, const QString& text) {
    auto* label = named<QLabel>(parent, name);
    label->setText(text);
    return label;
}

FormWidgets buildFtpForm(QMainWindow& form) {
    FormWidgets w;
    form.setObjectName(QStringLiteral("FtpForm"));
    form.setWindowTitle(QStringLiteral("Quarrow"));
    QPalette colours = form.palette();
    colours.setColor(QPalette::Window, kWindowColour);
    form.setPalette(colours);

    auto* central = new QWidget(&form);
    form.setCentralWidget(central);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    w.logo = new LogoArea(central);
    w.pc2 = named<ScanPageControl>(central, "pc2");
    w.pc2->hide();
    w.pc1 = named<QTabWidget>(central, "pc1");
    w.pc1->setFixedHeight(kLowerPagesHeight);
    layout->addWidget(w.logo, 1);
    layout->addWidget(w.pc2, 1);
    layout->addWidget(w.pc1);
    buildStatusBox(w, central);

    w.TabSheet1 = addPage(w, "TabSheet1", QStringLiteral("Сканер"));
    w.TabSheet2 = addPage(w, "TabSheet2", QStringLiteral("Прерваное"));
    w.TabSheet3 = addPage(w, "TabSheet3", QStringLiteral("Архив"));
    w.TabSheet4 = addPage(w, "TabSheet4", QStringLiteral("Разное"));
    w.TabSheet5 = addPage(w, "TabSheet5", QStringLiteral("Слежение"));
    // The post-operations page keeps its place in the page order (saved page indexes count
    // it) but its tab is never shown.
    QWidget* postOperations = addPage(w, "TabSheet6", QStringLiteral("Постоперации"));
    w.pc1->setTabVisible(w.pc1->indexOf(postOperations), false);
    w.TabSheet7 = addPage(w, "TabSheet7", QStringLiteral("Опции"));
    buildScannerTab(w);
    buildResumeTab(w);
    buildArchiveTab(w);
    buildMiscTab(w);
    buildWatchTab(w);
    buildOptionsTab(w);
    w.pc1->setCurrentIndex(0);

    w.Timer1 = oneShot(&form, "Timer1", 100);
    w.Timer2 = oneShot(&form, "Timer2", 500);
    w.Timer4 = oneShot(&form, "Timer4", 5000);
    w.Timer5 = oneShot(&form, "Timer5", 60000);
    w.Timer5->setSingleShot(false);
    w.Timer6 = oneShot(&form, "Timer6", 1000);
    w.Timer7 = oneShot(&form, "Timer7", 1000);
    w.Timer8 = oneShot(&form, "Timer8", 1000);
    w.Timer9 = oneShot(&form, "Timer9", 250);
    w.timernewversion = oneShot(&form, "timernewversion", 1000);
    return w;
}

void buildScannerTab(FormWidgets& w) {
    QWidget* page = w.TabSheet1;
    page->setMouseTracking(true);
    w.cbsServer = historyCombo(page, "cbsServer", QString());
    w.cbsFindPath = historyCombo(page, "cbsFindPath", QStringLiteral("/"));
    w.cbsFindPath->setToolTip(
        QStringLiteral("Директория сканирования.\nДля сканирования всех папок /"));
    w.cbsMask = historyCombo(page, "cbsMask", QString());
    w.cbsMask->setToolTip(
        QStringLiteral("Расширения файлов которые надо \nвключать в результат сканирования"));
    w.cbsUserName = historyCombo(page, "cbsUserName", QStringLiteral("anonymous"));
    w.cbspassword = historyCombo(page, "cbspassword", QStringLiteral("us@site"));
    w.Port = named<QLineEdit>(page, "Port");
    w.Port->setText(QStringLiteral("21"));
    w.Port->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), w.Port));
    w.cbsTls = named<QCheckBox>(page, "cbsTls");
    w.cbsTls->setText(QStringLiteral("Шифровать (FTPS)"));
    w.Button1 = named<QPushButton>(page, "Button1");
    w.Button1->setText(QStringLiteral("Старт"));
    w.Button1->setEnabled(false);

    auto* grid = compactGrid(page);
    grid->addWidget(captionLabel(page, "Label2", QStringLiteral("FTP сервер")), 0, 0);
    grid->addWidget(w.cbsServer, 0, 1, 1, 3);
    grid->addWidget(captionLabel(page, "Label3", QStringLiteral("Где искать")), 1, 0);
    grid->addWidget(w.cbsFindPath, 1, 1);
    grid->addWidget(captionLabel(page, "Label4", QStringLiteral("Что искать?")), 1, 2);
    grid->addWidget(w.cbsMask, 1, 3);
    grid->addWidget(captionLabel(page, "Label5", QStringLiteral("Имя пользователя")), 2, 0);
    grid->addWidget(w.cbsUserName, 2, 1);
    grid->addWidget(captionLabel(page, "Label6", QStringLiteral("Пароль")), 2, 2);
    grid->addWidget(w.cbspassword, 2, 3);
    grid->addWidget(captionLabel(page, "Label8", QStringLiteral("Порт")), 3, 0);
    grid->addWidget(w.Port, 3, 1);
    grid->addWidget(w.cbsTls, 3, 2);
    grid->addWidget(w.Button1, 3, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
}

void buildResumeTab(FormWidgets& w) {
    QWidget* page = w.TabSheet2;
    const auto readOnly = [page](const char* name, const QString& text) {
        auto* edit = named<QLineEdit>(page, name);
        edit->setReadOnly(true);
        edit->setText(text);
        return edit;
    };
    w.Edit4 = readOnly("Edit4", QString());
    w.Edit5 = readOnly("Edit5", QString());
    w.Edit6 = readOnly("Edit6", QString());
    w.Edit10 = readOnly("Edit10", QStringLiteral("anonymous"));
    w.Edit9 = readOnly("Edit9", QStringLiteral("us@site"));
    w.Edit1 = readOnly("Edit1", QStringLiteral("21"));
    w.Button5 = named<QPushButton>(page, "Button5");
    w.Button5->setText(QStringLiteral("Запустить прерваное"));
    w.Button6 = named<QPushButton>(page, "Button6");
    w.Button6->setText(QStringLiteral("Информация о....."));
    w.Button6->setToolTip(QStringLiteral("Просмотр информации о прерванном"));

    auto* grid = compactGrid(page);
    grid->addWidget(captionLabel(page, "Label10", QStringLiteral("FTP сервер")), 0, 0);
    grid->addWidget(w.Edit4, 0, 1);
    grid->addWidget(captionLabel(page, "Label12", QStringLiteral("Где искать")), 0, 2);
    grid->addWidget(w.Edit5, 0, 3);
    grid->addWidget(captionLabel(page, "Label13", QStringLiteral("Что искать?")), 1, 0);
    grid->addWidget(w.Edit6, 1, 1);
    grid->addWidget(captionLabel(page, "Label16", QStringLiteral("Порт")), 1, 2);
    grid->addWidget(w.Edit1, 1, 3);
    grid->addWidget(captionLabel(page, "Label14", QStringLiteral("Имя пользователя")), 2, 0);
    grid->addWidget(w.Edit10, 2, 1);
    grid->addWidget(captionLabel(page, "Label15", QStringLiteral("Пароль")), 2, 2);
    grid->addWidget(w.Edit9, 2, 3);
    grid->addWidget(w.Button6, 3, 1);
    grid->addWidget(w.Button5, 3, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
}

}  // namespace quarrow
