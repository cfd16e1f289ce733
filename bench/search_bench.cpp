// The archive search on a corpus written by search_corpus: loads every snapshot of
// DIR/Arhive/ as the archive tab does and builds the index, L times over (the last load is
// kept), and times the search of a fixed set of queries by class, one core, the search called
// directly. Prints tab-separated lines:
//   first-load <load s> <index s>
//   load       <names> <median load s> <median index s> <held bytes per name>
//              <resident bytes per name>
//   query      <class> <median ms> <hits> <query, UTF-8>
// scripts/bench runs it and compares each query with grep -F -i over DIR/names.txt.
//
//   search_bench --corpus DIR [--runs R] [--tolerant-runs R] [--loads L]
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "CorpusFiles.h"
#include "archive/ArchiveContent.h"
#include "archive/LoadArchives.h"
#include "archive/RunSearch.h"
#include "platform/Cp1251.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Query {
    const char* kind;
    const char* text;  // UTF-8, as typed
};

// Literal queries of each class, and queries that find nothing literally, so the tolerant
// stage runs over every name.
const std::vector<Query> kQueries = {
    {"one-word", "love"},     {"one-word", "remix"},        {"one-word", "beatles"},
    {"one-word", "symphony"}, {"wild", "rock live"},        {"wild", "best 2004"},
    {"wild", "dark side"},    {"wild", "pink floyd moon"},  {"ordered", "rock*live"},
    {"ordered", "best*hits"}, {"ordered", "the*night"},     {"ordered", "deep*purple*mp3"},
    {"cyrillic", "песня"},    {"cyrillic", "кино концерт"}, {"cyrillic", "группа*кино"},
    {"cyrillic", "любовь"},
};
const std::vector<Query> kTolerant = {
    {"tolerant", "simphony"},
    {"tolerant", "beatlez revolvr"},
    {"tolerant", "концертт"},
};

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

long residentBytes() {
    long pages = 0, resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

// One search of `text` as the timer would start it, with the tolerant state fresh so every
// run does the same work.
double timeSearch(const quarrow::ArchiveContent& content, const std::string& text,
                  const quarrow::FormTexts& texts, std::size_t& hits) {
    quarrow::SharedSearchState state;
    state.update([&](quarrow::SearchState& s) { s.CurrentQuery = text; });
    const auto start = Clock::now();
    const quarrow::SearchOutcome outcome =
        quarrow::RunSearch(content, text, state, texts, quarrow::SearchCancel());
    const std::chrono::duration<double, std::milli> took = Clock::now() - start;
    hits = outcome.hits.dirs.size() + outcome.hits.files.size();
    return took.count();
}

void runQueries(const quarrow::ArchiveContent& content, const std::vector<Query>& queries,
                int runs) {
    const quarrow::FormTexts texts;
    for (const Query& query : queries) {
        const std::string text = quarrow::utf8ToCp1251(query.text);
        std::vector<double> times;
        std::size_t hits = 0;
        for (int r = 0; r < runs; ++r) times.push_back(timeSearch(content, text, texts, hits));
        std::printf("query\t%s\t%.3f\t%zu\t%s\n", query.kind, median(times), hits, query.text);
        std::fflush(stdout);
    }
}

// One load of the corpus and its index, with the seconds each took; null when loading failed.
std::shared_ptr<const quarrow::ArchiveContent> loadCorpus(const std::string& corpus,
                                                          double& loadSeconds,
                                                          double& indexSeconds) {
    const auto loadStart = Clock::now();
    quarrow::ArchiveLoadResult loaded = quarrow::LoadArchiveFiles(corpusSnapshots(corpus));
    const auto indexStart = Clock::now();
    if (!loaded.error.empty()) {
        std::fprintf(stderr, "search_bench: %s\n", loaded.error.c_str());
        return nullptr;
    }
    auto content = quarrow::ArchiveContent::Build(std::move(loaded.lists));
    loadSeconds = std::chrono::duration<double>(indexStart - loadStart).count();
    indexSeconds = std::chrono::duration<double>(Clock::now() - indexStart).count();
    return content;
}

}  // namespace

int main(int argc, char** argv) {
    std::string corpus;
    int runs = 7, tolerantRuns = 3, loads = 3;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string key = argv[i];
        if (key == "--corpus") corpus = argv[i + 1];
        if (key == "--runs") runs = std::atoi(argv[i + 1]);
        if (key == "--tolerant-runs") tolerantRuns = std::atoi(argv[i + 1]);
        if (key == "--loads") loads = std::atoi(argv[i + 1]);
    }
    if (corpus.empty() || runs < 1 || loads < 1) {
        std::fputs("usage: search_bench --corpus DIR [--runs R] [--tolerant-runs R] [--loads L]\n",
                   stderr);
        return 2;
    }
    const long before = residentBytes();
    std::shared_ptr<const quarrow::ArchiveContent> content;
    std::vector<double> loadTimes, indexTimes;
    for (int l = 0; l < loads; ++l) {
        content.reset();
        // Give back what the last load freed, so each load starts from the same heap.
        malloc_trim(0);
        double loadSeconds = 0, indexSeconds = 0;
        content = loadCorpus(corpus, loadSeconds, indexSeconds);
        if (!content) return 1;
        loadTimes.push_back(loadSeconds);
        indexTimes.push_back(indexSeconds);
    }
    malloc_trim(0);
    const double names = static_cast<double>(content->size());
    // The first load alone: on a virtual machine it may also pay for the host backing memory
    // this guest never touched before.
    std::printf("first-load\t%.3f\t%.3f\n", loadTimes.front(), indexTimes.front());
    std::printf("load\t%zu\t%.3f\t%.3f\t%.1f\t%.1f\n", content->size(), median(loadTimes),
                median(indexTimes), static_cast<double>(content->memoryBytes()) / names,
                static_cast<double>(residentBytes() - before) / names);
    std::fflush(stdout);
    runQueries(*content, kQueries, runs);
    if (tolerantRuns > 0) runQueries(*content, kTolerant, tolerantRuns);
    return 0;
}
