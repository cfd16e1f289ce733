#include <gtest/gtest.h>

#include "engine/Settings.h"
#include "engine/StartupRules.h"
#include "fixtures/TempDir.h"
#include "platform/FileSystem.h"
#include "platform/TextLines.h"

namespace quarrow::test {
namespace {

using Lines = std::vector<std::string>;

class SettingsTest : public ::testing::Test {
protected:
    std::string path() const { return dir.path() + "quarrow.ini"; }
    TempDir dir;
};

TEST_F(SettingsTest, WritesTheKeysInClosingOrder) {
    MainSettings saved;
    saved.mainWindow = {-4, -4, 1928, 1048};
    saved.activePage = 6;
    saved.language = 1;
    saved.identText = "Opera ";
    saved.autoUpdate = false;
    saved.lastUpdateCheck = "05.12.2026 14:03:09";
    ASSERT_TRUE(SaveSettings(path(), saved, false));

    Lines lines;
    ASSERT_TRUE(readLinesFile(path(), lines));
    std::erase(lines, "");
    // The new-files window's keys are left out while that window does not exist.
    EXPECT_EQ(lines,
              (Lines{"[MainWinLang]", "Lang=1", "[MainWinPos]", "Left=-4", "Top=-4", "Width=1928",
                     "Height=1048", "[MainWinPage]", "Active=6", "[Ident]", "IdentText=Opera ",
                     "[Update]", "cbsupdate=0", "endupdatedate=05.12.2026 14:03:09"}));

    EXPECT_EQ(LoadSettings(path(), 0).identText, "Opera") << "values are read back trimmed";
}

TEST_F(SettingsTest, NewFilesWindowValuesRoundTripWhileThatWindowExists) {
    MainSettings saved;
    saved.newFilesWindow = {10, 20, 600, 400};
    saved.newFilesView = 2;
    ASSERT_TRUE(SaveSettings(path(), saved, true));
    const MainSettings loaded = LoadSettings(path(), 0);
    EXPECT_EQ(loaded.newFilesWindow.left, 10);
    EXPECT_EQ(loaded.newFilesWindow.height, 400);
    EXPECT_EQ(loaded.newFilesView, 2);
}

TEST_F(SettingsTest, ValueThatIsNotANumberGivesThatKeysDefault) {
    ASSERT_TRUE(writeLinesFile(path(), {"[MainWinPos]", "Left=abc", "Top=7", "[MainWinLang]",
                                        "Lang=x1", "[Update]", "cbsupdate=yes"}));
    const MainSettings loaded = LoadSettings(path(), 0);
    EXPECT_EQ(loaded.mainWindow.left, 200);
    EXPECT_EQ(loaded.mainWindow.top, 7);
    EXPECT_EQ(loaded.language, 0);
    EXPECT_TRUE(loaded.autoUpdate);
}

std::vector<int> boundsOf(const WindowBounds& b) {
    return {b.left, b.top, b.width, b.height};
}

TEST(WindowPlacementTest, SavedBoundsAreMaximisedMovedOnScreenOrIgnored) {
    const struct {
        WindowBounds saved;
        PlacementKind kind;
        WindowBounds placed;
    } cases[] = {
        {{-4, -4, 800, 600}, PlacementKind::Maximised, {-4, -4, 800, 600}},
        {{-4, 10, 800, 600}, PlacementKind::Bounds, {-4, 10, 800, 600}},
        {{1500, 100, 800, 600}, PlacementKind::Bounds, {1120, 100, 800, 600}},
        {{100, 700, 800, 600}, PlacementKind::Bounds, {100, 480, 800, 600}},
        {{100, 100, 800, 100}, PlacementKind::Designed, {}},
        {{100, 100, 100, 500}, PlacementKind::Designed, {}},
        {{kUnsetPosition, 100, 800, 600}, PlacementKind::Designed, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(boundsOf(c.saved)));
        const Placement placement = PlaceMainWindow(c.saved, 1920, 1080);
        EXPECT_EQ(placement.kind, c.kind);
        if (c.kind != PlacementKind::Designed) {
            EXPECT_EQ(boundsOf(placement.bounds), boundsOf(c.placed));
        }
    }
    // The lower edge is kept inside the work area.
    EXPECT_EQ(TopInsideWorkArea(600, 501, 1040), 539);
    EXPECT_EQ(TopInsideWorkArea(539, 501, 1040), 539);
    EXPECT_EQ(TopInsideWorkArea(100, 501, 1040), 100);
}

TEST(StartupRulesTest, CommandLineIsSkippedWhenBlankOrTheDayNumber) {
    EXPECT_FALSE(CommandLineWanted("", 5) || CommandLineWanted("   ", 5));
    EXPECT_FALSE(CommandLineWanted("2775", 5) || CommandLineWanted(" 17205 ", 31));
    EXPECT_TRUE(CommandLineWanted("2775", 6));
    EXPECT_TRUE(CommandLineWanted("555", 5));
    EXPECT_TRUE(CommandLineWanted("[server=host]", 5));
}

TEST(StartupRulesTest, VersionHasFourParts) {
    const std::pair<const char*, const char*> cases[] = {{"2.5.0.0", "2.5.0.0"},
                                                         {"0.1.0", "0.1.0.0"},
                                                         {"3", "3.0.0.0"},
                                                         {"1.2.3.4.5", "1.2.3.4"},
                                                         {"1.x", "1.0.0.0"},
                                                         {"", ""},
                                                         {"beta", ""}};
    for (const auto& [text, version] : cases) EXPECT_EQ(OwnVersionText(text), version) << text;
}

}  // namespace
}  // namespace quarrow::test
