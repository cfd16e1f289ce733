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
#include "fixtures/FtpServer.h"
#include "fixtures/TempDir.h"
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

// Dialogs whose answers the test queues: an empty queue, or an empty file name, answers like a
// cancelled dialog.
// Messages and errors are collected instead of shown.
class FakeDialogs : public FormDialogs {
public:
    std::optional<SaveChoice> saveSnapshot(QWidget*, const QString& folder) override;
    std::optional<QString> openResume(QWidget*, const QString& folder) override;
    // Answered from `saves` too; the name and filter it was opened with go to `folders` and
    // `filters`.
    std::optional<SaveChoice> saveWatchResult(QWidget*, const QString& fileName,
                                              int filterIndex) override;
    void message(QWidget*, const QString& text) override { messages.append(text); }
    void error(QWidget*, const QString& text) override { errors.append(text); }
    // Answered with `answer`; the title and text go to `questions`.
    bool question(QWidget*, const QString& title, const QString& text) override {
        questions.append({title, text});
        return answer;
    }
    bool controlHeld() override { return ctrl; }
    void openUrl(const QUrl& url) override { urls.append(url); }

    std::deque<SaveChoice> saves;
    std::deque<QString> opens;
    QStringList folders;  // the folder each dialog was opened in
    QList<int> filters;   // the filter index each watch result dialog was opened with
    QStringList messages, errors;
    QList<QUrl> urls;
    QList<QStringList> questions;
    bool answer = true;
    bool ctrl = false;
};

// A program folder under the temporary folder, with the shipped language files in TXT/ unless
// told otherwise.
class ProgramFolder {
public:
    explicit ProgramFolder(bool languages = true);
    std::string path() const { return dir_.path(); }
    QString file(const char* relative) const;
    // The file's bytes, or nothing when it does not exist.
    std::optional<std::string> bytes(const char* relative) const;
    void write(const char* relative, const std::vector<std::string>& lines) const;

private:
    TempDir dir_;
};

struct FormOptions {
    std::string argument;
    bool tray = false;
};

// The main window over `program`, shown, with `dialogs` answering for the user. It checks for
// updates only when its settings name an update page.
std::unique_ptr<TFtpForm> makeForm(const ProgramFolder& program,
                                   const std::shared_ptr<FakeDialogs>& dialogs,
                                   const FormOptions& options = {});

// A program folder holding `files` (path, lines) and the main window over it.
struct Window {
    using Files = std::vector<std::pair<const char*, std::vector<std::string>>>;
    explicit Window(const Files& files = {}, const FormOptions& options = {});

    FormWidgets& w() { return form->widgets(); }
    SaveChoice saveAs(const char* relative) const { return SaveChoice{program.file(relative), 1}; }
    // Waits until no scan runs; false when one still runs after `timeout` ms.
    bool scansEnd(int timeout = 30000);
    // Fills the scanner page, answers the save dialog with `snapshot` and presses Start.
    void start(int port, const char* snapshot, const QString& mask = QStringLiteral("*.mp3"));

    ProgramFolder program;
    std::shared_ptr<FakeDialogs> dialogs = std::make_shared<FakeDialogs>();
    std::unique_ptr<TFtpForm> form;
};

// A server whose listings each take `seconds`.
FtpServerOptions slowServer(double seconds);

// A loopback FTP server over an mp3Tree of `folders` folders with `filesEach` files each.
struct TreeServer {
    TreeServer(int folders, int filesEach, double listSeconds = 0);
    int port() const { return server.port(); }

    TempDir tree;
    std::vector<std::string> names;  // the ".mp3" files
    FtpServer server;
};

// Fills the scanner page for the loopback test server.
void enterScan(TFtpForm& form, int port, const QString& path = QStringLiteral("/"),
               const QString& mask = QStringLiteral("*.mp3"));

std::shared_ptr<TFtpMain> jobOf(TFtpForm& form, int number);
bool scansRunning(TFtpForm& form);

// The text of every item the list holds, in its order.
QStringList itemTexts(VirtualListView* list);

// A tree of `folders` folders holding `filesEach` ".mp3" files each, plus one ".txt" file.
std::vector<std::string> mp3Tree(const std::string& root, int folders, int filesEach);

}  // namespace quarrow::test
