// The SpreadsheetML document a new results workbook starts from.
#pragma once

#include <cstddef>

namespace workbook {

// 7-bit text, without a terminating zero in kTemplateLength.
extern const char kTemplate[];
extern const std::size_t kTemplateLength;

// The system identifier the template is parsed under.
extern const char kTemplateSystemId[];

} // namespace workbook
