#include "gui/shell/FormState.h"

#include "gui/shell/FormDialogs.h"
#include "gui/widgets/QtText.h"
#include "update/TGetFileHttp.h"

namespace quarrow {
namespace {

HistoryList history(const std::string& programDir, const char* file, bool sorted) {
    return HistoryList(historyFilePath(programDir, file), sorted);
}

}  // namespace

FormState::FormState(std::string programDir, std::string settingsFilePath, FormDialogs& formDialogs)
    : context(std::move(programDir)),
      dialogs(formDialogs),
      settingsFile(std::move(settingsFilePath)),
      servers(history(context.ProgramDir, "FTP.txt", true)),
      paths(history(context.ProgramDir, "PATH.txt", true)),
      masks(history(context.ProgramDir, "MASK.txt", true)),
      logins(history(context.ProgramDir, "Login.txt", true)),
      passwords(history(context.ProgramDir, "Password.txt", true)),
      idents(history(context.ProgramDir, "Ident.txt", true)),
      ignores(history(context.ProgramDir, "Ignore.txt", false)),
      updates(std::make_shared<UpdateResults>()) {}

void showError(FormState& state, QWidget* parent, const std::string& message,
               const QString& detail) {
    QString text = labelText(message);
    if (!detail.isEmpty()) text += QLatin1Char('\n') + detail;
    state.dialogs.error(parent, text);
}

}  // namespace quarrow
