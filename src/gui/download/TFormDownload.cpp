#include "gui/download/TFormDownload.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include "download/DownloadQueue.h"
#include "engine/Translate.h"
#include "gui/shell/FormDialogs.h"
#include "gui/shell/FormLanguage.h"
#include "gui/shell/FtpFormLayout.h"
#include "gui/widgets/QtText.h"
#include "gui/widgets/TimerNotifier.h"
#include "platform/FileSystem.h"

namespace quarrow {
namespace {

const QSize kClientSize(320, 83);

}  // namespace

TFormDownload::TFormDownload(EngineContext& engine, FormDialogs& dialogs)
    : QWidget(nullptr, Qt::Dialog | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      dialogs_(dialogs) {
    setObjectName(QStringLiteral("FormDownload"));
    // Only the main window's closing ends the program.
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(QStringLiteral("Загрузка"));
    Label1 = captionLabel(this, "Label1", QStringLiteral("Загружено 0 kb  из ..."));
    ProgressBar1 = named<QProgressBar>(this, "ProgressBar1");
    ProgressBar1->setRange(0, 100);
    SpeedButton1 = named<QPushButton>(this, "SpeedButton1");
    SpeedButton1->setText(QStringLiteral("Прервать"));
    SpeedButton2 = named<QPushButton>(this, "SpeedButton2");
    SpeedButton2->setText(QStringLiteral("Открыть папку"));
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setSingleShot(true);
    Timer1->setInterval(1000);

    auto* column = new QVBoxLayout(this);
    column->addWidget(Label1);
    column->addWidget(ProgressBar1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(SpeedButton1);
    buttons->addWidget(SpeedButton2);
    column->addLayout(buttons);
    resize(kClientSize.expandedTo(sizeHint()));
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    notifier_ = std::make_shared<TimerNotifier>(Timer1);
    queue_ = std::make_unique<DownloadQueue>(engine, notifier_);
    connect(Timer1, &QTimer::timeout, this, &TFormDownload::Timer1Timer);
    connect(SpeedButton1, &QPushButton::clicked, this, &TFormDownload::SpeedButton1Click);
    connect(SpeedButton2, &QPushButton::clicked, this, &TFormDownload::SpeedButton2Click);
}

TFormDownload::~TFormDownload() {
    notifier_->detach();
    queue_.reset();
}

void TFormDownload::EnqueueDownload(Mrec item) {
    show();
    raise();
    queue_->EnqueueDownload(std::move(item));
    Timer1Timer();
}

void TFormDownload::applyLanguage(const LanguageFile& file) {
    ApplyFormLanguage(*this, kFormDownloadSection, file);
    queue_->setTexts(ReadDownloadTexts(file));
}

void TFormDownload::Timer1Timer() {
    Timer1->stop();
    bool again = false;
    const DownloadDisplay shown = queue_->Timer1Timer(&again);
    Label1->setText(fromSystem(shown.label));
    setWindowTitle(fromSystem(shown.caption));
    ProgressBar1->setValue(shown.percent);
    if (again) Timer1->start();
}

void TFormDownload::abort(bool windowClosed) {
    Timer1->stop();
    queue_->Abort(windowClosed);
    const DownloadDisplay shown = queue_->display();
    Label1->setText(fromSystem(shown.label));
    setWindowTitle(QString());
    ProgressBar1->setValue(0);
}

void TFormDownload::SpeedButton1Click() {
    abort(false);
    hide();
}

void TFormDownload::SpeedButton2Click() {
    const std::string folder = folderOf(queue_->LocalPath());
    if (!folder.empty())
        dialogs_.openUrl(QUrl::fromLocalFile(QString::fromStdString(nativePath(folder))));
}

void TFormDownload::closeEvent(QCloseEvent* event) {
    abort(true);
    event->accept();
}

}  // namespace quarrow
