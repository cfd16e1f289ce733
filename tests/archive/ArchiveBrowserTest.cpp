#include <gtest/gtest.h>

#include <random>

#include "archive/ArchiveBrowser.h"
#include "archive/ArchiveTestData.h"
#include "engine/EngineContext.h"
#include "fixtures/TempDir.h"

namespace quarrow {
namespace {

using Action = TriggerDecision::Action;

TEST(ArchiveTrigger, RunsOnlyOnceANonBlankCharacterFollowsAWord) {
    struct Case {
        std::string text;
        bool pagesShown, newSearchFlag;
        Action action;
    };
    const std::vector<Case> cases = {
        {"rock", false, false, Action::Stop},
        {"", true, false, Action::Clear},
        {"  \t", true, false, Action::Clear},
        {"rock ", true, false, Action::Clear},
        {"rock", true, false, Action::Search},
        {" rock\t", true, false, Action::Search},
        // Right after a search started, texts of up to 3 characters wait for the next tick.
        {"roc", true, true, Action::Skip},
        {" ro ", true, true, Action::Clear},
        {"rock", true, true, Action::Search},
    };
    for (const auto& c : cases) {
        const TriggerDecision decision = DecideTrigger(c.text, c.pagesShown, c.newSearchFlag);
        EXPECT_EQ(decision.action, c.action) << "'" << c.text << "'";
    }
    EXPECT_EQ(DecideTrigger(" rock\t", true, false).currentQuery, "rock");
}

TEST(ArchiveHistory, KeepsAtMostThirtyNewestTextsUpperCased) {
    std::vector<std::string> items;
    // With an empty list a text of any length is added.
    UpdateSearchHistory(items, " ab ");
    EXPECT_EQ(items, (std::vector<std::string>{"AB"}));
    // Short texts, texts an item begins with and texts extending an item are not added.
    for (const char* text : {"xyz", "ABCDEFG", "abxxxxxx", "A"}) UpdateSearchHistory(items, text);
    EXPECT_EQ(items, (std::vector<std::string>{"AB"}));
    // Equally long texts: none begins another.
    for (int i = 0; i <= 30; ++i)
        UpdateSearchHistory(items, "query" + std::string(i < 10 ? "0" : "") + std::to_string(i));
    ASSERT_EQ(items.size(), kSearchHistoryLimit);
    EXPECT_EQ(items.front(), "QUERY30");
    EXPECT_EQ(items.back(), "QUERY01");
    // A text already listed is not added again.
    UpdateSearchHistory(items, "Query30");
    EXPECT_EQ(items.front(), "QUERY30");
    EXPECT_EQ(items[1], "QUERY29");
}

class CountingTimer : public Notifier {
public:
    void enable() override { ++count; }
    std::atomic<int> count{0};
};

FormTexts texts() {
    FormTexts t;
    t.regimfind = "Search";
    t.allfile = "All";
    t.findfile = "Found";
    t.nofindfile = "Nothing";
    return t;
}

std::vector<std::string> fileNames(const SearchResults& results) {
    std::vector<std::string> names;
    for (std::size_t r = 0; r < results.fileRows(); ++r) names.emplace_back(results.fileName(r));
    return names;
}

class ArchiveBrowserTest : public testing::Test {
protected:
    // The tab's search box: a key release, then the timer's tick with the text.
    Action type(const std::string& text) {
        browser_.KeyUp();
        const Action action = browser_.Timer9Timer(text, true, history_);
        browser_.WaitForSearches();
        return action;
    }

