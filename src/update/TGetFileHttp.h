#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

#include "platform/HttpGet.h"

namespace quarrow {

class Notifier;

// What update checks leave for whoever shows the notice: written by every check (several may
// overlap and write the same values), read once the notice's timer has fired.
class UpdateResults {
public:
    bool UpdateAvailable() const { return updateAvailable_.load(); }
    void setUpdateAvailable(bool available) { updateAvailable_.store(available); }
    // Empty until a page has named a download address.
    std::string DownloadUrl() const;
    void setDownloadUrl(std::string url);

private:
    std::atomic<bool> updateAvailable_{false};
    mutable std::mutex mutex_;
    std::string downloadUrl_;
};

// One update check: the page's address, the identification sent as agent, the running
// version and the request's limits.
struct UpdateRequest {
    std::string pageUrl;
    std::string agent;
    std::string ownVersion;
    HttpGetOptions http;
};

// The worker of one update check: fetches the update page, reads it against the running
// version into the shared results and, when a newer version is announced, enables the
// notice. A failed request is no error: the check goes on with what was received, normally
// nothing, and so announces nothing.
class TGetFileHttp {
public:
    TGetFileHttp(UpdateRequest request, std::shared_ptr<UpdateResults> results,
                 std::shared_ptr<Notifier> notice);

    // The check itself, on the calling thread. False when the page could not be fetched.
    bool Execute();
    // The last version value the page announced, empty when none was read.
    const std::string& AnnouncedVersion() const { return announced_; }
    // Why the page could not be fetched, empty when it was.
    const std::string& FetchError() const { return fetchError_; }

private:
    const UpdateRequest request_;
    const std::shared_ptr<UpdateResults> results_;
    const std::shared_ptr<Notifier> notice_;
    std::string announced_;
    std::string fetchError_;
};

// Starts one check on a thread of its own at lower priority and returns at once; nothing
// waits for it. An empty page address starts nothing.
void StartUpdateCheck(UpdateRequest request, std::shared_ptr<UpdateResults> results,
                      std::shared_ptr<Notifier> notice);

}  // namespace quarrow
