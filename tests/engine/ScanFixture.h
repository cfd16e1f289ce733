#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "engine/EngineContext.h"
#include "engine/TFtpMain.h"
#include "fixtures/FtpServer.h"
#include "fixtures/TempDir.h"

namespace quarrow::test {

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
    // Polls `condition` for up to `limit`.
    template <class Condition>
    static bool waitUntil(Condition condition,
                          std::chrono::milliseconds limit = std::chrono::milliseconds(20000)) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (!condition()) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return true;
    }
    std::string serverDescription(const FtpServer& server) const;
    // The bytes of a file, nullopt when it does not exist.
    static std::optional<std::string> contentOf(const std::string& path);

    TempDir program;
    TempDir tree;
    std::unique_ptr<EngineContext> context;
};

}  // namespace quarrow::test
