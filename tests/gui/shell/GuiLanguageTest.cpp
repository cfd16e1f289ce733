#include <QCheckBox>
#include <QGroupBox>

#include "engine/Translate.h"
#include "gui/GuiFixture.h"
#include "gui/shell/FormLanguage.h"
#include "platform/Cp1251.h"
#include "platform/TextLines.h"

namespace quarrow::test {
namespace {

QString tabText(QTabWidget* tabs, QWidget* page) {
    return tabs->tabText(tabs->indexOf(page));
}

}  // namespace

// Captions and texts from the language files.
class GuiLanguageTest : public QObject {
    Q_OBJECT

private slots:
    void namedControlsTakeTheirCaptionsByKind() {
        TempDir dir;
        writeLinesFile(dir.path() + "t.lng",
                       {"[Demo]", "Caption = Demo%20window", "label=Start%20scan%13now", "button=",
                        "check=Tick", "box=Group", "page=Second", "edit=Changed", "Label2=Unused"});
        LanguageFile file;
        QVERIFY(file.load(dir.path() + "t.lng"));
        QWidget window;
        window.setWindowTitle(QStringLiteral("before"));
        const auto make = [&window](auto* widget, const char* name) {
            widget->setObjectName(QString::fromLatin1(name));
            return widget;
        };
        auto* label = make(new QLabel(QStringLiteral("L"), &window), "label");
        auto* button = make(new QPushButton(QStringLiteral("B"), &window), "button");
        auto* check = make(new QCheckBox(QStringLiteral("C"), &window), "check");
        auto* box = make(new QGroupBox(QStringLiteral("G"), &window), "box");
        auto* edit = make(new QLineEdit(QStringLiteral("E"), &window), "edit");
        auto* missing = make(new QLabel(QStringLiteral("kept"), &window), "missing");
        auto* tabs = new QTabWidget(&window);
        auto* page = make(new QWidget(tabs), "page");
        tabs->addTab(new QWidget(tabs), QStringLiteral("first"));
        tabs->addTab(page, QStringLiteral("second"));

        ApplyFormLanguage(window, "demo", file);
        const QStringList shown = {label->text(),   button->text(),      check->text(),
                                   box->title(),    tabText(tabs, page), edit->text(),
                                   missing->text(), window.windowTitle()};
        QCOMPARE(shown, QStringLiteral("Start scan\nnow||Tick|Group|Second|E|kept|Demo window")
                            .split(QLatin1Char('|')));
    }

    void englishAtFirstAndTheLanguageComboRelabelsEverything() {
        Window a;
        FormWidgets& w = a.w();
        QCOMPARE(w.Button1->text(), QStringLiteral("Start"));
        QCOMPARE(tabText(w.pc1, w.TabSheet1), QStringLiteral("Scanner"));
        QCOMPARE(w.cbsupdate->text(), QStringLiteral("Check for updates automatically"));
        QCOMPARE(a.form->windowTitle(), QStringLiteral("Quarrow"));
        QCOMPARE(a.form->state().texts.noserver,
                 std::string("Please enter the address of an FTP server."));
        QCOMPARE(a.form->state().context.Texts()->infojointhost, std::string("connected."));

        w.ComboBox1->setCurrentIndex(1);
        QCOMPARE(w.Button1->text(), QStringLiteral("Старт"));
        QCOMPARE(tabText(w.pc1, w.TabSheet3), QStringLiteral("Архив"));
        QCOMPARE(w.Label18->text(), QStringLiteral("Проверить обновление"));
        QCOMPARE(QString::fromStdString(cp1251ToUtf8(a.form->state().texts.noserver)),
                 QStringLiteral("Укажите адрес FTP-сервера."));
        QCOMPARE(a.form->state().languageFile, a.program.path() + "TXT/Ru.lng");

        w.ComboBox1->setCurrentIndex(0);
        QCOMPARE(w.Button1->text(), QStringLiteral("Start"));
        QCOMPARE(tabText(w.pc1, w.TabSheet3), QStringLiteral("Archive"));

        // Choosing a language whose file is gone keeps every text.
        removeFile(a.program.path() + "TXT/Ru.lng");
        w.ComboBox1->setCurrentIndex(1);
        QCOMPARE(w.Button1->text(), QStringLiteral("Start"));
        QCOMPARE(a.form->state().texts.nojoin, std::string("Not connected."));
    }

    void withoutLanguageFilesTheDesignedRussianCaptionsShowAndMessagesAreEmpty() {
        const ProgramFolder program(false);
        const auto form = makeForm(program, std::make_shared<FakeDialogs>());
        FormWidgets& w = form->widgets();
        QCOMPARE(w.Button1->text(), QStringLiteral("Старт"));
        QCOMPARE(tabText(w.pc1, w.TabSheet7), QStringLiteral("Опции"));
        QVERIFY(form->state().texts.noserver.empty());
        QVERIFY(form->state().texts.filefind.empty());
    }
};

QUARROW_GUI_SUITE(GuiLanguageTest)

}  // namespace quarrow::test

#include "GuiLanguageTest.moc"
