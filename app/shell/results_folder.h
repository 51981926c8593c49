// Where the results workbook lives: the folder "ZEMT" under the all-users
// application-data folder, made when missing.
#pragma once

#include <string>

// The folder part of the workbook's path, ending in '/': "<app data>/ZEMT/".
// "" when the application-data folder cannot be had or "ZEMT" can be neither
// found nor made (the workbook then goes to the current directory).
std::wstring ResultsFolder();

// ResultsFolder() + instanceName + ".xls".
std::wstring ResultsPath(const std::wstring& instanceName);
