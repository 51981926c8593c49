// A workbook file in a shared folder is untrusted input: nothing outside it
// is read or fetched, and expansion is bounded.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "framework/workbook/document_io.h"
#include "workbook_fixture.h"

using namespace workbook_test;

class WorkbookUntrustedFile : public WorkbookTest {
protected:
    // Opens and saves a workbook on the hostile file, which must stay as it
    // is while the results go beside it.
    void OpenSaveAndExpectUntouched(const std::string& name, const std::string& bytes)
    {
        WriteBytes(DiskPath(name), bytes);
        testing::internal::CaptureStderr();
        {
            IMWorkbook book(WidePath(name), L"П");
            EXPECT_NE(book.GetFileName(), WidePath(name));
            EXPECT_TRUE(RowsOf(book).empty());
            EXPECT_TRUE(book.Save());
        }
        report_ = testing::internal::GetCapturedStderr();
        EXPECT_EQ(ReadBytes(DiskPath(name)), bytes);
    }
    // No file but `source` holds text.
    void ExpectOnlyIn(const std::string& text, const std::string& source)
    {
        for (const std::string& name : Listing(dir_)) {
            if (name == source)
                continue;
            EXPECT_EQ(ReadBytes(DiskPath(name)).find(text), std::string::npos) << name;
        }
    }
    std::string report_;
};

TEST_F(WorkbookUntrustedFile, ExternalEntityIsNotResolved)
{
    WriteBytes(DiskPath("secret.txt"), "TOP-SECRET");
    OpenSaveAndExpectUntouched(
        "w.xls",
        "<!DOCTYPE Workbook [<!ENTITY s SYSTEM \"file://" + DiskPath("secret.txt") +
            "\"><!ENTITY r SYSTEM \"secret.txt\">]><Workbook><Worksheet "
            "ss:Name=\"П\"><Table><Row><Cell>"
            "<Data ss:Type=\"String\">&s;&r;</Data></Cell></Row></Table></Worksheet></Workbook>");
    ExpectOnlyIn("TOP-SECRET", "secret.txt");
}

TEST_F(WorkbookUntrustedFile, ExternalDtdIsNotLoadedAndADocumentNeedingItIsNotUsed)
{
    WriteBytes(DiskPath("d.dtd"), "<!ENTITY e \"FROM-THE-DTD\">");
    OpenSaveAndExpectUntouched("w.xls", "<!DOCTYPE Workbook SYSTEM \"d.dtd\"><Workbook><Worksheet "
                                        "ss:Name=\"П\">&e;</Worksheet></Workbook>");
    ExpectOnlyIn("FROM-THE-DTD", "d.dtd");
}

