#pragma once

#include <memory>

class QWidget;

namespace quarrow {

struct FormState;
struct FormWidgets;
struct WatchEditResult;
class LanguageFile;
class OptionsTab;
class TFormSetingSpy;
class WatchTab;

// "Добавить", "Изменить" and "Удалить" under the watch list: the settings dialog (made on
// first use, kept for the run, placed by the window and the pointer), the core's editing
// steps, and what the window shows afterwards.
class WatchEditor {
public:
    WatchEditor(FormState& state, FormWidgets& widgets, OptionsTab& options, WatchTab& tab,
                QWidget* window);
    ~WatchEditor();

    void AddSurveillance();
    void SpeedButton7Click();
    void SpeedButton4Click();

    // The dialog, null before its first use.
    TFormSetingSpy* dialog() const { return dialog_.get(); }
    void applyLanguage(const LanguageFile& file);

private:
    TFormSetingSpy& ensureDialog();
    // Makes, places and fills the dialog's lists; shows it; true when "Ok" closed it.
    bool runDialog();
    void showResult(const WatchEditResult& result);
    void showHistoryCombos();

    FormState& state_;
    FormWidgets& w_;
    OptionsTab& options_;
    WatchTab& tab_;
    QWidget* window_;
    std::unique_ptr<TFormSetingSpy> dialog_;
};

}  // namespace quarrow
