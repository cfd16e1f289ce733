#include <utime.h>

#include <QApplication>
#include <QScreen>
#include <QSpinBox>
#include <QTableView>
#include <QTimer>

#include "engine/Translate.h"
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

namespace quarrow::test {
namespace {

// Acts on the settings dialog the next click shows modally, then presses "Ok" (or closes it).
void answerDialog(std::function<void(TFormSetingSpy&)> act, bool ok = true) {
    QTimer::singleShot(0, [act = std::move(act), ok] {
        auto* dialog = dynamic_cast<TFormSetingSpy*>(QApplication::activeModalWidget());
        if (!dialog) return;
        act(*dialog);
        ok ? dialog->Button1Click() : dialog->reject();
    });
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
    std::size_t lines() { return table().lines().size(); }
    QString lineText(int line) { return fromSystem(table().lines()[std::size_t(line)].text); }
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
    // Background, status colour and status text of the line.
    QVariantList row(int line) {
        return {look(line, WatchListModel::BackgroundRole).toInt(),
                look(line, WatchListModel::StatusColourRole),
                look(line, WatchListModel::StatusRole)};
    }
    bool spyIniHas(const char* text) {
        return program.bytes("Spy/Spy.ini")->find(text) != std::string::npos;
    }
    bool checksEnd() {
        return QTest::qWaitFor([&] {
            for (int i = 0; i < table().size(); ++i)
                if (table().at(i)->WorkerRunning.load()) return false;
            return true;
        });
    }
};

// Every field of a form, in declaration order, for one readable comparison.
QStringList fields(const WatchForm& f) {
    QStringList all;
    for (const std::string* text :
         {&f.server, &f.path, &f.mask, &f.user, &f.password, &f.port, &f.saveName})
        all.append(QString::fromLatin1(text->data(), static_cast<qsizetype>(text->size())));
    for (const int number : {int(f.active), int(f.checkAtStart), int(f.subfolders), int(f.tls),
                             f.intervalMinutes, f.days, f.saveType})
        all.append(QString::number(number));
    return all;
}

template <class W>
W* control(QWidget& dialog, const char* name) {
    auto* widget = dialog.findChild<W*>(QString::fromLatin1(name));
    if (!widget) qFatal("no control %s", name);
    return widget;
}

// Runs `act` on the dialog once it is shown modally; the dialog is closed afterwards in any
// case, so a failing step cannot leave the test waiting.
bool showAndDo(TFormSetingSpy& dialog, const std::function<void()>& act) {
    QTimer::singleShot(0, &dialog, [&dialog, act] {
        act();
        dialog.close();
    });
    return dialog.showModal();
}

}  // namespace

// The watch tab of the window and its settings dialog, against a real FTP server.
class GuiWatchTest : public QObject {
    Q_OBJECT

private slots:
    void addChangeAndDeleteThroughTheDialog() {
        WatchWindow a;
        WatchForm typed = entryForm(21, ".mp3", "pub");
        typed.server = " ftp://127.0.0.1 ";
        typed.days = 3;
        a.add(typed);
        QTRY_COMPARE(a.lines(), std::size_t{1});
        // The dialog shows the normalised texts next time, the mask in the case typed.
        TFormSetingSpy* dialog = a.tab().editor().dialog();
        QCOMPARE(dialog->form().server, std::string("127.0.0.1"));
        QCOMPARE(dialog->form().mask, std::string("*.mp3"));
        QVERIFY(a.program.bytes("TXT/PATH.txt")->find("/pub/") != std::string::npos);
        QVERIFY(a.program.bytes("TXT/MASK.txt")->find("*.MP3") != std::string::npos);

        // Typed exactly as stored: the first line is selected and named, nothing is added.
        a.add(entryForm(21, "*.MP3", "/pub/"));
        QVERIFY(a.dialogs->messages.size() == 1 &&
                a.dialogs->messages.front().endsWith(QStringLiteral("1")));
        QVERIFY(a.lines() == 1 && a.tab().selectedLine() == 0);

        // "Изменить" shows every setting; "Ok" untouched keeps them.
        a.click(0);
        WatchForm shown;
        answerDialog([&shown](TFormSetingSpy& d) { shown = d.form(); });
        a.w().SpeedButton7->click();
        QVERIFY(shown.path == "/pub/" && shown.mask == "*.MP3" && shown.subfolders);
        QVERIFY(shown.days == 3 && a.entry(0)->Mask == "*.MP3");
        QVERIFY(a.lineText(0).endsWith(QStringLiteral(" min ")));

        // Closing the dialog changes nothing.
        a.add(entryForm(21, "*.ogg"));
        answerDialog([](TFormSetingSpy& d) { d.setForm(entryForm(21, "*.wav")); }, false);
        a.w().AddSurveillance->click();
        a.add(entryForm(21, "*.avi"));
        QTRY_COMPARE(a.lines(), std::size_t{3});

        a.click(1);
        a.w().SpeedButton4->click();
        QCOMPARE(a.lines(), std::size_t{2});
        QVERIFY(a.lineText(0).contains(QStringLiteral("*.MP3")) &&
                a.lineText(1).contains(QStringLiteral("*.AVI")));
        QVERIFY(a.table().LastWatchIndex() == 1 && a.tab().selectedLine() == -1);
        QVERIFY(!a.w().SpeedButton4->isEnabled() && !a.w().SpeedButton7->isEnabled());
        QVERIFY(!a.spyIniHas("*.OGG") && a.spyIniHas("*.AVI"));
    }

