// The step map: name order, the first registration, ignored names.
#include "app/shell/step_map.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

StepMap::Step Recorder(std::vector<std::wstring>* log, const wchar_t* name)
{
    return [log, name](IMDialogBase<IMEmptyView>*) { log->push_back(name); };
}

} // namespace

TEST(Steps, RunInNameOrderFromTheFirstRegistered)
{
    std::vector<std::wstring> log;
    StepMap steps;
    steps.Register(L"Dialog2", Recorder(&log, L"2"));
    steps.Register(L"Dialog1", Recorder(&log, L"1"));
    steps.Register(L"Dialog3", Recorder(&log, L"3"));
    EXPECT_EQ(L"Dialog2", steps.Current());
    EXPECT_EQ(L"Dialog1", steps.First());

    while (const StepMap::Step* step = steps.TakeCurrent())
        (*step)(nullptr);
    EXPECT_EQ((std::vector<std::wstring>{L"2", L"3"}), log);
    EXPECT_EQ(L"", steps.Current());

    steps.SetCurrent(steps.First());
    while (const StepMap::Step* step = steps.TakeCurrent())
        (*step)(nullptr);
    EXPECT_EQ((std::vector<std::wstring>{L"2", L"3", L"1", L"2", L"3"}), log);
}

TEST(Steps, ANameKeepsItsFirstStepAndAnEmptyNameIsIgnored)
{
    std::vector<std::wstring> log;
    StepMap steps;
    steps.Register(L"", Recorder(&log, L"empty"));
    EXPECT_EQ(L"", steps.Current());
    EXPECT_EQ(L"", steps.First());
    steps.Register(L"Dialog1", Recorder(&log, L"first"));
    steps.Register(L"Dialog1", Recorder(&log, L"second"));
    (*steps.TakeCurrent())(nullptr);
    EXPECT_EQ((std::vector<std::wstring>{L"first"}), log);
}

TEST(Steps, AnUnknownNameDoesNotBecomeCurrent)
{
    StepMap steps;
    steps.Register(L"Dialog1", StepMap::Step());
    steps.SetCurrent(L"Dialog9");
    EXPECT_EQ(L"Dialog1", steps.Current());
    // Taken and finished, the current name stays "" for unknown names too.
    steps.TakeCurrent();
    steps.SetCurrent(L"Dialog9");
    EXPECT_EQ(L"", steps.Current());
    EXPECT_EQ(nullptr, steps.TakeCurrent());
}
