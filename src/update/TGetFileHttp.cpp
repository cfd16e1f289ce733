#include "update/TGetFileHttp.h"

#include <thread>

#include "engine/Notifier.h"
#include "platform/ThreadPriority.h"
#include "update/UpdatePage.h"

namespace quarrow {

std::string UpdateResults::DownloadUrl() const {
    std::lock_guard lock(mutex_);
    return downloadUrl_;
}

void UpdateResults::setDownloadUrl(std::string url) {
    std::lock_guard lock(mutex_);
    downloadUrl_ = std::move(url);
}

TGetFileHttp::TGetFileHttp(UpdateRequest request, std::shared_ptr<UpdateResults> results,
                           std::shared_ptr<Notifier> notice)
    : request_(std::move(request)), results_(std::move(results)), notice_(std::move(notice)) {}

bool TGetFileHttp::Execute() {
    HttpGetResult fetched = HttpGet(request_.pageUrl, request_.agent, request_.http);
    fetchError_ = fetched.error;
    // An error status comes with the server's error page, which is not the update page.
    if (fetched.status >= 400) fetched.body.clear();
    results_->setUpdateAvailable(false);
    const UpdatePageFindings page = ReadUpdatePage(fetched.body, request_.ownVersion);
    announced_ = page.announced;
    if (page.downloadUrl) results_->setDownloadUrl(*page.downloadUrl);
    if (page.updateAvailable) {
        results_->setUpdateAvailable(true);
        if (notice_) notice_->enable();
    }
    return fetched.ok;
}

void StartUpdateCheck(UpdateRequest request, std::shared_ptr<UpdateResults> results,
                      std::shared_ptr<Notifier> notice) {
    if (request.pageUrl.empty()) return;
    auto check =
        std::make_shared<TGetFileHttp>(std::move(request), std::move(results), std::move(notice));
    // Detached: the check holds only what it shares, so the program never waits for a slow
    // page at shut-down; the notice is detached from the window before the window goes.
    std::thread([check] {
        LowerThreadPriority();
        check->Execute();
    }).detach();
}

}  // namespace quarrow
