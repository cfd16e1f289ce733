#pragma once

#include <QString>
#include <memory>
#include <string>

#include "engine/EngineContext.h"
#include "engine/HistoryLists.h"
#include "engine/Translate.h"

class QWidget;

namespace quarrow {

class FormDialogs;
class TimerNotifier;
class UpdateResults;

// Message texts of the window's own handlers, from the main window's section of the language
// file (the key name when missing, like every language text).
struct GuiMessages {
    std::string badport, fileread, filewrite, commandline, resumefile;
};

// What the main window's parts share: the engine, the dialogs, the language in force, the
// history lists behind the combos and the flags of start-up.
struct FormState {
    FormState(std::string programDir, std::string settingsFilePath, FormDialogs& formDialogs);

    EngineContext context;
    FormDialogs& dialogs;
    const std::string settingsFile;
    std::string languageFile;
    FormTexts texts;
    GuiMessages messages;
    std::string identText = "Quarrowbrisk";
    std::string ownVersion;
    bool settingsLoading = true;
    bool firstActivation = true;
    bool hideOnStart = false;

    HistoryList servers, paths, masks, logins, passwords, idents, ignores;

    // The window's Timer1 and Timer2 as workers reach them.
    std::shared_ptr<TimerNotifier> progressTimer, finishTimer;

    // The update check: the page asked (empty: no schedule, no checks), what they found, and
    // timernewversion as they reach it.
    std::string updatePage;
    std::shared_ptr<UpdateResults> updates;
    std::shared_ptr<TimerNotifier> newVersionTimer;

    const std::string& programDir() const { return context.ProgramDir; }
    // A path under the program folder.
    std::string dataPath(const char* relative) const { return context.ProgramDir + relative; }
};

// Shows `message` (a Windows-1251 language text) followed by `detail` in an error box.
void showError(FormState& state, QWidget* parent, const std::string& message,
               const QString& detail);

}  // namespace quarrow