    test::TempDir dir_;
    EngineContext context_{dir_.path()};
    ArchiveBrowser browser_{context_, texts()};
    std::vector<std::string> history_;
};

TEST_F(ArchiveBrowserTest, LoadCreatesTheArchiveJobOnceAndLaterLoadsReplaceItsContent) {
    // A scan job exists already: the archive gets the next number and leaves it alone.
    const int scan = context_.Jobs.add();
    context_.Jobs.at(scan)->FileNames.append("scan.mp3");
    auto timer = std::make_shared<CountingTimer>();
    const int job =
        browser_.Install(test::contentOf({"Rock.mp3", "/music/rock/"}), "Ident", timer, nullptr);
    EXPECT_EQ(job, scan + 1);
    EXPECT_EQ(context_.ArchiveJob.load(), job);
    EXPECT_EQ(context_.CurrentJob.load(), job);
    const auto record = context_.Jobs.at(job);
    EXPECT_EQ(record->Server, "Arhive");
    EXPECT_EQ(record->Ident, "Ident");
    EXPECT_EQ(record->DirIndex.load(), -1);
    EXPECT_EQ(browser_.Status(), "Search\rAll - 2");
    EXPECT_EQ(timer->count.load(), 1);
    EXPECT_EQ(type("rock"), Action::Search);
    EXPECT_EQ(fileNames(*browser_.Results()), (std::vector<std::string>{"Rock.mp3"}));
    EXPECT_EQ(timer->count.load(), 2);

    EXPECT_EQ(browser_.Install(test::contentOf({"Jazz.mp3"}), "Ident", timer, nullptr), job);
    EXPECT_EQ(context_.Jobs.LastJobIndex(), job);
    EXPECT_EQ(browser_.Results()->fileRows(), 0u);
    EXPECT_EQ(browser_.Status(), "Search\rAll - 1");
    type("rock");
    EXPECT_EQ(browser_.Results()->fileRows(), 0u);
    type("jazz");
    EXPECT_EQ(fileNames(*browser_.Results()), (std::vector<std::string>{"Jazz.mp3"}));
    EXPECT_EQ(context_.Jobs.at(scan)->FileNames.size(), 1u);
}

TEST_F(ArchiveBrowserTest, ShortTextRightAfterASearchStartWaitsForAKeyRelease) {
    browser_.Install(test::contentOf({"Rock.mp3"}), "", nullptr, nullptr);
    const auto now = ArchiveBrowser::Clock::now();
    EXPECT_EQ(browser_.Timer9Timer("rock", true, history_, now), Action::Search);
    EXPECT_EQ(browser_.Timer9Timer("roc", true, history_, now + std::chrono::milliseconds(10)),
              Action::Skip);
    EXPECT_EQ(browser_.Timer9Timer("roc", true, history_, now + std::chrono::milliseconds(60)),
              Action::Search);
    EXPECT_EQ(browser_.Timer9Timer("ro", true, history_, now + std::chrono::milliseconds(70)),
              Action::Skip);
    browser_.KeyUp();
    EXPECT_EQ(browser_.Timer9Timer("ro", true, history_, now + std::chrono::milliseconds(71)),
              Action::Search);
    browser_.WaitForSearches();
}

TEST_F(ArchiveBrowserTest, ClosedPageStopsSearchesUntilTheNextLoad) {
    browser_.Install(test::contentOf({"Rock.mp3"}), "", nullptr, nullptr);
    type("rock");
    const std::uint64_t searched = browser_.LastRun().generation;
    browser_.PageClosed();
    EXPECT_EQ(context_.ArchiveJob.load(), -1);
    EXPECT_EQ(browser_.Results()->fileRows(), 0u);
    type("rock");
    EXPECT_EQ(browser_.Results()->fileRows(), 0u);
    EXPECT_EQ(browser_.LastRun().generation, searched);
    const int job = browser_.Install(test::contentOf({"Rock.mp3"}), "", nullptr, nullptr);
    EXPECT_EQ(job, 1);
    type("rock");
    EXPECT_EQ(browser_.Results()->fileRows(), 1u);
}

TEST_F(ArchiveBrowserTest, WindowReadsWholeListsWhileSearchesRunAndOnlyTheNewestIsShown) {
    // Names enough that searches of every stage overlap. The window draws from whatever list
    // is published, which is always whole; whichever way the searches interleave, what is
    // shown in the end is the newest text's hits, and a key press in between never lets an
    // older search through.
    std::mt19937 rng(5);
    auto names = test::randomNames(rng, 60000);
    names.push_back("zz top.mp3");
    browser_.Install(test::contentOf(names), "", nullptr, nullptr);
    const auto expectWhole = [&] {
        const auto shown = browser_.Results();
        for (std::size_t r = 0; r < shown->fileRows(); ++r)
            ASSERT_EQ(shown->fileName(r).find('/'), std::string_view::npos);
        for (std::size_t r = 0; r < shown->dirRows(); ++r)
            ASSERT_NE(shown->dirName(r).find('/'), std::string_view::npos);
    };
    const std::vector<std::string> texts = {"rock", "a b", "live*best", "x1", "rocks", "tail", "b"};
    for (std::size_t round = 0; round < 21; ++round) {
        browser_.KeyUp();
        browser_.Timer9Timer(texts[round % texts.size()], true, history_);
        expectWhole();
        browser_.KeyDown();
        browser_.KeyUp();
        browser_.Timer9Timer(texts[(round + 3) % texts.size()], true, history_);
        expectWhole();
        browser_.Timer9Timer("zz top", true, history_);
        browser_.WaitForSearches();
        ASSERT_EQ(fileNames(*browser_.Results()), (std::vector<std::string>{"zz top.mp3"}));
    }
}

}  // namespace
}  // namespace quarrow