TEST_F(WorkbookUntrustedFile, NothingIsFetchedFromTheNetwork)
{
    int server = socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(server, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(bind(server, reinterpret_cast<sockaddr*>(&address), length), 0);
    ASSERT_EQ(listen(server, 4), 0);
    ASSERT_EQ(getsockname(server, reinterpret_cast<sockaddr*>(&address), &length), 0);
    const std::string url = "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/x";

    OpenSaveAndExpectUntouched("dtd.xls",
                               "<!DOCTYPE Workbook SYSTEM \"" + url + ".dtd\"><Workbook/>");
    OpenSaveAndExpectUntouched("entity.xls", "<!DOCTYPE Workbook [<!ENTITY e SYSTEM \"" + url +
                                                 "\"><!ENTITY % p SYSTEM \"" + url +
                                                 "p\"> %p;]><Workbook>&e;</Workbook>");
    fcntl(server, F_SETFL, O_NONBLOCK);
    int client = accept(server, nullptr, nullptr);
    EXPECT_LT(client, 0) << "the parser connected to " << url;
    if (client >= 0)
        close(client);
    close(server);
}

TEST_F(WorkbookUntrustedFile, EntityExpansionIsBoundedButAFewEntitiesAreFine)
{
    std::string bomb = "<!DOCTYPE Workbook [<!ENTITY l0 \"lollollollollol\">";
    for (int level = 1; level <= 9; ++level) {
        bomb += "<!ENTITY l" + std::to_string(level) + " \"";
        for (int i = 0; i < 10; ++i)
            bomb += "&l" + std::to_string(level - 1) + ";";
        bomb += "\">";
    }
    OpenSaveAndExpectUntouched(
        "bomb.xls", bomb + "]><Workbook><Worksheet ss:Name=\"П\">&l9;</Worksheet></Workbook>");
    EXPECT_NE(report_.find("entity expansions"), std::string::npos) << report_;

    WriteBytes(DiskPath("w.xls"),
               "<!DOCTYPE Workbook [<!ENTITY n \"Петя\">]><Workbook><Worksheet ss:Name=\"&n;\">"
               "<Table><Row><Cell><Data ss:Type=\"String\">&#1040;&amp;&n;</Data></Cell></Row>"
               "</Table></Worksheet></Workbook>");
    IMWorkbook book(WidePath("w.xls"), L"Петя");
    EXPECT_EQ(RowsOf(book), (std::vector<Row>{{{L"String", L"А&Петя"}}}));
}

TEST(WorkbookDocumentMemory, RunawayDocumentHitsTheMemoryBound)
{
    workbook::XercesRuntime runtime;
    const std::string big = "<Workbook>" + std::string(4 << 20, 'x') + "</Workbook>";
    workbook::DocumentMemory small(1 << 20), enough(std::size_t(64) << 20);
    std::string error;
    EXPECT_EQ(workbook::ParseDocument(big, "big", &small, &error), nullptr);
    EXPECT_NE(error.find("memory"), std::string::npos) << error;
    EXPECT_EQ(small.InUse(), 0u);
    xercesc::DOMDocument* doc = workbook::ParseDocument(big, "big", &enough, &error);
    ASSERT_NE(doc, nullptr) << error;
    EXPECT_GT(enough.InUse(), std::size_t(4) << 20);
    doc->release();
    EXPECT_EQ(enough.InUse(), 0u);
}

TEST(WorkbookDocumentMemory, OneEntityRepeatedIsRefusedWithinTheBoundOfItsFile)
{
    workbook::XercesRuntime runtime;
    // 150 KB of text, referenced 900 times: about 270 MB once expanded.
    std::string bytes =
        "<!DOCTYPE Workbook [<!ENTITY x \"" + std::string(150 << 10, 'x') + "\">]><Workbook>";
    for (int i = 0; i < 900; ++i)
        bytes += "&x;";
    bytes += "</Workbook>";
    workbook::DocumentMemory memory(workbook::DocumentMemoryLimit(bytes.size()));
    std::string error;
    EXPECT_EQ(workbook::ParseWorkbook(bytes, "wide", &memory, &error), nullptr);
    EXPECT_NE(error.find("memory"), std::string::npos) << error;
    EXPECT_LT(workbook::DocumentMemoryLimit(bytes.size()), std::size_t(68) << 20);
}

TEST(WorkbookDocumentMemory, AWorkbookAsLibreOfficeWritesItFitsTheBoundUpToTheFileLimit)
{
    workbook::XercesRuntime runtime;
    // The densest rows LibreOffice writes: one-character cells.
    std::string row = "<Row ss:Height=\"12.816\">";
    for (int i = 0; i < 10; ++i)
        row += "<Cell><Data ss:Type=\"Number\">7</Data></Cell>";
    row += "</Row>";
    std::string bytes = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Workbook "
                        "xmlns=\"urn:schemas-microsoft-com:office:spreadsheet\" "
                        "xmlns:ss=\"urn:schemas-microsoft-com:office:spreadsheet\">"
                        "<Worksheet ss:Name=\"П\"><Table>";
    for (int i = 0; i < 4000; ++i)
        bytes += row;
    bytes += "</Table></Worksheet></Workbook>";
    workbook::DocumentMemory measure(std::size_t(1) << 30);
    std::string error;
    xercesc::DOMDocument* doc = workbook::ParseWorkbook(bytes, "lo", &measure, &error);
    ASSERT_NE(doc, nullptr) << error;
    const double perByte = double(measure.InUse()) / bytes.size();
    doc->release();
    // Such rows filling the largest file read, and a year of runs added.
    EXPECT_GT(double(workbook::DocumentMemoryLimit(workbook::kFileLimit)),
              perByte * workbook::kFileLimit + double(16 << 20))
        << perByte << " bytes of memory per byte of file";
}
