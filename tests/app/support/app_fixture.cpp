#include "app/support/app_fixture.h"

#include "platform/codepage.h"
#include "platform/kernel32.h"

#include <xercesc/dom/DOMElement.hpp>
#include <xercesc/dom/DOMNode.hpp>

#include <cstdlib>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace app_test {

namespace {

// Every application test runs on time that its loop passes move on
// (testing_support::Pass), whatever the machine's load.
class DrivenTime : public ::testing::Environment {
public:
    void SetUp() override { platform::clock::Drive(); }
    void TearDown() override { platform::clock::Release(); }
};

const ::testing::Environment* const kDrivenTime =
    ::testing::AddGlobalTestEnvironment(new DrivenTime);

} // namespace

double Seconds()
{
    LARGE_INTEGER now;
    LARGE_INTEGER frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

namespace {

std::wstring Wide(const XMLCh* text)
{
    std::wstring out;
    for (; text && *text; ++text)
        out.push_back(static_cast<wchar_t>(*text));
    return out;
}

void RemoveTree(const std::string& path)
{
    const std::string command = "rm -rf '" + path + "'";
    if (std::system(command.c_str()) != 0)
        std::fprintf(stderr, "could not remove %s\n", path.c_str());
}

} // namespace

std::vector<SheetRow> ReadSheet(const std::wstring& path, const std::wstring& sheet)
{
    std::vector<SheetRow> rows;
    if (!FileExists(platform::WidePathToUtf8(path)))
        return rows;
    IMWorkbook book(path, sheet);
    xercesc::DOMElement* table = book.FindTable();
    if (!table)
        return rows;
    for (xercesc::DOMElement* row = table->getFirstElementChild(); row;
         row = row->getNextElementSibling()) {
        if (Wide(row->getTagName()) != L"Row")
            continue;
        SheetRow cells;
        for (xercesc::DOMElement* cell = row->getFirstElementChild(); cell;
             cell = cell->getNextElementSibling()) {
            xercesc::DOMElement* data = cell->getFirstElementChild();
            if (!data)
                continue;
            cells.push_back(Wide(data->getAttribute(u"ss:Type")) + L":" +
                            Wide(data->getTextContent()));
        }
        rows.push_back(cells);
    }
    return rows;
}

bool FileExists(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool FolderExists(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

ScratchDataHome::ScratchDataHome() : hadSaved(false)
{
    char pattern[] = "/tmp/kvarlop-app-XXXXXX";
    const char* made = ::mkdtemp(pattern);
    folder = made ? made : "/tmp";
    if (const char* old = std::getenv("XDG_DATA_HOME")) {
        saved = old;
        hadSaved = true;
    }
    ::setenv("XDG_DATA_HOME", folder.c_str(), 1);
}

ScratchDataHome::~ScratchDataHome()
{
    if (hadSaved)
        ::setenv("XDG_DATA_HOME", saved.c_str(), 1);
    else
        ::unsetenv("XDG_DATA_HOME");
    RemoveTree(folder);
}

std::wstring ScratchDataHome::ResultsFile() const
{
    return platform::Utf8ToWide(folder) + L"/ZEMT/07342 Тренажер «Кварлоп».xls";
}

} // namespace app_test

void PrintTo(const ResultRow& row, std::ostream* out)
{
    *out << "{" << platform::WideToUtf8(row.label) << ", " << platform::WideToUtf8(row.value)
         << ", " << platform::WideToUtf8(row.kind) << "}";
}
