#include <sys/resource.h>

#include <chrono>
#include <cstdio>

#include "archive/ArchiveBrowser.h"
#include "archive/LoadArchives.h"
#include "cli/CliCommands.h"
#include "cli/Json.h"
#include "engine/EngineContext.h"
#include "platform/Cp1251.h"
#include "platform/FileSystem.h"

namespace quarrow::cli {
namespace {

using Clock = std::chrono::steady_clock;

struct SearchArguments {
    bool stats = false;
    std::vector<std::string> snapshots;  // system text
    std::vector<std::string> queries;    // system text
};

bool parseArguments(const std::vector<std::string>& operands, SearchArguments& out,
                    std::string& problem) {
    std::size_t i = 0;
    if (i < operands.size() && operands[i] == "--stats") {
        out.stats = true;
        ++i;
    }
    for (; i < operands.size() && operands[i] != "--"; ++i)
        out.snapshots.push_back(systemPath(operands[i]));
    if (i == operands.size()) {
        problem = "search needs \"--\" between the snapshots and the queries";
        return false;
    }
    for (++i; i < operands.size(); ++i) out.queries.push_back(utf8ToCp1251(operands[i]));
    if (out.snapshots.empty()) {
        problem = "search needs at least one SNAPSHOT";
        return false;
    }
    return true;
}

// The language texts the window program would show, empty when its language file is missing.
FormTexts loadFormTexts(const std::string& programDir) {
    FormTexts texts;
    LanguageFile file;
    if (file.load(LanguageFileFor(programDir))) readFormTexts(file, texts);
    return texts;
}

template <typename Name>
void appendJsonList(std::string& out, std::size_t rows, Name name) {
    out.push_back('[');
    for (std::size_t r = 0; r < rows; ++r) {
        if (r > 0) out += ", ";
        appendJsonString(out, name(r));
    }
    out.push_back(']');
}

std::string resultLine(const std::string& query, const SearchResults& results,
                       const std::string& status, double milliseconds) {
    std::string line = "{\"query\": ";
    appendJsonString(line, query);
    line += ", \"dirs\": ";
    appendJsonList(line, results.dirRows(), [&](std::size_t r) { return results.dirName(r); });
    line += ", \"files\": ";
    appendJsonList(line, results.fileRows(), [&](std::size_t r) { return results.fileName(r); });
    line += ", \"status\": ";
    appendJsonString(line, status);
    char ms[32];
    std::snprintf(ms, sizeof ms, ", \"ms\": %.3f}", milliseconds);
    return line + ms;
}

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void printStats(double loadSeconds, double indexSeconds, std::size_t names) {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    char line[160];
    std::snprintf(line, sizeof line, "load %.3f s, index %.3f s, names %zu, peak memory %.1f MB",
                  loadSeconds, indexSeconds, names, usage.ru_maxrss / 1024.0);
    PrintErr(line);
}

// Each query as the search box's text when the search timer fires with no key pressed since.
void runQueries(ArchiveBrowser& browser, const std::vector<std::string>& queries) {
    std::vector<std::string> history;
    for (const std::string& query : queries) {
        browser.KeyUp();
        const SearchRun before = browser.LastRun();
        browser.Timer9Timer(query, true, history);
        browser.WaitForSearches();
        const SearchRun run = browser.LastRun();
        const double ms = run.generation != before.generation ? run.milliseconds : 0.0;
        PrintOut(resultLine(query, *browser.Results(), browser.Status(), ms));
    }
}

}  // namespace

int RunSearchCommand(const std::string& programDir, const std::vector<std::string>& operands) {
    SearchArguments args;
    std::string problem;
    if (!parseArguments(operands, args, problem)) {
        PrintErr("quarrow-cli: " + problem + "\nTry 'quarrow-cli --help'.");
        return kExitUsage;
    }
    EngineContext context(programDir);
    const auto loadStart = Clock::now();
    ArchiveLoadResult loaded = LoadArchiveFiles(args.snapshots);
    const double loadSeconds = secondsSince(loadStart);
    for (const std::string& path : loaded.missing)
        PrintErr("quarrow-cli: " + path + ": no such file; it adds nothing to the archive");
    int code = kExitOk;
    if (!loaded.error.empty()) {
        PrintErr("quarrow-cli: loading stopped at " + loaded.error);
        code = kExitFailed;
    }
    const auto indexStart = Clock::now();
    auto content = ArchiveContent::Build(std::move(loaded.lists));
    const double indexSeconds = secondsSince(indexStart);
    if (args.stats) printStats(loadSeconds, indexSeconds, content->size());

    ArchiveBrowser browser(context, loadFormTexts(programDir));
    browser.Install(std::move(content), kIdentText, nullptr, nullptr);
    runQueries(browser, args.queries);
    return code;
}

}  // namespace quarrow::cli
