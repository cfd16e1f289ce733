#include <QScreen>
#include <QSpinBox>
#include <QTimer>

#include "engine/Translate.h"
#include "gui/GuiFixture.h"
#include "gui/watch/TFormSetingSpy.h"

namespace quarrow::test {
namespace {

// Every field of a form, in declaration order, for one readable comparison.
QStringList fields(const WatchForm& f) {
    const auto text = [](const std::string& s) { return QString::fromLatin1(s.data(), s.size()); };
    return {text(f.server),
            text(f.path),
            text(f.mask),
            text(f.user),
            text(f.password),
            text(f.port),
            text(f.saveName),
            QString::number(f.active),
            QString::number(f.checkAtStart),
            QString::number(f.subfolders),
            QString::number(f.intervalMinutes),
            QString::number(f.days),
            QString::number(f.saveType)};
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

// The watch settings dialog on its own: its defaults, what it hands over, its checks and
// its result file choice.
class GuiWatchDialogTest : public QObject {
    Q_OBJECT

private slots:
    // Defaults, then every field through its control and back.
    void formRoundTripsEveryFieldThroughItsControl() {
        FakeDialogs dialogs;
        TFormSetingSpy dialog(dialogs, nullptr);
        QCOMPARE(fields(dialog.form()), fields(WatchForm{}));
        QCOMPARE(control<QComboBox>(dialog, "cbsFindPath")->toolTip(),
                 QStringLiteral("Директория сканирования.\nДля сканирования всех папок /"));
        WatchForm changed;
        changed.server = "\xF1\xE5\xF0\xE2\xE5\xF0.ru";  // "сервер.ru"
        changed.path = "/pub/";
        changed.mask = "*.mp3";
        changed.user = "bob";
        changed.password = "secret";
        changed.port = "2x1";  // any text may be typed
        changed.saveName = " /tmp/result ";
        changed.active = changed.checkAtStart = changed.subfolders = true;
        changed.intervalMinutes = 15;
        changed.days = 30;
        changed.saveType = 2;
        // Back to the defaults proves every control is overwritten, ticks included.
        for (const WatchForm& form : {changed, WatchForm{}, changed}) {
            dialog.setForm(form);
            QCOMPARE(fields(dialog.form()), fields(form));
            QCOMPARE(dialog.SaveType, form.saveType);
        }
        QCOMPARE(control<QComboBox>(dialog, "cbsServer")->currentText(),
                 QStringLiteral("сервер.ru"));
        dialog.copyHistory({QStringLiteral("zeta"), QStringLiteral("Alpha")}, {}, {}, {}, {});
        QCOMPARE(control<QComboBox>(dialog, "cbsServer")->itemText(0), QStringLiteral("Alpha"));
        QCOMPARE(fields(dialog.form()), fields(changed));  // no item replaced a typed text
    }

    void spinEditsTurnZeroOrNothingIntoOneAtOnce() {
        FakeDialogs dialogs;
        TFormSetingSpy dialog(dialogs, nullptr);
        struct Case {
            const char* spin;
            bool clear;
            const char* typed;
            int value;
        };
        const Case cases[] = {
            {"SpinEdit1", false, "0", 1},
            {"SpinEdit2", true, "", 1},
            {"SpinEdit2", true, "9", 9},  // after clearing, the next digit replaces the 1
            {"SpinEdit1", false, "12", 12},
        };
        for (const Case& c : cases) {
            auto* spin = control<QSpinBox>(dialog, c.spin);
            spin->setValue(5);
            spin->selectAll();
            if (c.clear) QTest::keyClick(spin, Qt::Key_Backspace);
            QTest::keyClicks(spin, QString::fromLatin1(c.typed));
            const QByteArray row = QByteArray(c.spin) + " typed '" + c.typed + "'";
            QVERIFY2(spin->value() == c.value, row);
            QVERIFY2(spin->text() == QString::number(c.value), row);
        }
        QCOMPARE(dialog.form().intervalMinutes, 12);
        QCOMPARE(dialog.form().days, 9);
        WatchForm zero;
        zero.intervalMinutes = zero.days = 0;
        dialog.setForm(zero);
        QCOMPARE(dialog.form().intervalMinutes, 1);
        QCOMPARE(dialog.form().days, 1);
    }

    void okNeedsAServerAndClosingCancels() {
        FakeDialogs dialogs;
        TFormSetingSpy dialog(dialogs, nullptr);
        FormTexts texts;
        texts.noserver = "No server";
        dialog.applyLanguage(LanguageFile(), texts);
        auto* server = control<QComboBox>(dialog, "cbsServer");
        auto* ok = control<QPushButton>(dialog, "Button1");

        server->setEditText(QStringLiteral("   "));
        bool stayedOpen = false;
        QVERIFY(!showAndDo(dialog, [&] {
            ok->click();
            stayedOpen = dialog.isVisible();
        }));
        QVERIFY(stayedOpen);
        QCOMPARE(dialogs.messages, QStringList{QStringLiteral("No server")});

        server->setEditText(QStringLiteral("ftp.example.org"));
        QVERIFY(showAndDo(dialog, [&] { ok->click(); }));
        QCOMPARE(dialog.result(), int(QDialog::Accepted));

        // Shown again and closed with the window's close button: Confirmed was cleared, and
        // the contents are still those of the last use.
        QVERIFY(!showAndDo(dialog, [] {}));
        QCOMPARE(dialog.Confirmed, false);
        QCOMPARE(dialog.form().server, std::string("ftp.example.org"));
        QCOMPARE(dialogs.messages.size(), 1);
    }

    void saveButtonTakesTheChosenFileTrimmedAndItsFilter() {
        FakeDialogs dialogs;
        TFormSetingSpy dialog(dialogs, nullptr);
        WatchForm form;
        form.saveName = "old";
        dialog.setForm(form);
        auto* save = control<QPushButton>(dialog, "Button2");

        dialogs.saves.push_back(SaveChoice{QStringLiteral("  /tmp/new.qrnet \t"), 3});
        save->click();
        QCOMPARE(dialog.form().saveName, std::string("/tmp/new.qrnet"));
        QCOMPARE(dialog.SaveType, 3);

        save->click();  // cancelled: nothing changes
        QCOMPARE(dialog.form().saveName, std::string("/tmp/new.qrnet"));
        QCOMPARE(dialog.SaveType, 3);
        // Opened on the name shown, with filter 1 before any choice, then the one chosen.
        QCOMPARE(dialogs.folders,
                 (QStringList{QStringLiteral("old"), QStringLiteral("/tmp/new.qrnet")}));
        QCOMPARE(dialogs.filters, (QList<int>{1, 3}));
    }

    void languageRelabelsCaptionsColourAndMessage() {
        ProgramFolder program;
        QWidget main;
        QPalette colours = main.palette();
        colours.setColor(QPalette::Window, QColor(1, 2, 3));
        main.setPalette(colours);
        FakeDialogs dialogs;
        TFormSetingSpy dialog(dialogs, &main);
        LanguageFile language;
        QVERIFY(language.load(program.path() + "TXT/Engl.lng"));
        FormTexts texts;
        readFormTexts(language, texts);
        dialog.applyLanguage(language, texts);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Watch settings"));
        QCOMPARE(control<QLabel>(dialog, "Label7")->text(),
                 QStringLiteral("Show new files of the last "));
        QCOMPARE(dialog.palette().color(QPalette::Window), QColor(1, 2, 3));
        dialog.Button1Click();
        QCOMPARE(dialogs.messages,
                 QStringList{QStringLiteral("Please enter the address of an FTP server.")});
    }

    void placedBesideTheMainWindowAboveThePointerAndOnScreen() {
        FakeDialogs dialogs;
        TFormSetingSpy dialog(dialogs, nullptr);
        QWidget main;
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        dialog.placeNear(main, area.center());
        const int width = dialog.frameGeometry().width();
        const int height = dialog.frameGeometry().height();
        QVERIFY2(width <= area.width() && height <= area.height(), "the dialog fits the screen");
        struct Case {
            const char* name;
            int mainLeft;
            int pointerY;
            QPoint expected;
        };
        const int right = area.right() + 1 - width;
        const Case cases[] = {
            {"pointer near the top",
             area.left() + 10,
             area.top() + 5,
             {area.left() + 35, area.top()}},
            {"main window at the right edge",
             area.right() - 20,
             area.top() + height + 90,
             {right, area.top() + 40}},
        };
        for (const Case& c : cases) {
            main.move(c.mainLeft, area.top());
            dialog.placeNear(main, QPoint(area.center().x(), c.pointerY));
            QVERIFY2(dialog.frameGeometry().topLeft() == c.expected, c.name);
        }
    }
};

QUARROW_GUI_SUITE(GuiWatchDialogTest)

}  // namespace quarrow::test

#include "GuiWatchDialogTest.moc"
