#include "app/exercise/run_record.h"

#include "app/exercise/launch.h"

#include <boost/lexical_cast.hpp>

namespace exercise {

RunRecord::RunRecord(Clock c) : clock(std::move(c)) {}

void RunRecord::Start()
{
    missedCount = 0;
    screenClickCount = 0;
    poppedCount = 0;
    flightTimes.clear();
    lastEventTime = clock();
    launchedCount = 0;
    bursting = false;
}

bool RunRecord::HasNextLaunch(int bubbleCount) const
{
    return launchedCount < UsableCount(bubbleCount);
}

void RunRecord::Launched()
{
    ++launchedCount;
    bursting = false;
}

void RunRecord::RecordFlight()
{
    eventTime = clock();
    flightTimes.push_back(eventTime - lastEventTime);
    lastEventTime = clock();
}

bool RunRecord::Pop()
{
    if (bursting)
        return false;
    bursting = true;
    ++poppedCount;
    RecordFlight();
    return true;
}

bool RunRecord::LeftScreen()
{
    if (bursting)
        return false;
    RecordFlight();
    ++missedCount;
    return true;
}

int RunRecord::MeanFlightTime() const
{
    if (flightTimes.empty())
        return 0;
    DWORD sum = 0;
    for (DWORD t : flightTimes)
        sum += t;
    return static_cast<int>(static_cast<double>(sum) / static_cast<double>(flightTimes.size()));
}

ResultRows RunRecord::StatisticsRows() const
{
    using boost::lexical_cast;
    return ResultRows{
        {L"Число пропущенных пузырей", lexical_cast<std::wstring>(missedCount), L"Number"},
        {L"Число промахов", lexical_cast<std::wstring>(screenClickCount - poppedCount), L"Number"},
        {L"Среднее время полета пузыря", lexical_cast<std::wstring>(MeanFlightTime()) + L" мсек",
         L"String"},
    };
}

} // namespace exercise
