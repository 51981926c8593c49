// The shell's own rows: the start time's form and the closing rows.
#include "app/shell/results_rows.h"
#include "app/support/app_fixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

namespace {

class LocalZone {
public:
    explicit LocalZone(const char* zone)
    {
        if (const char* old = std::getenv("TZ"))
            saved = old, had = true;
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~LocalZone()
    {
        if (had)
            ::setenv("TZ", saved.c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }

private:
    std::string saved;
    bool had = false;
};

} // namespace

TEST(ResultsRows, TheStartTimeIsDayEnglishMonthYearAnd24HourTime)
{
    LocalZone utc("UTC");
    EXPECT_EQ(L"07-March-2011 09:05", FormatStartTime(1299488700)); // 2011-03-07 09:05:00
    EXPECT_EQ(L"31-December-2025 23:59", FormatStartTime(1767225599));
    const ResultRow row = StartTimeRow(1299488700);
    EXPECT_EQ((ResultRow{L"Время начала работы с упражнением", L"07-March-2011 09:05", L"String"}),
              row);
}

TEST(ResultsRows, TheStartTimeIsLocalTime)
{
    LocalZone moscow("MSK-3");
    EXPECT_EQ(L"07-March-2011 12:05", FormatStartTime(1299488700));
}

TEST(ResultsRows, TheClosingRowsCountHelpCallsAndWholeSeconds)
{
    const ResultRows rows = ClosingRows(3, 1000, 1125);
    ASSERT_EQ(2u, rows.size());
    EXPECT_EQ((ResultRow{L"Количество дополнительных вызовов инструкций", L"3", L"Number"}),
              rows[0]);
    EXPECT_EQ((ResultRow{L"Общее время работы с упражнением. с.", L"125", L"Number"}), rows[1]);
    // 64-bit seconds: a long span is not cut to 32 bits.
    EXPECT_EQ(L"5000000000", ClosingRows(0, 0, 5000000000LL)[1].value);
}
