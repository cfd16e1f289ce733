#include "engine/SnapshotWriter.h"

#include "engine/EngineContext.h"
#include "engine/ResumeFile.h"
#include "engine/SnapshotContainer.h"
#include "engine/SnapshotFile.h"
#include "engine/SnapshotHeader.h"
#include "engine/TextExport.h"
#include "platform/Cp1251.h"
#include "platform/DateTimeText.h"
#include "platform/FileSystem.h"

namespace quarrow {
namespace {

using Clock = std::chrono::steady_clock;

// After a progress write the job's next one waits this many times as long as the write took,
// which keeps the writer's share of the machine small on big scans.
constexpr int kPauseFactor = 3;

bool stopped(const EngineContext& context, const TFtpMain& job) {
    return context.Jobs.LastJobIndex() == -1 || job.StopRequested.load() || job.PageClosed.load();
}

void copyResults(const TFtpMain& job, std::size_t count, StringList& dirs, StringList& names) {
    std::lock_guard lock(job.Lock);
    count = std::min({count, job.FileDirs.size(), job.FileNames.size()});
    dirs.assignPrefix(job.FileDirs, count);
    names.assignPrefix(job.FileNames, count);
}

}  // namespace

SnapshotWriter::SnapshotWriter(EngineContext& context)
    : context_(context), thread_([this] { run(); }) {}

SnapshotWriter::~SnapshotWriter() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

bool SnapshotWriter::readyFor(const std::shared_ptr<TFtpMain>& job) {
    std::lock_guard lock(mutex_);
    const auto found = states_.find(job);
    if (found == states_.end()) return true;
    return found->second.outstanding == 0 && Clock::now() >= found->second.nextAllowed;
}

void SnapshotWriter::submit(SaveRequest request) {
    {
        std::lock_guard lock(mutex_);
        ++states_[request.job].outstanding;
        queue_.push_back(std::move(request));
    }
    wake_.notify_all();
}

void SnapshotWriter::waitFor(const std::shared_ptr<TFtpMain>& job) {
    std::unique_lock lock(mutex_);
    done_.wait(lock, [&] {
        const auto found = states_.find(job);
        return found == states_.end() || found->second.outstanding == 0;
    });
}

void SnapshotWriter::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
        if (queue_.empty()) return;
        SaveRequest request = std::move(queue_.front());
        queue_.pop_front();
        lock.unlock();
        const auto started = Clock::now();
        process(request);
        const auto finished = Clock::now();
        lock.lock();
        JobState& state = states_[request.job];
        --state.outstanding;
        state.nextAllowed = finished + (finished - started) * kPauseFactor;
        // Forget jobs that have nothing waiting and whose pause is over.
        std::erase_if(states_, [&](const auto& entry) {
            return entry.second.outstanding == 0 && entry.second.nextAllowed <= finished;
        });
        done_.notify_all();
    }
}

void SnapshotWriter::waitForArchive() {
    while (context_.ArchiveBusy.load()) std::this_thread::sleep_for(std::chrono::milliseconds(100));
}

void SnapshotWriter::process(const SaveRequest& request) {
    TFtpMain& job = *request.job;
    waitForArchive();
    context_.WriterBusy.store(true);
    StringList dirs, names;
    copyResults(job, request.fileCount, dirs, names);
    // Checked after WriterBusy is set: a page close sets StopRequested before it waits for
    // WriterBusy, so either it waits for this save or this save sees the request and stops.
    const bool written = !stopped(context_, job) && write(request, dirs, names);
    context_.WriterBusy.store(false);
    if (written && request.final && job.TextExport != 0 && !stopped(context_, job)) {
        const std::string path = job.SaveFileName + ".txt";
        std::string error;
        const bool exported = writeFileAtomic(
            path, path + "tmp", buildTextExport(job.TextExport, job.Server, dirs, names), &error);
        job.ExportStale.store(!exported);
        if (!exported) job.setSaveError(context_.Texts()->infosaveerror + utf8ToCp1251(error));
    }
}

bool SnapshotWriter::write(const SaveRequest& request, StringList& dirs, StringList& names) {
    TFtpMain& job = *request.job;
    const auto texts = context_.Texts();
    std::string error;
    bool ok = true;
    if (request.snapshot) {
        ok = writeSnapshot(job, *texts, dirs, names, error);
        job.SnapshotStale.store(!ok);
    }
    // The resume file holds the whole state itself, so it is written even when the snapshot
    // could not be: it alone can bring the results back.
    if (!request.final && !stopped(context_, job)) {
        std::string resumeError;
        const bool resumed = writeResume(request, dirs, names, resumeError);
        job.ResumeStale.store(!resumed);
        if (!resumed && ok) error = std::move(resumeError);
        ok = ok && resumed;
    }
    if (!ok) {
        job.setSaveError(texts->infosaveerror + utf8ToCp1251(error));
        job.enableProgressTimer();
    } else if (!job.saveError().empty()) {
        job.setSaveError({});
    }
    return ok;
}

bool SnapshotWriter::writeSnapshot(TFtpMain& job, const ThreadTexts& texts, const StringList& dirs,
                                   const StringList& names, std::string& error) {
    const auto header = buildSnapshotHeader(snapshotHeaderTexts(texts), job.Server, job.Path,
                                            names.size(), job.UserName, *context_.CommentLines(),
                                            job.Mask, formatStamp(std::time(nullptr)));
    const std::string snapshotPath = job.SnapshotBase + ".qrnet";
    const std::string packed =
        packSnapshot(fileNameOf(snapshotPath), buildSnapshotContent(header, dirs, names));
    if (stopped(context_, job)) return true;
    makeDirectories(folderOf(snapshotPath));
    return writeFileAtomic(snapshotPath, job.SnapshotBase + "1tmp", packed, &error);
}

bool SnapshotWriter::writeResume(const SaveRequest& request, StringList& dirs, StringList& names,
                                 std::string& error) {
    const TFtpMain& job = *request.job;
    ResumeData resume;
    resume.header =
        buildResumeHeader(job.StartStamp, job.Server, job.Path, job.Mask, request.currentDir,
                          job.UserName, job.Password, job.Port, *context_.CommentLines(), job.Tls);
    resume.dirQueue = request.dirQueue;
    // Lend the lists to the resume data for the write and take them back afterwards.
    resume.fileDirs = std::move(dirs);
    resume.fileNames = std::move(names);
    const bool ok = writeFileAtomic(job.ResumeBase + ".qrsftp", job.ResumeBase + "tmp",
                                    buildResumeFile(resume), &error);
    dirs = std::move(resume.fileDirs);
    names = std::move(resume.fileNames);
    return ok;
}

}  // namespace quarrow
