#include "engine/ScanFixture.h"

#include "engine/ClosePage.h"
#include "engine/CommandLine.h"
#include "engine/ProgramFolders.h"
#include "engine/ResumeJob.h"
#include "engine/TMonDirThread.h"
#include "platform/FtpSession.h"

namespace quarrow::test {

ScanFixture::ScanFixture() {
    CreateDataFolders(program.path());
    context = std::make_unique<EngineContext>(program.path());
    LanguageFile english;
    EXPECT_TRUE(english.load(QUARROW_DATA_DIR "/TXT/Engl.lng"));
    ThreadTexts texts;
    readThreadTexts(english, texts);
    context->setTexts(texts);
    // Faults are simulated on loopback, where nothing takes long: short waits keep each cheap.
    context->SessionOptions.timeouts.responseSeconds = 2;
    context->SessionOptions.timeouts.acceptSeconds = 2;
    context->SessionOptions.reconnect = {3, 50};
}

ScanFixture::~ScanFixture() {
    for (const auto& job : context->Jobs.all()) {
        job->StopRequested.store(true);
        job->Connected.store(false);
        std::lock_guard lock(job->Lock);
        if (job->FtpHandle) job->FtpHandle->close();
    }
    context->waitForWorkers();
}

std::string ScanFixture::serverDescription(const FtpServer& server) const {
    return "[server=127.0.0.1][port=" + std::to_string(server.port()) + "]";
}

std::shared_ptr<TFtpMain> ScanFixture::startScan(const std::string& description,
                                                 const std::function<void(TFtpMain&)>& adjust) {
    const int number = context->Jobs.add();
    auto job = context->Jobs.at(number);
    std::string error;
    EXPECT_EQ(FillJobFromDescription(*context, *job, description, std::time(nullptr), error),
              FillResult::Filled)
        << error;
    if (adjust) adjust(*job);
    TMonDirThread::Create(*context, number, false);
    return job;
}

std::shared_ptr<TFtpMain> ScanFixture::resumeScan(const std::string& resumeFile,
                                                  const std::string& snapshotBase,
                                                  const std::function<void(TFtpMain&)>& adjust) {
    const int number = context->Jobs.add();
    auto job = context->Jobs.at(number);
    ResumeChoice choice{resumeFile, snapshotBase + ".qrnet", "Quarrowbrisk"};
    std::string error;
    EXPECT_EQ(FillJobFromResume(*context, *job, choice, error), ResumeFillResult::Filled) << error;
    if (adjust) adjust(*job);
    TMonDirThread::Create(*context, number, true);
    return job;
}

void ScanFixture::closePage(int number, bool lastPage) {
    ClosePage(*context, number, lastPage,
              [] { std::this_thread::sleep_for(std::chrono::milliseconds(2)); });
}

SnapshotData snapshotOf(const TFtpMain& job) {
    SnapshotData snapshot;
    std::string error;
    EXPECT_TRUE(readSnapshotFile(job.SnapshotBase + ".qrnet", snapshot, &error)) << error;
    return snapshot;
}

bool ScanFixture::waitForScans(std::chrono::seconds limit) {
    if (!waitUntil([&] { return !context->workersRunning(); }, limit)) return false;
    context->waitForWorkers();
    return true;
}

}  // namespace quarrow::test
