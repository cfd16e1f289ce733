#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTabWidget>
#include <QTest>

#include "GuiFixture.h"
#include "GuiSuites.h"
#include "engine/Settings.h"
#include "gui/FormState.h"
#include "gui/LogoArea.h"

namespace quarrow::test {
namespace {

QRect screenArea() {
    return QGuiApplication::primaryScreen()->geometry();
}

}  // namespace

// The settings file and the history lists at start-up and shut-down.
class GuiSettingsTest : public QObject {
    Q_OBJECT

private slots:
    void firstRunShowsTheDesignedWindowOnTheScannerPageInEnglish() {
        ProgramFolder program;
        auto dialogs = std::make_shared<FakeDialogs>();
        auto form = makeForm(program, dialogs);
        FormWidgets& w = form->widgets();
        QCOMPARE(form->size(), QSize(387, 501));
        const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY(qAbs(form->frameGeometry().center().x() - work.center().x()) <= 1);
        QCOMPARE(w.pc1->currentIndex(), 0);
        QCOMPARE(w.ComboBox1->currentIndex(), 0);
        QVERIFY(w.cbsupdate->isChecked());
        QCOMPARE(form->state().identText, std::string("Quarrowbrisk"));
        QCOMPARE(w.cbsIdent->currentText(), QStringLiteral("Quarrow"));
        QCOMPARE(w.logo->version(), QStringLiteral("1.2.3.0"));
        for (const char* folder : {"TXT", "Session", "Spy", "Arhive"})
            QVERIFY2(QFileInfo(program.file(folder)).isDir(), folder);
    }

    void savedSettingsComeBackAndAreWrittenAtClose() {
        ProgramFolder program;
        program.write("quarrow.ini", {"[MainWinPos]", "Left=-4", "Top=-4", "Width=700",
                                      "Height=500", "[MainWinPage]", "Active=6", "[MainWinLang]",
                                      "Lang=1", "[Ident]", "IdentText=opera", "[Update]",
                                      "cbsupdate=0", "endupdatedate=01.02.2024 10:11:12"});
        auto dialogs = std::make_shared<FakeDialogs>();
        auto form = makeForm(program, dialogs);
        FormWidgets& w = form->widgets();
        QVERIFY(form->isMaximized());
        QCOMPARE(w.pc1->currentWidget(), w.TabSheet7);
        QCOMPARE(w.ComboBox1->currentIndex(), 1);
        QCOMPARE(form->state().identText, std::string("opera"));
        QCOMPARE(w.cbsIdent->currentText(), QStringLiteral("Opera"));
        QVERIFY(!w.cbsupdate->isChecked());

        w.pc1->setCurrentWidget(w.TabSheet2);
        w.ComboBox1->setCurrentIndex(0);
        form->close();
        const MainSettings saved = LoadSettings(program.path() + "quarrow.ini", 0);
        QCOMPARE(saved.language, 0);
        QCOMPARE(saved.activePage, 1);
        QCOMPARE(saved.identText, std::string("opera"));
        QCOMPARE(saved.autoUpdate, false);
        QCOMPARE(saved.lastUpdateCheck, std::string("01.02.2024 10:11:12"));
        QCOMPARE(PlaceMainWindow(saved.mainWindow, 4000, 4000).kind, PlacementKind::Maximised);
    }

    void windowPartlyOffTheRightEdgeIsMovedBackOnScreen() {
        const QRect screen = screenArea();
        ProgramFolder program;
        program.write("quarrow.ini",
                      {"[MainWinPos]", "Left=" + std::to_string(screen.width() - 100), "Top=10",
                       "Width=400", "Height=300"});
        auto dialogs = std::make_shared<FakeDialogs>();
        auto form = makeForm(program, dialogs);
        QVERIFY(!form->isMaximized());
        QCOMPARE(form->pos(), QPoint(screen.width() - 400, 10));
        QCOMPARE(form->size(), QSize(400, 300));
        form->move(30, 40);
        form->resize(500, 350);
        form->close();
        const MainSettings saved = LoadSettings(program.path() + "quarrow.ini", 0);
        QCOMPARE(saved.mainWindow.left, 30);
        QCOMPARE(saved.mainWindow.top, 40);
        QCOMPARE(saved.mainWindow.width, 500);
        QCOMPARE(saved.mainWindow.height, 350);
    }

    void historyListsFillTheirControlsAtStartUp() {
        ProgramFolder program;
        program.write("TXT/PATH.txt", {"/pub/", "/PUB/", "/incoming/"});
        program.write("TXT/FTP.txt", {"b.example", "a.example", "a.example"});
        program.write("TXT/Ident.txt", {"MINE", "ALSO"});
        program.write("TXT/Ignore.txt", {"zeta", "alpha"});
        program.write("TXT/Coment.txt", {"line one", "line two"});
        auto dialogs = std::make_shared<FakeDialogs>();
        auto form = makeForm(program, dialogs);
        FormWidgets& w = form->widgets();
        QCOMPARE(w.cbsFindPath->count(), 2);
        QCOMPARE(w.cbsFindPath->itemText(0), QStringLiteral("/incoming/"));
        QCOMPARE(w.cbsFindPath->currentText(), QStringLiteral("/"));
        QCOMPARE(w.cbsServer->count(), 3);
        QCOMPARE(w.cbsIdent->count(), 2);
        QCOMPARE(w.cbsIdent->itemText(0), QStringLiteral("ALSO"));
        QCOMPARE(w.lbignore->count(), 2);
        QCOMPARE(w.lbignore->item(0)->text(), QStringLiteral("zeta"));
        QCOMPARE(w.MemoComent->toPlainText(), QStringLiteral("line one\nline two"));
        QCOMPARE(w.cbsUserName->currentText(), QStringLiteral("anonymous"));
        QCOMPARE(w.cbspassword->currentText(), QStringLiteral("us@site"));
    }
};

std::unique_ptr<QObject> makeGuiSettingsTest() {
    return std::make_unique<GuiSettingsTest>();
}

}  // namespace quarrow::test

#include "GuiSettingsTest.moc"
