#include "framework/workbook/table_printing.h"

#include <algorithm>
#include <vector>

#include <xercesc/dom/DOMNode.hpp>

#include "framework/workbook/names.h"
#include "framework/workbook/text.h"

using xercesc::DOMElement;
using xercesc::DOMNode;

namespace workbook {

const wchar_t* const kPrintDocumentName = L"Print1: Printing";

namespace {

// The SpreadsheetML elements `local` below `within`, in document order,
// whatever prefix the file writes them with.
void CollectNamed(const DOMElement* within, const char16_t* local,
                  std::vector<const DOMElement*>& found)
{
    for (const DOMNode* node = within->getFirstChild(); node; node = node->getNextSibling()) {
        if (node->getNodeType() != DOMNode::ELEMENT_NODE)
            continue;
        const auto* element = static_cast<const DOMElement*>(node);
        if (IsSpreadsheetElement(element, local))
            found.push_back(element);
        else
            CollectNamed(element, local, found);
    }
}

std::vector<const DOMElement*> ElementsNamed(const DOMElement* within, const char16_t* local)
{
    std::vector<const DOMElement*> found;
    CollectNamed(within, local, found);
    return found;
}

} // namespace

bool PrintTable(PrintTarget& target, const DOMElement* table,
                const std::map<std::wstring, std::wstring>& header)
{
    if (!table)
        return true;
    const int pageWidth = target.DeviceCaps(HORZRES);
    const int pageHeight = target.DeviceCaps(VERTRES);
    TEXTMETRICW metrics{};
    if (!target.TextMetrics(&metrics))
        return false;
    const int line = metrics.tmHeight + metrics.tmExternalLeading;
    const int margin = metrics.tmAveCharWidth;
    const int column = pageWidth / 2;
    // Each text after the first on a line starts half a page after the one
    // before, or a margin after its end when that is wider.
    auto next = [margin, column](int x, int width) { return x + std::max(margin + width, column); };

    DOCINFOW info{static_cast<int>(sizeof(DOCINFOW)), kPrintDocumentName, nullptr, nullptr, 0};
    if (target.StartDoc(info) <= 0)
        return false;
    target.StartPage();
    int y = line;
    for (const auto& pair : header) {
        target.TextW(margin, y, pair.first);
        target.TextW(next(margin, target.WidthW(pair.first)), y, pair.second);
        y += line;
    }
    y += line;

    const std::vector<const DOMElement*> rows = ElementsNamed(table, u"Row");
    for (size_t r = 0; r < rows.size(); ++r) {
        int x = margin;
        for (const DOMElement* data : ElementsNamed(rows[r], u"Data")) {
            const std::string text = FromXml(data->getTextContent());
            target.TextA(x, y, text);
            x = next(x, target.WidthA(text));
        }
        y += line;
        // A full page goes out only when another row is to come, so no blank
        // page ends the document.
        if (y + line >= pageHeight && r + 1 < rows.size()) {
            target.EndPage();
            target.StartPage();
            y = line;
        }
    }
    target.EndPage();
    return target.EndDoc() > 0;
}

int DcPrintTarget::DeviceCaps(int index)
{
    return GetDeviceCaps(dc_, index);
}
bool DcPrintTarget::TextMetrics(TEXTMETRICW* metrics)
{
    return GetTextMetricsW(dc_, metrics);
}
int DcPrintTarget::StartDoc(const DOCINFOW& info)
{
    return StartDocW(dc_, &info);
}
int DcPrintTarget::StartPage()
{
    return ::StartPage(dc_);
}
int DcPrintTarget::EndPage()
{
    return ::EndPage(dc_);
}
int DcPrintTarget::EndDoc()
{
    return ::EndDoc(dc_);
}

void DcPrintTarget::TextW(int x, int y, const std::wstring& text)
{
    TextOutW(dc_, x, y, text.c_str(), static_cast<int>(text.size()));
}

int DcPrintTarget::WidthW(const std::wstring& text)
{
    SIZE size{0, 0};
    GetTextExtentPoint32W(dc_, text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

void DcPrintTarget::TextA(int x, int y, const std::string& text)
{
    TextOutA(dc_, x, y, text.c_str(), static_cast<int>(text.size()));
}

int DcPrintTarget::WidthA(const std::string& text)
{
    SIZE size{0, 0};
    GetTextExtentPoint32A(dc_, text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

} // namespace workbook
