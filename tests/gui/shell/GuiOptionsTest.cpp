#include <QCheckBox>
#include <QFileInfo>
#include <QFocusEvent>
#include <QGroupBox>
#include <QScreen>

#include "engine/Translate.h"
#include "gui/GuiFixture.h"
#include "gui/shell/FormLanguage.h"
#include "gui/shell/LogoArea.h"
#include "gui/shell/OptionsTab.h"
#include "platform/Cp1251.h"
#include "platform/TextLines.h"
#include "update/UpdatePage.h"

namespace quarrow::test {
namespace {

QString tabText(QTabWidget* tabs, QWidget* page) {
    return tabs->tabText(tabs->indexOf(page));
}

}  // namespace

// The options and miscellaneous tabs, the captions from the language files and the scanner
// page's entry checks.
class GuiOptionsTest : public QObject {
    Q_OBJECT

private slots:
    void startNeedsServerUserAndPasswordThenIdentificationIgnoreListHomePageLinkAndComment() {
        Window a;
        FormWidgets& w = a.w();
        // Start needs a server, a user and a password; the port takes digits only.
        QVERIFY(!w.Button1->isEnabled());
        w.cbsServer->setEditText(QStringLiteral("host"));
        QVERIFY(w.Button1->isEnabled());
        w.cbspassword->lineEdit()->setText(QStringLiteral("  "));
        QTest::mouseMove(w.TabSheet1, QPoint(5, 5));
        QTest::mouseMove(w.TabSheet1, QPoint(8, 8));
        QTRY_VERIFY(!w.Button1->isEnabled());
        w.cbspassword->setEditText(QStringLiteral("pw"));
        QVERIFY(w.Button1->isEnabled());
        w.cbsServer->setEditText(QString());
        QVERIFY(!w.Button1->isEnabled());
        w.Port->clear();
        QTest::keyClicks(w.Port, QStringLiteral("2a1-b"));
        QCOMPARE(w.Port->text(), QStringLiteral("21"));

        QVERIFY(QTest::qWaitForWindowActive(a.form.get()));
        w.pc1->setCurrentWidget(w.TabSheet7);

        // The identification combo adds only new names, upper-cased, when it is left; its
        // drop-down opening, or the program losing the focus, is no leaving.
        const auto leaveIdent = [&](const char* text) {
            w.cbsIdent->setFocus();
            w.cbsIdent->setEditText(QString::fromLatin1(text));
            w.ComboBox1->setFocus();
        };
        w.cbsIdent->setEditText(QStringLiteral("half"));
        for (const Qt::FocusReason reason : {Qt::PopupFocusReason, Qt::ActiveWindowFocusReason}) {
            QFocusEvent out(QEvent::FocusOut, reason);
            QCoreApplication::sendEvent(w.cbsIdent, &out);
        }
        leaveIdent("opera");
        QVERIFY(w.cbsIdent->count() == 5 && a.form->state().identText == "Quarrowbrisk");
        QVERIFY(!a.program.bytes("TXT/Ident.txt"));
        emit w.cbsIdent->activated(w.cbsIdent->findText(QStringLiteral("Opera")));
        QCOMPARE(a.form->state().identText, std::string("Opera"));
        leaveIdent("MyAgent ");
        QCOMPARE(a.form->state().identText, std::string("MyAgent "));
        QCOMPARE(*a.program.bytes("TXT/Ident.txt"),
                 std::string("IEXPLORE\r\nMozila\r\nMYAGENT\r\nNetScape\r\nOpera\r\nQuarrow\r\n"));

        // The ignore list adds new names and removes only with a selection.
        QVERIFY(!w.SpeedButton2->isEnabled());
        for (const char* name : {"TEMP", "Temp", "old", "bin"}) {
            w.editIgnore->setText(QString::fromLatin1(name));
            w.SpeedButton1->click();
        }
        QVERIFY(w.editIgnore->text() == QStringLiteral("bin") && !w.SpeedButton2->isEnabled());
        QCOMPARE(*a.program.bytes("TXT/Ignore.txt"), std::string("TEMP\r\nold\r\nbin\r\n"));
        w.lbignore->setCurrentRow(1);
        w.SpeedButton2->click();
        QCOMPARE(*a.program.bytes("TXT/Ignore.txt"), std::string("TEMP\r\nbin\r\n"));
        QCOMPARE(w.lbignore->currentRow(), 1);
        w.SpeedButton2->click();
        QVERIFY2(!w.SpeedButton2->isEnabled(), "removing the last entry leaves no selection");
        QCOMPARE(a.form->options().ignoreLines(), std::vector<std::string>{"TEMP"});

        // The home page link opens the address.
        QTest::mouseClick(w.Label18, Qt::LeftButton);
        QCOMPARE(a.dialogs->urls, QList<QUrl>{QUrl(QString::fromStdString(HomePageUrl()))});

        // The comment is saved on request, but every start takes the memo as it stands.
        TreeServer server(1, 1);
        w.MemoComent->setPlainText(QStringLiteral("hello\nсвет"));
        w.Button3->click();
        const std::string saved = "hello\r\n\xF1\xE2\xE5\xF2\r\n";
        QCOMPARE(*a.program.bytes("TXT/Coment.txt"), saved);
        // A memo ending in a line break has no empty last line; an empty one has no lines.
        w.MemoComent->clear();
        QVERIFY(a.form->options().commentLines().empty());
        w.MemoComent->setPlainText(QStringLiteral("unsaved\n"));
        a.start(server.port(), "Arhive/c.qrnet");
        QCOMPARE(*a.form->state().context.CommentLines(), std::vector<std::string>{"unsaved"});
        QCOMPARE(*a.program.bytes("TXT/Coment.txt"), saved);
        QVERIFY(a.scansEnd());
    }

