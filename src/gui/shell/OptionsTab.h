#pragma once

#include <QObject>
#include <functional>
#include <string>
#include <vector>

class QWidget;

namespace quarrow {

class HistoryList;
struct FormState;
struct FormWidgets;

// The options tab (language, identification, home-page link) and the miscellaneous tab's
// comment and ignore list: each setting is kept in its history file and copied into a scan
// when the scan starts.
class OptionsTab : public QObject {
public:
    OptionsTab(FormState& state, FormWidgets& widgets, QWidget* window);

    void ComboBox1Change(int index);
    // Called after every change of language, once the main window is relabelled.
    void setLanguageListener(std::function<void()> applied);
    void cbsIdentChoose(int index);
    void cbsIdentExit();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void lbignoreClick();
    void Button3Click();
    void Label18Click();

    // The comment memo's lines and the ignore list's entries, as scans take them.
    std::vector<std::string> commentLines() const;
    std::vector<std::string> ignoreLines() const;
    // Copies both into the engine, as each scan start does.
    void publishToEngine();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void saveList(const HistoryList& list);

    FormState& state_;
    FormWidgets& w_;
    QWidget* window_;
    std::function<void()> languageApplied_;
};

}  // namespace quarrow
