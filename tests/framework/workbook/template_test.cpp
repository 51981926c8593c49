#include "framework/workbook/template.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <xercesc/dom/DOM.hpp>

#include "framework/workbook/document_io.h"
#include "framework/workbook/text.h"
#include "framework/workbook/xerces_runtime.h"

using namespace xercesc;
using workbook::FromXml;

namespace {

const std::string kRun = "\t\t\t\t\t\t\t ";

// "name attr=value ..." or "name=text" for each element, in document order.
void Walk(DOMElement* e, std::vector<std::string>* out)
{
    std::string item = FromXml(e->getTagName());
    DOMNamedNodeMap* attrs = e->getAttributes();
    for (XMLSize_t i = 0; i < attrs->getLength(); ++i)
        item += " " + FromXml(attrs->item(i)->getNodeName()) + "=" +
                FromXml(attrs->item(i)->getNodeValue());
    if (!e->getFirstElementChild() && e->getTextContent()[0])
        item += "=" + FromXml(e->getTextContent());
    out->push_back(item);
    for (DOMElement* c = e->getFirstElementChild(); c; c = c->getNextElementSibling())
        Walk(c, out);
}

} // namespace

TEST(WorkbookTemplate, Is1322CharactersWith34RunsOfSevenTabsAndASpaceAsItsOnlyWhitespace)
{
    const std::string t(workbook::kTemplate, workbook::kTemplateLength);
    EXPECT_EQ(t.size(), 1322u);
    size_t runs = 0, tabs = 0, spacesInRuns = 0;
    for (size_t at = t.find(kRun); at != std::string::npos; at = t.find(kRun, at + 1))
        ++runs;
    for (char c : t) {
        EXPECT_LT(static_cast<unsigned char>(c), 0x80u);
        EXPECT_TRUE(c != '\n' && c != '\r');
        tabs += c == '\t';
    }
    EXPECT_EQ(runs, 34u);
    EXPECT_EQ(tabs, 238u);
    // Between two tags stands a run or nothing; whitespace elsewhere is a
    // single space inside a tag.
    for (size_t gt = t.find('>'); gt != std::string::npos && gt + 1 < t.size();
         gt = t.find('>', gt + 1)) {
        std::string between = t.substr(gt + 1, t.find('<', gt) - gt - 1);
        spacesInRuns += between == kRun;
        EXPECT_TRUE(between.empty() || between == kRun ||
                    between.find_first_of(" \t") == std::string::npos)
            << "after offset " << gt;
    }
    EXPECT_EQ(spacesInRuns, 30u); // the other four separate the root's attributes
    EXPECT_EQ(t.rfind("<?xml version=\"1.0\"?>" + kRun +
                          "<?mso-application progid=\"Excel.Sheet\"?>" + kRun +
                          "<Workbook xmlns=\"urn:schemas-microsoft-com:office:spreadsheet\"" +
                          kRun + "xmlns:o=",
                      0),
              0u);
}

TEST(WorkbookTemplate, HoldsTheWorkbookItemsInOrder)
{
    workbook::XercesRuntime runtime;
    workbook::DocumentMemory memory(std::size_t(64) << 20);
    std::string error;
    DOMDocument* doc =
        workbook::ParseDocument(std::string(workbook::kTemplate, workbook::kTemplateLength),
                                workbook::kTemplateSystemId, &memory, &error);
    ASSERT_NE(doc, nullptr) << error;
    std::vector<std::string> items;
    Walk(doc->getDocumentElement(), &items);
    // Attributes come back in the library's order, by name.
    const std::vector<std::string> expected = {
        "Workbook xmlns=urn:schemas-microsoft-com:office:spreadsheet "
        "xmlns:html=http://www.w3.org/TR/REC-html40 "
        "xmlns:o=urn:schemas-microsoft-com:office:office "
        "xmlns:ss=urn:schemas-microsoft-com:office:spreadsheet "
        "xmlns:x=urn:schemas-microsoft-com:office:excel",
        "DocumentProperties xmlns=urn:schemas-microsoft-com:office:office",
        "Version=11.6360",
        "ExcelWorkbook xmlns=urn:schemas-microsoft-com:office:excel",
        "WindowHeight=10005",
        "WindowWidth=10005",
        "WindowTopX=120",
        "WindowTopY=135",
        "ProtectStructure=False",
        "ProtectWindows=False",
        "Styles",
        "Style ss:ID=Default ss:Name=Normal",
        "Alignment ss:Vertical=Bottom",
        "Borders",
        "Font ss:FontName=Arial Cyr x:CharSet=204",
        "Interior",
        "NumberFormat",
        "Protection",
        "Style ss:ID=s21",
        "NumberFormat ss:Format=Short Date",
        "Style ss:ID=s22",
        "NumberFormat ss:Format=Short Time",
    };
    EXPECT_EQ(items, expected);
    DOMNode* first = doc->getFirstChild();
    ASSERT_EQ(first->getNodeType(), DOMNode::PROCESSING_INSTRUCTION_NODE);
    EXPECT_EQ(FromXml(first->getNodeName()) + " " + FromXml(first->getNodeValue()),
              "mso-application progid=\"Excel.Sheet\"");
    doc->release();
}
