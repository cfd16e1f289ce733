#include <QCheckBox>
#include <QFileInfo>
#include <QScreen>

#include "engine/Settings.h"
#include "gui/GuiFixture.h"
#include "gui/shell/LogoArea.h"

namespace quarrow::test {
// The settings file and the history lists at start-up and shut-down.
class GuiSettingsTest : public QObject {
    Q_OBJECT

private slots:
    void firstRunShowsTheDesignedWindowOnTheScannerPageInEnglish() {
        Window a;
        FormWidgets& w = a.w();
        QCOMPARE(a.form->size(), QSize(387, 501));
        const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY(qAbs(a.form->frameGeometry().center().x() - work.center().x()) <= 1);
        QCOMPARE(w.pc1->currentIndex(), 0);
        QCOMPARE(w.ComboBox1->currentIndex(), 0);
        QVERIFY(w.cbsupdate->isChecked());
        QCOMPARE(a.form->state().identText, std::string("Quarrowbrisk"));
        QCOMPARE(w.cbsIdent->currentText(), QStringLiteral("Quarrow"));
        QCOMPARE(w.logo->version(), QStringLiteral("1.2.3.0"));
        for (const char* folder : {"TXT", "Session", "Spy", "Arhive"})
            QVERIFY2(QFileInfo(a.program.file(folder)).isDir(), folder);
    }

    void savedSettingsComeBackAndAreWrittenAtClose() {
        Window a({{"quarrow.ini",
                   {"[MainWinPos]", "Left=-4", "Top=-4", "Width=700", "Height=500", "[MainWinPage]",
                    "Active=6", "[MainWinLang]", "Lang=1", "[Ident]", "IdentText=opera", "[Update]",
                    "cbsupdate=0", "endupdatedate=01.02.2024 10:11:12"}}});
        FormWidgets& w = a.w();
        QVERIFY(a.form->isMaximized());
        QCOMPARE(w.pc1->currentWidget(), w.TabSheet7);
        QCOMPARE(w.ComboBox1->currentIndex(), 1);
        QCOMPARE(a.form->state().identText, std::string("opera"));
        QCOMPARE(w.cbsIdent->currentText(), QStringLiteral("Opera"));
        QVERIFY(!w.cbsupdate->isChecked());

        w.pc1->setCurrentWidget(w.TabSheet2);
        w.ComboBox1->setCurrentIndex(0);
        a.form->close();
        const MainSettings saved = LoadSettings(a.program.path() + "quarrow.ini", 0);
        QCOMPARE(saved.language, 0);
        QCOMPARE(saved.activePage, 1);
        QCOMPARE(saved.identText, std::string("opera"));
        QCOMPARE(saved.autoUpdate, false);
        QCOMPARE(saved.lastUpdateCheck, std::string("01.02.2024 10:11:12"));
        QCOMPARE(PlaceMainWindow(saved.mainWindow, 4000, 4000).kind, PlacementKind::Maximised);
    }

    void windowPartlyOffTheRightEdgeIsMovedBackOnScreen() {
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        Window a({{"quarrow.ini",
                   {"[MainWinPos]", "Left=" + std::to_string(screen.width() - 100), "Top=10",
                    "Width=400", "Height=300"}}});
        QVERIFY(!a.form->isMaximized());
        QCOMPARE(a.form->pos(), QPoint(screen.width() - 400, 10));
        QCOMPARE(a.form->size(), QSize(400, 300));
        a.form->move(30, 40);
        a.form->resize(500, 350);
        a.form->close();
        const MainSettings saved = LoadSettings(a.program.path() + "quarrow.ini", 0);
        const auto& place = saved.mainWindow;
        QCOMPARE(QRect(place.left, place.top, place.width, place.height), QRect(30, 40, 500, 350));
    }

    void historyListsFillTheirControlsAtStartUp() {
        Window a({{"TXT/PATH.txt", {"/pub/", "/PUB/", "/incoming/"}},
                  {"TXT/FTP.txt", {"b.example", "a.example", "a.example"}},
                  {"TXT/Ident.txt", {"MINE", "ALSO"}},
                  {"TXT/Ignore.txt", {"zeta", "alpha"}},
                  {"TXT/Coment.txt", {"line one", "line two"}}});
        FormWidgets& w = a.w();
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

QUARROW_GUI_SUITE(GuiSettingsTest)

}  // namespace quarrow::test

#include "GuiSettingsTest.moc"
