// The results workbook of a school year: 30 pupils with 100 runs each
// (about 18,000 rows). Measures opening it, adding one run's rows and saving
// it, and reports the peak memory of the process (VmHWM).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "framework/workbook/workbook.h"
#include "platform/codepage.h"

namespace {

constexpr int kPupils = 30;
constexpr int kRuns = 100;

std::string gFolder;

std::wstring PupilName(int i)
{
    return L"Ученик номер " + std::to_wstring(i + 1);
}

std::wstring WorkbookPath()
{
    return platform::Utf8ToWide(gFolder + u8"/07342 Тренажер «Кварлоп».xls");
}

// The rows one run of the exercise writes.
void AddRun(IMWorkbook& book, int run)
{
    book.AddRow(L"Время начала работы с упражнением", L"07-March-2011 09:05", L"String");
    book.AddRow(L"Количество пропущенных пузырей", std::to_wstring(run % 7), L"Number");
    book.AddRow(L"Количество промахов", std::to_wstring(run % 5), L"Number");
    book.AddRow(L"Среднее время полета пузыря, мс", std::to_wstring(1500 + run), L"Number");
    book.AddRow(L"Количество дополнительных вызовов инструкций", L"0", L"Number");
    book.AddRow(L"Общее время работы с упражнением. с.", std::to_wstring(60 + run), L"Number");
    book.AddEmptyRow();
}

void BuildSchoolYear()
{
    for (int pupil = 0; pupil < kPupils; ++pupil) {
        IMWorkbook book(WorkbookPath(), PupilName(pupil));
        for (int run = 0; run < kRuns; ++run)
            AddRun(book, run);
        if (!book.Save())
            std::abort();
    }
}

long PeakKilobytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

void Report(benchmark::State& state)
{
    state.counters["VmHWM_MB"] = PeakKilobytes() / 1024.0;
    state.counters["file_MB"] =
        std::filesystem::file_size(platform::WidePathToUtf8(WorkbookPath())) / (1024.0 * 1024.0);
}

void BM_Open(benchmark::State& state)
{
    for (auto _ : state) {
        IMWorkbook book(WorkbookPath(), PupilName(kPupils / 2));
        benchmark::DoNotOptimize(book.Sheet());
    }
    Report(state);
}

void BM_AddRun(benchmark::State& state)
{
    IMWorkbook book(WorkbookPath(), PupilName(kPupils / 2));
    int run = 0;
    for (auto _ : state)
        AddRun(book, run++);
}

void BM_Save(benchmark::State& state)
{
    IMWorkbook book(WorkbookPath(), PupilName(kPupils / 2));
    std::wstring copy = platform::Utf8ToWide(gFolder + "/copy.xls");
    for (auto _ : state)
        if (!book.Save(copy))
            state.SkipWithError("save failed");
    Report(state);
}

// What the program does at the end of a run: open, add the run, save.
void BM_OpenAddSave(benchmark::State& state)
{
    const std::wstring scratch = platform::Utf8ToWide(gFolder + "/cycle.xls");
    std::filesystem::copy_file(platform::WidePathToUtf8(WorkbookPath()),
                               platform::WidePathToUtf8(scratch),
                               std::filesystem::copy_options::overwrite_existing);
    int run = 0;
    for (auto _ : state) {
        IMWorkbook book(scratch, PupilName(run % kPupils));
        AddRun(book, run++);
        if (!book.Save())
            state.SkipWithError("save failed");
    }
    Report(state);
}

// Hostile or absurd files are refused within a second, under 64 MB plus 24
// times their size: 150 KB of text behind three levels of entities that
// would expand it a thousandfold, and a 120 MB file.
void Refuse(benchmark::State& state, const std::string& name)
{
    const std::wstring path = platform::Utf8ToWide(gFolder + "/" + name);
    // The peak from here on, not that of building the school year.
    std::ofstream("/proc/self/clear_refs") << "5";
    for (auto _ : state) {
        IMWorkbook book(path, L"П");
        if (book.GetFileName() == path)
            state.SkipWithError("the file was used");
    }
    state.counters["VmHWM_MB"] = PeakKilobytes() / 1024.0;
    state.counters["file_MB"] =
        std::filesystem::file_size(platform::WidePathToUtf8(path)) / (1024.0 * 1024.0);
}

void BM_RefuseNestedEntities(benchmark::State& state)
{
    Refuse(state, "entities.xls");
}

void BM_RefuseHugeFile(benchmark::State& state)
{
    Refuse(state, "huge.xls");
}

void MakeHostileFiles()
{
    std::ofstream entities(gFolder + "/entities.xls", std::ios::binary);
    entities << "<!DOCTYPE Workbook [<!ENTITY a \"" << std::string(150 << 10, 'x') << "\">";
    for (char level : {'b', 'c', 'd'}) {
        entities << "<!ENTITY " << level << " \"";
        for (int i = 0; i < 10; ++i)
            entities << '&' << char(level - 1) << ';';
        entities << "\">";
    }
    entities << "]><Workbook>&d;</Workbook>";
    std::ofstream(gFolder + "/huge.xls").close();
    std::filesystem::resize_file(gFolder + "/huge.xls", std::uintmax_t(120) << 20);
}

BENCHMARK(BM_RefuseNestedEntities)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RefuseHugeFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Open)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenAddSave)->Unit(benchmark::kMillisecond);
// Last, and a year's worth of runs at most: the rows it adds stay in memory.
BENCHMARK(BM_AddRun)->Unit(benchmark::kMicrosecond)->Iterations(kRuns);

} // namespace

int main(int argc, char** argv)
{
    char pattern[] = "/tmp/kvarlop-bench-workbook-XXXXXX";
    if (!mkdtemp(pattern))
        return 1;
    gFolder = pattern;
    BuildSchoolYear();
    MakeHostileFiles();

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    std::error_code ec;
    std::filesystem::remove_all(gFolder, ec);
    return 0;
}
