// Elements and attributes of a workbook by namespace and local name. The
// parser keeps qualified names as they are written, so a file that writes
// "<ss:Worksheet>" where ours writes "<Worksheet>" (a spreadsheet program
// saving the same format) is matched here by resolving the prefix through
// the namespace declarations in scope.
#pragma once

#include <string>

#include <xercesc/dom/DOMAttr.hpp>
#include <xercesc/dom/DOMElement.hpp>

namespace workbook {

// The SpreadsheetML namespace.
extern const char16_t kSpreadsheetNamespace[];

// Whether the element is the SpreadsheetML element `local`. A name whose
// prefix ("ss" or none) is declared nowhere counts too, as files written
// without declarations have always been read.
bool IsSpreadsheetElement(const xercesc::DOMElement* element, const char16_t* local);

// The element's attribute `local` of the SpreadsheetML namespace ("ss:Name"
// whatever the prefix), or null.
xercesc::DOMAttr* SpreadsheetAttribute(const xercesc::DOMElement* element, const char16_t* local);

// The first element below `parent` (children first, then deeper) that is the
// SpreadsheetML element `local`; null when there is none.
xercesc::DOMElement* FirstSpreadsheetElement(const xercesc::DOMElement* parent,
                                             const char16_t* local);

// The prefixes new content should use in the document under root: the
// root's own for elements, one bound to SpreadsheetML for attributes ("ss"
// where that is bound to it, or where no such prefix is declared at all).
struct Prefixes {
    std::u16string element;   // "" or "ss:" and the like, colon included
    std::u16string attribute; // colon included
};
Prefixes PrefixesOf(const xercesc::DOMElement* root);

// The index of the last row a Table fills (rows may skip ahead with
// ss:Index and stand for several with ss:Span); 0 for none. Numbers past
// 2^30 count as 2^30.
long LastRowOf(const xercesc::DOMElement* table);

// Sets a Table's ss:ExpandedRowCount and ss:ExpandedColumnCount, where it
// carries them, to cover every row and cell it holds; spreadsheet programs
// refuse a table whose counts fall short.
void KeepExpandedCountsTrue(xercesc::DOMElement* table);

// Gives a Table's first Column an ss:Index of 1 (written with the given
// prefix, colon included) when it has no index: some spreadsheet programs
// otherwise carry the column count on from the sheet before.
void IndexFirstColumn(xercesc::DOMElement* table, const std::u16string& attributePrefix);

} // namespace workbook