    // Inactive idle, busy, finished unticked, ticked idle with its countdown: what each row
    // shows, and Start / Stop / Start all on the way.
    void rowsFollowTheChecks() {
        TreeServer server(6, 3, 0.3);
        WatchWindow a;
        a.add(entryForm(server.port(), "*.mp3"));
        a.add(entryForm(server.port(), "*.txt"));
        QTRY_COMPARE(a.lines(), std::size_t{2});
        const auto& texts = a.tab().watch().Texts()->form;
        const QColor red(255, 0, 0), blue(0, 0, 255);
        QCOMPARE(a.row(0),
                 (QVariantList{int(RowBackground::Orange), red, fromSystem(texts.autono)}));

        // Start all twice at once checks each entry once.
        a.w().SpeedButton6->click();
        a.w().SpeedButton6->click();
        QTRY_VERIFY(a.entry(0)->Connected.load());
        QCOMPARE(a.row(0).mid(0, 2), (QVariantList{int(RowBackground::Yellow), blue}));
        QVERIFY(!a.row(0).at(2).toString().isEmpty());
        // The busy line offers Stop, and Stop ends its check with what it found.
        a.click(1);
        QCOMPARE(a.w().SpeedButton3->text(), QStringLiteral("Stop"));
        QVERIFY(!a.w().SpeedButton7->isEnabled());
        a.w().SpeedButton3->click();
        QVERIFY(a.checksEnd());
        QCOMPARE((QList<int>{a.entry(0)->CheckNumber, a.entry(1)->CheckNumber,
                             a.entry(0)->NewFileCount}),
                 (QList<int>{2, 2, 18}));
        // Each finished check ends with a balloon (a notice where the desktop has no tray).
        QVERIFY(!a.notice().isEmpty());

        // Finished and unticked: the counts of the check, in red.
        QCOMPARE(a.row(0).mid(1),
                 (QVariantList{red, fromSystem(texts.autonofile + "18" + texts.dir + "6")}));

        // Ticking makes it active: green, the countdown in blue, one minute later 59.
        a.tab().list().setData(a.tab().list().index(0), Qt::Checked, Qt::CheckStateRole);
        QVERIFY(a.entry(0)->Active.load() && a.spyIniHas("active=+"));
        QVERIFY(a.tab().timers().running(a.table().lines()[0].entry));
        QCOMPARE(a.row(0).at(0), QVariant(int(RowBackground::Green)));
        QVERIFY(a.w().Timer5->isActive());
        a.tab().Timer5Timer();
        QVERIFY(a.row(0).at(2).toString().endsWith(QStringLiteral("59 min")));
        QCOMPARE(a.row(0).at(1), QVariant(blue));
    }

