#include "GuiFixture.h"

#include <filesystem>

#include "platform/TextLines.h"

namespace quarrow::test {

ProgramFolder::ProgramFolder(bool languages) {
    makeDirectory(path() + "TXT");
    if (!languages) return;
    for (const char* name : {"Engl.lng", "Ru.lng"})
        std::filesystem::copy_file(std::string(QUARROW_DATA_DIR "/TXT/") + name,
                                   path() + "TXT/" + name);
}

void ProgramFolder::write(const char* relative, const std::vector<std::string>& lines) const {
    const std::string file = path() + relative;
    makeDirectories(file.substr(0, file.rfind('/')));
    if (!writeLinesFile(file, lines)) qFatal("cannot write %s", relative);
}

Window::Window(const Files& files, const FormOptions& options) : program(options.languages) {
    for (const auto& [relative, lines] : files) program.write(relative, lines);
    FormSetup setup;
    setup.programDir = program.path();
    setup.settingsFile = program.path() + "quarrow.ini";
    setup.argument = options.argument;
    setup.dialogs = dialogs;
    setup.trayAvailable = [tray = options.tray] { return tray; };
    setup.version = "1.2.3";
    setup.updatePage.clear();
    form = std::make_unique<TFtpForm>(std::move(setup));
    form->show();
    if (!QTest::qWaitForWindowExposed(form.get())) qWarning("the window was not exposed");
}

bool Window::scansEnd(int timeout) {
    return QTest::qWaitFor([&] { return !scansRunning(); }, timeout);
}

void Window::enter(int port, const QString& path, const QString& mask) {
    w().cbsServer->setEditText(QStringLiteral("127.0.0.1"));
    w().Port->setText(QString::number(port));
    w().cbsFindPath->setEditText(path);
    w().cbsMask->setEditText(mask);
}

void Window::start(int port, const char* snapshot, const QString& mask) {
    dialogs->saves.push_back(saveAs(snapshot));
    enter(port, QStringLiteral("/"), mask);
    form->scans().Button1Click();
}

QString Window::notice() {
    if (!QTest::qWaitFor(
            [&] { return form->tray().notice() && form->tray().notice()->isVisible(); }))
        return {};
    return form->tray().notice()->text();
}

TreeServer::TreeServer(int folders, int filesEach, double listSeconds)
    : server(tree.path(), slowListings(listSeconds)) {
    std::vector<TreeItem> items{{"readme.txt", "r"}};
    for (int d = 0; d < folders; ++d)
        for (int f = 0; f < filesEach; ++f) {
            names.push_back("song" + std::to_string(d) + "_" + std::to_string(f) + ".mp3");
            items.push_back({"dir" + std::to_string(d) + "/" + names.back(), "x"});
        }
    makeTree(tree.path(), items);
}

QStringList itemTexts(VirtualListView* list) {
    QStringList rows;
    for (int i = 0; i < list->itemCount(); ++i)
        rows.append(list->rows().data(list->rows().indexOfItem(i), Qt::DisplayRole).toString());
    return rows;
}

}  // namespace quarrow::test
