#include "workbook_fixture.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <xercesc/dom/DOM.hpp>

#include "platform/codepage.h"

using namespace xercesc;
namespace fs = std::filesystem;

namespace workbook_test {

namespace {

std::vector<DOMElement*> ElementsBelow(const DOMElement* parent, const char16_t* name)
{
    std::vector<DOMElement*> out;
    DOMNodeList* list = parent->getElementsByTagName(name);
    for (XMLSize_t i = 0; DOMNode* node = list->item(i); ++i)
        if (node->getNodeType() == DOMNode::ELEMENT_NODE)
            out.push_back(static_cast<DOMElement*>(node));
    return out;
}

} // namespace

void PrintTo(const CellData& cell, std::ostream* out)
{
    *out << platform::WideToUtf8(cell.type) << ":\"" << platform::WideToUtf8(cell.text) << "\"";
}

std::vector<Row> RowsOf(const IMWorkbook& book)
{
    std::vector<Row> rows;
    if (DOMElement* table = book.FindTable()) {
        for (DOMElement* row : ElementsBelow(table, u"Row")) {
            rows.emplace_back();
            for (DOMElement* data : ElementsBelow(row, u"Data"))
                rows.back().push_back({workbook::XmlToWide(data->getAttribute(u"ss:Type")),
                                       workbook::XmlToWide(data->getTextContent())});
        }
    }
    return rows;
}

std::vector<std::wstring> SheetNames(const IMWorkbook& book)
{
    std::vector<std::wstring> names;
    for (DOMElement* sheet : ElementsBelow(book.Document()->getDocumentElement(), u"Worksheet"))
        names.push_back(workbook::XmlToWide(sheet->getAttribute(u"ss:Name")));
    return names;
}

std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    ASSERT_TRUE(out.good()) << path;
}

bool Exists(const std::string& path)
{
    std::error_code ec;
    return fs::exists(fs::symlink_status(path, ec));
}

std::vector<std::string> Listing(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    return names;
}

void WorkbookTest::SetUp()
{
    char pattern[] = "/tmp/kvarlop-workbook-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
}

void WorkbookTest::TearDown()
{
    std::error_code ec;
    fs::remove_all(dir_, ec);
}

std::wstring WorkbookTest::WidePath(const std::string& utf8Name) const
{
    return platform::Utf8ToWide(DiskPath(utf8Name));
}

} // namespace workbook_test
