#pragma once

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QList>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringList>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <deque>
#include <memory>
#include <string>

#include "GuiSuites.h"
#include "engine/TFtpMain.h"
#include "engine/TestHelpers.h"
#include "gui/scan/ScanControl.h"
#include "gui/scan/ScanPage.h"
#include "gui/scan/ScanPageControl.h"
#include "gui/scan/ScanPages.h"
#include "gui/scan/VirtualListView.h"
#include "gui/shell/FormDialogs.h"
#include "gui/shell/FormState.h"
#include "gui/shell/TFtpForm.h"
#include "gui/shell/TrayNotice.h"
#include "platform/FileSystem.h"

namespace quarrow::test {

// Dialogs whose answers the test queues: an empty queue answers like a cancelled dialog. What
// each dialog was opened on, and every message, error and question, is collected instead of
// shown.
class FakeDialogs : public FormDialogs {
public:
    std::optional<SaveChoice> saveSnapshot(QWidget*, const QString& folder) override {
        folders.append(folder);
        return next(saves);
    }
    std::optional<SaveChoice> saveWatchResult(QWidget*, const QString& fileName,
                                              int filterIndex) override {
        folders.append(fileName);
        filters.append(filterIndex);
        return next(saves);
    }
    std::optional<QString> openResume(QWidget*, const QString& folder) override {
        folders.append(folder);
        return next(opens);
    }
    void message(QWidget*, const QString& text) override { messages.append(text); }
    void error(QWidget*, const QString& text) override { errors.append(text); }
    bool question(QWidget*, const QString& title, const QString& text) override {
        questions.append({title, text});
        return answer;
    }
    bool controlHeld() override { return ctrl; }
    void openUrl(const QUrl& url) override { urls.append(url); }

    std::deque<SaveChoice> saves;
    std::deque<QString> opens;
    QStringList folders;  // the folder (or file name) each dialog was opened on
    QList<int> filters;   // the filter each watch result dialog was opened with
    QStringList messages, errors;
    QList<QUrl> urls;
    QList<QStringList> questions;  // title and text
    bool answer = true;
    bool ctrl = false;

private:
    template <class Answer>
    static std::optional<Answer> next(std::deque<Answer>& queue) {
        if (queue.empty()) return std::nullopt;
        const Answer answer = queue.front();
        queue.pop_front();
        return answer;
    }
};

// A program folder under the temporary folder, with the shipped language files in TXT/ unless
// told otherwise.
class ProgramFolder {
public:
    explicit ProgramFolder(bool languages = true);
    std::string path() const { return dir_.path(); }
    QString file(const char* relative) const { return QString::fromStdString(path() + relative); }
    // The file's bytes, or nothing when it does not exist.
    std::optional<std::string> bytes(const char* relative) const {
        return bytesOf(path() + relative);
    }
    void write(const char* relative, const std::vector<std::string>& lines) const;

private:
    TempDir dir_;
};

struct FormOptions {
    std::string argument;  // the command line
    bool tray = false;
    bool languages = true;
};

// A program folder holding `files` (path, lines) and the main window over it, shown, with
// `dialogs` answering for the user. It checks for updates only when its settings name an
// update page.
struct Window {
    using Files = std::vector<std::pair<const char*, std::vector<std::string>>>;
    explicit Window(const Files& files = {}, const FormOptions& options = {});

    FormWidgets& w() { return form->widgets(); }
    int pageCount() const { return form->pages().pageCount(); }
    std::shared_ptr<TFtpMain> job(int number) { return form->state().context.Jobs.at(number); }
    bool scansRunning() { return form->state().context.workersRunning(); }
    SaveChoice saveAs(const char* relative) const { return SaveChoice{program.file(relative), 1}; }
    // Waits until no scan runs; false when one still runs after `timeout` ms.
    bool scansEnd(int timeout = 30000);
    // Fills the scanner page for the loopback test server.
    void enter(int port, const QString& path = QStringLiteral("/"),
               const QString& mask = QStringLiteral("*.mp3"));
    // Fills the scanner page, answers the save dialog with `snapshot` and presses Start.
    void start(int port, const char* snapshot, const QString& mask = QStringLiteral("*.mp3"));
    // The end-of-scan notice's text once it shows.
    QString notice();

    ProgramFolder program;
    std::shared_ptr<FakeDialogs> dialogs = std::make_shared<FakeDialogs>();
    std::unique_ptr<TFtpForm> form;
};

// A loopback FTP server, each listing taking `listSeconds`, over a tree of `folders` folders
// "dirN" holding `filesEach` ".mp3" files each, plus one "readme.txt".
struct TreeServer {
    TreeServer(int folders, int filesEach, double listSeconds = 0);
    int port() const { return server.port(); }

    TempDir tree;
    std::vector<std::string> names;  // the ".mp3" files
    FtpServer server;
};

// The texts of `joined` (UTF-8) between its '|', for comparing several captions at once.
inline QStringList listOf(const char* joined) {
    return QString::fromUtf8(joined).split(QLatin1Char('|'));
}

// The text of every item the list holds, in its order.
QStringList itemTexts(VirtualListView* list);

}  // namespace quarrow::test
