// Counting a run: pops, exits, clicks, flight times and the statistics rows.
#include "app/exercise/run_record.h"
#include "app/support/app_fixture.h"

#include <gtest/gtest.h>

using exercise::RunRecord;

namespace {

class RunRecordTest : public ::testing::Test {
protected:
    RunRecordTest() : record([this] { return now; }) { record.Start(); }

    void Launch()
    {
        ASSERT_TRUE(record.HasNextLaunch(count));
        record.Launched();
    }

    DWORD now = 1000;
    int count = 10;
    RunRecord record;
};

} // namespace

TEST_F(RunRecordTest, APopTimesTheFlightFromTheEndOfThePreviousBubble)
{
    Launch();
    now = 1700;
    EXPECT_TRUE(record.Pop());
    // The burst plays 160 ms before the next launch: it belongs to the next flight.
    now = 1860;
    Launch();
    now = 2500;
    EXPECT_TRUE(record.LeftScreen());
    Launch();
    now = 2600;
    EXPECT_TRUE(record.Pop());
    EXPECT_EQ((std::vector<DWORD>{700, 800, 100}), record.flightTimes);
    EXPECT_EQ(2, record.poppedCount);
    EXPECT_EQ(1, record.missedCount);
}

TEST_F(RunRecordTest, ABurstingBubbleIsNotPoppedAgain)
{
    Launch();
    now = 1500;
    EXPECT_TRUE(record.Pop());
    now = 1550;
    EXPECT_FALSE(record.Pop());
    EXPECT_EQ(1, record.poppedCount);
    EXPECT_EQ(1u, record.flightTimes.size());
}

TEST_F(RunRecordTest, ABurstingBubbleThatLeavesIsNoMiss)
{
    Launch();
    now = 1500;
    EXPECT_TRUE(record.Pop());
    now = 1600;
    EXPECT_FALSE(record.LeftScreen());
    EXPECT_EQ(0, record.missedCount);
    EXPECT_EQ(1u, record.flightTimes.size());
    // The next launch flies normally again.
    Launch();
    EXPECT_FALSE(record.IsBursting());
    now = 2000;
    EXPECT_TRUE(record.LeftScreen());
    EXPECT_EQ(1, record.missedCount);
}

TEST_F(RunRecordTest, TheRunEndsAfterTheSetCount)
{
    count = 3;
    for (int i = 0; i < 3; ++i)
        Launch();
    EXPECT_FALSE(record.HasNextLaunch(3));
    EXPECT_FALSE(record.HasNextLaunch(0));
    EXPECT_FALSE(record.HasNextLaunch(-7));
}

TEST_F(RunRecordTest, EveryClickCountsAndMissesAreTheClicksThatPoppedNothing)
{
    Launch();
    for (int i = 0; i < 5; ++i)
        record.OnScreenClick();
    now = 1400;
    record.Pop(); // the popping click was one of the five
    now = 1600;
    Launch();
    now = 3000;
    record.LeftScreen();
    const ResultRows rows = record.StatisticsRows();
    ASSERT_EQ(3u, rows.size());
    EXPECT_EQ((ResultRow{L"Число пропущенных пузырей", L"1", L"Number"}), rows[0]);
    EXPECT_EQ((ResultRow{L"Число промахов", L"4", L"Number"}), rows[1]);
    // (400 + 1600) / 2
    EXPECT_EQ((ResultRow{L"Среднее время полета пузыря", L"1000 мсек", L"String"}), rows[2]);
}

TEST_F(RunRecordTest, TheMeanIsTruncatedAndNoFlightsGiveZero)
{
    EXPECT_EQ(L"0 мсек", record.StatisticsRows()[2].value);
    record.flightTimes = {100, 101, 101};
    EXPECT_EQ(100, record.MeanFlightTime());
    // The clock wraps: a flight across the wrap still counts its length.
    record.flightTimes = {};
    record.lastEventTime = 0xFFFFFF00u;
    now = 0x100;
    Launch();
    record.LeftScreen();
    EXPECT_EQ(0x200u, record.flightTimes.back());
}
