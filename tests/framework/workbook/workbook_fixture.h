// Shared helpers of the workbook tests: a scratch folder per test and the
// rows of a worksheet read back from the document.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "framework/workbook/workbook.h"

namespace workbook_test {

// One Data element: its ss:Type and its text.
struct CellData {
    std::wstring type;
    std::wstring text;
    bool operator==(const CellData& o) const { return type == o.type && text == o.text; }
};
using Row = std::vector<CellData>;
void PrintTo(const CellData& cell, std::ostream* out);

// The rows of the current worksheet's table (an empty row is empty).
std::vector<Row> RowsOf(const IMWorkbook& book);
// The ss:Name of every Worksheet, in document order.
std::vector<std::wstring> SheetNames(const IMWorkbook& book);

std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);
bool Exists(const std::string& path);
std::vector<std::string> Listing(const std::string& folder);

class WorkbookTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A name in the scratch folder as the file system has it (UTF-8), and
    // as the application hands it to the workbook.
    std::string DiskPath(const std::string& utf8Name) const { return dir_ + "/" + utf8Name; }
    std::wstring WidePath(const std::string& utf8Name) const;

    std::string dir_;
};

} // namespace workbook_test
