#include "framework/workbook/template.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <xercesc/dom/DOM.hpp>

#include "framework/workbook/document_io.h"
#include "framework/workbook/text.h"
#include "framework/workbook/xerces_runtime.h"

using namespace xercesc;

namespace {

const std::string kRun = "\t\t\t\t\t\t\t ";

std::string Template() { return std::string(workbook::kTemplate, workbook::kTemplateLength); }

// "name attr=value attr=value" of an element, or "name=text" when it holds
// only text.
std::string Describe(DOMElement* e)
{
    std::string out = workbook::FromXml(e->getTagName());
    DOMNamedNodeMap* attrs = e->getAttributes();
    for (XMLSize_t i = 0; i < attrs->getLength(); ++i)
        out += " " + workbook::FromXml(attrs->item(i)->getNodeName()) + "=" +
               workbook::FromXml(attrs->item(i)->getNodeValue());
    if (!e->getFirstElementChild() && e->getTextContent()[0])
        out += "=" + workbook::FromXml(e->getTextContent());
    return out;
}

void Walk(DOMElement* e, std::vector<std::string>* out)
{
    out->push_back(Describe(e));
    for (DOMElement* c = e->getFirstElementChild(); c; c = c->getNextElementSibling())
        Walk(c, out);
}

} // namespace

TEST(WorkbookTemplate, IsThirteenHundredTwentyTwoCharactersOfSevenBitText)
{
    const std::string t = Template();
    EXPECT_EQ(t.size(), 1322u);
    for (char c : t) EXPECT_LT(static_cast<unsigned char>(c), 0x80u);
    EXPECT_EQ(t.find('\n'), std::string::npos);
    EXPECT_EQ(t.find('\r'), std::string::npos);
}

TEST(WorkbookTemplate, HasThirtyFourRunsOfSevenTabsAndASpaceAndNoOtherWhitespaceBetweenTags)
{
    const std::string t = Template();
    size_t runs = 0;
    for (size_t at = t.find(kRun); at != std::string::npos; at = t.find(kRun, at + kRun.size())) ++runs;
    EXPECT_EQ(runs, 34u);
    size_t tabs = 0;
    for (char c : t) tabs += c == '\t';
    EXPECT_EQ(tabs, 238u);
    // Every stretch between '>' and '<' is empty, a run, or element text.
    for (size_t gt = t.find('>'); gt != std::string::npos; gt = t.find('>', gt + 1)) {
        size_t lt = t.find('<', gt);
        if (lt == std::string::npos) break;
        std::string between = t.substr(gt + 1, lt - gt - 1);
        if (between.find_first_of(" \t") != std::string::npos) {
            EXPECT_EQ(between, kRun) << "after offset " << gt;
        }
    }
}

TEST(WorkbookTemplate, StartsWithTheDeclarationAndTheSpreadsheetInstruction)
{
    const std::string t = Template();
    EXPECT_EQ(t.rfind("<?xml version=\"1.0\"?>" + kRun + "<?mso-application progid=\"Excel.Sheet\"?>" + kRun +
                          "<Workbook xmlns=\"urn:schemas-microsoft-com:office:spreadsheet\"" + kRun +
                          "xmlns:o=\"urn:schemas-microsoft-com:office:office\"" + kRun +
                          "xmlns:x=\"urn:schemas-microsoft-com:office:excel\"" + kRun +
                          "xmlns:ss=\"urn:schemas-microsoft-com:office:spreadsheet\"" + kRun +
                          "xmlns:html=\"http://www.w3.org/TR/REC-html40\">" + kRun + "<DocumentProperties",
                      0),
              0u);
    const std::string end = "</Styles>" + kRun + "</Workbook>";
    EXPECT_EQ(t.substr(t.size() - end.size()), end);
}

TEST(WorkbookTemplate, HoldsTheWorkbookItemsInOrder)
{
    workbook::XercesRuntime runtime;
    workbook::DocumentMemory memory(std::size_t(64) << 20);
    std::string error;
    DOMDocument* doc = workbook::ParseDocument(Template(), workbook::kTemplateSystemId, &memory, &error);
    ASSERT_NE(doc, nullptr) << error;
    std::vector<std::string> items;
    Walk(doc->getDocumentElement(), &items);
    // Attributes come back in the library's order, by name.
    const std::vector<std::string> expected = {
        "Workbook xmlns=urn:schemas-microsoft-com:office:spreadsheet xmlns:html=http://www.w3.org/TR/REC-html40 "
        "xmlns:o=urn:schemas-microsoft-com:office:office xmlns:ss=urn:schemas-microsoft-com:office:spreadsheet "
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
    // The processing instruction is part of the document, before the root.
    DOMNode* first = doc->getFirstChild();
    ASSERT_EQ(first->getNodeType(), DOMNode::PROCESSING_INSTRUCTION_NODE);
    EXPECT_EQ(workbook::FromXml(first->getNodeName()), "mso-application");
    EXPECT_EQ(workbook::FromXml(first->getNodeValue()), "progid=\"Excel.Sheet\"");
    doc->release();
}
