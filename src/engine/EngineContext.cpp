#include "engine/EngineContext.h"

namespace quarrow {

EngineContext::EngineContext(std::string programDir)
    : ProgramDir(std::move(programDir)),
      ignoreList_(std::make_shared<const std::vector<std::string>>()),
      commentLines_(std::make_shared<const std::vector<std::string>>()),
      texts_(std::make_shared<const ThreadTexts>()),
      writer_(std::make_unique<SnapshotWriter>(*this)) {}

EngineContext::~EngineContext() {
    waitForWorkers();
    writer_.reset();
}

std::shared_ptr<const std::vector<std::string>> EngineContext::IgnoreList() const {
    std::lock_guard lock(mutex_);
    return ignoreList_;
}

void EngineContext::setIgnoreList(std::vector<std::string> lines) {
    auto list = std::make_shared<const std::vector<std::string>>(std::move(lines));
    std::lock_guard lock(mutex_);
    ignoreList_ = std::move(list);
}

std::shared_ptr<const std::vector<std::string>> EngineContext::CommentLines() const {
    std::lock_guard lock(mutex_);
    return commentLines_;
}

void EngineContext::setCommentLines(std::vector<std::string> lines) {
    auto list = std::make_shared<const std::vector<std::string>>(std::move(lines));
    std::lock_guard lock(mutex_);
    commentLines_ = std::move(list);
}

std::shared_ptr<const ThreadTexts> EngineContext::Texts() const {
    std::lock_guard lock(mutex_);
    return texts_;
}

void EngineContext::setTexts(ThreadTexts texts) {
    auto shared = std::make_shared<const ThreadTexts>(std::move(texts));
    std::lock_guard lock(mutex_);
    texts_ = std::move(shared);
}

void EngineContext::startWorker(std::function<void()> body) {
    auto done = std::make_shared<std::atomic<bool>>(false);
    std::lock_guard lock(mutex_);
    // Reap workers that have ended so the list does not grow with every scan.
    std::erase_if(workers_, [](Worker& w) {
        if (!w.done->load()) return false;
        w.thread.join();
        return true;
    });
    workers_.push_back({std::thread([body = std::move(body), done] {
                            body();
                            done->store(true);
                        }),
                        done});
}

void EngineContext::waitForWorkers() {
    std::vector<Worker> workers;
    {
        std::lock_guard lock(mutex_);
        workers.swap(workers_);
    }
    for (auto& w : workers) w.thread.join();
}

bool EngineContext::workersRunning() const {
    std::lock_guard lock(mutex_);
    for (const auto& w : workers_)
        if (!w.done->load()) return true;
    return false;
}

}  // namespace quarrow
