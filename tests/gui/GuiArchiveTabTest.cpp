#include <QComboBox>
#include <QKeyEvent>
#include <QListWidget>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include "GuiFixture.h"
#include "GuiSuites.h"
#include "fixtures/FtpServer.h"
#include "gui/ArchiveTab.h"

namespace quarrow::test {
namespace {

struct ActionLog {
    int loads = 0, keyDowns = 0, keyUps = 0, closes = 0;
    bool loading = false;
};

class RecordingActions : public ArchiveActions {
public:
    explicit RecordingActions(ActionLog& log) : log_(log) {}
    void LoadArchives() override { ++log_.loads; }
    void SearchKeyDown() override { ++log_.keyDowns; }
    void SearchKeyUp() override { ++log_.keyUps; }
    void PageClosed() override { ++log_.closes; }
    bool Loading() const override { return log_.loading; }

private:
    ActionLog& log_;
};

QStringList listed(QListWidget* list) {
    QStringList names;
    for (int i = 0; i < list->count(); ++i) names.append(list->item(i)->text());
    names.sort();
    return names;
}

void clickItem(QListWidget* list, int row) {
    list->setCurrentRow(row);
    emit list->itemClicked(list->item(row));
}

}  // namespace

// The archive tab's snapshot list, its check marks and the hand-over to the archive actions.
class GuiArchiveTabTest : public QObject {
    Q_OBJECT

private slots:
    void showingTheTabListsTheSnapshotsAndClicksTickThem() {
        ProgramFolder program;
        auto dialogs = std::make_shared<FakeDialogs>();
        auto form = makeForm(program, dialogs);
        makeTree(program.path(), {{"Arhive/music.qrnet", "x"},
                                  {"Arhive/films.qrnet", "x"},
                                  {"Arhive/notes.txt", "x"},
                                  {"Arhive/OLD.QRNET", "x"}});
        FormWidgets& w = form->widgets();
        w.pc1->setCurrentWidget(w.TabSheet3);
        QCOMPARE(listed(w.clb2), (QStringList{QStringLiteral("films"), QStringLiteral("music")}));
        QVERIFY(!w.SpeedButton8->isEnabled());
        QVERIFY(!w.cb1->isEnabled());

        const int music =
            w.clb2->row(w.clb2->findItems(QStringLiteral("music"), Qt::MatchExactly).front());
        clickItem(w.clb2, music);
        QCOMPARE(w.clb2->item(music)->checkState(), Qt::Checked);
        QVERIFY(w.SpeedButton8->isEnabled());
        QCOMPARE(form->archive().checkedArchives(), QStringList{QStringLiteral("music")});

        makeTree(program.path(), {{"Arhive/more.qrnet", "x"}});
        w.pc1->setCurrentWidget(w.TabSheet1);
        w.pc1->setCurrentWidget(w.TabSheet3);
        QCOMPARE(w.clb2->count(), 3);
        QCOMPARE(form->archive().checkedArchives(), QStringList{QStringLiteral("music")});
        clickItem(
            w.clb2,
            w.clb2->row(w.clb2->findItems(QStringLiteral("music"), Qt::MatchExactly).front()));
        QVERIFY(form->archive().checkedArchives().isEmpty());
    }

    void loadButtonAndSearchKeysReachTheArchiveActions() {
        ProgramFolder program;
        auto dialogs = std::make_shared<FakeDialogs>();
        auto form = makeForm(program, dialogs);
        makeTree(program.path(), {{"Arhive/music.qrnet", "x"}});
        ActionLog log;
        form->archive().setActions(std::make_unique<RecordingActions>(log));
        FormWidgets& w = form->widgets();
        w.pc1->setCurrentWidget(w.TabSheet3);
        clickItem(w.clb2, 0);
        QVERIFY(w.SpeedButton8->isEnabled());
        w.SpeedButton8->click();
        QCOMPARE(log.loads, 1);

        QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
        QCoreApplication::sendEvent(w.cb1, &press);
        QCoreApplication::sendEvent(w.cb1, &release);
        QCOMPARE(log.keyDowns, 1);
        QCOMPARE(log.keyUps, 1);

        w.pc1->setCurrentWidget(w.TabSheet2);
        QVERIFY2(!w.SpeedButton8->isEnabled(), "showing another tab disables loading again");

        w.pc1->setCurrentWidget(w.TabSheet3);
        log.loading = true;
        clickItem(w.clb2, 0);
        QVERIFY2(!w.SpeedButton8->isEnabled(), "no second load while one is under way");
    }
};

std::unique_ptr<QObject> makeGuiArchiveTabTest() {
    return std::make_unique<GuiArchiveTabTest>();
}

}  // namespace quarrow::test

#include "GuiArchiveTabTest.moc"
