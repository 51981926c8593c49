// Printing a worksheet's table: the layout, on anything that takes the few
// GDI calls it makes (a printer DC in the program, a recorder in tests).
#pragma once

#include <map>
#include <string>

#include <xercesc/dom/DOMElement.hpp>

#include "platform/gdi32.h"

namespace workbook {

class PrintTarget {
public:
    virtual ~PrintTarget() = default;
    virtual int DeviceCaps(int index) = 0;
    virtual bool TextMetrics(TEXTMETRICW* metrics) = 0;
    virtual int StartDoc(const DOCINFOW& info) = 0;
    virtual int StartPage() = 0;
    virtual int EndPage() = 0;
    virtual int EndDoc() = 0;
    virtual void TextW(int x, int y, const std::wstring& text) = 0;
    virtual int WidthW(const std::wstring& text) = 0;
    // Text in code page 1251 bytes.
    virtual void TextA(int x, int y, const std::string& text) = 0;
    virtual int WidthA(const std::string& text) = 0;
};

// The GDI calls on a device context.
class DcPrintTarget : public PrintTarget {
public:
    explicit DcPrintTarget(HDC dc) : dc_(dc) {}
    int DeviceCaps(int index) override;
    bool TextMetrics(TEXTMETRICW* metrics) override;
    int StartDoc(const DOCINFOW& info) override;
    int StartPage() override;
    int EndPage() override;
    int EndDoc() override;
    void TextW(int x, int y, const std::wstring& text) override;
    int WidthW(const std::wstring& text) override;
    void TextA(int x, int y, const std::string& text) override;
    int WidthA(const std::string& text) override;

private:
    HDC dc_;
};

// The document name the print service shows for the job.
extern const wchar_t* const kPrintDocumentName;

// Prints the header's pairs in key order, a blank line, then the table's
// rows, one line each, starting new pages as the rows fill them. A null
// table prints nothing and succeeds; false when the device has no font
// metrics, refuses the document, or the document could not be finished.
bool PrintTable(PrintTarget& target, const xercesc::DOMElement* table,
                const std::map<std::wstring, std::wstring>& header);

} // namespace workbook
