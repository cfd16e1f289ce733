#include "engine/TFtpMain.h"

namespace quarrow {

std::string TFtpMain::statusText() const {
    std::lock_guard lock(Lock);
    return StatusText;
}

void TFtpMain::setStatusText(std::string text) {
    std::lock_guard lock(Lock);
    StatusText = std::move(text);
}

std::string TFtpMain::currentDir() const {
    std::lock_guard lock(Lock);
    return CurrentDir;
}

void TFtpMain::setCurrentDir(std::string dir) {
    std::lock_guard lock(Lock);
    CurrentDir = std::move(dir);
}

std::string TFtpMain::saveError() const {
    std::lock_guard lock(Lock);
    return SaveError;
}

void TFtpMain::setSaveError(std::string text) {
    std::lock_guard lock(Lock);
    SaveError = std::move(text);
}

std::string TFtpMain::note() const {
    std::lock_guard lock(Lock);
    return Note;
}

void TFtpMain::addNote(const std::string& line) {
    std::lock_guard lock(Lock);
    if (("\r" + Note + "\r").find("\r" + line + "\r") != std::string::npos) return;
    Note += (Note.empty() ? "" : "\r") + line;
}

bool TFtpMain::walkComplete() const {
    return Outcome.load() == WalkOutcome::Walked && UnlistedDirs.load() == 0;
}

std::size_t TFtpMain::dirQueueSize() const {
    std::lock_guard lock(Lock);
    return DirQueue.size();
}

std::string TFtpMain::dirQueueAt(std::size_t i) const {
    std::lock_guard lock(Lock);
    return i < DirQueue.size() ? DirQueue[i] : std::string();
}

std::size_t TFtpMain::fileCount() const {
    std::lock_guard lock(Lock);
    return FileNames.size();
}

void TFtpMain::enableProgressTimer() const {
    std::shared_ptr<Notifier> timer;
    {
        std::lock_guard lock(Lock);
        timer = ProgressTimer;
    }
    if (timer) timer->enable();
}

void TFtpMain::enableFinishTimer() const {
    std::shared_ptr<Notifier> timer;
    {
        std::lock_guard lock(Lock);
        timer = FinishTimer;
    }
    if (timer) timer->enable();
}

}  // namespace quarrow
