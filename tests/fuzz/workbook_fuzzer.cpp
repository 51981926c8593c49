// Workbook files of any content opened for a pupil.
//
// With KVARLOP_FUZZ_SEEDS naming a folder, it first writes a workbook the
// program itself made there (two runs of one pupil, a run of another), as a
// seed of the corpus.
#include "feeding.h"

#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

std::string folder;

void WriteSeed(const std::string& seeds)
{
    const std::wstring path = platform::Utf8ToWide(seeds + "/workbook.xls");
    for (const wchar_t* pupil : {L"Ученик", L"Ученик", L"Вася Пупкин"}) {
        IMWorkbook book(path, pupil);
        book.AddRow(L"Время начала", L"09:15:00", L"String");
        book.AddRow(L"Количество лопнутых пузырей", L"10", L"Number");
        book.AddRow(L"Всего секунд", L"42", L"Number");
        book.AddEmptyRow();
        book.Save();
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    char pattern[] = "/tmp/kvarlop-workbook-fuzz-XXXXXX";
    if (!mkdtemp(pattern))
        std::abort();
    folder = pattern;
    if (const char* seeds = std::getenv("KVARLOP_FUZZ_SEEDS"))
        WriteSeed(seeds);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzfeed::FeedWorkbook(folder + "/results.xls", data, size);
    return 0;
}
