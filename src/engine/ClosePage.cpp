#include "engine/ClosePage.h"

#include "engine/EngineContext.h"
#include "engine/SortSnapshot.h"
#include "platform/FtpSession.h"

namespace quarrow {

// "Идёт сортировка по алфавиту" in Windows-1251.
const char* const kSortingStatus =
    "\xC8\xE4\xB8\xF2 \xF1\xEE\xF0\xF2\xE8\xF0\xEE\xE2\xEA\xE0 \xEF\xEE "
    "\xE0\xEB\xF4\xE0\xE2\xE8\xF2\xF3";

void ClosePage(EngineContext& context, int jobNumber, bool lastPage,
               const std::function<void()>& pump) {
    const auto job = context.Jobs.at(jobNumber);
    if (!job) return;
    std::shared_ptr<FtpSession> inet, ftp;
    {
        std::lock_guard lock(job->Lock);
        job->ProgressTimer.reset();
        job->FinishTimer.reset();
    }
    job->Connected.store(false);
    job->StopRequested.store(true);

    while (context.WriterBusy.load()) pump();

    {
        std::lock_guard lock(job->Lock);
        inet = job->InetHandle;
        ftp = job->FtpHandle;
    }
    if (ftp) ftp->close();
    if (inet) inet->close();

    {
        std::lock_guard lock(job->Lock);
        job->DirQueue.clear();
        job->DirQueue.shrink_to_fit();
        job->FileDirs.clear();
        job->FileNames.clear();
    }

    if (context.CloseSortEnabled.load() && !job->Sorted.load()) {
        job->Sorted.store(true);
        job->setStatusText(kSortingStatus);
        SortSnapshot(job->SnapshotBase + ".qrnet", true);
    }
    job->PageClosed.store(true);

    if (lastPage) {
        context.Jobs.markEmpty();
        while (job->Running.load()) pump();
        context.Jobs.clear();
    }
}

}  // namespace quarrow
