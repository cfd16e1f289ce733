// The archive search on a corpus written by search_corpus: loads every snapshot of
// DIR/Arhive/ as the archive tab does, builds the index, and times the search of a fixed set
// of queries by class, one core, the search called directly. Prints tab-separated lines:
//   load     <names> <load s> <index s> <held bytes per name> <resident bytes per name>
//   query    <class> <median ms> <hits> <query, UTF-8>
// scripts/bench runs it and compares each query with grep -F -i over DIR/names.txt.
//
//   search_bench --corpus DIR [--runs R] [--tolerant-runs R]
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
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

}  // namespace

int main(int argc, char** argv) {
    std::string corpus;
    int runs = 7, tolerantRuns = 3;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string key = argv[i];
        if (key == "--corpus") corpus = argv[i + 1];
        if (key == "--runs") runs = std::atoi(argv[i + 1]);
        if (key == "--tolerant-runs") tolerantRuns = std::atoi(argv[i + 1]);
    }
    if (corpus.empty() || runs < 1) {
        std::fputs("usage: search_bench --corpus DIR [--runs R] [--tolerant-runs R]\n", stderr);
        return 2;
    }
    const long before = residentBytes();
    const auto loadStart = Clock::now();
    quarrow::ArchiveLoadResult loaded = quarrow::LoadArchiveFiles(corpusSnapshots(corpus));
    const std::chrono::duration<double> loadTime = Clock::now() - loadStart;
    if (!loaded.error.empty()) {
        std::fprintf(stderr, "search_bench: %s\n", loaded.error.c_str());
        return 1;
    }
    const auto indexStart = Clock::now();
    const auto content = quarrow::ArchiveContent::Build(std::move(loaded.lists));
    const std::chrono::duration<double> indexTime = Clock::now() - indexStart;
    // Give back what loading freed, so the resident size counts what the archive holds.
    malloc_trim(0);
    const double names = static_cast<double>(content->size());
    std::printf("load\t%zu\t%.3f\t%.3f\t%.1f\t%.1f\n", content->size(), loadTime.count(),
                indexTime.count(), static_cast<double>(content->memoryBytes()) / names,
                static_cast<double>(residentBytes() - before) / names);
    std::fflush(stdout);
    runQueries(*content, kQueries, runs);
    if (tolerantRuns > 0) runQueries(*content, kTolerant, tolerantRuns);
    return 0;
}
