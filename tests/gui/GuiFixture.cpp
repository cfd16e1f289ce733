#include "GuiFixture.h"

#include "platform/TextLines.h"

namespace quarrow::test {

namespace {

// The next queued answer; an empty queue or an empty file name answers like a cancel.
template <class Answer>
std::optional<Answer> nextAnswer(std::deque<Answer>& queue, const QString& (*name)(const Answer&)) {
    if (queue.empty()) return std::nullopt;
    const Answer answer = queue.front();
    queue.pop_front();
    if (name(answer).isEmpty()) return std::nullopt;
    return answer;
}

}  // namespace

std::optional<SaveChoice> FakeDialogs::saveSnapshot(QWidget*, const QString& folder) {
    folders.append(folder);
    return nextAnswer<SaveChoice>(saves,
                                  [](const SaveChoice& c) -> const QString& { return c.fileName; });
}

std::optional<SaveChoice> FakeDialogs::saveWatchResult(QWidget*, const QString& fileName,
                                                       int filterIndex) {
    folders.append(fileName);
    filters.append(filterIndex);
    return nextAnswer<SaveChoice>(saves,
                                  [](const SaveChoice& c) -> const QString& { return c.fileName; });
}

std::optional<QString> FakeDialogs::openResume(QWidget*, const QString& folder) {
    folders.append(folder);
    return nextAnswer<QString>(opens, [](const QString& s) -> const QString& { return s; });
}

ProgramFolder::ProgramFolder(bool languages) {
    makeDirectory(path() + "TXT");
    if (!languages) return;
    for (const char* name : {"Engl.lng", "Ru.lng"}) {
        std::string content;
        if (!readWholeFile(std::string(QUARROW_DATA_DIR "/TXT/") + name, content) ||
            !writeFileAtomic(path() + "TXT/" + name, path() + "TXT/" + name + ".tmp", content))
            qFatal("cannot copy the language file %s", name);
    }
}

QString ProgramFolder::file(const char* relative) const {
    return QString::fromStdString(path() + relative);
}

std::optional<std::string> ProgramFolder::bytes(const char* relative) const {
    std::string content;
    if (!readWholeFile(path() + relative, content)) return std::nullopt;
    return content;
}

void ProgramFolder::write(const char* relative, const std::vector<std::string>& lines) const {
    const std::string file = path() + relative;
    makeDirectories(file.substr(0, file.rfind('/')));
    if (!writeLinesFile(path() + relative, lines)) qFatal("cannot write %s", relative);
}

std::unique_ptr<TFtpForm> makeForm(const ProgramFolder& program,
                                   const std::shared_ptr<FakeDialogs>& dialogs,
                                   const FormOptions& options) {
    FormSetup setup;
    setup.programDir = program.path();
    setup.settingsFile = program.path() + "quarrow.ini";
    setup.argument = options.argument;
    setup.dialogs = dialogs;
    setup.trayAvailable = [tray = options.tray] { return tray; };
    setup.version = "1.2.3";
    setup.updatePage.clear();
    auto form = std::make_unique<TFtpForm>(std::move(setup));
    form->show();
    if (!QTest::qWaitForWindowExposed(form.get())) qWarning("the window was not exposed");
    return form;
}

Window::Window(const Files& files, const FormOptions& options) {
    for (const auto& [relative, lines] : files) program.write(relative, lines);
    form = makeForm(program, dialogs, options);
}

bool Window::scansEnd(int timeout) {
    return QTest::qWaitFor([&] { return !scansRunning(*form); }, timeout);
}

void Window::start(int port, const char* snapshot, const QString& mask) {
    dialogs->saves.push_back(saveAs(snapshot));
    enterScan(*form, port, QStringLiteral("/"), mask);
    form->scans().Button1Click();
}

TreeServer::TreeServer(int folders, int filesEach, double listSeconds)
    : names(mp3Tree(tree.path(), folders, filesEach)),
      server(tree.path(), slowServer(listSeconds)) {}

FtpServerOptions slowServer(double seconds) {
    FtpServerOptions options;
    options.listDelaySeconds = seconds;
    return options;
}

void enterScan(TFtpForm& form, int port, const QString& path, const QString& mask) {
    FormWidgets& w = form.widgets();
    w.cbsServer->setEditText(QStringLiteral("127.0.0.1"));
    w.Port->setText(QString::number(port));
    w.cbsFindPath->setEditText(path);
    w.cbsMask->setEditText(mask);
}

std::shared_ptr<TFtpMain> jobOf(TFtpForm& form, int number) {
    return form.state().context.Jobs.at(number);
}

bool scansRunning(TFtpForm& form) {
    return form.state().context.workersRunning();
}

std::vector<std::string> mp3Tree(const std::string& root, int folders, int filesEach) {
    std::vector<TreeItem> items{{"readme.txt", "r"}};
    std::vector<std::string> names;
    for (int d = 0; d < folders; ++d)
        for (int f = 0; f < filesEach; ++f) {
            const std::string name = "song" + std::to_string(d) + "_" + std::to_string(f) + ".mp3";
            items.push_back({"dir" + std::to_string(d) + "/" + name, "x"});
            names.push_back(name);
        }
    makeTree(root, items);
    return names;
}

QStringList itemTexts(VirtualListView* list) {
    QStringList rows;
    for (int i = 0; i < list->itemCount(); ++i)
        rows.append(list->rows().data(list->rows().indexOfItem(i), Qt::DisplayRole).toString());
    return rows;
}

}  // namespace quarrow::test
