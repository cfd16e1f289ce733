#include "gui/shell/FormLanguage.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QStackedWidget>
#include <QTabWidget>

#include "engine/Translate.h"
#include "gui/shell/FormState.h"
#include "gui/widgets/QtText.h"
#include "platform/FileSystem.h"

namespace quarrow {
namespace {

constexpr std::string_view kMainSection = "FtpForm";

// A page of a QTabWidget sits in the widget's internal stack.
QTabWidget* tabWidgetOf(QWidget* page) {
    auto* stack = qobject_cast<QStackedWidget*>(page->parentWidget());
    return stack ? qobject_cast<QTabWidget*>(stack->parentWidget()) : nullptr;
}

void setCaption(QObject* object, const QString& text) {
    if (auto* label = qobject_cast<QLabel*>(object)) {
        label->setText(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(object)) {
        button->setText(text);
    } else if (auto* box = qobject_cast<QGroupBox*>(object)) {
        box->setTitle(text);
    } else if (auto* action = qobject_cast<QAction*>(object)) {
        action->setText(text);
    } else if (auto* page = qobject_cast<QWidget*>(object); page && tabWidgetOf(page)) {
        QTabWidget* tabs = tabWidgetOf(page);
        tabs->setTabText(tabs->indexOf(page), text);
    }
}

void readMessages(const LanguageFile& file, GuiMessages& messages) {
    const auto text = [&](const char* key) { return file.text(kMainSection, key); };
    messages.badport = text("msgbadport");
    messages.fileread = text("msgfileread");
    messages.filewrite = text("msgfilewrite");
    messages.commandline = text("msgcommandline");
    messages.resumefile = text("msgresumefile");
}

}  // namespace

void ApplyFormLanguage(QWidget& form, std::string_view section, const LanguageFile& file) {
    for (QObject* object : form.findChildren<QObject*>()) {
        const QString name = object->objectName();
        if (name.isEmpty()) continue;
        const auto value = file.value(section, toSystem(name));
        if (value) setCaption(object, labelText(*value));
    }
    if (const auto title = file.value(section, "Caption")) form.setWindowTitle(labelText(*title));
}

void ApplyLanguage(FormState& state, QWidget& mainWindow) {
    if (!fileExists(state.languageFile)) return;
    LanguageFile file;
    if (!file.load(state.languageFile)) return;
    readFormTexts(file, state.texts);
    ThreadTexts threadTexts;
    readThreadTexts(file, threadTexts);
    state.context.setTexts(std::move(threadTexts));
    readMessages(file, state.messages);
    ApplyFormLanguage(mainWindow, kMainSection, file);
}

}  // namespace quarrow
