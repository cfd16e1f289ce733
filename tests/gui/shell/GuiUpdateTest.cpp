#include <QCheckBox>
#include <ctime>

#include "engine/Settings.h"
#include "fixtures/HttpServer.h"
#include "gui/GuiFixture.h"
#include "platform/DateTimeText.h"

namespace quarrow::test {

// The update check of the window: the check at start-up, the notice, the option.
class GuiUpdateTest : public QObject {
    Q_OBJECT

private slots:
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
};

QUARROW_GUI_SUITE(GuiUpdateTest)

}  // namespace quarrow::test

#include "GuiUpdateTest.moc"
