#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include "GuiFixture.h"
#include "GuiSuites.h"
#include "fixtures/FtpServer.h"
#include "gui/FormState.h"
#include "gui/OptionsTab.h"
#include "gui/ScanControl.h"

namespace quarrow::test {

// The options and miscellaneous tabs and the scanner page's entry checks.
class GuiOptionsTest : public QObject {
    Q_OBJECT

private slots:
    void identificationComboAddsOnlyNewNamesWhenLeft() {
        ProgramFolder program;
        auto dialogs = std::make_shared<FakeDialogs>();
        auto form = makeForm(program, dialogs);
        FormWidgets& w = form->widgets();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        w.pc1->setCurrentWidget(w.TabSheet7);

        w.cbsIdent->setFocus();
        w.cbsIdent->setEditText(QStringLiteral("opera"));
        w.ComboBox1->setFocus();
        QCOMPARE(w.cbsIdent->count(), 5);
        QCOMPARE(form->state().identText, std::string("Quarrowbrisk"));
        QVERIFY(!program.bytes("TXT/Ident.txt"));

        emit w.cbsIdent->activated(w.cbsIdent->findText(QStringLiteral("Opera")));
        QCOMPARE(form->state().identText, std::string("Opera"));

        w.cbsIdent->setFocus();
        w.cbsIdent->setEditText(QStringLiteral("MyAgent "));
        w.ComboBox1->setFocus();
        QCOMPARE(w.cbsIdent->count(), 6);
        QVERIFY(w.cbsIdent->findText(QStringLiteral("MYAGENT")) >= 0);
        QCOMPARE(form->state().identText, std::string("MyAgent "));
        QCOMPARE(*program.bytes("TXT/Ident.txt"),
                 std::string("IEXPLORE\r\nMozila\r\nMYAGENT\r\nNetScape\r\nOpera\r\nQuarrow\r\n"));
    }

    void ignoreListAddsRemovesAndEnablesRemovalOnlyWithASelection() {
        ProgramFolder program;
        auto dialogs = std::make_shared<FakeDialogs>();
        auto form = makeForm(program, dialogs);
        FormWidgets& w = form->widgets();
        OptionsTab& options = form->options();
        QVERIFY(!w.SpeedButton2->isEnabled());
        for (const char* name : {"TEMP", "Temp", "old", "bin"}) {
            w.editIgnore->setText(QString::fromLatin1(name));
            w.SpeedButton1->click();
        }
        QCOMPARE(w.lbignore->count(), 3);
        QCOMPARE(w.editIgnore->text(), QStringLiteral("bin"));
        QCOMPARE(*program.bytes("TXT/Ignore.txt"), std::string("TEMP\r\nold\r\nbin\r\n"));
        QVERIFY(!w.SpeedButton2->isEnabled());

        w.lbignore->setCurrentRow(1);
        QVERIFY(w.SpeedButton2->isEnabled());
        w.SpeedButton2->click();
        QCOMPARE(*program.bytes("TXT/Ignore.txt"), std::string("TEMP\r\nbin\r\n"));
        QCOMPARE(w.lbignore->currentRow(), 1);
        QVERIFY(w.SpeedButton2->isEnabled());
        w.SpeedButton2->click();
        QCOMPARE(w.lbignore->count(), 1);
        QVERIFY2(!w.SpeedButton2->isEnabled(), "removing the last entry leaves no selection");
        QCOMPARE(options.ignoreLines(), std::vector<std::string>{"TEMP"});
    }

    void commentIsSavedOnRequestButEveryStartTakesTheMemo() {
        ProgramFolder program;
        TempDir tree;
        mp3Tree(tree.path(), 1, 1);
        FtpServer server(tree.path());
        auto dialogs = std::make_shared<FakeDialogs>();
        dialogs->saves.push_back(SaveChoice{program.file("Arhive/c.qrnet"), 1});
        auto form = makeForm(program, dialogs);
        FormWidgets& w = form->widgets();
        w.MemoComent->setPlainText(QStringLiteral("hello\nсвет"));
        w.Button3->click();
        QCOMPARE(*program.bytes("TXT/Coment.txt"), std::string("hello\r\n\xF1\xE2\xE5\xF2\r\n"));

        w.MemoComent->setPlainText(QStringLiteral("unsaved"));
        enterScan(*form, server.port());
        form->scans().Button1Click();
        QCOMPARE(*form->state().context.CommentLines(), std::vector<std::string>{"unsaved"});
        QCOMPARE(*program.bytes("TXT/Coment.txt"), std::string("hello\r\n\xF1\xE2\xE5\xF2\r\n"));
        QTRY_VERIFY_WITH_TIMEOUT(!scansRunning(*form), 30000);
    }

    void startIsUsableOnlyWithServerUserAndPassword() {
        ProgramFolder program;
        auto dialogs = std::make_shared<FakeDialogs>();
        auto form = makeForm(program, dialogs);
        FormWidgets& w = form->widgets();
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
    }

    void portFieldTakesDigitsOnly() {
        ProgramFolder program;
        auto dialogs = std::make_shared<FakeDialogs>();
        auto form = makeForm(program, dialogs);
        QLineEdit* port = form->widgets().Port;
        port->clear();
        QTest::keyClicks(port, QStringLiteral("2a1-b"));
        QCOMPARE(port->text(), QStringLiteral("21"));
    }

    void homePageLinkOpensTheAddressAndGrowsUnderTheMouse() {
        ProgramFolder program;
        auto dialogs = std::make_shared<FakeDialogs>();
        auto form = makeForm(program, dialogs);
        FormWidgets& w = form->widgets();
        w.pc1->setCurrentWidget(w.TabSheet7);
        const qreal normal = w.Label1->font().pointSizeF();
        QEvent enter(QEvent::Enter);
        QCoreApplication::sendEvent(w.Label18, &enter);
        QCOMPARE(w.Label18->font().pointSizeF(), normal + 2);
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(w.Label18, &leave);
        QCOMPARE(w.Label18->font().pointSizeF(), normal);
        QTest::mouseClick(w.Label18, Qt::LeftButton);
        QCOMPARE(dialogs->urls, QList<QUrl>{QUrl(QString::fromLatin1(kHomePage))});
    }
};

std::unique_ptr<QObject> makeGuiOptionsTest() {
    return std::make_unique<GuiOptionsTest>();
}

}  // namespace quarrow::test

#include "GuiOptionsTest.moc"
