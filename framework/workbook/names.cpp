#include "framework/workbook/names.h"

#include <xercesc/dom/DOMNamedNodeMap.hpp>
#include <xercesc/dom/DOMNode.hpp>
#include <xercesc/util/XMLString.hpp>

using namespace xercesc;

namespace workbook {

const char16_t kSpreadsheetNamespace[] = u"urn:schemas-microsoft-com:office:spreadsheet";

namespace {

struct QName {
    std::u16string prefix;
    const XMLCh* local;
};

QName Split(const XMLCh* name)
{
    if (!name)
        return {std::u16string(), u""};
    for (const XMLCh* p = name; *p; ++p) {
        if (*p == u':')
            return {std::u16string(name, p), p + 1};
    }
    return {std::u16string(), name};
}

// The namespace the prefix is bound to in scope at `at`; null when no
// declaration binds it.
const XMLCh* NamespaceOf(const DOMElement* at, const std::u16string& prefix)
{
    const std::u16string declaration = prefix.empty() ? u"xmlns" : u"xmlns:" + prefix;
    for (const DOMNode* node = at; node && node->getNodeType() == DOMNode::ELEMENT_NODE;
         node = node->getParentNode()) {
        if (const DOMAttr* attr =
                static_cast<const DOMElement*>(node)->getAttributeNode(declaration.c_str()))
            return attr->getValue();
    }
    return nullptr;
}

bool InSpreadsheetNamespace(const DOMElement* at, const std::u16string& prefix)
{
    const XMLCh* uri = NamespaceOf(at, prefix);
    if (uri)
        return XMLString::equals(uri, kSpreadsheetNamespace);
    return prefix.empty() || prefix == u"ss";
}

bool IsElement(const DOMNode* node)
{
    return node && node->getNodeType() == DOMNode::ELEMENT_NODE;
}

// Numbers are read up to this; anything larger stands as this.
constexpr long kLargestNumber = 1L << 30;

long NumberOf(const DOMAttr* attr, long otherwise)
{
    if (!attr)
        return otherwise;
    const XMLCh* p = attr->getValue();
    while (*p == u' ')
        ++p;
    if (*p < u'0' || *p > u'9')
        return otherwise;
    long n = 0;
    for (; *p >= u'0' && *p <= u'9'; ++p) {
        n = n * 10 + (*p - u'0');
        if (n > kLargestNumber)
            n = kLargestNumber;
    }
    return n;
}

void RaiseTo(DOMAttr* attr, long needed)
{
    if (!attr || NumberOf(attr, 0) >= needed)
        return;
    const std::string digits = std::to_string(needed);
    attr->setValue(std::u16string(digits.begin(), digits.end()).c_str());
}

} // namespace

bool IsSpreadsheetElement(const DOMElement* element, const char16_t* local)
{
    if (!element)
        return false;
    const QName name = Split(element->getTagName());
    return XMLString::equals(name.local, local) && InSpreadsheetNamespace(element, name.prefix);
}

DOMAttr* SpreadsheetAttribute(const DOMElement* element, const char16_t* local)
{
    DOMNamedNodeMap* attributes = element->getAttributes();
    if (!attributes)
        return nullptr;
    for (XMLSize_t i = 0, n = attributes->getLength(); i < n; ++i) {
        auto* attr = static_cast<DOMAttr*>(attributes->item(i));
        const QName name = Split(attr->getName());
        // An attribute without a prefix is in no namespace.
        if (name.prefix.empty() || name.prefix == u"xmlns" || !XMLString::equals(name.local, local))
            continue;
        if (InSpreadsheetNamespace(element, name.prefix))
            return attr;
    }
    return nullptr;
}

DOMElement* FirstSpreadsheetElement(const DOMElement* parent, const char16_t* local)
{
    for (DOMNode* child = parent->getFirstChild(); child; child = child->getNextSibling()) {
        if (IsElement(child) && IsSpreadsheetElement(static_cast<DOMElement*>(child), local))
            return static_cast<DOMElement*>(child);
    }
    for (DOMNode* child = parent->getFirstChild(); child; child = child->getNextSibling()) {
        if (!IsElement(child))
            continue;
        if (DOMElement* found = FirstSpreadsheetElement(static_cast<DOMElement*>(child), local))
            return found;
    }
    return nullptr;
}

Prefixes PrefixesOf(const DOMElement* root)
{
    Prefixes prefixes;
    const QName rootName = Split(root->getTagName());
    if (!rootName.prefix.empty())
        prefixes.element = rootName.prefix + u":";
    prefixes.attribute = u"ss:";
    const XMLCh* ss = NamespaceOf(root, u"ss");
    if (!ss || XMLString::equals(ss, kSpreadsheetNamespace))
        return prefixes;
    // "ss" means something else here: take a prefix that is bound to it.
    DOMNamedNodeMap* attributes = root->getAttributes();
    for (XMLSize_t i = 0, n = attributes ? attributes->getLength() : 0; i < n; ++i) {
        auto* attr = static_cast<DOMAttr*>(attributes->item(i));
        const QName name = Split(attr->getName());
        if (name.prefix == u"xmlns" && XMLString::equals(attr->getValue(), kSpreadsheetNamespace)) {
            prefixes.attribute = std::u16string(name.local) + u":";
            break;
        }
    }
    return prefixes;
}

namespace {

// The last row and the last column a table fills; indices count from 1.
struct Extent {
    long lastRow = 0;
    long lastColumn = 0;
};

Extent ExtentOf(const DOMElement* table)
{
    // Rows and cells may skip ahead (ss:Index) and stand for several
    // (ss:Span, ss:MergeAcross).
    Extent extent;
    long lastColumnDeclared = 0;
    for (DOMNode* node = table->getFirstChild(); node; node = node->getNextSibling()) {
        if (!IsElement(node))
            continue;
        auto* child = static_cast<DOMElement*>(node);
        if (IsSpreadsheetElement(child, u"Column")) {
            const long index =
                NumberOf(SpreadsheetAttribute(child, u"Index"), lastColumnDeclared + 1);
            lastColumnDeclared = index + NumberOf(SpreadsheetAttribute(child, u"Span"), 0);
            if (lastColumnDeclared > extent.lastColumn)
                extent.lastColumn = lastColumnDeclared;
        } else if (IsSpreadsheetElement(child, u"Row")) {
            const long index = NumberOf(SpreadsheetAttribute(child, u"Index"), extent.lastRow + 1);
            extent.lastRow = index + NumberOf(SpreadsheetAttribute(child, u"Span"), 0);
            long cell = 0;
            for (DOMNode* c = child->getFirstChild(); c; c = c->getNextSibling()) {
                if (!IsElement(c) || !IsSpreadsheetElement(static_cast<DOMElement*>(c), u"Cell"))
                    continue;
                auto* element = static_cast<DOMElement*>(c);
                const long at = NumberOf(SpreadsheetAttribute(element, u"Index"), cell + 1);
                cell = at + NumberOf(SpreadsheetAttribute(element, u"MergeAcross"), 0);
                if (cell > extent.lastColumn)
                    extent.lastColumn = cell;
            }
        }
    }
    return extent;
}

} // namespace

long LastRowOf(const DOMElement* table)
{
    return ExtentOf(table).lastRow;
}

void IndexFirstColumn(DOMElement* table, const std::u16string& attributePrefix)
{
    for (DOMNode* node = table->getFirstChild(); node; node = node->getNextSibling()) {
        if (!IsElement(node))
            continue;
        auto* child = static_cast<DOMElement*>(node);
        if (IsSpreadsheetElement(child, u"Row"))
            return;
        if (!IsSpreadsheetElement(child, u"Column"))
            continue;
        if (!SpreadsheetAttribute(child, u"Index"))
            child->setAttribute((attributePrefix + u"Index").c_str(), u"1");
        return;
    }
}

void KeepExpandedCountsTrue(DOMElement* table)
{
    DOMAttr* rowCount = SpreadsheetAttribute(table, u"ExpandedRowCount");
    DOMAttr* columnCount = SpreadsheetAttribute(table, u"ExpandedColumnCount");
    if (!rowCount && !columnCount)
        return;
    const Extent extent = ExtentOf(table);
    RaiseTo(rowCount, extent.lastRow);
    RaiseTo(columnCount, extent.lastColumn);
}

} // namespace workbook
