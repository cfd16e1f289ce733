#pragma once

#include <QDialog>
#include <QStringList>
#include <string>

#include "watch/WatchEditing.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPoint;
class QPushButton;
class QSpinBox;

namespace quarrow {

class FormDialogs;
class LanguageFile;
struct FormTexts;

// The watch settings dialog: one watch entry's server, folder, mask, login, whether it is
// checked over TLS, check interval, days back and result file. It lives from its first use to the
// end of the run and keeps its contents between uses; the caller fills it, shows it and reads it
// back. It checks only that a server is given and lets the user choose the result file.
class TFormSetingSpy : public QDialog {
public:
    TFormSetingSpy(FormDialogs& dialogs, QWidget* mainWindow);

    // Set by "Ok" when the values are accepted; showModal clears it first.
    bool Confirmed = false;
    // Filter index last chosen in the result file dialog: 1, 2 or 3 (0 before any choice).
    int SaveType = 0;

    // The controls' current values, texts as Windows-1251; saveType is SaveType.
    WatchForm form() const;
    // Fills every control and SaveType.
    void setForm(const WatchForm& form);
    // Copies the main window's history items into the dialog's combos, only while cbsServer
    // has none yet. The texts in the boxes stay as they are.
    void copyHistory(const QStringList& servers, const QStringList& paths, const QStringList& masks,
                     const QStringList& passwords, const QStringList& users);
    // Places the dialog: left = main window left + 25, top = pointer y - (dialog height + 50),
    // kept inside the screen's available area.
    void placeNear(const QWidget& mainWindow, const QPoint& pointer);
    // Clears Confirmed, shows the dialog modally and returns Confirmed.
    bool showModal();
    // Captions from the section "FormSetingSpy", the colour of the main window and the text
    // "Ok" shows when no server is given.
    void applyLanguage(const LanguageFile& file, const FormTexts& texts);

    void Button1Click();  // "Ok"
    void Button2Click();  // "Сохранить в файл..."

private:
    void build();
    void takeWindowColour();

    FormDialogs& dialogs_;
    QWidget* mainWindow_;
    std::string noserver_ = "noserver";  // what a missing language key gives

    QGroupBox* GroupBox1 = nullptr;
    QComboBox* cbsServer = nullptr;
    QComboBox* cbsFindPath = nullptr;
    QComboBox* cbsUserName = nullptr;
    QComboBox* cbspassword = nullptr;
    QLineEdit* Port = nullptr;
    QComboBox* cbsMask = nullptr;
    QSpinBox* SpinEdit2 = nullptr;  // days back
    QCheckBox* cbsDir = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QSpinBox* SpinEdit1 = nullptr;  // interval, minutes
    QCheckBox* CheckBox2 = nullptr;
    QCheckBox* cbsTls = nullptr;  // explicit FTPS
    QLineEdit* Edit1 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button1 = nullptr;
};

}  // namespace quarrow
