#include "gui/scan/ScanControl.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>
#include <chrono>
#include <thread>

#include "engine/ClosePage.h"
#include "engine/Masks.h"
#include "engine/ResumeFile.h"
#include "engine/ResumeJob.h"
#include "engine/ScanStart.h"
#include "engine/TMonDirThread.h"
#include "gui/archive/ArchiveTab.h"
#include "gui/scan/ScanPage.h"
#include "gui/scan/ScanPageControl.h"
#include "gui/scan/ScanPages.h"
#include "gui/shell/FormDialogs.h"
#include "gui/shell/FormState.h"
#include "gui/shell/FormWidgets.h"
#include "gui/shell/HistoryCombos.h"
#include "gui/shell/OptionsTab.h"
#include "gui/widgets/QtText.h"
#include "gui/widgets/TimerNotifier.h"
#include "platform/Cp1251.h"

namespace quarrow {
namespace {

std::string trimmed(const QString& text) {
    return std::string(trimText(toSystem(text)));
}

// While a page close waits for the writer or the worker, the window keeps drawing.
void pumpWindow() {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

void sleepBriefly() {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

}  // namespace

ScanControl::ScanControl(FormState& state, FormWidgets& widgets, ScanPages& pages,
                         OptionsTab& options, ArchiveTab& archive, QWidget* window)
    : QObject(window),
      state_(state),
      w_(widgets),
      pages_(pages),
      options_(options),
      archive_(archive),
      window_(window) {
    connect(w_.Button1, &QPushButton::clicked, this, &ScanControl::Button1Click);
    connect(w_.Button5, &QPushButton::clicked, this, &ScanControl::Button5Click);
    connect(w_.Button6, &QPushButton::clicked, this, &ScanControl::Button6Click);
    connect(w_.btnClose, &QToolButton::clicked, this, &ScanControl::btnCloseClick);
    for (QComboBox* combo : {w_.cbsServer, w_.cbsUserName, w_.cbspassword})
        connect(combo, &QComboBox::editTextChanged, this, &ScanControl::UpdateStartEnabled);
    w_.TabSheet1->installEventFilter(this);
    for (QWidget* child : w_.TabSheet1->findChildren<QWidget*>()) child->installEventFilter(this);
}

void ScanControl::UpdateStartEnabled() {
    w_.Button1->setEnabled(!trimmed(w_.cbsServer->currentText()).empty() &&
                           !trimmed(w_.cbsUserName->currentText()).empty() &&
                           !trimmed(w_.cbspassword->currentText()).empty());
}

bool ScanControl::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove || event->type() == QEvent::Enter) UpdateStartEnabled();
    return QObject::eventFilter(watched, event);
}

bool ScanControl::duplicateScan() {
    const ScanEntries entries{toSystem(w_.cbsServer->currentText()),
                              toSystem(w_.cbsFindPath->currentText()),
                              toSystem(w_.cbsMask->currentText()),
                              "",
                              "",
                              ""};
    const auto duplicate = FindDuplicateScan(state_.context.Jobs, entries);
    if (!duplicate) return false;
    state_.dialogs.message(window_,
                           labelText(state_.texts.dubladd + std::to_string(*duplicate + 1)));
    return true;
}

void ScanControl::updateStartHistory() {
    struct Rule {
        QComboBox* combo;
        HistoryList& list;
        bool upper;
    };
    const Rule rules[] = {{w_.cbspassword, state_.passwords, false},
                          {w_.cbsUserName, state_.logins, false},
                          {w_.cbsMask, state_.masks, true},
                          {w_.cbsFindPath, state_.paths, false}};
    for (const Rule& rule : rules) {
        std::string text = toSystem(rule.combo->currentText());
        if (rule.upper) text = upperCp1251(text);
        if (!rule.list.addIfNew(text)) continue;
        showHistory(*rule.combo, rule.list);
        std::string error;
        if (!rule.list.save(&error))
            showError(state_, window_, state_.messages.filewrite, QString::fromStdString(error));
    }
}

void ScanControl::updateServerFiles(const TFtpMain& job) {
    std::string error;
    const std::string line = ServerLogLine(job, toSystem(w_.cbsUserName->currentText()),
                                           toSystem(w_.cbspassword->currentText()));
    if (!UpdateServerLog(state_.programDir(), line, &error))
        showError(state_, window_, state_.messages.filewrite, QString::fromStdString(error));
    const ServerHistoryResult servers =
        UpdateServerHistory(state_.programDir(), job.Server, &error);
    if (servers == ServerHistoryResult::Inserted || servers == ServerHistoryResult::WriteFailed) {
        state_.servers.add(job.Server);
        showHistory(*w_.cbsServer, state_.servers);
    }
    if (servers == ServerHistoryResult::ReadFailed || servers == ServerHistoryResult::WriteFailed)
        showError(state_, window_, state_.messages.filewrite, QString::fromStdString(error));
}

void ScanControl::attachPage(int jobNumber, TFtpMain& job, const std::string& caption) {
    job.Connected.store(true);
    {
        std::lock_guard lock(job.Lock);
        job.ProgressTimer = state_.progressTimer;
        job.FinishTimer = state_.finishTimer;
    }
    pages_.showArea();
    pages_.CreateScanPage(jobNumber, fromSystem(caption), false);
    job.Connected.store(false);
}

void ScanControl::Button1Click() {
    if (duplicateScan()) return;
    if (trimmed(w_.cbsServer->currentText()).empty()) {
        state_.dialogs.message(window_, labelText(state_.texts.noserver));
        return;
    }
    ScanEntries entries{
        toSystem(w_.cbsServer->currentText()),   toSystem(w_.cbsFindPath->currentText()),
        toSystem(w_.cbsMask->currentText()),     toSystem(w_.cbsUserName->currentText()),
        toSystem(w_.cbspassword->currentText()), toSystem(w_.Port->text())};
    if (!NormaliseScanEntries(entries)) return;
    const auto port = StartPort(entries.port);
    if (!port) {
        showError(state_, window_, state_.messages.badport, w_.Port->text());
        return;
    }
    const auto saved = state_.dialogs.saveSnapshot(window_, fromSystem(state_.dataPath("Arhive")));
    if (!saved) return;

    pages_.showArea();
    options_.publishToEngine();
    w_.cbsServer->setEditText(fromSystem(entries.server));
    w_.cbsFindPath->setEditText(fromSystem(entries.path));
    w_.cbsMask->setEditText(fromSystem(entries.mask));
    w_.cbsUserName->setEditText(fromSystem(entries.userName));
    updateStartHistory();
    if (trimText(entries.port).empty()) w_.Port->setText(QStringLiteral("21"));

    const int number = state_.context.Jobs.add();
    const auto job = state_.context.Jobs.at(number);
    const StartChoice choice{toSystem(saved->fileName), saved->filterIndex, state_.identText,
                             !state_.dialogs.controlHeld(), std::time(nullptr)};
    FillJobFromEntries(state_.context, *job, entries, *port, choice);
    job->Tls = w_.cbsTls->isChecked();
    attachPage(number, *job, job->Server);
    state_.context.CurrentJob.store(number);
    TMonDirThread::Create(state_.context, number, false);
    updateServerFiles(*job);
}

void ScanControl::Button6Click() {
    const auto file = state_.dialogs.openResume(window_, fromSystem(state_.dataPath("Session")));
    if (!file) return;
    ResumeData data;
    std::string error;
    if (readResumeFile(toSystem(*file), true, data, &error) != ResumeReadResult::Ok) {
        showError(state_, window_, state_.messages.resumefile,
                  error.empty() ? *file : fromSystem(error));
        return;
    }
    const auto& header = data.header;
    const auto line = [&](std::size_t i) {
        return i < header.size() ? fromSystem(header[i]) : QString();
    };
    w_.Edit4->setText(line(1));
    w_.Edit5->setText(line(2));
    w_.Edit6->setText(line(3));
    const bool login = header.size() >= 6;
    w_.Edit10->setText(login ? line(5) : QStringLiteral("anonymous"));
    w_.Edit9->setText(login ? line(6) : QStringLiteral("us@site"));
}

void ScanControl::Button5Click() {
    const auto file = state_.dialogs.openResume(window_, fromSystem(state_.dataPath("Session")));
    if (!file) return;
    const auto saved = state_.dialogs.saveSnapshot(window_, fromSystem(state_.dataPath("Arhive")));
    if (!saved) return;
    options_.publishToEngine();

    const int number = state_.context.Jobs.add();
    const auto job = state_.context.Jobs.at(number);
    ResumeChoice choice{toSystem(*file), toSystem(saved->fileName), state_.identText};
    choice.portText = toSystem(w_.Edit1->text());
    std::string error;
    const ResumeFillResult filled = FillJobFromResume(state_.context, *job, choice, error);
    if (filled != ResumeFillResult::Filled) {
        // A record without a page would keep the table from ever being emptied.
        if (pages_.pageCount() == 0) {
            state_.context.Jobs.markEmpty();
            state_.context.Jobs.clear();
        }
        const bool port = filled == ResumeFillResult::BadPort;
        showError(state_, window_, port ? state_.messages.badport : state_.messages.resumefile,
                  fromSystem(error));
        return;
    }
    w_.Edit4->setText(fromSystem(job->Server));
    w_.Edit5->setText(fromSystem(job->Path));
    w_.Edit6->setText(fromSystem(job->Mask));
    w_.Edit10->setText(fromSystem(choice.userText));
    w_.Edit9->setText(fromSystem(choice.passwordText));
    w_.Edit1->setText(fromSystem(choice.portText));
    w_.pb1->setValue(0);
    attachPage(number, *job, job->Path);
    state_.context.CurrentJob.store(number);
    TMonDirThread::Create(state_.context, number, true);
}

void ScanControl::closeJobPage(int jobNumber, bool lastPage) {
    w_.pc1->setEnabled(false);
    w_.pc2->setEnabled(false);
    ClosePage(state_.context, jobNumber, lastPage, pumpWindow);
    w_.pc1->setEnabled(true);
    w_.pc2->setEnabled(true);
}

void ScanControl::btnCloseClick() {
    ScanPage* page = pages_.currentPage();
    if (!page) return;
    if (state_.context.Jobs.LastJobIndex() < state_.context.CurrentJob.load()) return;
    const bool lastPage = pages_.pageCount() == 1;
    if (page->isArchive()) {
        archive_.ArchivePageClosed();
        state_.context.ArchiveJob.store(-1);
    }
    closeJobPage(page->jobNumber(), lastPage);
    w_.grbox->hide();
    w_.btnClose->hide();
    w_.pb1->hide();
    if (lastPage) {
        for (int i = 0; i < w_.clb2->count(); ++i) w_.clb2->item(i)->setCheckState(Qt::Unchecked);
        pages_.hideArea();
        w_.cb1->setEnabled(false);
        w_.SpeedButton8->setEnabled(false);
    }
    pages_.removePage(page);
}

void ScanControl::stopAll() {
    const int last = state_.context.Jobs.LastJobIndex();
    for (int number = 0; number <= last; ++number)
        ClosePage(state_.context, number, number == last, sleepBriefly);
}

}  // namespace quarrow
