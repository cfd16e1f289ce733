#pragma once

#include <QWidget>
#include <memory>
#include <string>

#include "download/Mrec.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace quarrow {

class DownloadQueue;
class EngineContext;
class FormDialogs;
class LanguageFile;
class TimerNotifier;

// The download window: the current file and the counter line, its progress, "Прервать" and
// "Открыть папку". A top-level window of its own, made on the first request and reused; it
// owns the download queue, whose worker wakes its Timer1.
class TFormDownload : public QWidget {
public:
    TFormDownload(EngineContext& engine, FormDialogs& dialogs);
    ~TFormDownload() override;

    DownloadQueue& queue() { return *queue_; }
    void EnqueueDownload(Mrec item);
    // Captions from the file's section "FormDownload", and the queue's texts.
    void applyLanguage(const LanguageFile& file);

    void Timer1Timer();
    void SpeedButton1Click();  // abort
    void SpeedButton2Click();  // open the folder

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void abort(bool windowClosed);

    FormDialogs& dialogs_;
    QLabel* Label1;
    QProgressBar* ProgressBar1;
    QPushButton* SpeedButton1;
    QPushButton* SpeedButton2;
    QTimer* Timer1;
    std::shared_ptr<TimerNotifier> notifier_;
    std::unique_ptr<DownloadQueue> queue_;
};

}  // namespace quarrow
