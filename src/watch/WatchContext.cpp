#include "watch/WatchContext.h"

namespace quarrow {

WatchContext::WatchContext(EngineContext& engine, WatchTimers& timers)
    : Engine(engine), Timers(timers), texts_(std::make_shared<const WatchTexts>()) {}

std::shared_ptr<const WatchTexts> WatchContext::Texts() const {
    std::lock_guard lock(mutex_);
    return texts_;
}

void WatchContext::setTexts(WatchTexts texts) {
    auto shared = std::make_shared<const WatchTexts>(std::move(texts));
    std::lock_guard lock(mutex_);
    texts_ = std::move(shared);
}

std::string WatchContext::BalloonText() const {
    std::lock_guard lock(mutex_);
    return balloonText_;
}

void WatchContext::setBalloonText(std::string text) {
    std::lock_guard lock(mutex_);
    balloonText_ = std::move(text);
}

}  // namespace quarrow
