#include "engine/ScanStart.h"

#include "engine/CommandLine.h"
#include "engine/EngineContext.h"
#include "engine/Masks.h"
#include "platform/Cp1251.h"
#include "platform/DateTimeText.h"
#include "platform/FileSystem.h"

namespace quarrow {
namespace {

constexpr std::string_view kUrlPrefix = "ftp://";

// Blanks are dropped before the slashes are added, so " pub " becomes "/pub/" rather than
// a folder name with blanks at its ends.
std::string startFolder(std::string_view typed) {
    std::string path(trimText(typed));
    if (path.empty() || path.back() != '/') path += '/';
    if (path.size() > 1 && path.front() != '/') path.insert(path.begin(), '/');
    return path;
}

std::string startMask(std::string_view typed) {
    std::string mask(trimText(typed));
    if (mask.empty()) return "*.*";
    if (mask.front() != '*') mask.insert(mask.begin(), '*');
    return mask;
}

}  // namespace

std::optional<int> FindDuplicateScan(const TMainFtp& jobs, const ScanEntries& entries) {
    const std::string_view server = trimText(entries.server);
    const std::string_view path = trimText(entries.path);
    const std::string_view mask = trimText(entries.mask);
    const auto records = jobs.all();
    for (std::size_t i = 0; i < records.size(); ++i) {
        const TFtpMain& job = *records[i];
        if (job.Server == server && job.Path == path && job.Mask == mask && job.Connected.load())
            return static_cast<int>(i);
    }
    return std::nullopt;
}

bool NormaliseScanEntries(ScanEntries& entries) {
    std::string server(trimText(entries.server));
    if (server.starts_with(kUrlPrefix)) server.erase(0, kUrlPrefix.size());
    if (server.empty()) return false;
    entries.server = std::move(server);
    entries.path = startFolder(entries.path);
    entries.mask = startMask(entries.mask);
    if (trimText(entries.userName).empty()) entries.userName = "anonymous";
    return true;
}

std::optional<int> StartPort(std::string_view text) {
    const std::string_view port = trimText(text);
    return port.empty() ? std::optional<int>(21) : ParsePort(port);
}

void FillJobFromEntries(const EngineContext& context, TFtpMain& job, const ScanEntries& entries,
                        int port, const StartChoice& choice) {
    job.StartStamp = formatStamp(choice.now);
    job.Server = std::string(trimText(entries.server));
    job.Path = std::string(trimText(entries.path));
    job.Mask = upperCp1251(trimText(entries.mask));
    job.Extensions = BuildExtensions(job.Mask);
    job.PageClosed.store(false);
    job.Port = port;
    job.DirIndex.store(0);
    job.Recursive = choice.recursive;
    job.TextExport = choice.filterIndex;
    job.SaveFileName = choice.saveFileName;
    job.SnapshotBase = withoutExtension(choice.saveFileName);
    job.ResumeBase = ResumeBaseOf(context.ProgramDir, job.SnapshotBase, job.Server, job.StartStamp);
    job.Password = std::string(trimText(entries.password));
    job.UserName = std::string(trimText(entries.userName));
    job.StopRequested.store(false);
    job.Ident = choice.ident;
    job.setCurrentDir(job.Path);
}

std::string ServerLogLine(const TFtpMain& job, std::string_view userText,
                          std::string_view passwordText) {
    return job.Server + "  " + job.Path + "  " + job.Mask + "  " + std::string(userText) + "  " +
           std::string(passwordText);
}

}  // namespace quarrow
