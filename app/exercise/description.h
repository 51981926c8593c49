// The exercise's texts shown on the title screen and printed with the results.
#pragma once

namespace exercise {

extern const wchar_t kCatalogueNumber[];
extern const wchar_t kTitle[];
extern const wchar_t kDescription[];
// The window caption and the base of the workbook's file name.
extern const wchar_t kInstanceName[];

} // namespace exercise