    // Labels and buttons (check boxes among them) take their text, group boxes their title;
    // other kinds, and names the file lacks, keep theirs. Tab pages are the first run's check.
    void namedControlsTakeTheirCaptionsByKind() {
        TempDir dir;
        writeLinesFile(dir.path() + "t.lng",
                       {"[Demo]", "Caption = Demo%20window", "label=Start%20scan%13now",
                        "button=", "box=Group", "edit=Changed", "Label2=Unused"});
        LanguageFile file;
        QVERIFY(file.load(dir.path() + "t.lng"));
        QWidget window;
        const auto make = [&window](auto* widget, const char* name) {
            widget->setObjectName(QString::fromLatin1(name));
            return widget;
        };
        auto* label = make(new QLabel(QStringLiteral("L"), &window), "label");
        auto* button = make(new QPushButton(QStringLiteral("B"), &window), "button");
        auto* box = make(new QGroupBox(QStringLiteral("G"), &window), "box");
        auto* edit = make(new QLineEdit(QStringLiteral("E"), &window), "edit");
        auto* missing = make(new QLabel(QStringLiteral("kept"), &window), "missing");

        ApplyFormLanguage(window, "demo", file);
        const QStringList shown = {label->text(), button->text(),  box->title(),
                                   edit->text(),  missing->text(), window.windowTitle()};
        QCOMPARE(shown, listOf("Start scan\nnow||Group|E|kept|Demo window"));
    }

    // The first run shows the designed window on the scanner page, centred, in English.
    void firstRunIsEnglishAndTheLanguageComboRelabelsEverything() {
        Window a;
        FormWidgets& w = a.w();
        QCOMPARE(a.form->size(), QSize(387, 501));
        const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY(qAbs(a.form->frameGeometry().center().x() - work.center().x()) <= 1);
        QVERIFY(w.pc1->currentIndex() == 0 && w.ComboBox1->currentIndex() == 0);
        QVERIFY(w.cbsupdate->isChecked() && a.form->state().identText == "Quarrowbrisk");
        QCOMPARE(w.cbsIdent->currentText(), QStringLiteral("Quarrow"));
        QCOMPARE(w.logo->version(), QStringLiteral("1.2.3.0"));
        for (const char* folder : {"TXT", "Session", "Spy", "Arhive"})
            QVERIFY2(QFileInfo(a.program.file(folder)).isDir(), folder);
        const auto captions = [&] {
            return QStringList{
                w.Button1->text(), tabText(w.pc1, w.TabSheet3), w.Label18->text(),
                QString::fromStdString(cp1251ToUtf8(a.form->state().texts.noserver))};
        };
        QCOMPARE(
            captions(),
            listOf("Start|Archive|Check for an update|Please enter the address of an FTP server."));
        QCOMPARE(a.form->windowTitle(), QStringLiteral("Quarrow"));
        QCOMPARE(a.form->state().context.Texts()->infojointhost, std::string("connected."));

        w.ComboBox1->setCurrentIndex(1);
        const QStringList russian =
            listOf("Старт|Архив|Проверить обновление|Укажите адрес FTP-сервера.");
        QCOMPARE(captions(), russian);
        QCOMPARE(a.form->state().languageFile, a.program.path() + "TXT/Ru.lng");
        w.ComboBox1->setCurrentIndex(0);
        QCOMPARE(captions().at(1), QStringLiteral("Archive"));

        // Choosing a language whose file is gone keeps every text.
        removeFile(a.program.path() + "TXT/Ru.lng");
        w.ComboBox1->setCurrentIndex(1);
        QCOMPARE(captions().at(0), QStringLiteral("Start"));
        QCOMPARE(a.form->state().texts.nojoin, std::string("Not connected."));
    }

    void withoutLanguageFilesTheDesignedRussianCaptionsShowAndMessagesAreEmpty() {
        Window a({}, {.argument = "", .tray = false, .languages = false});
        QCOMPARE(a.w().Button1->text(), QStringLiteral("Старт"));
        QCOMPARE(tabText(a.w().pc1, a.w().TabSheet7), QStringLiteral("Опции"));
        QVERIFY(a.form->state().texts.noserver.empty() && a.form->state().texts.filefind.empty());
    }
};

QUARROW_GUI_SUITE(GuiOptionsTest)

}  // namespace quarrow::test

#include "GuiOptionsTest.moc"
