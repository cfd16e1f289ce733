#pragma once

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListView;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTimer;
class QToolButton;
class QWidget;

namespace quarrow {

class LogoArea;
class ScanPageControl;

// The named controls of the main window. Each carries its designer name as objectName, which
// is also its key in the language files; Qt's parent-child ownership keeps them alive.
struct FormWidgets {
    LogoArea* logo = nullptr;  // the empty area above pc1 while no scan page exists
    ScanPageControl* pc2 = nullptr;
    QTabWidget* pc1 = nullptr;

    // The status box, moved onto the scan page shown.
    QGroupBox* grbox = nullptr;
    QLabel* Label1 = nullptr;
    QProgressBar* pb1 = nullptr;
    QToolButton* btnClose = nullptr;

    // "Сканер"
    QWidget* TabSheet1 = nullptr;
    QComboBox* cbsServer = nullptr;
    QComboBox* cbsFindPath = nullptr;
    QComboBox* cbsMask = nullptr;
    QComboBox* cbsUserName = nullptr;
    QComboBox* cbspassword = nullptr;
    QLineEdit* Port = nullptr;
    QCheckBox* cbsTls = nullptr;  // explicit FTPS
    QPushButton* Button1 = nullptr;

    // "Прерваное"
    QWidget* TabSheet2 = nullptr;
    QLineEdit* Edit4 = nullptr;   // server
    QLineEdit* Edit5 = nullptr;   // start folder
    QLineEdit* Edit6 = nullptr;   // mask
    QLineEdit* Edit10 = nullptr;  // user
    QLineEdit* Edit9 = nullptr;   // password
    QLineEdit* Edit1 = nullptr;   // port
    QPushButton* Button5 = nullptr;
    QPushButton* Button6 = nullptr;

    // "Архив"
    QWidget* TabSheet3 = nullptr;
    QListWidget* clb2 = nullptr;
    QComboBox* cb1 = nullptr;
    QToolButton* SpeedButton8 = nullptr;

    // "Разное" with its two sub-pages
    QWidget* TabSheet4 = nullptr;
    QTabWidget* pc3 = nullptr;
    QPlainTextEdit* MemoComent = nullptr;
    QPushButton* Button3 = nullptr;
    QListWidget* lbignore = nullptr;
    QLineEdit* editIgnore = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    QToolButton* SpeedButton2 = nullptr;

    // "Слежение"
    QWidget* TabSheet5 = nullptr;
    QListView* CheckListBox1 = nullptr;
    QToolButton* AddSurveillance = nullptr;  // add
    QToolButton* SpeedButton7 = nullptr;     // change
    QToolButton* SpeedButton4 = nullptr;     // delete
    QToolButton* SpeedButton3 = nullptr;     // start or stop the selected entry
    QToolButton* SpeedButton6 = nullptr;     // start all

    // "Опции"
    QWidget* TabSheet7 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QComboBox* cbsIdent = nullptr;
    QLabel* Label18 = nullptr;
    QCheckBox* cbsupdate = nullptr;

    QTimer* Timer1 = nullptr;  // progress refresh, 100 ms
    QTimer* Timer2 = nullptr;  // end-of-scan notice, 500 ms
    QTimer* Timer4 = nullptr;  // watch list refresh while its tab is shown, 5000 ms
    QTimer* Timer5 = nullptr;  // watch countdown, 60000 ms
    QTimer* Timer6 = nullptr;  // balloon of a finished watch check, 1000 ms
    QTimer* Timer7 = nullptr;  // watch list and new-files refresh, 1000 ms
    QTimer* Timer8 = nullptr;  // hide after the command line, 1000 ms
    QTimer* Timer9 = nullptr;  // archive search after a key release, 250 ms
    // The update notice, 1000 ms.
    QTimer* timernewversion = nullptr;
};

}  // namespace quarrow
