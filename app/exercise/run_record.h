// The record of one bubble run: the counters, the flight times, the state of
// the bubble in the air, and the statistics rows written at the end.
#pragma once

#include "app/shell/result_row.h"
#include "platform/wintypes.h"

#include <functional>
#include <vector>

namespace exercise {

class RunRecord {
public:
    // The millisecond clock (timeGetTime in the program).
    typedef std::function<DWORD()> Clock;

    explicit RunRecord(Clock clock);

    // A new run: counters and flight times cleared, the first flight timed
    // from now.
    void Start();

    // Whether a bubble is left to launch in a run of `bubbleCount`.
    bool HasNextLaunch(int bubbleCount) const;
    // The bubble just launched flies; the next launch is one further.
    void Launched();

    // Every click on the exercise screen.
    void OnScreenClick() { ++screenClickCount; }
    // A click on the bubble. A bubble already bursting is not popped again:
    // false then, and nothing is counted.
    bool Pop();
    // The bubble has left the screen. A bursting bubble's exit is no miss:
    // false then, and nothing is counted (its burst's end launches the next).
    bool LeftScreen();
    bool IsBursting() const { return bursting; }

    // The mean of the flight times in whole milliseconds (toward zero); 0
    // when there are none.
    int MeanFlightTime() const;
    // "Число пропущенных пузырей", "Число промахов", "Среднее время полета пузыря".
    ResultRows StatisticsRows() const;

    int launchedCount = 0;
    int missedCount = 0;
    int screenClickCount = 0;
    int poppedCount = 0;
    DWORD lastEventTime = 0;
    DWORD eventTime = 0;
    std::vector<DWORD> flightTimes;

private:
    void RecordFlight();

    Clock clock;
    bool bursting = false;
};

} // namespace exercise
