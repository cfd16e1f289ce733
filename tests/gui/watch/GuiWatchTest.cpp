#include <utime.h>

#include <QApplication>
#include <QListView>
#include <QTableView>
#include <QTimer>

#include "gui/GuiFixture.h"
#include "gui/download/TFormDownload.h"
#include "gui/watch/NewFilesModel.h"
#include "gui/watch/QtWatchTimers.h"
#include "gui/watch/TFormSetingSpy.h"
#include "gui/watch/TNevForm.h"
#include "gui/watch/WatchEditor.h"
#include "gui/watch/WatchListModel.h"
#include "gui/watch/WatchTab.h"
#include "gui/widgets/QtText.h"
#include "watch/WatchContext.h"
#include "watch/WatchEditing.h"
#include "watch/WatchScheduler.h"

namespace quarrow::test {
namespace {

constexpr std::time_t kDay = 24 * 60 * 60;

// Acts on the settings dialog once it is shown modally, then presses "Ok" (or closes it).
void answerDialog(std::function<void(TFormSetingSpy&)> act, bool ok = true) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, act = std::move(act), ok] {
        auto* dialog = dynamic_cast<TFormSetingSpy*>(QApplication::activeModalWidget());
        if (!dialog) return;
        poll->deleteLater();
        act(*dialog);
        if (ok)
            dialog->Button1Click();
        else
            dialog->reject();
    });
    poll->start(10);
}

WatchForm entryForm(int port, const char* mask, const char* path = "/") {
    WatchForm form;
    form.server = "127.0.0.1";
    form.path = path;
    form.mask = mask;
    form.port = std::to_string(port);
    form.subfolders = true;
    return form;
}

struct WatchWindow : Window {
    explicit WatchWindow(const Files& files = {}, const FormOptions& options = {})
        : Window(files, options) {
        w().pc1->setCurrentWidget(w().TabSheet5);
    }
    WatchTab& tab() { return form->watch(); }
    WatchTable& table() { return tab().watch().Table; }
    std::shared_ptr<WatchEntry> entry(int line) {
        return table().at(table().lines()[static_cast<std::size_t>(line)].entry);
    }
    void add(const WatchForm& typed) {
        answerDialog([typed](TFormSetingSpy& dialog) { dialog.setForm(typed); });
        w().AddSurveillance->click();
    }
    void click(int line) {
        tab().selectLine(line);
        tab().CheckListBox1Click();
    }
    QVariant look(int line, int role) { return tab().list().data(tab().list().index(line), role); }
    bool checksEnd(int timeout = 30000) {
        return QTest::qWaitFor(
            [&] {
                for (int i = 0; i < table().size(); ++i)
                    if (table().at(i)->WorkerRunning.load()) return false;
                return true;
            },
            timeout);
    }
};

void age(const std::string& path, std::time_t seconds) {
    const std::time_t when = std::time(nullptr) - seconds;
    const utimbuf times{when, when};
    QVERIFY(::utime(path.c_str(), &times) == 0);
}

QString lineText(WatchWindow& a, int line) {
    return fromSystem(a.table().lines()[static_cast<std::size_t>(line)].text);
}

}  // namespace