    // A double click during a check shows the rows found so far; the rest follow.
    void newFilesWindowFillsDuringTheCheck() {
        TreeServer server(8, 2, 0.3);
        // Half the files of the first four folders are a month old; the folders are new.
        for (int d = 0; d < 4; ++d) {
            const std::string path = server.tree.path() + "dir" + std::to_string(d) + "/" +
                                     server.names[static_cast<std::size_t>(2 * d)];
            const std::time_t when = std::time(nullptr) - 30 * 24 * 60 * 60;
            const utimbuf times{when, when};
            QVERIFY(::utime(path.c_str(), &times) == 0);
        }
        WatchWindow a;
        a.add(entryForm(server.port(), "*.mp3"));
        QTRY_COMPARE(a.lines(), std::size_t{1});
        a.click(0);
        a.w().SpeedButton3->click();
        QTRY_VERIFY(a.entry(0)->NewItems.size() > 0);
        a.tab().selectLine(0);
        a.tab().CheckListBox1DblClick();
        TNevForm* window = a.tab().nevForm();
        QVERIFY(window && window->isVisible());
        QCOMPARE(window->entryTag(), a.table().lines()[0].entry);
        QVERIFY(a.checksEnd());
        QVERIFY(a.entry(0)->NewFileCount.load() == 12 && a.entry(0)->NewItems.size() == 20);
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
                     QStringLiteral("Загружено 1 файл из 1"));

        // A change of language relabels both watch windows that exist.
        a.add(entryForm(server.port(), "*.ogg"));
        QTRY_COMPARE(a.lines(), std::size_t{2});
        a.w().ComboBox1->setCurrentIndex(1);
        const QStringList captions = {
            window->windowTitle(),
            window->rows().headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(),
            a.tab().editor().dialog()->windowTitle(), a.w().SpeedButton6->text(),
            downloads->findChild<QPushButton*>(QStringLiteral("SpeedButton1"))->text()};
        QCOMPARE(captions, listOf("Новые файлы|Размер|Настройка слежения|Запустить всё|Прервать"));
    }

    void commandLineUnticksAndStartsAll() {
        TreeServer server(1, 1);
        const std::string port = std::to_string(server.port());
        const std::string entryLine =
            "|server=127.0.0.1|path=/|mask=*.mp3|interval=3600000|active=+|password=us@site"
            "|user=anonymous|port=" +
            port + "|date=01.12.2026|startprogramm=-|day=7 |filtersave=1|savename=|indirchild=+";
        TempDir lists;
        makeTree(lists.path(), {{"s.txt", "[server=127.0.0.1][port=" + port +
                                              "][nostartspyall][startspyallinstart]\r\n"}});
        WatchWindow a({{"Spy/Spy.ini", {"[Spy]", "-1=0", "0=" + entryLine}}},
                      {"[loadfile=" + lists.path() + "s.txt]"});
        QTRY_VERIFY(a.entry(0)->CheckNumber.load() == 2);
        QVERIFY(!a.table().lines()[0].ticked && a.entry(0)->Active.load());
        QVERIFY(a.checksEnd() && a.scansEnd());
    }

