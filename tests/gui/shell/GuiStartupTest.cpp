#include <QCheckBox>
#include <QScreen>
#include <ctime>

#include "engine/Settings.h"
#include "fixtures/FixtureProcess.h"
#include "gui/GuiFixture.h"
#include "platform/DateTimeText.h"

namespace quarrow::test {

// Start-up and shut-down: the settings file, the history lists, the update check and the
// command line handed over at the first activation.
class GuiStartupTest : public QObject {
    Q_OBJECT

private slots:
    void savedSettingsComeBackAndAreWrittenAtClose() {
        Window a({{"quarrow.ini",
                   {"[MainWinPos]", "Left=-4", "Top=-4", "Width=700", "Height=500", "[MainWinPage]",
                    "Active=6", "[MainWinLang]", "Lang=1", "[Ident]", "IdentText=opera", "[Update]",
                    "cbsupdate=0", "endupdatedate=01.02.2024 10:11:12"}}});
        FormWidgets& w = a.w();
        QVERIFY(a.form->isMaximized() && w.pc1->currentWidget() == w.TabSheet7);
        QVERIFY(w.ComboBox1->currentIndex() == 1 && !w.cbsupdate->isChecked());
        QCOMPARE(a.form->state().identText, std::string("opera"));
        QCOMPARE(w.cbsIdent->currentText(), QStringLiteral("Opera"));

        w.pc1->setCurrentWidget(w.TabSheet2);
        w.ComboBox1->setCurrentIndex(0);
        a.form->close();
        const MainSettings saved = LoadSettings(a.program.path() + "quarrow.ini", 0);
        QVERIFY(saved.language == 0 && saved.activePage == 1 && !saved.autoUpdate);
        QCOMPARE(saved.identText, std::string("opera"));
        QCOMPARE(saved.lastUpdateCheck, std::string("01.02.2024 10:11:12"));
        QCOMPARE(PlaceMainWindow(saved.mainWindow, 4000, 4000).kind, PlacementKind::Maximised);
    }

    void windowPartlyOffTheRightEdgeIsMovedBackOnScreen() {
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        Window a({{"quarrow.ini",
                   {"[MainWinPos]", "Left=" + std::to_string(screen.width() - 100), "Top=10",
                    "Width=400", "Height=300"}}});
        QVERIFY(!a.form->isMaximized());
        QCOMPARE(QRect(a.form->pos(), a.form->size()), QRect(screen.width() - 400, 10, 400, 300));
        a.form->move(30, 40);
        a.form->resize(500, 350);
        a.form->close();
        const auto place = LoadSettings(a.program.path() + "quarrow.ini", 0).mainWindow;
        QCOMPARE(QRect(place.left, place.top, place.width, place.height), QRect(30, 40, 500, 350));
    }

    void historyListsFillTheirControlsAtStartUp() {
        Window a({{"TXT/PATH.txt", {"/pub/", "/PUB/", "/incoming/"}},
                  {"TXT/FTP.txt", {"b.example", "a.example", "a.example"}},
                  {"TXT/Ident.txt", {"MINE", "ALSO"}},
                  {"TXT/Ignore.txt", {"zeta", "alpha"}},
                  {"TXT/Coment.txt", {"line one", "line two"}}});
        FormWidgets& w = a.w();
        const QStringList shown = {w.cbsFindPath->itemText(0),  w.cbsFindPath->currentText(),
                                   w.cbsIdent->itemText(0),     w.lbignore->item(0)->text(),
                                   w.MemoComent->toPlainText(), w.cbsUserName->currentText(),
                                   w.cbspassword->currentText()};
        QCOMPARE(shown, listOf("/incoming/|/|ALSO|zeta|line one\nline two|anonymous|us@site"));
        QCOMPARE((QList<int>{w.cbsFindPath->count(), w.cbsServer->count(), w.cbsIdent->count(),
                             w.lbignore->count()}),
                 (QList<int>{2, 3, 2, 2}));
    }

