#include "gui/watch/TFormSetingSpy.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>

#include "engine/HistoryLists.h"
#include "engine/Translate.h"
#include "gui/shell/FormDialogs.h"
#include "gui/shell/FormLanguage.h"
#include "gui/shell/FtpFormLayout.h"
#include "gui/widgets/QtText.h"

namespace quarrow {
namespace {

constexpr std::string_view kSection = "FormSetingSpy";
// The longest interval an entry holds: its milliseconds must fit 32 bits.
constexpr int kMaxIntervalMinutes = 35791;
constexpr int kComboWidth = 100;

// A spin edit that never holds less than 1: clearing it or typing 0 (or anything that is not
// a number) gives 1 at once, selected so that the next digit typed replaces it.
class AtLeastOneSpin : public QSpinBox {
public:
    explicit AtLeastOneSpin(QWidget* parent) : QSpinBox(parent) {
        setMinimum(1);
        connect(lineEdit(), &QLineEdit::textChanged, this, [this] {
            bool number = false;
            const int typed = cleanText().toInt(&number);
            if (number && typed >= 1) return;
            setValue(1);
            selectAll();
        });
    }
};

QComboBox* sortedHistoryCombo(QWidget* parent, const char* name, const QString& text) {
    QComboBox* combo = historyCombo(parent, name, text);
    combo->setMinimumWidth(kComboWidth);
    return combo;
}

// Makes `items`, in the order of the sorted history combos, the combo's items; the text in
// the box stays.
void showSorted(QComboBox& combo, const QStringList& items) {
    std::vector<std::string> sorted;
    sorted.reserve(static_cast<std::size_t>(items.size()));
    for (const QString& item : items) sorted.push_back(toSystem(item));
    std::stable_sort(sorted.begin(), sorted.end(), historyLess);
    const QString typed = combo.currentText();
    const QSignalBlocker quiet(combo);
    combo.clear();
    for (const std::string& item : sorted) combo.addItem(fromSystem(item));
    combo.setEditText(typed);
}

QHBoxLayout* row(QVBoxLayout* rows) {
    auto* line = new QHBoxLayout;
    line->setSpacing(4);
    rows->addLayout(line);
    return line;
}

}  // namespace

TFormSetingSpy::TFormSetingSpy(FormDialogs& dialogs, QWidget* mainWindow)
    : QDialog(mainWindow), dialogs_(dialogs), mainWindow_(mainWindow) {
    setObjectName(QStringLiteral("FormSetingSpy"));
    setWindowTitle(QStringLiteral("Настройка слежения"));
    build();
    takeWindowColour();
    layout()->activate();
}

void TFormSetingSpy::build() {
    auto* outer = new QVBoxLayout(this);
    outer->setSizeConstraint(QLayout::SetFixedSize);  // sized to its content
    GroupBox1 = named<QGroupBox>(this, "GroupBox1");
    GroupBox1->setTitle(windowTitle());
    outer->addWidget(GroupBox1);
    QWidget* box = GroupBox1;
    auto* rows = new QVBoxLayout(box);
    rows->setSpacing(6);

    cbsServer = sortedHistoryCombo(box, "cbsServer", QString());
    cbsFindPath = sortedHistoryCombo(box, "cbsFindPath", QStringLiteral("/"));
    cbsFindPath->setToolTip(
        QStringLiteral("Директория сканирования.\nДля сканирования всех папок /"));
    QHBoxLayout* line = row(rows);
    line->addWidget(captionLabel(box, "Label1", QStringLiteral("FTP сервер")));
    line->addWidget(cbsServer, 2);
    line->addWidget(captionLabel(box, "Label2", QStringLiteral("Где искать")));
    line->addWidget(cbsFindPath, 1);

    cbsUserName = sortedHistoryCombo(box, "cbsUserName", QStringLiteral("anonymous"));
    cbspassword = sortedHistoryCombo(box, "cbspassword", QStringLiteral("us@site"));
    Port = named<QLineEdit>(box, "Port");  // any text: the caller converts it
    Port->setText(QStringLiteral("21"));
    Port->setMaximumWidth(50);
    cbsMask = sortedHistoryCombo(box, "cbsMask", QString());
    cbsMask->setToolTip(
        QStringLiteral("Расширения файлов которые надо \nвключать в результат сканирования"));
    line = row(rows);
    line->addWidget(captionLabel(box, "Label3", QStringLiteral("Имя пользователя")));
    line->addWidget(cbsUserName, 1);
    line->addWidget(captionLabel(box, "Label4", QStringLiteral("Пароль")));
    line->addWidget(cbspassword, 1);
    line->addWidget(captionLabel(box, "Label5", QStringLiteral("Порт")));
    line->addWidget(Port);
    line->addWidget(captionLabel(box, "Label6", QStringLiteral("Что искать?")));
    line->addWidget(cbsMask, 1);

    SpinEdit2 = new AtLeastOneSpin(box);
    SpinEdit2->setObjectName(QStringLiteral("SpinEdit2"));
    // Days back have no upper bound of their own.
    SpinEdit2->setMaximum(std::numeric_limits<int>::max());
    SpinEdit2->setValue(7);
    cbsDir = named<QCheckBox>(box, "cbsDir");
    cbsDir->setText(QStringLiteral("Проверять вложенные папки"));
    line = row(rows);
    line->addWidget(captionLabel(box, "Label7", QStringLiteral("Показывать новые файлы за ")));
    line->addWidget(SpinEdit2);
    line->addWidget(captionLabel(box, "Label8", QStringLiteral("дней")));
    line->addSpacing(16);
    line->addWidget(cbsDir);
    line->addStretch();

    CheckBox1 = named<QCheckBox>(box, "CheckBox1");
    CheckBox1->setText(QStringLiteral("Проверять с интервалом"));
    SpinEdit1 = new AtLeastOneSpin(box);
    SpinEdit1->setObjectName(QStringLiteral("SpinEdit1"));
    SpinEdit1->setMaximum(kMaxIntervalMinutes);
    SpinEdit1->setValue(60);
    line = row(rows);
    line->addWidget(CheckBox1);
    line->addWidget(SpinEdit1);
    line->addWidget(captionLabel(box, "Label9", QStringLiteral("минут")));
    line->addStretch();

    CheckBox2 = named<QCheckBox>(box, "CheckBox2");
    CheckBox2->setText(QStringLiteral("Проверять при запуске программы"));
    cbsTls = named<QCheckBox>(box, "cbsTls");
    cbsTls->setText(QStringLiteral("Шифровать соединение (FTPS, TLS)"));
    line = row(rows);
    line->addWidget(CheckBox2);
    line->addSpacing(16);
    line->addWidget(cbsTls);
    line->addStretch();

    Edit1 = named<QLineEdit>(box, "Edit1");
    Button2 = named<QPushButton>(box, "Button2");
    Button2->setText(QStringLiteral("Сохранить в файл..."));
    Button2->setAutoDefault(false);
    Button1 = named<QPushButton>(box, "Button1");
    Button1->setText(QStringLiteral("Ok"));
    Button1->setDefault(true);
    line = row(rows);
    line->addWidget(Edit1, 1);
    line->addWidget(Button2);
    line->addWidget(Button1);

    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
}

void TFormSetingSpy::takeWindowColour() {
    if (!mainWindow_) return;
    QPalette colours = palette();
    colours.setColor(QPalette::Window, mainWindow_->palette().color(QPalette::Window));
    setPalette(colours);
}

WatchForm TFormSetingSpy::form() const {
    WatchForm form;
    form.server = toSystem(cbsServer->currentText());
    form.path = toSystem(cbsFindPath->currentText());
    form.mask = toSystem(cbsMask->currentText());
    form.user = toSystem(cbsUserName->currentText());
    form.password = toSystem(cbspassword->currentText());
    form.port = toSystem(Port->text());
    form.saveName = toSystem(Edit1->text());
    form.active = CheckBox1->isChecked();
    form.checkAtStart = CheckBox2->isChecked();
    form.subfolders = cbsDir->isChecked();
    form.tls = cbsTls->isChecked();
    form.intervalMinutes = SpinEdit1->value();
    form.days = SpinEdit2->value();
    form.saveType = SaveType;
    return form;
}

void TFormSetingSpy::setForm(const WatchForm& form) {
    cbsServer->setEditText(fromSystem(form.server));
    cbsFindPath->setEditText(fromSystem(form.path));
    cbsMask->setEditText(fromSystem(form.mask));
    cbsUserName->setEditText(fromSystem(form.user));
    cbspassword->setEditText(fromSystem(form.password));
    Port->setText(fromSystem(form.port));
    Edit1->setText(fromSystem(form.saveName));
    CheckBox1->setChecked(form.active);
    CheckBox2->setChecked(form.checkAtStart);
    cbsDir->setChecked(form.subfolders);
    cbsTls->setChecked(form.tls);
    SpinEdit1->setValue(form.intervalMinutes);
    SpinEdit2->setValue(form.days);
    SaveType = form.saveType;
}

void TFormSetingSpy::copyHistory(const QStringList& servers, const QStringList& paths,
                                 const QStringList& masks, const QStringList& passwords,
                                 const QStringList& users) {
    if (cbsServer->count() > 0) return;
    showSorted(*cbsServer, servers);
    showSorted(*cbsFindPath, paths);
    showSorted(*cbsMask, masks);
    showSorted(*cbspassword, passwords);
    showSorted(*cbsUserName, users);
}

void TFormSetingSpy::placeNear(const QWidget& mainWindow, const QPoint& pointer) {
    layout()->activate();  // the size of the captions now in force
    const QRect frame = frameGeometry();
    int left = mainWindow.x() + 25;
    int top = pointer.y() - (frame.height() + 50);
    QScreen* screen = QGuiApplication::screenAt(pointer);
    if (!screen) screen = mainWindow.screen();
    if (screen) {
        const QRect area = screen->availableGeometry();
        left = std::max(area.left(), std::min(left, area.right() + 1 - frame.width()));
        top = std::max(area.top(), std::min(top, area.bottom() + 1 - frame.height()));
    }
    move(left, top);
}

bool TFormSetingSpy::showModal() {
    Confirmed = false;
    exec();
    return Confirmed;
}

void TFormSetingSpy::applyLanguage(const LanguageFile& file, const FormTexts& texts) {
    takeWindowColour();
    ApplyFormLanguage(*this, kSection, file);
    noserver_ = texts.noserver;
}

void TFormSetingSpy::Button1Click() {
    if (cbsServer->currentText().trimmed().isEmpty()) {
        dialogs_.message(this, labelText(noserver_));
        return;
    }
    Confirmed = true;
    accept();
}

void TFormSetingSpy::Button2Click() {
    const auto choice = dialogs_.saveWatchResult(this, Edit1->text(), SaveType == 0 ? 1 : SaveType);
    if (!choice) return;
    Edit1->setText(choice->fileName.trimmed());
    SaveType = choice->filterIndex;
}

}  // namespace quarrow
