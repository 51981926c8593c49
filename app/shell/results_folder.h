// Where the results workbook lives: the folder "ZEMT" under the all-users
// application-data folder, made (with its parents) when missing.
#pragma once

#include <string>

// The folder part of the workbook's path, ending in '/': "<app data>/ZEMT/",
// after trying to make it. When it cannot be made now, it is still named,
// so that a later save tries again, and *error (when given) says why in an
// errno value (0 when the folder is there); "" only when there is no
// application-data folder to name at all.
std::wstring ResultsFolder(int* error = nullptr);

// ResultsFolder() + instanceName + ".xls"; "" when ResultsFolder() is "".
std::wstring ResultsPath(const std::wstring& instanceName);
