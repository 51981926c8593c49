// Shared helpers of the application's tests: a scratch application-data
// folder ($XDG_DATA_HOME), the rows of a saved results workbook read back,
// and a scripted source of random numbers.
#pragma once

#include "app/shell/result_row.h"
#include "framework/workbook/workbook.h"
#include "support/driven_clock.h"

#include <gtest/gtest.h>

#include <deque>
#include <ostream>
#include <string>
#include <vector>

namespace app_test {

// One row of a worksheet: each cell as "Type:text" ("String:Число промахов").
typedef std::vector<std::wstring> SheetRow;

// The rows of the worksheet `sheet` in the workbook file at path; empty when
// there is no such file.
std::vector<SheetRow> ReadSheet(const std::wstring& path, const std::wstring& sheet);

bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);

// Points $XDG_DATA_HOME at a fresh scratch folder for the test's life.
class ScratchDataHome {
public:
    ScratchDataHome();
    ~ScratchDataHome();
    // The folder, in UTF-8.
    const std::string& Folder() const { return folder; }
    // "<folder>/ZEMT/07342 Тренажер «Кварлоп».xls"
    std::wstring ResultsFile() const;

private:
    std::string folder;
    std::string saved;
    bool hadSaved;
};

// The performance counter in seconds: the clock the program's timers read.
double Seconds();

// Returns the scripted values in order, then 0.
class ScriptedRandom {
public:
    explicit ScriptedRandom(std::vector<int> values) : values(values.begin(), values.end()) {}
    int operator()()
    {
        ++drawn;
        if (values.empty())
            return 0;
        const int v = values.front();
        values.pop_front();
        return v;
    }
    int drawn = 0;

private:
    std::deque<int> values;
};

} // namespace app_test

// Readable rows in test failures.
void PrintTo(const ResultRow& row, std::ostream* out);