    // Defaults, then every field through its control and back; the spin edits, the save button
    // and the placement on screen.
    void formRoundTripsEveryFieldThroughItsControlsAndStaysOnScreen() {
        FakeDialogs dialogs;
        TFormSetingSpy dialog(dialogs, nullptr);
        QCOMPARE(fields(dialog.form()), fields(WatchForm{}));
        // Any text may be typed as the port.
        const WatchForm changed{.server = "\xF1\xE5\xF0\xE2\xE5\xF0.ru",  // "сервер.ru"
                                .path = "/pub/",
                                .mask = "*.mp3",
                                .user = "bob",
                                .password = "secret",
                                .port = "2x1",
                                .saveName = " /tmp/result ",
                                .active = true,
                                .checkAtStart = true,
                                .subfolders = true,
                                .tls = true,
                                .intervalMinutes = 15,
                                .days = 30,
                                .saveType = 2};
        // Back to the defaults proves every control is overwritten, ticks included.
        for (const WatchForm& form : {changed, WatchForm{}, changed}) {
            dialog.setForm(form);
            QCOMPARE(fields(dialog.form()), fields(form));
        }
        QCOMPARE(control<QComboBox>(dialog, "cbsServer")->currentText(),
                 QStringLiteral("сервер.ru"));
        dialog.copyHistory({QStringLiteral("zeta"), QStringLiteral("Alpha")}, {}, {}, {}, {});
        QCOMPARE(control<QComboBox>(dialog, "cbsServer")->itemText(0), QStringLiteral("Alpha"));
        QCOMPARE(fields(dialog.form()), fields(changed));  // no item replaced a typed text

        // Spin edits turn zero or nothing into one at once: spin, cleared first, typed, value;
        // after clearing, the next digit replaces the 1.
        const std::tuple<const char*, bool, const char*, int> cases[] = {
            {"SpinEdit1", false, "0", 1},
            {"SpinEdit2", true, "", 1},
            {"SpinEdit2", true, "9", 9},
            {"SpinEdit1", false, "12", 12}};
        for (const auto& [name, clear, typed, value] : cases) {
            auto* spin = control<QSpinBox>(dialog, name);
            spin->setValue(5);
            spin->selectAll();
            if (clear) QTest::keyClick(spin, Qt::Key_Backspace);
            QTest::keyClicks(spin, QString::fromLatin1(typed));
            QVERIFY2(spin->value() == value && spin->text() == QString::number(value), typed);
        }
        QCOMPARE(QPoint(dialog.form().intervalMinutes, dialog.form().days), QPoint(12, 9));
        WatchForm zero;
        zero.intervalMinutes = zero.days = 0;
        dialog.setForm(zero);
        QCOMPARE(QPoint(dialog.form().intervalMinutes, dialog.form().days), QPoint(1, 1));

        // The save button takes the chosen file, trimmed, and its filter.
        WatchForm old;
        old.saveName = "old";
        dialog.setForm(old);
        dialogs.saves.push_back(SaveChoice{QStringLiteral("  /tmp/new.qrnet \t"), 3});
        for (int press = 0; press < 2; ++press) {  // the second press is cancelled
            control<QPushButton>(dialog, "Button2")->click();
            QVERIFY(dialog.form().saveName == "/tmp/new.qrnet" && dialog.SaveType == 3);
        }
        // Opened on the name shown, with filter 1 before any choice, then the one chosen.
        QCOMPARE(dialogs.folders,
                 (QStringList{QStringLiteral("old"), QStringLiteral("/tmp/new.qrnet")}));
        QCOMPARE(dialogs.filters, (QList<int>{1, 3}));

        // Near an edge of the screen the dialog is moved back inside it.
        QWidget main;
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        for (const QPoint corner : {area.topLeft(), area.topRight(), area.bottomRight()}) {
            main.move(corner);
            dialog.placeNear(main, corner);
            QVERIFY(area.contains(dialog.frameGeometry()));
        }
    }

    void languageRelabelsAndOkNeedsAServerWhileClosingCancels() {
        QWidget main;
        QPalette colours = main.palette();
        colours.setColor(QPalette::Window, QColor(1, 2, 3));
        main.setPalette(colours);
        FakeDialogs dialogs;
        TFormSetingSpy dialog(dialogs, &main);
        LanguageFile language;
        QVERIFY(language.load(QUARROW_DATA_DIR "/TXT/Engl.lng"));
        FormTexts texts;
        readFormTexts(language, texts);
        dialog.applyLanguage(language, texts);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Watch settings"));
        QCOMPARE(dialog.palette().color(QPalette::Window), QColor(1, 2, 3));

        auto* server = control<QComboBox>(dialog, "cbsServer");
        auto* ok = control<QPushButton>(dialog, "Button1");
        server->setEditText(QStringLiteral("   "));
        bool stayedOpen = false;
        QVERIFY(!showAndDo(dialog, [&] {
            ok->click();
            stayedOpen = dialog.isVisible();
        }));
        QVERIFY(stayedOpen);
        QCOMPARE(dialogs.messages,
                 QStringList{QStringLiteral("Please enter the address of an FTP server.")});
        server->setEditText(QStringLiteral("ftp.example.org"));
        QVERIFY(showAndDo(dialog, [&] { ok->click(); }));
        QCOMPARE(dialog.result(), int(QDialog::Accepted));

        // Shown again and closed with the window's close button: Confirmed was cleared, and
        // the contents are still those of the last use.
        QVERIFY(!showAndDo(dialog, [] {}));
        QVERIFY(!dialog.Confirmed && dialogs.messages.size() == 1);
        QCOMPARE(dialog.form().server, std::string("ftp.example.org"));
    }
};

QUARROW_GUI_SUITE(GuiWatchTest)

}  // namespace quarrow::test

#include "GuiWatchTest.moc"
