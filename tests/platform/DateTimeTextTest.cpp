#include "platform/DateTimeText.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace quarrow {
namespace {

// Sets the process's time zone for one test and restores the previous zone afterwards.
class DateTimeTextUtc : public testing::Test {
protected:
    static void setZone(const char* tz) {
        tz ? ::setenv("TZ", tz, 1) : ::unsetenv("TZ");
        ::tzset();
    }
    void SetUp() override { setZone("UTC"); }
    void TearDown() override { setZone(saved_ ? saved_->c_str() : nullptr); }

private:
    std::optional<std::string> saved_ =
        std::getenv("TZ") ? std::optional<std::string>(std::getenv("TZ")) : std::nullopt;
};

struct StampCase {
    std::time_t t;
    const char* stamp;
    const char* date;
};

TEST_F(DateTimeTextUtc, FormatsTwoDigitFieldsAndFourDigitYear) {
    const StampCase cases[] = {
        {1796464800, "05.12.2026_10.00.00", "05.12.2026"},
        {1044421506, "05.02.2003_05.05.06", "05.02.2003"},  // one-digit fields get a zero
        {1704067199, "31.12.2023_23.59.59", "31.12.2023"},  // 24-hour clock, last second
        {1704067200, "01.01.2024_00.00.00", "01.01.2024"},
        {951782400, "29.02.2000_00.00.00", "29.02.2000"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(formatStamp(c.t), c.stamp) << c.t;
        EXPECT_EQ(formatDate(c.t), c.date) << c.t;
    }
}

TEST_F(DateTimeTextUtc, UsesLocalTimeNotUtc) {
    setZone("UTC-3");  // POSIX sign: three hours east of UTC
    EXPECT_EQ(formatStamp(1796464800), "05.12.2026_13.00.00");
    EXPECT_EQ(formatDate(1704056400), "01.01.2024");  // 21:00 UTC the day before
}

}  // namespace
}  // namespace quarrow
