#include "engine/CommandLine.h"

#include <algorithm>

#include "engine/EngineContext.h"
#include "engine/Masks.h"
#include "engine/TMonDirThread.h"
#include "platform/Cp1251.h"
#include "platform/DateTimeText.h"
#include "platform/FileSystem.h"
#include "platform/TextLines.h"

namespace quarrow {
namespace {

constexpr std::string_view kDefaultUser = "anonymous";
constexpr std::string_view kDefaultPassword = "us@site";
constexpr int kDefaultPort = 21;

std::string replaceAll(std::string text, std::string_view from, std::string_view to) {
    for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

}  // namespace

std::optional<int> ParsePort(std::string_view text) {
    if (text.empty() || text.size() > 5) return std::nullopt;
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value < 1 || value > 65535) return std::nullopt;
    return value;
}

namespace {

// A command line's port: any whole decimal number is taken (one out of range fails to connect
// on its own page, the batch goes on); a value above 65535 stays above it.
std::optional<int> WholeNumber(std::string_view text) {
    if (text.empty()) return std::nullopt;
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = std::min(value * 10 + (c - '0'), 1000000);
    }
    return value;
}

}  // namespace

std::optional<std::string> KeywordValue(std::string_view line, std::string_view keyword) {
    const auto at = line.find(keyword);
    if (at == std::string_view::npos) return std::nullopt;
    const std::string_view rest = line.substr(at + keyword.size());
    return std::string(rest.substr(0, rest.find(']')));
}

bool HasKeyword(std::string_view line, std::string_view keyword) {
    return line.find(keyword) != std::string_view::npos;
}

std::string NormalisePath(std::string_view path) {
    std::string result(path);
    if (result.empty() || result.back() != '/') result += '/';
    if (result.size() > 1 && result.front() != '/') result.insert(result.begin(), '/');
    return result;
}

std::string NormaliseMask(std::string_view mask) {
    std::string result(mask);
    if (result.empty())
        result = "*.*";
    else if (result.front() != '*')
        result.insert(result.begin(), '*');
    return upperCp1251(result);
}

std::string FileNameSafe(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        if (c == '/' || c == '\0') c = '_';
    return result;
}

std::string ResumeBaseOf(std::string_view programDir, std::string_view snapshotBase,
                         std::string_view server, std::string_view startStamp) {
    return std::string(programDir) + "Session/" + FileNameSafe(fileNameOf(snapshotBase)) + "_" +
           FileNameSafe(server) + "_" + std::string(startStamp);
}

bool GatherDescriptions(std::string_view argument, std::vector<std::string>& descriptions,
                        std::string& error) {
    descriptions.clear();
    if (const auto file = KeywordValue(argument, "[loadfile=")) {
        std::string readError;
        if (!readLinesFile(*file, descriptions, &readError)) {
            error = utf8ToCp1251(readError);
            return false;
        }
        return true;
    }
    descriptions.emplace_back(argument);
    return true;
}

FillResult FillJobFromDescription(const EngineContext& context, TFtpMain& job,
                                  std::string_view description, std::time_t now,
                                  std::string& error) {
    auto server = KeywordValue(description, "[server=");
    if (!server) return FillResult::NoServer;
    if (server->starts_with("ftp://")) server->erase(0, 6);

    int port = kDefaultPort;
    if (const auto portText = KeywordValue(description, "[port=")) {
        const auto parsed = WholeNumber(*portText);
        if (!parsed) {
            error = "'" + *portText + "' is not a whole decimal number";
            return FillResult::BadPort;
        }
        port = *parsed;
    }

    const std::string date = formatDate(now);
    job.Server = *server;
    job.Path = NormalisePath(KeywordValue(description, "[path=").value_or(""));
    job.Mask = NormaliseMask(KeywordValue(description, "[mask=").value_or(""));
    job.Extensions = BuildExtensions(job.Mask);
    job.Port = port;
    job.Password = KeywordValue(description, "[password=").value_or(std::string(kDefaultPassword));
    job.UserName = KeywordValue(description, "[user=").value_or(std::string(kDefaultUser));
    job.StartStamp = date;
    if (const auto saveName = KeywordValue(description, "[savefilename="))
        job.SnapshotBase = withoutExtension(replaceAll(*saveName, "%date%", date));
    else
        job.SnapshotBase = context.ProgramDir + "Arhive/" + FileNameSafe(job.Server) + "_" + date;
    job.ResumeBase = ResumeBaseOf(context.ProgramDir, job.SnapshotBase, job.Server, job.StartStamp);
    job.Recursive = !HasKeyword(description, "[nodirchild]");
    job.Passive = HasKeyword(description, "[passive]");
    job.Tls = HasKeyword(description, "[tls]");
    job.TextExport = 0;
    job.SaveFileName.clear();
    job.CurrentDir = job.Path;
    job.DirIndex.store(0);
    return FillResult::Filled;
}

CommandLineResult CommandLineHandler(EngineContext& context, std::string_view argument,
                                     CommandLineHooks& hooks) {
    CommandLineResult result;
    if (argument.empty()) return result;
    std::vector<std::string> descriptions;
    if (!GatherDescriptions(argument, descriptions, result.error)) {
        result.ok = false;
        return result;
    }
    const std::time_t now = std::time(nullptr);
    for (const auto& description : descriptions) {
        const int jobNumber = context.Jobs.add();
        const auto job = context.Jobs.at(jobNumber);
        const FillResult filled =
            FillJobFromDescription(context, *job, description, now, result.error);
        if (filled == FillResult::NoServer) continue;
        if (filled == FillResult::BadPort) {
            result.ok = false;
            return result;
        }
        if (HasKeyword(description, "[nostartspyall]")) hooks.NoStartSpyAll();
        if (HasKeyword(description, "[startspyallinstart]")) hooks.StartSpyAll();
        job->Connected.store(true);
        hooks.CreatePage(jobNumber, *job);
        job->Connected.store(false);
        TMonDirThread::Create(context, jobNumber, false);
        context.CurrentJob.store(jobNumber);
        result.jobs.push_back(jobNumber);
    }
    result.hide = HasKeyword(argument, "[hide]");
    return result;
}

}  // namespace quarrow
