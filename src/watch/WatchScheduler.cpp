#include "watch/WatchScheduler.h"

#include "engine/Notifier.h"
#include "platform/FtpSession.h"
#include "watch/SpyFile.h"
#include "watch/TNevDirThread.h"
#include "watch/WatchContext.h"

namespace quarrow {
namespace {

constexpr int kAtStartMs = 10;
constexpr int kStartNowMs = 100;
constexpr int kMinute = 60000;
// "Идёт " and " проверка": check N in progress.
constexpr const char* kCheckRunning = "\xC8\xE4\xB8\xF2 ";
constexpr const char* kCheckWord = " \xEF\xF0\xEE\xE2\xE5\xF0\xEA\xE0";

}  // namespace

WatchScheduler::WatchScheduler(WatchContext& context) : context_(context) {}

void WatchScheduler::attach(int entry) {
    const auto record = context_.Table.at(entry);
    if (!record) return;
    std::lock_guard lock(record->Lock);
    record->ProgressTimer = context_.RefreshTimer;
    record->FinishTimer = context_.BalloonTimer;
}

void WatchScheduler::ArmLoaded() {
    for (const auto& line : context_.Table.lines()) {
        const auto entry = context_.Table.at(line.entry);
        attach(line.entry);
        context_.Timers.start(line.entry,
                              entry->CheckAtStart.load() ? kAtStartMs : entry->Interval.load());
    }
}

void WatchScheduler::ArmEdited(int entry) {
    const auto record = context_.Table.at(entry);
    if (!record) return;
    attach(entry);
    context_.Timers.start(entry, record->Interval.load());
}

void WatchScheduler::SpyTimerTimer(int entry) {
    context_.Timers.stop(entry);
    const auto record = context_.Table.at(entry);
    if (!record || record->Connected.load()) return;
    if (record->WorkerRunning.load()) {
        context_.Timers.start(entry, kStartNowMs);
        return;
    }
    const int number = record->CheckNumber.fetch_add(1);
    record->setStatusText(kCheckRunning + std::to_string(number) + kCheckWord);
    // Busy from now on, so that a second tick before the worker runs starts nothing.
    record->Connected.store(true);
    TNevDirThread::Create(context_, entry);
    record->enableProgressTimer();
}

void WatchScheduler::StartOrStop(int linePosition) {
    const auto lines = context_.Table.lines();
    if (linePosition < 0 || linePosition >= static_cast<int>(lines.size())) return;
    const int entry = lines[static_cast<std::size_t>(linePosition)].entry;
    const auto record = context_.Table.at(entry);
    if (!record->Connected.load()) {
        context_.Timers.start(entry, kStartNowMs);
        return;
    }
    stop(*record);
}

void WatchScheduler::StopAll() {
    for (int entry = 0; entry < context_.Table.size(); ++entry) {
        context_.Timers.stop(entry);
        if (const auto record = context_.Table.at(entry); record && record->Connected.load())
            stop(*record);
    }
}

void WatchScheduler::stop(WatchEntry& record) {
    record.Connected.store(false);
    // A check that has not published its session yet closes it as soon as it does.
    record.StopRequested.store(true);
    std::shared_ptr<FtpSession> session;
    {
        std::lock_guard lock(record.Lock);
        session = record.FtpHandle;
    }
    if (session) session->close();
}

void WatchScheduler::StartAll() {
    for (const auto& line : context_.Table.lines()) {
        if (!context_.Table.at(line.entry)->Connected.load())
            context_.Timers.start(line.entry, kStartNowMs);
    }
}

bool WatchScheduler::SetActive(int linePosition, bool active, std::string* error) {
    const auto lines = context_.Table.lines();
    if (linePosition < 0 || linePosition >= static_cast<int>(lines.size())) return true;
    const int entry = lines[static_cast<std::size_t>(linePosition)].entry;
    const auto record = context_.Table.at(entry);
    context_.Table.setTicked(linePosition, active);
    if (record->Active.load() == active) return true;
    record->Active.store(active);
    if (active)
        context_.Timers.start(entry, record->Interval.load());
    else
        context_.Timers.stop(entry);
    return SaveWatchList(context_.Engine.ProgramDir, context_.Table, error);
}

void WatchScheduler::Timer5Timer() {
    const auto texts = context_.Texts();
    for (const auto& line : context_.Table.lines()) {
        const auto entry = context_.Table.at(line.entry);
        if (!entry->Active.load() || entry->Connected.load()) continue;
        const int idle = entry->IdleMinutes.fetch_add(1) + 1;
        entry->setStatusText(texts->form.dostr + std::to_string(entry->CheckNumber.load()) +
                             texts->form.prov +
                             std::to_string(entry->Interval.load() / kMinute - idle) + " min");
    }
}

bool WatchScheduler::AnyActive() const {
    for (const auto& line : context_.Table.lines())
        if (context_.Table.at(line.entry)->Active.load()) return true;
    return false;
}

}  // namespace quarrow
