#include "gui/widgets/WindowInbox.h"

namespace quarrow {

WindowInbox::WindowInbox(QObject* target) : target_(target) {}

void WindowInbox::post(std::function<void()> call) {
    std::lock_guard lock(mutex_);
    if (!target_) return;
    QMetaObject::invokeMethod(
        target_,
        [weak = weak_from_this(), call = std::move(call)] {
            const auto self = weak.lock();
            if (self && self->attached()) call();
        },
        Qt::QueuedConnection);
}

void WindowInbox::detach() {
    std::lock_guard lock(mutex_);
    target_ = nullptr;
}

bool WindowInbox::attached() {
    std::lock_guard lock(mutex_);
    return target_ != nullptr;
}

}  // namespace quarrow
