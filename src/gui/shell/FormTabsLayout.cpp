#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "gui/shell/FtpFormLayout.h"

namespace quarrow {
namespace {

QToolButton* flatButton(QWidget* parent, const char* name, const QString& text) {
    auto* button = named<QToolButton>(parent, name);
    button->setText(text);
    button->setAutoRaise(true);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    return button;
}

QVBoxLayout* tightColumn(QWidget* page) {
    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(4, 3, 4, 3);
    column->setSpacing(2);
    return column;
}

void buildCommentPage(FormWidgets& w, QWidget* page) {
    w.MemoComent = named<QPlainTextEdit>(page, "MemoComent");
    w.MemoComent->setPlainText(QStringLiteral("Всем привет!!!\nМоя почта для связи со мной\n "));
    w.Button3 = named<QPushButton>(page, "Button3");
    w.Button3->setText(QStringLiteral("Сохранить"));
    auto* column = tightColumn(page);
    auto* top = new QHBoxLayout;
    top->addWidget(captionLabel(page, "Label11", QStringLiteral("Комментарий к слепку ...")), 1);
    top->addWidget(w.Button3);
    column->addLayout(top);
    column->addWidget(w.MemoComent, 1);
}

void buildIgnorePage(FormWidgets& w, QWidget* page) {
    w.lbignore = named<QListWidget>(page, "lbignore");
    w.editIgnore = named<QLineEdit>(page, "editIgnore");
    w.SpeedButton1 = flatButton(page, "SpeedButton1", QStringLiteral("Добавить"));
    w.SpeedButton2 = flatButton(page, "SpeedButton2", QStringLiteral("Удалить из списка"));
    w.SpeedButton2->setEnabled(false);
    auto* grid = new QGridLayout(page);
    grid->setContentsMargins(4, 3, 4, 3);
    grid->setSpacing(2);
    grid->addWidget(captionLabel(page, "Label9", QStringLiteral("Не просматривать директории")), 0,
                    0);
    grid->addWidget(w.lbignore, 1, 0, 3, 1);
    grid->addWidget(w.editIgnore, 1, 1);
    grid->addWidget(w.SpeedButton1, 2, 1);
    grid->addWidget(w.SpeedButton2, 3, 1);
    grid->setColumnStretch(0, 1);
}

}  // namespace

void buildArchiveTab(FormWidgets& w) {
    QWidget* page = w.TabSheet3;
    w.clb2 = named<QListWidget>(page, "clb2");
    w.clb2->setFlow(QListView::TopToBottom);
    w.clb2->setWrapping(true);
    w.clb2->setResizeMode(QListView::Adjust);
    w.cb1 = historyCombo(page, "cb1", QString());
    w.cb1->setEnabled(false);
    QFont searchFont = w.cb1->font();
    searchFont.setPixelSize(13);
    w.cb1->setFont(searchFont);
    w.SpeedButton8 = flatButton(page, "SpeedButton8", QStringLiteral("Загрузить архив(ы)"));
    w.SpeedButton8->setEnabled(false);
    auto* column = tightColumn(page);
    column->addWidget(w.clb2, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(w.cb1, 1);
    bottom->addWidget(w.SpeedButton8);
    column->addLayout(bottom);
}

void buildMiscTab(FormWidgets& w) {
    w.pc3 = named<QTabWidget>(w.TabSheet4, "pc3");
    auto* comment = named<QWidget>(w.pc3, "TabSheet8");
    auto* ignore = named<QWidget>(w.pc3, "TabSheet9");
    w.pc3->addTab(comment, QStringLiteral("Комментарий"));
    w.pc3->addTab(ignore, QStringLiteral("Игнорировать"));
    buildCommentPage(w, comment);
    buildIgnorePage(w, ignore);
    auto* column = new QVBoxLayout(w.TabSheet4);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(w.pc3);
}

void buildWatchTab(FormWidgets& w) {
    QWidget* page = w.TabSheet5;
    w.CheckListBox1 = named<QListView>(page, "CheckListBox1");
    w.CheckListBox1->setUniformItemSizes(true);
    w.CheckListBox1->setMouseTracking(true);
    w.AddSurveillance = flatButton(page, "AddSurveillance", QStringLiteral("Добавить"));
    w.SpeedButton7 = flatButton(page, "SpeedButton7", QStringLiteral("Изменить"));
    w.SpeedButton4 = flatButton(page, "SpeedButton4", QStringLiteral("Удалить"));
    w.SpeedButton3 = flatButton(page, "SpeedButton3", QStringLiteral("Запустить "));
    w.SpeedButton6 = flatButton(page, "SpeedButton6", QStringLiteral("Запустить всё"));
    for (QToolButton* button : {w.SpeedButton7, w.SpeedButton4, w.SpeedButton3, w.SpeedButton6})
        button->setEnabled(false);
    auto* column = tightColumn(page);
    column->addWidget(w.CheckListBox1, 1);
    auto* buttons = new QHBoxLayout;
    for (QToolButton* button :
         {w.AddSurveillance, w.SpeedButton7, w.SpeedButton4, w.SpeedButton3, w.SpeedButton6})
        buttons->addWidget(button);
    buttons->addStretch(1);
    column->addLayout(buttons);
}

void buildOptionsTab(FormWidgets& w) {
    QWidget* page = w.TabSheet7;
    w.ComboBox1 = named<QComboBox>(page, "ComboBox1");
    w.ComboBox1->addItems({QStringLiteral("English"), QStringLiteral("Русский")});
    w.ComboBox1->setCurrentIndex(0);
    w.cbsIdent = historyCombo(page, "cbsIdent", QString());
    w.Label18 = captionLabel(page, "Label18", QStringLiteral("Проверить обновление"));
    w.Label18->setCursor(Qt::PointingHandCursor);
    w.Label18->setStyleSheet(QStringLiteral("color: blue;"));
    QFont link = w.Label18->font();
    link.setBold(true);
    link.setUnderline(true);
    w.Label18->setFont(link);
    w.cbsupdate = named<QCheckBox>(page, "cbsupdate");
    w.cbsupdate->setText(QStringLiteral("Проверять обновления автоматически"));
    w.cbsupdate->setChecked(true);

    auto* grid = new QGridLayout(page);
    grid->setContentsMargins(4, 3, 4, 3);
    grid->setSpacing(2);
    grid->addWidget(captionLabel(page, "Label7", QStringLiteral("Язык")), 0, 0);
    grid->addWidget(w.ComboBox1, 0, 1);
    grid->addWidget(captionLabel(page, "Label17", QStringLiteral("Идентификация для сервера")), 1,
                    0);
    grid->addWidget(w.cbsIdent, 1, 1);
    grid->addWidget(w.Label18, 2, 0, 1, 2);
    grid->addWidget(w.cbsupdate, 3, 0, 1, 2);
    grid->setColumnStretch(1, 1);
}

}  // namespace quarrow
