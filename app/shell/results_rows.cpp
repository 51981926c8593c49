#include "app/shell/results_rows.h"

#include <boost/lexical_cast.hpp>

#include <cwchar>

namespace {

const wchar_t* const kMonths[12] = {L"January",   L"February", L"March",    L"April",
                                    L"May",       L"June",     L"July",     L"August",
                                    L"September", L"October",  L"November", L"December"};

} // namespace

std::wstring FormatStartTime(crt::time64_t t)
{
    std::tm local{};
    if (!crt::_localtime64_s(&local, &t))
        return std::wstring();
    wchar_t text[128];
    std::swprintf(text, 128, L"%02d-%ls-%04d %02d:%02d", local.tm_mday, kMonths[local.tm_mon % 12],
                  local.tm_year + 1900, local.tm_hour, local.tm_min);
    return text;
}

ResultRow StartTimeRow(crt::time64_t start)
{
    return ResultRow{L"Время начала работы с упражнением", FormatStartTime(start), L"String"};
}

ResultRows ClosingRows(int helpCalls, crt::time64_t start, crt::time64_t now)
{
    using boost::lexical_cast;
    return ResultRows{
        {L"Количество дополнительных вызовов инструкций", lexical_cast<std::wstring>(helpCalls),
         L"Number"},
        {L"Общее время работы с упражнением. с.", lexical_cast<std::wstring>(now - start),
         L"Number"},
    };
}
