// Times whole scans of a loopback FTP server through the real walker, with the progress and
// final saves on and with saving switched off, alternating, and prints the medians.
//
//   scan_bench --port PORT [--runs N] [--work DIR]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/CommandLine.h"
#include "engine/EngineContext.h"
#include "engine/ProgramFolders.h"
#include "engine/TMonDirThread.h"

namespace {

using namespace quarrow;

struct Run {
    double seconds;
    std::size_t files;
    std::size_t folders;
};

Run scanOnce(const std::string& workDir, int port, bool saving) {
    EngineContext context(workDir);
    context.SavingEnabled.store(saving);
    context.setTexts(LoadThreadTexts(workDir));
    const int number = context.Jobs.add();
    auto job = context.Jobs.at(number);
    std::string error;
    FillJobFromDescription(context, *job,
                           "[server=127.0.0.1][port=" + std::to_string(port) +
                               "][savefilename=" + workDir + "Arhive/bench.qrnet]",
                           std::time(nullptr), error);
    const auto start = std::chrono::steady_clock::now();
    TMonDirThread::Create(context, number, false);
    context.waitForWorkers();
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    return {elapsed.count(), job->fileCount(), job->dirQueueSize()};
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    int port = 0;
    int runs = 5;
    std::string workDir = "/tmp/quarrow-scan-bench/";
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string flag = argv[i];
        if (flag == "--port") port = std::atoi(argv[i + 1]);
        if (flag == "--runs") runs = std::atoi(argv[i + 1]);
        if (flag == "--work") workDir = std::string(argv[i + 1]) + "/";
    }
    if (port <= 0 || runs <= 0) {
        std::fprintf(stderr, "usage: scan_bench --port PORT [--runs N] [--work DIR]\n");
        return 2;
    }
    CreateDataFolders(workDir);
    std::vector<double> withSaves, withoutSaves;
    Run last{};
    for (int i = 0; i < runs; ++i) {
        last = scanOnce(workDir, port, true);
        withSaves.push_back(last.seconds);
        withoutSaves.push_back(scanOnce(workDir, port, false).seconds);
    }
    const double saved = median(withSaves);
    const double bare = median(withoutSaves);
    std::printf("files %zu folders %zu runs %d\n", last.files, last.folders, runs);
    std::printf("scan with saves    median %.3f s\n", saved);
    std::printf("scan without saves median %.3f s\n", bare);
    std::printf("ratio %.3f\n", saved / bare);
    return 0;
}
