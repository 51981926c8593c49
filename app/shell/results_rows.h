// The rows the shell writes around a step: the start time when a step
// starts, the instruction calls and the total time when no step is left.
#pragma once

#include "app/shell/result_row.h"
#include "platform/crt.h"

// "dd-Month-YYYY HH:MM": two-digit day, the month's English name, the year,
// the hour on the 24-hour clock and the minute, in local time.
std::wstring FormatStartTime(crt::time64_t t);

ResultRow StartTimeRow(crt::time64_t start);
// "Количество дополнительных вызовов инструкций" and
// "Общее время работы с упражнением. с.", in that order.
ResultRows ClosingRows(int helpCalls, crt::time64_t start, crt::time64_t now);
