#pragma once

#include <QString>
#include <QUrl>
#include <optional>

class QWidget;

namespace quarrow {

// What the user picked in the snapshot save dialog.
struct SaveChoice {
    QString fileName;
    int filterIndex = 1;  // 1-based, as the export setting counts filters
};

// Everything the window asks of the user or of the desktop, behind one interface so that
// tests decide the answers: file dialogs, message boxes, the Ctrl key, opening addresses.
class FormDialogs {
public:
    virtual ~FormDialogs() = default;
    // The snapshot to write, chosen in `folder`; nothing when cancelled.
    virtual std::optional<SaveChoice> saveSnapshot(QWidget* parent, const QString& folder) = 0;
    // Where a watch result goes: the save dialog of the watch settings and of the new-files
    // window, opened on `fileName` with filter `filterIndex` (1-based) of the three result
    // types; nothing when cancelled.
    virtual std::optional<SaveChoice> saveWatchResult(QWidget* parent, const QString& fileName,
                                                      int filterIndex) = 0;
    // A resume file (or snapshot) to read, chosen in `folder`; nothing when cancelled.
    virtual std::optional<QString> openResume(QWidget* parent, const QString& folder) = 0;
    virtual void message(QWidget* parent, const QString& text) = 0;
    virtual void error(QWidget* parent, const QString& text) = 0;
    // A Yes/No question with the information icon; true for Yes.
    virtual bool question(QWidget* parent, const QString& title, const QString& text) = 0;
    // Whether Ctrl is held down at this moment.
    virtual bool controlHeld() = 0;
    // Opens an address with the desktop's default handler.
    virtual void openUrl(const QUrl& url) = 0;
};

// The real dialogs of the desktop.
class DesktopDialogs : public FormDialogs {
public:
    std::optional<SaveChoice> saveSnapshot(QWidget* parent, const QString& folder) override;
    std::optional<SaveChoice> saveWatchResult(QWidget* parent, const QString& fileName,
                                              int filterIndex) override;
    std::optional<QString> openResume(QWidget* parent, const QString& folder) override;
    void message(QWidget* parent, const QString& text) override;
    void error(QWidget* parent, const QString& text) override;
    bool question(QWidget* parent, const QString& title, const QString& text) override;
    bool controlHeld() override;
    void openUrl(const QUrl& url) override;
};

}  // namespace quarrow
