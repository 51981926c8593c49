// IMWorkbook::Print: the current worksheet's table on a printer DC.
#include "framework/workbook/workbook.h"

#include "framework/workbook/table_printing.h"

bool IMWorkbook::Print(HDC dc, std::map<std::wstring, std::wstring> header)
{
    workbook::DcPrintTarget target(dc);
    return workbook::PrintTable(target, FindTable(), header);
}
