#include "engine/ResumeJob.h"

#include <utility>

#include "engine/CommandLine.h"
#include "engine/EngineContext.h"
#include "engine/Masks.h"
#include "engine/ResumeFile.h"
#include "engine/SnapshotHeader.h"
#include "platform/Cp1251.h"
#include "platform/FileSystem.h"

namespace quarrow {
namespace {

constexpr std::string_view kResumedMark = "_Ses";
constexpr std::size_t kHeaderLinesRequired = 5;

std::string resumedStamp(const std::string& stamp) {
    const auto mark = stamp.find(kResumedMark);
    return mark == std::string::npos ? stamp + std::string(kResumedMark)
                                     : stamp.substr(0, mark) + std::string(kResumedMark);
}

long positionOf(const std::vector<std::string>& queue, const std::string& folder) {
    const std::string key = upperName(folder);
    for (std::size_t i = 0; i < queue.size(); ++i)
        if (upperName(queue[i]) == key) return static_cast<long>(i);
    return -1;
}

}  // namespace

ResumeFillResult FillJobFromResume(const EngineContext& context, TFtpMain& job,
                                   ResumeChoice& choice, std::string& error) {
    ResumeData data;
    switch (readResumeFile(choice.resumeFile, false, data, &error)) {
        case ResumeReadResult::Missing:
            error = "No such file: " + choice.resumeFile;
            return ResumeFillResult::Missing;
        case ResumeReadResult::Damaged:
            return ResumeFillResult::Damaged;
        case ResumeReadResult::Ok:
            break;
    }
    const auto& header = data.header;
    if (header.size() < kHeaderLinesRequired) {
        error = "resume file damaged: its header is too short";
        return ResumeFillResult::Damaged;
    }
    ResumeLogin login;
    if (!readResumeLogin(header, login, &error)) return ResumeFillResult::Damaged;
    if (header.size() >= 6) {
        choice.userText = login.userName;
        choice.passwordText = login.password;
    }
    if (login.port) {
        // A port the file holds but no connection can use is damage, like an unreadable one.
        std::string portLine = std::to_string(*login.port);
        if (!ParsePort(portLine)) {
            error = "resume file damaged: port line \"" + portLine + "\" is not a usable port";
            return ResumeFillResult::Damaged;
        }
        choice.portText = std::move(portLine);
    }
    const auto port = ParsePort(trimText(choice.portText));
    if (!port) {
        error = "'" + choice.portText + "' is not a valid port number";
        return ResumeFillResult::BadPort;
    }

    job.StartStamp = resumedStamp(header[0]);
    job.Server = header[1];
    job.Path = header[2];
    job.Mask = header[3];
    job.Extensions = BuildExtensions(job.Mask);
    job.SnapshotBase = withoutExtension(choice.snapshotFile);
    job.ResumeBase = ResumeBaseOf(context.ProgramDir, job.SnapshotBase, job.Server, job.StartStamp);
    job.Recursive = true;
    job.Ident = choice.ident;
    job.TextExport = 0;
    job.Password = std::string(trimText(choice.passwordText));
    job.UserName = std::string(trimText(choice.userText));
    job.Port = *port;
    job.Tls = login.tls;
    job.PageClosed.store(false);
    job.StopRequested.store(false);

    std::lock_guard lock(job.Lock);
    job.CurrentDir = header[4];
    job.DirIndex.store(static_cast<int>(positionOf(data.dirQueue, job.CurrentDir)));
    job.DirQueue = std::move(data.dirQueue);
    job.FileDirs = std::move(data.fileDirs);
    job.FileNames = std::move(data.fileNames);
    return ResumeFillResult::Filled;
}

}  // namespace quarrow
