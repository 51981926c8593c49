// The XML library's process-wide state, shared by every workbook alive: the
// first user initialises the library, the last one terminates it, so
// workbooks may overlap and come and go freely.
#pragma once

namespace workbook {

class XercesRuntime {
public:
    // Initialises the library (message locale "en_US") when no other user
    // holds it. Throws std::runtime_error when the library cannot start.
    XercesRuntime();
    ~XercesRuntime();
    XercesRuntime(const XercesRuntime&) = delete;
    XercesRuntime& operator=(const XercesRuntime&) = delete;

    // The number of users alive (for tests).
    static int Users();
};

} // namespace workbook
