#include "framework/workbook/workbook.h"

bool IMWorkbook::Print(HDC, std::map<std::wstring, std::wstring>) { return false; }
