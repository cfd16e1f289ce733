#include <QFocusEvent>

#include "gui/GuiFixture.h"
#include "gui/shell/OptionsTab.h"
#include "update/UpdatePage.h"

namespace quarrow::test {

// The options and miscellaneous tabs and the scanner page's entry checks.
class GuiOptionsTest : public QObject {
    Q_OBJECT

private slots:
    void identificationIgnoreListAndHomePageLink() {
        Window a;
        FormWidgets& w = a.w();
        QVERIFY(QTest::qWaitForWindowActive(a.form.get()));
        w.pc1->setCurrentWidget(w.TabSheet7);

        // The identification combo adds only new names, upper-cased, when it is left.
        const auto leaveIdent = [&](const char* text) {
            w.cbsIdent->setFocus();
            w.cbsIdent->setEditText(QString::fromLatin1(text));
            w.ComboBox1->setFocus();
        };
        // Its drop-down opening, or the program losing the focus, is no leaving.
        w.cbsIdent->setEditText(QStringLiteral("half"));
        for (const Qt::FocusReason reason : {Qt::PopupFocusReason, Qt::ActiveWindowFocusReason}) {
            QFocusEvent out(QEvent::FocusOut, reason);
            QCoreApplication::sendEvent(w.cbsIdent, &out);
        }
        QCOMPARE(w.cbsIdent->count(), 5);
        leaveIdent("opera");
        QCOMPARE(w.cbsIdent->count(), 5);
        QCOMPARE(a.form->state().identText, std::string("Quarrowbrisk"));
        QVERIFY(!a.program.bytes("TXT/Ident.txt"));
        emit w.cbsIdent->activated(w.cbsIdent->findText(QStringLiteral("Opera")));
        QCOMPARE(a.form->state().identText, std::string("Opera"));
        leaveIdent("MyAgent ");
        QCOMPARE(w.cbsIdent->count(), 6);
        QCOMPARE(a.form->state().identText, std::string("MyAgent "));
        QCOMPARE(*a.program.bytes("TXT/Ident.txt"),
                 std::string("IEXPLORE\r\nMozila\r\nMYAGENT\r\nNetScape\r\nOpera\r\nQuarrow\r\n"));

        // The ignore list adds new names and removes only with a selection.
        QVERIFY(!w.SpeedButton2->isEnabled());
        for (const char* name : {"TEMP", "Temp", "old", "bin"}) {
            w.editIgnore->setText(QString::fromLatin1(name));
            w.SpeedButton1->click();
        }
        QCOMPARE(w.editIgnore->text(), QStringLiteral("bin"));
        QCOMPARE(*a.program.bytes("TXT/Ignore.txt"), std::string("TEMP\r\nold\r\nbin\r\n"));
        QVERIFY(!w.SpeedButton2->isEnabled());
        w.lbignore->setCurrentRow(1);
        w.SpeedButton2->click();
        QCOMPARE(*a.program.bytes("TXT/Ignore.txt"), std::string("TEMP\r\nbin\r\n"));
        QCOMPARE(w.lbignore->currentRow(), 1);
        w.SpeedButton2->click();
        QVERIFY2(!w.SpeedButton2->isEnabled(), "removing the last entry leaves no selection");
        QCOMPARE(a.form->options().ignoreLines(), std::vector<std::string>{"TEMP"});

        // The home page link grows under the mouse and opens the address.
        const qreal normal = w.Label1->font().pointSizeF();
        QEvent enter(QEvent::Enter), leave(QEvent::Leave);
        QCoreApplication::sendEvent(w.Label18, &enter);
        QCOMPARE(w.Label18->font().pointSizeF(), normal + 2);
        QCoreApplication::sendEvent(w.Label18, &leave);
        QCOMPARE(w.Label18->font().pointSizeF(), normal);
        QTest::mouseClick(w.Label18, Qt::LeftButton);
        QCOMPARE(a.dialogs->urls, QList<QUrl>{QUrl(QString::fromStdString(HomePageUrl()))});
    }

    void commentIsSavedOnRequestButEveryStartTakesTheMemo() {
        Window a;
        TreeServer server(1, 1);
        FormWidgets& w = a.w();
        w.MemoComent->setPlainText(QStringLiteral("hello\nсвет"));
        w.Button3->click();
        const std::string saved = "hello\r\n\xF1\xE2\xE5\xF2\r\n";
        QCOMPARE(*a.program.bytes("TXT/Coment.txt"), saved);

        // A memo ending in a line break has no empty last line; an empty one has no lines.
        w.MemoComent->setPlainText(QStringLiteral("unsaved\n"));
        QCOMPARE(a.form->options().commentLines(), std::vector<std::string>{"unsaved"});
        w.MemoComent->clear();
        QVERIFY(a.form->options().commentLines().empty());
        w.MemoComent->setPlainText(QStringLiteral("unsaved"));
        a.start(server.port(), "Arhive/c.qrnet");
        QCOMPARE(*a.form->state().context.CommentLines(), std::vector<std::string>{"unsaved"});
        QCOMPARE(*a.program.bytes("TXT/Coment.txt"), saved);
        QVERIFY(a.scansEnd());
    }

    void startNeedsServerUserAndPasswordAndThePortTakesDigitsOnly() {
        Window a;
        FormWidgets& w = a.w();
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
    }
};

QUARROW_GUI_SUITE(GuiOptionsTest)

}  // namespace quarrow::test

#include "GuiOptionsTest.moc"