class GuiWatchTest : public QObject {
    Q_OBJECT

private slots:
    void addChangeAndDeleteThroughTheDialog() {
        WatchWindow a;
        WatchForm typed = entryForm(21, ".mp3", "pub");
        typed.server = " ftp://127.0.0.1 ";
        typed.days = 3;
        a.add(typed);
        QTRY_COMPARE(a.table().lines().size(), std::size_t{1});
        QCOMPARE(lineText(a, 0), QStringLiteral("127.0.0.1/pub/   *.MP3   60 мин "));
        const auto added = a.entry(0);
        QCOMPARE(added->Path, std::string("/pub/"));
        QCOMPARE(added->ShowDays.load(), 3);
        // The dialog shows the normalised texts next time, the mask in the case typed.
        TFormSetingSpy* dialog = a.tab().editor().dialog();
        QCOMPARE(dialog->form().server, std::string("127.0.0.1"));
        QCOMPARE(dialog->form().mask, std::string("*.mp3"));
        QVERIFY(a.program.bytes("TXT/PATH.txt")->find("/pub/") != std::string::npos);
        QVERIFY(a.program.bytes("TXT/MASK.txt")->find("*.MP3") != std::string::npos);
        QVERIFY(a.program.bytes("Spy/Spy.ini")->find("|path=/pub/|") != std::string::npos);

        // Typed exactly as stored: the first line is selected and named, nothing is added.
        a.add(entryForm(21, "*.MP3", "/pub/"));
        QTRY_COMPARE(a.dialogs->messages.size(), 1);
        QVERIFY(a.dialogs->messages.front().endsWith(QStringLiteral("1")));
        QCOMPARE(a.table().lines().size(), std::size_t{1});
        QCOMPARE(a.tab().selectedLine(), 0);

        // "Изменить" shows every setting; "Ok" untouched keeps them.
        a.click(0);
        QVERIFY(a.w().SpeedButton7->isEnabled());
        WatchForm shown;
        answerDialog([&shown](TFormSetingSpy& d) { shown = d.form(); });
        a.w().SpeedButton7->click();
        QCOMPARE(shown.path, std::string("/pub/"));
        QCOMPARE(shown.mask, std::string("*.MP3"));
        QCOMPARE(shown.days, 3);
        QCOMPARE(shown.subfolders, true);
        QCOMPARE(a.entry(0)->Mask, std::string("*.MP3"));
        QVERIFY(lineText(a, 0).endsWith(QStringLiteral(" min ")));

        // Closing the dialog changes nothing.
        a.add(entryForm(21, "*.ogg"));
        answerDialog([](TFormSetingSpy& d) { d.setForm(entryForm(21, "*.wav")); }, false);
        a.w().AddSurveillance->click();
        a.add(entryForm(21, "*.avi"));
        QTRY_COMPARE(a.table().lines().size(), std::size_t{3});

        a.click(1);
        a.w().SpeedButton4->click();
        QCOMPARE(a.table().lines().size(), std::size_t{2});
        QVERIFY(lineText(a, 0).contains(QStringLiteral("*.MP3")));
        QVERIFY(lineText(a, 1).contains(QStringLiteral("*.AVI")));
        QCOMPARE(a.table().LastWatchIndex(), 1);
        QCOMPARE(a.tab().selectedLine(), -1);
        QVERIFY(!a.w().SpeedButton4->isEnabled() && !a.w().SpeedButton7->isEnabled());
        const std::string stored = *a.program.bytes("Spy/Spy.ini");
        QVERIFY(stored.find("*.OGG") == std::string::npos);
        QVERIFY(stored.find("*.AVI") != std::string::npos);
    }

    // Inactive idle, busy, finished unticked, ticked idle with its countdown: what each row
    // shows, and Start / Stop / Start all on the way.
    void rowsFollowTheChecks() {
        TreeServer server(6, 3, 0.3);
        WatchWindow a;
        a.add(entryForm(server.port(), "*.mp3"));
        a.add(entryForm(server.port(), "*.txt"));
        QTRY_COMPARE(a.table().lines().size(), std::size_t{2});
        const auto red = QVariant(QColor(255, 0, 0));
        QCOMPARE(a.look(0, WatchListModel::BackgroundRole).toInt(),
                 static_cast<int>(RowBackground::Orange));
        QCOMPARE(a.look(0, WatchListModel::StatusColourRole), red);
        QCOMPARE(a.look(0, WatchListModel::StatusRole).toString(),
                 fromSystem(a.tab().watch().Texts()->form.autono));

        // Start all twice at once checks each entry once.
        a.w().SpeedButton6->click();
        a.w().SpeedButton6->click();
        QTRY_VERIFY(a.entry(0)->Connected.load());
        QCOMPARE(a.look(0, WatchListModel::BackgroundRole).toInt(),
                 static_cast<int>(RowBackground::Yellow));
        QCOMPARE(a.look(0, WatchListModel::StatusColourRole), QVariant(QColor(0, 0, 255)));
        QVERIFY(!a.look(0, WatchListModel::StatusRole).toString().isEmpty());
        // The busy line offers Stop, and Stop ends its check with what it found.
        a.click(1);
        QCOMPARE(a.w().SpeedButton3->text(), QStringLiteral("Stop"));
        QVERIFY(!a.w().SpeedButton7->isEnabled());
        a.w().SpeedButton3->click();
        QVERIFY(a.checksEnd());
        QCOMPARE(a.entry(0)->CheckNumber.load(), 2);
        QCOMPARE(a.entry(1)->CheckNumber.load(), 2);
        QCOMPARE(a.entry(0)->NewFileCount.load(), 18);
        // Each finished check ends with a balloon (a notice where the desktop has no tray).
        QTRY_VERIFY(a.form->tray().notice() != nullptr);

        // Finished and unticked: the counts of the check, in red.
        const auto& texts = a.tab().watch().Texts()->form;
        QCOMPARE(a.look(0, WatchListModel::StatusRole).toString(),
                 fromSystem(texts.autonofile + "18" + texts.dir + "6"));
        QCOMPARE(a.look(0, WatchListModel::StatusColourRole), red);

        // Ticking makes it active: green, the countdown in blue, one minute later 59.
        a.tab().list().setData(a.tab().list().index(0), Qt::Checked, Qt::CheckStateRole);
        QVERIFY(a.entry(0)->Active.load());
        QVERIFY(a.program.bytes("Spy/Spy.ini")->find("active=+") != std::string::npos);
        QVERIFY(a.tab().timers().running(a.table().lines()[0].entry));
        QCOMPARE(a.look(0, WatchListModel::BackgroundRole).toInt(),
                 static_cast<int>(RowBackground::Green));
        QVERIFY(a.w().Timer5->isActive());
        a.tab().Timer5Timer();
        QVERIFY(
            a.look(0, WatchListModel::StatusRole).toString().endsWith(QStringLiteral("59 min")));
        QCOMPARE(a.look(0, WatchListModel::StatusColourRole), QVariant(QColor(0, 0, 255)));
    }

