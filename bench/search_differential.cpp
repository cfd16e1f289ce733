// The search differential over a corpus written by search_corpus: loads every snapshot of
// DIR/Arhive/ as the archive tab does and types 1,000 generated queries one after another into
// one search state, as the search differential test does over its small archive. Each result
// is digested; with --record the digests are written to FILE, otherwise compared with it.
// Prints one line:  differential <queries> <differing>  then each differing query.
//
//   search_differential --corpus DIR --digests FILE [--record]
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "CorpusFiles.h"
#include "archive/ArchiveContent.h"
#include "archive/LoadArchives.h"
#include "archive/SearchDifferential.h"

namespace {

quarrow::test::Lines readLines(const std::string& path) {
    quarrow::test::Lines lines;
    std::ifstream in(path, std::ios::binary);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

}  // namespace

int main(int argc, char** argv) {
    std::string corpus, digestsPath;
    bool record = false;
    for (int i = 1; i < argc; ++i) {
        const std::string key = argv[i];
        if (key == "--record") record = true;
        if (key == "--corpus" && i + 1 < argc) corpus = argv[++i];
        if (key == "--digests" && i + 1 < argc) digestsPath = argv[++i];
    }
    if (corpus.empty() || digestsPath.empty()) {
        std::fputs("usage: search_differential --corpus DIR --digests FILE [--record]\n", stderr);
        return 2;
    }
    quarrow::ArchiveLoadResult loaded = quarrow::LoadArchiveFiles(corpusSnapshots(corpus));
    if (!loaded.error.empty()) {
        std::fprintf(stderr, "search_differential: %s\n", loaded.error.c_str());
        return 1;
    }
    const auto content = quarrow::ArchiveContent::Build(std::move(loaded.lists));
    quarrow::test::Generator generate;
    const quarrow::FormTexts texts;
    quarrow::SharedSearchState state;
    quarrow::test::Lines queries, digests;
    std::string query;
    for (int i = 0; i < 1000; ++i) {
        query = generate.query(query);
        queries.push_back(query);
        state.update([&](quarrow::SearchState& s) { s.CurrentQuery = query; });
        digests.push_back(quarrow::test::digestOf(
            quarrow::RunSearch(*content, query, state, texts, quarrow::SearchCancel())));
    }
    if (record) {
        std::ofstream out(digestsPath, std::ios::binary);
        for (const std::string& digest : digests) out << digest << "\n";
        return out ? 0 : 1;
    }
    const quarrow::test::Lines expected = readLines(digestsPath);
    if (expected.size() != digests.size()) {
        std::fprintf(stderr, "search_differential: %s holds %zu digests, not %zu\n",
                     digestsPath.c_str(), expected.size(), digests.size());
        return 1;
    }
    std::vector<std::size_t> differing;
    for (std::size_t i = 0; i < digests.size(); ++i)
        if (digests[i] != expected[i]) differing.push_back(i);
    std::printf("differential\t%zu\t%zu\n", digests.size(), differing.size());
    for (const std::size_t i : differing) std::printf("differs\t%s\n", queries[i].c_str());
    return differing.empty() ? 0 : 1;
}
