#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "engine/EngineContext.h"
#include "engine/SnapshotFile.h"
#include "engine/TFtpMain.h"
#include "engine/TestHelpers.h"
#include "fixtures/FtpServer.h"
#include "fixtures/TempDir.h"

namespace quarrow::test {

// The job's snapshot as read back; a failure to read fails the test.
SnapshotData snapshotOf(const TFtpMain& job);

// A program folder with the data folders and English texts, an engine over it, and helpers
// to start scans against a real FTP server and wait for them.
class ScanFixture : public ::testing::Test {
protected:
    ScanFixture();
    ~ScanFixture() override;

    // Adds a job filled from a command-line description, lets `adjust` change it, and starts
    // its walker.
    std::shared_ptr<TFtpMain> startScan(const std::string& description,
                                        const std::function<void(TFtpMain&)>& adjust = {});
    // Adds a job that continues `resumeFile`, writing `snapshotBase` + ".qrnet".
    std::shared_ptr<TFtpMain> resumeScan(const std::string& resumeFile,
                                         const std::string& snapshotBase,
                                         const std::function<void(TFtpMain&)>& adjust = {});
    // Closes the page of job `number` as the window does, sleeping briefly while it waits.
    void closePage(int number, bool lastPage);
    // True when every walker ended within `limit` (a hang fails the test instead of CI).
    bool waitForScans(std::chrono::seconds limit = std::chrono::seconds(30));
    std::string serverDescription(const FtpServer& server) const;
    // The key that saves the snapshot as `name` + ".qrnet" in the archive folder.
    std::string savedAs(const std::string& name) const {
        return "[savefilename=" + program.path() + "Arhive/" + name + ".qrnet]";
    }

    TempDir program;
    TempDir tree;
    std::unique_ptr<EngineContext> context;
};

}  // namespace quarrow::test
