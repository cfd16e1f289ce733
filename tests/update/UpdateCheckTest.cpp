#include "engine/TestHelpers.h"
#include "update/TGetFileHttp.h"
#include "update/UpdatePage.h"
#include "update/UpdateSchedule.h"

namespace quarrow::test {
namespace {

constexpr const char* kOwn = "2.5.0.0";

TEST(UpdatePage, ReadsTheDownloadLineAndComparesAnnouncedVersions) {
    const std::string longValue(300, '9');
    const struct {
        const char* what;
        std::string page;
        bool update;
        std::optional<std::string> url;
        std::string announced;
    } cases[] = {
        {"newer", "last_version=2.6.0.0\r\nurl_site_downloand=http://q/d.zip\r\n", true,
         "http://q/d.zip", "2.6.0.0"},
        {"same", "url_site_downloand=u\nlast_version=2.5.0.0", false, "u", "2.5.0.0"},
        {"older", "last_version=2.4.9.9\n", false, std::nullopt, "2.4.9.9"},
        {"older, then newer", "last_version=2.4.0.0\rlast_version=3.0.0.0\rurl_site_downloand=u",
         true, "u", "3.0.0.0"},
        {"same, then newer", "last_version=2.5.0.0\nlast_version=2.5.0.1\n", true, {}, "2.5.0.1"},
        {"no digit ends it", "last_version=2.x.0.0\nlast_version=3.0.0.0\n", false, {}, "2.x.0.0"},
        {"no digit after the decision", "last_version=3.x\n", true, {}, "3.x"},
        {"too short ends the check", "last_version=2.5\nlast_version=2.6.0.0\n", false, {}, "2.5"},
        {"two-digit parts are not read", "last_version=2.10.0.0\n", false, {}, "2.10.0.0"},
        {"key after blanks", "  \tlast_version=2.6.0.0\n", true, {}, "2.6.0.0"},
        {"key inside a line", "# last_version=2.6.0.0\n# url_site_downloand=u\n", false, {}, ""},
        {"blank after the key", "last_version= 2.6.0.0\n", false, {}, " 2.6.0.0"},
        {"last download line wins, blanks kept",
         "url_site_downloand=http://a\n  url_site_downloand=http://b/  \nlast_version=2.6.0.0",
         true, "http://b/  ", "2.6.0.0"},
        {"cut at 255", "last_version=" + longValue, true, {}, longValue.substr(0, 255)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const UpdatePageFindings found = ReadUpdatePage(c.page, kOwn);
        EXPECT_EQ(found.updateAvailable, c.update);
        EXPECT_EQ(found.downloadUrl, c.url);
        EXPECT_EQ(found.announced, c.announced);
    }
    const UpdatePageFindings none =
        ReadUpdatePage("url_site_downloand=u\nlast_version=9.0.0.0", "");
    EXPECT_FALSE(none.updateAvailable || none.downloadUrl)
        << "without an own version nothing is read";
}

TEST(UpdateSchedule, ChecksEveryStartOrWeeklyAndOnTicking) {
    const std::time_t now = localTime(2024, 3, 15, 12);
    const std::string nowText = "15.03.2024 12:00:00";
    const struct {
        const char* what;
        bool autoUpdate;
        const char* last;
        bool check;
        std::optional<std::string> newDate;
    } cases[] = {
        {"option on", true, "14.03.2024 12:00:00", true, std::nullopt},
        {"8 days", false, "07.03.2024 12:00:00", true, nowText},
        {"exactly 7 days", false, "08.03.2024 12:00:00", true, nowText},
        {"a second short of 7 days", false, "08.03.2024 12:00:01", false, std::nullopt},
        {"a date alone", false, "01.03.2024", true, nowText},
        {"an unreadable date", false, "yesterday", true, nowText},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const UpdateDecision decision = UpdateScheduleAtStart(c.autoUpdate, c.last, now);
        EXPECT_EQ(decision.startCheck, c.check);
        EXPECT_EQ(decision.lastUpdateCheck, c.newDate);
    }
    // The option set while the settings load neither checks nor dates a check.
    for (const bool tick : {true, false}) {
        const UpdateDecision loading = UpdateOptionChanged(tick, true, now);
        EXPECT_FALSE(loading.startCheck || loading.lastUpdateCheck);
    }
}

// A served page announces the update from a worker, waking the window once; a missing page
// and a silent server announce nothing, and only a page sets the address.
TEST(UpdateCheck, AServedPageAnnouncesTheUpdateAndNoPageAnnouncesNothing) {
    TempDir site;
    writeRaw(site.path() + "cfg_quarrow.html",
             "last_version=2.4.0.0\r\nlast_version=2.6.0.0\r\nurl_site_downloand=http://q/get\r\n");
    HttpServer server(site.path());
    const auto results = std::make_shared<UpdateResults>();
    const auto notice = std::make_shared<CountingNotifier>();
    StartUpdateCheck({server.url("/cfg_quarrow.html"), "QUARROWBRISK", kOwn, {}}, results, notice);
    ASSERT_TRUE(waitUntil([&] { return notice->calls.load() > 0; }, std::chrono::seconds(5)));
    EXPECT_TRUE(results->UpdateAvailable());
    EXPECT_EQ(results->DownloadUrl(), "http://q/get");

    const auto check = [&](const std::string& url, const HttpGetOptions& http) {
        return TGetFileHttp({url, "QUARROWBRISK", kOwn, http}, results, notice).Execute();
    };
    EXPECT_FALSE(check(server.url("/missing.html"), {}));
    EXPECT_FALSE(results->UpdateAvailable()) << "every check clears the flag";
    EXPECT_EQ(results->DownloadUrl(), "http://q/get");
    SilentServer silent;
    HttpGetOptions quick;
    quick.timeoutMs = quick.connectTimeoutMs = 300;
    EXPECT_FALSE(check("http://127.0.0.1:" + std::to_string(silent.port()) + "/", quick));
    EXPECT_EQ(notice->calls.load(), 1);
}

}  // namespace
}  // namespace quarrow::test
