#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include "GuiFixture.h"
#include "GuiSuites.h"
#include "engine/Translate.h"
#include "gui/FormLanguage.h"
#include "gui/FormState.h"
#include "platform/Cp1251.h"
#include "platform/FileSystem.h"
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
        QCOMPARE(label->text(), QStringLiteral("Start scan\nnow"));
        QCOMPARE(button->text(), QString());
        QCOMPARE(check->text(), QStringLiteral("Tick"));
        QCOMPARE(box->title(), QStringLiteral("Group"));
        QCOMPARE(tabText(tabs, page), QStringLiteral("Second"));
        QCOMPARE(edit->text(), QStringLiteral("E"));
        QCOMPARE(missing->text(), QStringLiteral("kept"));
        QCOMPARE(window.windowTitle(), QStringLiteral("Demo window"));
    }

    void englishAtFirstAndTheLanguageComboRelabelsEverything() {
        ProgramFolder program;
        auto dialogs = std::make_shared<FakeDialogs>();
        auto form = makeForm(program, dialogs);
        FormWidgets& w = form->widgets();
        QCOMPARE(w.Button1->text(), QStringLiteral("Start"));
        QCOMPARE(tabText(w.pc1, w.TabSheet1), QStringLiteral("Scanner"));
        QCOMPARE(w.cbsupdate->text(), QStringLiteral("Check for updates automatically"));
        QCOMPARE(form->windowTitle(), QStringLiteral("Quarrow"));
        QCOMPARE(form->state().texts.noserver,
                 std::string("Please enter the address of an FTP server."));
        QCOMPARE(form->state().context.Texts()->infojointhost, std::string("connected."));

        w.ComboBox1->setCurrentIndex(1);
        QCOMPARE(w.Button1->text(), QStringLiteral("Старт"));
        QCOMPARE(tabText(w.pc1, w.TabSheet3), QStringLiteral("Архив"));
        QCOMPARE(w.Label18->text(), QStringLiteral("Проверить обновление"));
        QCOMPARE(QString::fromStdString(cp1251ToUtf8(form->state().texts.noserver)),
                 QStringLiteral("Укажите адрес FTP-сервера."));
        QCOMPARE(form->state().languageFile, program.path() + "TXT/Ru.lng");

        w.ComboBox1->setCurrentIndex(0);
        QCOMPARE(w.Button1->text(), QStringLiteral("Start"));
        QCOMPARE(tabText(w.pc1, w.TabSheet3), QStringLiteral("Archive"));
    }

    void choosingALanguageWithoutItsFileKeepsEveryText() {
        ProgramFolder program;
        removeFile(program.path() + "TXT/Ru.lng");
        auto dialogs = std::make_shared<FakeDialogs>();
        auto form = makeForm(program, dialogs);
        form->widgets().ComboBox1->setCurrentIndex(1);
        QCOMPARE(form->widgets().Button1->text(), QStringLiteral("Start"));
        QCOMPARE(form->state().texts.nojoin, std::string("Not connected."));
    }

    void withoutLanguageFilesTheDesignedRussianCaptionsShowAndMessagesAreEmpty() {
        ProgramFolder program(false);
        auto dialogs = std::make_shared<FakeDialogs>();
        auto form = makeForm(program, dialogs);
        QCOMPARE(form->widgets().Button1->text(), QStringLiteral("Старт"));
        QCOMPARE(tabText(form->widgets().pc1, form->widgets().TabSheet7), QStringLiteral("Опции"));
        QVERIFY(form->state().texts.noserver.empty());
        QVERIFY(form->state().texts.filefind.empty());
    }
};

std::unique_ptr<QObject> makeGuiLanguageTest() {
    return std::make_unique<GuiLanguageTest>();
}

}  // namespace quarrow::test

#include "GuiLanguageTest.moc"