    void aNewerVersionIsOfferedAndYesOpensItsAddress() {
        TempDir site;
        makeTree(site.path(), {{"cfg_quarrow.html",
                                "last_version=9.0.0.0\r\nurl_site_downloand=http://q/get\r\n"}});
        HttpServer server(site.path());
        Window a({{"quarrow.ini",
                   {"[Update]", "cbsupdate=1", "UpdateUrl=" + server.url("/cfg_quarrow.html")}}});
        QTRY_COMPARE_WITH_TIMEOUT(a.dialogs->questions.size(), 1, 10000);
        QCOMPARE(
            a.dialogs->questions.front(),
            (QStringList{QStringLiteral("Update available"),
                         QStringLiteral("Quarrow Update available\nOpen the download page now?")}));
        QCOMPARE(a.dialogs->urls, QList<QUrl>{QUrl(QStringLiteral("http://q/get"))});

        // Ticking the option checks again; No opens nothing. Unticking moves the last-check
        // date to today's midnight.
        a.dialogs->answer = false;
        QCheckBox* option = a.w().cbsupdate;
        option->click();
        option->click();
        QTRY_COMPARE_WITH_TIMEOUT(a.dialogs->questions.size(), 2, 10000);
        QCOMPARE(a.dialogs->urls.size(), 1);
        option->click();
        a.form->close();
        const MainSettings saved = LoadSettings(a.program.path() + "quarrow.ini", 0);
        QVERIFY(!saved.autoUpdate);
        QCOMPARE(saved.lastUpdateCheck, formatDate(std::time(nullptr)) + " 00:00:00");
    }

    // Each description of a load file starts its scan on a page of its own, the last one shown;
    // a port that is not a number stops the batch at its line, one out of range fails on its
    // page alone. [hide] hides to the tray, or minimises without one, until the scans end.
    void commandLineStartsTheDescribedScansAndHides() {
        TreeServer server(8, 1, 0.4);
        TempDir lists;
        const std::string keys = "[server=127.0.0.1][port=" + std::to_string(server.port()) + "]";
        const auto loadfile = [&](const char* name, const std::string& text) {
            makeTree(lists.path(), {{name, text}});
            return "[loadfile=" + lists.path() + name + "]";
        };
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        enum Hiding { Stays, Hides, Minimises };
        const std::tuple<std::string, bool, int, QString, Hiding> cases[] = {
            {loadfile("a.txt", keys + "[mask=*.mp3]\r\nno server here\r\n" + keys +
                                   "[path=/dir1][nodirchild]\r\n") +
                 "[hide]",
             true, 2, QString(), Hides},
            {keys + "[mask=.mp3][user=anonymous][hide]", false, 1, QString(), Minimises},
            {loadfile("b.txt", keys + "\r\n[server=127.0.0.1][port=abc]\r\n" + keys + "\r\n") +
                 "[hide]",
             true, 1, QStringLiteral("abc"), Stays},
            {loadfile("c.txt", "[server=127.0.0.1][port=0]\r\n" + keys + "\r\n"), false, 2,
             QString(), Stays},
            {"[loadfile=" + lists.path() + "missing.txt]", false, 0,
             QStringLiteral("The command line was not carried out."), Stays},
            {std::to_string(555 * local.tm_mday), false, 0, QString(), Stays}};
        for (const auto& [argument, tray, pages, error, hiding] : cases) {
            Window a({}, {argument, tray});
            QTRY_VERIFY(!a.form->state().firstActivation);
            QTRY_COMPARE(a.pageCount(), pages);
            QTRY_COMPARE(a.dialogs->errors.size(), error.isEmpty() ? 0 : 1);
            if (!error.isEmpty()) QVERIFY(a.dialogs->errors.front().contains(error));
            if (pages > 0) QCOMPARE(a.w().pc2->currentIndex(), pages - 1);
            QVERIFY(!tray || a.form->tray().shown());
            if (hiding == Hides) QTRY_VERIFY_WITH_TIMEOUT(a.form->isHidden(), 3000);
            if (hiding == Minimises) QTRY_VERIFY_WITH_TIMEOUT(a.form->isMinimized(), 3000);
            if (hiding == Stays && argument.ends_with("[hide]")) QTest::qWait(1500);
            QVERIFY2(hiding == Hides || a.form->isVisible(), "never hidden beyond reach");
            QVERIFY2(pages == 0 || a.scansRunning(), "the scans outlast the hiding");
            QVERIFY(a.scansEnd());
            QTRY_VERIFY2(a.form->isVisible() && !a.form->isMinimized(),
                         "the end-of-scan notice brings the window back");
        }
    }
};

QUARROW_GUI_SUITE(GuiStartupTest)

}  // namespace quarrow::test

#include "GuiStartupTest.moc"