    // A double click during a check shows the rows found so far; the rest follow.
    void newFilesWindowFillsDuringTheCheck() {
        TreeServer server(8, 2, 0.3);
        // Half the files of the first four folders are a month old; the folders are new.
        for (int d = 0; d < 4; ++d)
            age(server.tree.path() + "dir" + std::to_string(d) + "/" +
                    server.names[static_cast<std::size_t>(2 * d)],
                30 * kDay);
        WatchWindow a;
        a.add(entryForm(server.port(), "*.mp3"));
        QTRY_COMPARE(a.table().lines().size(), std::size_t{1});
        a.click(0);
        a.w().SpeedButton3->click();
        QTRY_VERIFY(a.entry(0)->NewItems.size() > 0);
        a.tab().selectLine(0);
        a.tab().CheckListBox1DblClick();
        TNevForm* window = a.tab().nevForm();
        QVERIFY(window && window->isVisible());
        QCOMPARE(window->entryTag(), a.table().lines()[0].entry);
        QVERIFY(a.checksEnd());
        QCOMPARE(a.entry(0)->NewFileCount.load(), 12);
        QCOMPARE(a.entry(0)->NewItems.size(), std::size_t{20});
        QTRY_COMPARE(window->rows().rowCount(), 20);

        // "Скачать файл..." takes a selected file into Downloads/ with the entry's login.
        int file = 0;
        while (window->rows().item(file).IsFolder) ++file;
        window->findChild<QTableView*>(QStringLiteral("Files"))->selectRow(file);
        window->PopupMenu3Popup();
        window->N6Click();
        TFormDownload* downloads = a.tab().downloadForm();
        QVERIFY(downloads && downloads->isVisible());
        const std::string name = fileNameOf(window->rows().item(file).FullName);
        QTRY_VERIFY(a.program.bytes(("Downloads/" + name).c_str()).has_value());
        QTRY_COMPARE(downloads->findChild<QLabel*>(QStringLiteral("Label1"))->text(),
                     fromSystem("\xC7\xE0\xE3\xF0\xF3\xE6\xE5\xED\xEE 1 \xF4\xE0\xE9\xEB "
                                "\xE8\xE7 1"));

        // A change of language relabels both watch windows that exist.
        a.add(entryForm(server.port(), "*.ogg"));
        QTRY_COMPARE(a.table().lines().size(), std::size_t{2});
        a.w().ComboBox1->setCurrentIndex(1);
        QCOMPARE(window->windowTitle(), QStringLiteral("Новые файлы"));
        QCOMPARE(window->rows().headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(),
                 QStringLiteral("Размер"));
        QCOMPARE(a.tab().editor().dialog()->windowTitle(), QStringLiteral("Настройка слежения"));
        QCOMPARE(a.w().SpeedButton6->text(), QStringLiteral("Запустить всё"));
        QCOMPARE(downloads->findChild<QPushButton*>(QStringLiteral("SpeedButton1"))->text(),
                 QStringLiteral("Прервать"));
    }

    void commandLineUnticksAndStartsAll() {
        TreeServer server(1, 1);
        const std::string entryLine =
            "|server=127.0.0.1|path=/|mask=*.mp3|interval=3600000|active=+|password=us@site"
            "|user=anonymous|port=" +
            std::to_string(server.port()) +
            "|date=01.12.2026|startprogramm=-|day=7 |filtersave=1|savename=|indirchild=+";
        TempDir lists;
        makeTree(lists.path(),
                 {{"s.txt", "[server=127.0.0.1][port=" + std::to_string(server.port()) +
                                "][nostartspyall][startspyallinstart]\r\n"}});
        WatchWindow a({{"Spy/Spy.ini", {"[Spy]", "-1=0", "0=" + entryLine}}},
                      {"[loadfile=" + lists.path() + "s.txt]"});
        QTRY_VERIFY(a.entry(0)->CheckNumber.load() == 2);
        QVERIFY(!a.table().lines()[0].ticked);
        QVERIFY(a.entry(0)->Active.load());
        QVERIFY(a.checksEnd());
        QVERIFY(a.scansEnd());
    }
};

QUARROW_GUI_SUITE(GuiWatchTest)

}  // namespace quarrow::test

#include "GuiWatchTest.moc"
