// The archive search over generated snapshots and 1,000 generated queries, typed one after
// another into one search state, against digests recorded from the search as it was first
// built: loading, the index and both search stages may be made faster, never different.
//
// To record the digests again (only when results are meant to change), run this test with
// QUARROW_RECORD_SEARCH_DIGESTS set to tests/fixtures/search_digests.txt.
#include <cstdlib>
#include <fstream>

#include <gtest/gtest.h>

#include "archive/ArchiveTestData.h"
#include "archive/LoadArchives.h"
#include "archive/RunSearch.h"
#include "archive/SearchDifferential.h"
#include "engine/TestHelpers.h"
#include "platform/Cp1251.h"

namespace quarrow::test {
namespace {

TEST(SearchDifferential, LoadsAndFindsWhatTheFirstBuiltSearchFound) {
    TempDir dir;
    Generator generate;
    std::vector<std::string> files;
    for (int snapshot = 0; snapshot < 6; ++snapshot) {
        SnapshotContents contents;
        for (int folders = 0; folders < 60; ++folders) {
            const std::string folder = generate.folder();
            for (std::size_t n = 1 + generate.below(30); n > 0; --n)
                contents.files.emplace_back(folder, generate.name());
        }
        files.push_back(writeSnapshot(dir.path() + std::to_string(snapshot) + ".qrnet", contents));
    }
    ArchiveLoadResult loaded = LoadArchiveFiles(files);
    ASSERT_TRUE(loaded.error.empty()) << loaded.error;
    const auto content = ArchiveContent::Build(std::move(loaded.lists));

    Lines digests, queries{"the lists"};
    Digest lists;
    for (std::size_t line = 0; line < content->size(); ++line) {
        lists.add(content->FileDirs()[line]);
        lists.add(content->ArchiveNames().entry(line));
    }
    digests.push_back("lists " + lists.hex());
    const FormTexts texts;
    SharedSearchState state;
    std::string query;
    for (int i = 0; i < 1000; ++i) {
        query = generate.query(query);
        queries.push_back(query);
        state.update([&](SearchState& s) { s.CurrentQuery = query; });
        digests.push_back(digestOf(RunSearch(*content, query, state, texts, SearchCancel())));
    }

    const std::string golden = QUARROW_FIXTURES_DIR "/search_digests.txt";
    if (const char* record = std::getenv("QUARROW_RECORD_SEARCH_DIGESTS")) {
        std::ofstream out(record, std::ios::binary);
        for (const std::string& digest : digests) out << digest << "\n";
        GTEST_SKIP() << "digests recorded in " << record;
    }
    Lines expected;
    std::ifstream in(golden, std::ios::binary);
    for (std::string line; std::getline(in, line);) expected.push_back(line);
    ASSERT_EQ(expected.size(), digests.size()) << golden;
    for (std::size_t i = 0; i < digests.size(); ++i)
        ASSERT_EQ(digests[i], expected[i])
            << "first to differ: " << testing::PrintToString(queries[i]);
}

}  // namespace
}  // namespace quarrow::test
