#include "framework/workbook/workbook.h"

#include <array>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <new>
#include <stdexcept>

#include <xercesc/dom/DOM.hpp>
#include <xercesc/util/OutOfMemoryException.hpp>
#include <xercesc/util/XMLException.hpp>
#include <xercesc/util/XMLString.hpp>

#include <sys/stat.h>

#include "framework/workbook/document_io.h"
#include "framework/workbook/names.h"
#include "framework/workbook/save_lock.h"
#include "framework/workbook/template.h"
#include "platform/codepage.h"

using namespace xercesc;
using workbook::FromXml;
using workbook::Narrow;
using workbook::ToXml;
using workbook::X;

namespace {

using workbook::kFileLimit;

// How many names beside a file that is not a workbook are tried.
constexpr int kAsideAttempts = 1000;

// How long a save waits for another program's save of the same file.
constexpr std::chrono::milliseconds kLockPatience(5000);

void Report(const std::string& message)
{
    std::fprintf(stderr, "workbook: %s\n", message.c_str());
}

// "<stem> (новый).ext" for n = 1, "<stem> (новый n).ext" after it.
std::string AsideName(const std::string& utf8Path, int n)
{
    std::string::size_type slash = utf8Path.find_last_of('/');
    std::string::size_type nameStart = slash == std::string::npos ? 0 : slash + 1;
    std::string::size_type dot = utf8Path.find_last_of('.');
    if (dot == std::string::npos || dot <= nameStart)
        dot = utf8Path.size();
    std::string mark = n == 1 ? u8" (новый)" : u8" (новый " + std::to_string(n) + ")";
    return utf8Path.substr(0, dot) + mark + utf8Path.substr(dot);
}

// Every Worksheet element below parent, in document order.
void CollectSheets(const DOMElement* parent, std::vector<DOMElement*>* out)
{
    for (DOMNode* node = parent->getFirstChild(); node; node = node->getNextSibling()) {
        if (node->getNodeType() != DOMNode::ELEMENT_NODE)
            continue;
        auto* element = static_cast<DOMElement*>(node);
        if (workbook::IsSpreadsheetElement(element, u"Worksheet"))
            out->push_back(element);
        else
            CollectSheets(element, out);
    }
}

} // namespace

IMWorkbook::IMWorkbook(const std::wstring& filePath, const std::wstring& name)
    : path(platform::WidePathToUtf8(filePath)),
      sheetName(Narrow(name))
{
    implementation = DOMImplementationRegistry::getDOMImplementation(u"LS");
    if (!implementation)
        throw std::runtime_error("XML library: no DOM implementation");
    Open();
    SelectSheet(name);
}

IMWorkbook::~IMWorkbook()
{
    if (document)
        document->release();
}

DOMDocument* IMWorkbook::Parse(const workbook::ReadResult& read, const std::string& where,
                               std::unique_ptr<workbook::DocumentMemory>* parsedMemory,
                               std::string* why)
{
    auto heap = std::make_unique<workbook::DocumentMemory>(
        workbook::DocumentMemoryLimit(read.bytes.size()));
    DOMDocument* parsed = workbook::ParseWorkbook(read.bytes, where.c_str(), heap.get(), why);
    if (parsed)
        *parsedMemory = std::move(heap);
    return parsed;
}

// Makes the parsed document the workbook's, in place of the one it held.
void IMWorkbook::Adopt(DOMDocument* parsed, std::unique_ptr<workbook::DocumentMemory> parsedMemory)
{
    if (document)
        document->release();
    document = parsed;
    memory = std::move(parsedMemory);
    const workbook::Prefixes prefixes = workbook::PrefixesOf(document->getDocumentElement());
    elementPrefix = prefixes.element;
    attributePrefix = prefixes.attribute;
    sheet = nullptr;
}

void IMWorkbook::Open()
{
    if (path.empty()) {
        StartFromTemplate();
        return;
    }
    workbook::ReadResult read = workbook::ReadWholeFile(path, kFileLimit);
    if (read.status == workbook::ReadStatus::Missing) {
        StartFromTemplate();
        return;
    }
    std::string why;
    int cause = workbook::kNotAWorkbook;
    if (read.status == workbook::ReadStatus::Ok) {
        std::unique_ptr<workbook::DocumentMemory> heap;
        if (DOMDocument* parsed = Parse(read, path, &heap, &why)) {
            Adopt(parsed, std::move(heap));
            ownStamp = read.stamp;
            return;
        }
    } else {
        why = "it cannot be read: " + read.error;
        cause = read.errorCode;
    }
    if (!MoveAside(why, cause, true)) {
        // Nowhere to go: the document starts afresh, and every save to the
        // own file will refuse to replace what is there.
        StartFromTemplate();
    }
}

void IMWorkbook::StartFromTemplate()
{
    std::string template_(workbook::kTemplate, workbook::kTemplateLength);
    std::string error;
    auto heap = std::make_unique<workbook::DocumentMemory>(workbook::DocumentMemoryLimit(0));
    DOMDocument* parsed =
        workbook::ParseDocument(template_, workbook::kTemplateSystemId, heap.get(), &error);
    if (!parsed)
        throw std::runtime_error("XML library: cannot read the workbook template: " + error);
    Adopt(parsed, std::move(heap));
    ownStamp = workbook::FileStamp();
}

// Gives the workbook a file of its own beside its current one, which is not
// a workbook (why says what it is). With acceptWorkbook, a workbook already
// there is read and extended (that is where earlier results went); without,
// only a free name will do.
bool IMWorkbook::MoveAside(const std::string& why, int cause, bool acceptWorkbook)
{
    const std::string original = path;
    const std::string left = "\"" + original + "\" is left as it is (" + why + ")";
    for (int n = 1; n <= kAsideAttempts; ++n) {
        std::string candidate = AsideName(original, n);
        workbook::ReadResult read = workbook::ReadWholeFile(candidate, kFileLimit);
        if (read.status == workbook::ReadStatus::Missing) {
            path = candidate;
            if (!document)
                StartFromTemplate();
            ownStamp = workbook::FileStamp();
        } else if (acceptWorkbook && read.status == workbook::ReadStatus::Ok) {
            std::string error;
            std::unique_ptr<workbook::DocumentMemory> heap;
            DOMDocument* parsed = Parse(read, candidate, &heap, &error);
            if (!parsed)
                continue;
            path = candidate;
            Adopt(parsed, std::move(heap));
            ownStamp = read.stamp;
        } else {
            continue;
        }
        Report(left + "; the results go to \"" + path + "\"");
        leftAlone = workbook::SaveFailure{workbook::SaveStep::Read, cause, original};
        return true;
    }
    Report(left + "; there is no free name beside it");
    return false;
}

// Compares the own file with what this workbook last read or wrote. When
// another program has written a workbook there since, that becomes the
// document, with the rows not yet saved added to it.
IMWorkbook::DiskState IMWorkbook::CatchUpWithDisk(std::string* why, int* cause)
{
    workbook::FileStamp now = workbook::StampOf(path);
    if (!now.exists || now == ownStamp)
        return DiskState::AsWritten;
    workbook::ReadResult read = workbook::ReadWholeFile(path, kFileLimit);
    if (read.status == workbook::ReadStatus::Missing)
        return DiskState::AsWritten;
    if (read.status != workbook::ReadStatus::Ok) {
        *why = "it has been replaced by something that cannot be read: " + read.error;
        *cause = read.errorCode;
        return DiskState::NotAWorkbook;
    }
    std::unique_ptr<workbook::DocumentMemory> heap;
    std::string error;
    DOMDocument* parsed = Parse(read, path, &heap, &error);
    if (!parsed) {
        *why = "it has been replaced by something that is not a results workbook: " + error;
        *cause = workbook::kNotAWorkbook;
        return DiskState::NotAWorkbook;
    }
    const std::string current = sheetName;
    Adopt(parsed, std::move(heap));
    ownStamp = read.stamp;
    try {
        MergePending();
    } catch (const OutOfMemoryException&) {
        Report("out of memory: rows are missing from \"" + path + "\"");
    } catch (const DOMException& e) {
        Report("rows are missing from \"" + path + "\": " + FromXml(e.getMessage()));
    }
    sheet = FindOrAddSheet(current);
    return DiskState::Merged;
}

DOMElement* IMWorkbook::FindOrAddSheet(const std::string& name)
{
    DOMElement* root = document->getDocumentElement();
    const std::u16string wanted = ToXml(name);
    std::vector<DOMElement*> sheets;
    CollectSheets(root, &sheets);
    for (DOMElement* element : sheets) {
        DOMAttr* attr = workbook::SpreadsheetAttribute(element, u"Name");
        if (attr && XMLString::compareString(attr->getValue(), X(wanted)) == 0)
            return element;
    }
    DOMElement* added = Append(root, u"Worksheet");
    added->setAttribute(X(attributePrefix + u"Name"), X(wanted));
    DOMElement* table = Append(added, u"Table");
    // The first column is indexed: without it some spreadsheet programs put
    // the widths of a later sheet on the columns after the earlier sheet's.
    bool first = true;
    for (const char16_t* width : {u"240", u"96"}) {
        DOMElement* column = Append(table, u"Column");
        if (first)
            column->setAttribute(X(attributePrefix + u"Index"), u"1");
        first = false;
        column->setAttribute(X(attributePrefix + u"AutoFitWidth"), u"0");
        column->setAttribute(X(attributePrefix + u"Width"), width);
    }
    return added;
}

void IMWorkbook::SelectSheet(const std::wstring& name)
{
    sheetName = Narrow(name);
    sheet = FindOrAddSheet(sheetName);
}

DOMElement* IMWorkbook::Append(DOMElement* parent, const std::u16string& name)
{
    DOMElement* element = document->createElement(X(elementPrefix + name));
    parent->appendChild(element);
    return element;
}

DOMElement* IMWorkbook::FindTable() const
{
    return workbook::FirstSpreadsheetElement(sheet, u"Table");
}

DOMElement* IMWorkbook::TableForRows(DOMElement* ofSheet)
{
    DOMElement* table = workbook::FirstSpreadsheetElement(ofSheet, u"Table");
    return table ? table : Append(ofSheet, u"Table");
}

void IMWorkbook::AppendRow(DOMElement* toSheet, const PendingRow& pendingRow)
{
    TableForRows(toSheet)->appendChild(NewRow(pendingRow));
}

// Adds the rows not yet saved to a document just read from the own file.
// A run this workbook had begun to save goes on right after its last saved
// row, up to its empty row, however many rows other programs have added
// since; every other row goes to the end of its worksheet.
void IMWorkbook::MergePending()
{
    std::map<std::string, DOMElement*> after; // the row the next one follows
    for (const auto& [name, run] : savedOpenRuns) {
        if (run.empty())
            continue;
        if (DOMElement* last = LastSavedRowOfOpenRun(FindOrAddSheet(name), run))
            after[name] = last;
    }
    for (const PendingRow& row : pending) {
        auto at = after.find(row.sheet);
        if (at == after.end()) {
            AppendRow(FindOrAddSheet(row.sheet), row);
            continue;
        }
        DOMElement* added = NewRow(row);
        at->second->getParentNode()->insertBefore(added, at->second->getNextSibling());
        if (row.empty)
            after.erase(at);
        else
            at->second = added;
    }
}

namespace {

// The text of a Data element, "" when it has none.
std::u16string TextOf(const DOMElement* data)
{
    std::u16string text;
    for (DOMNode* node = data->getFirstChild(); node; node = node->getNextSibling()) {
        if (node->getNodeType() == DOMNode::TEXT_NODE ||
            node->getNodeType() == DOMNode::CDATA_SECTION_NODE)
            text += node->getNodeValue();
    }
    return text;
}

// Whether a Row holds two cells with these types and texts, as a row that
// AppendRow wrote does.
bool RowHolds(const DOMElement* row, const std::array<std::u16string, 4>& expected)
{
    int cells = 0;
    for (DOMNode* node = row->getFirstChild(); node; node = node->getNextSibling()) {
        if (node->getNodeType() != DOMNode::ELEMENT_NODE)
            continue;
        auto* cell = static_cast<const DOMElement*>(node);
        if (!workbook::IsSpreadsheetElement(cell, u"Cell"))
            continue;
        if (cells == 2)
            return false;
        const DOMElement* data = workbook::FirstSpreadsheetElement(cell, u"Data");
        const DOMAttr* type = data ? workbook::SpreadsheetAttribute(data, u"Type") : nullptr;
        if (!type || expected[2 * cells] != type->getValue() ||
            expected[2 * cells + 1] != TextOf(data))
            return false;
        ++cells;
    }
    return cells == 2;
}

} // namespace

// The row this workbook saved last of a run it has not ended, found by the
// run's saved rows standing together in the worksheet's table (the last
// place they do); null when they are not there or later rows of the table
// carry their own index, which rows put in between would contradict.
DOMElement* IMWorkbook::LastSavedRowOfOpenRun(DOMElement* ofSheet,
                                              const std::vector<PendingRow>& run)
{
    DOMElement* table = workbook::FirstSpreadsheetElement(ofSheet, u"Table");
    if (!table || run.empty())
        return nullptr;
    std::vector<std::array<std::u16string, 4>> expected;
    for (const PendingRow& row : run)
        expected.push_back({u"String", ToXml(Narrow(row.label)), ToXml(Narrow(row.kind)),
                            ToXml(Narrow(row.value))});
    std::vector<DOMElement*> rows;
    for (DOMNode* node = table->getFirstChild(); node; node = node->getNextSibling()) {
        if (node->getNodeType() == DOMNode::ELEMENT_NODE &&
            workbook::IsSpreadsheetElement(static_cast<DOMElement*>(node), u"Row"))
            rows.push_back(static_cast<DOMElement*>(node));
    }
    for (std::size_t end = rows.size(); end >= expected.size(); --end) {
        const std::size_t first = end - expected.size();
        bool same = true;
        for (std::size_t i = 0; same && i < expected.size(); ++i) {
            same = RowHolds(rows[first + i], expected[i]);
        }
        if (!same)
            continue;
        for (std::size_t later = end; later < rows.size(); ++later) {
            if (workbook::SpreadsheetAttribute(rows[later], u"Index"))
                return nullptr;
        }
        return rows[end - 1];
    }
    return nullptr;
}

DOMElement* IMWorkbook::NewRow(const PendingRow& pendingRow)
{
    DOMElement* row = document->createElement(X(elementPrefix + u"Row"));
    if (pendingRow.empty)
        return row;
    const std::u16string type = attributePrefix + u"Type";
    DOMElement* first = Append(Append(row, u"Cell"), u"Data");
    first->setAttribute(X(type), u"String");
    first->appendChild(document->createTextNode(X(ToXml(Narrow(pendingRow.label)))));
    DOMElement* second = Append(Append(row, u"Cell"), u"Data");
    second->setAttribute(X(type), X(ToXml(Narrow(pendingRow.kind))));
    second->appendChild(document->createTextNode(X(ToXml(Narrow(pendingRow.value)))));
    return row;
}

void IMWorkbook::AddRow(const std::wstring& label, const std::wstring& value,
                        const std::wstring& kind)
{
    try {
        PendingRow row{sheetName, false, label, value, kind};
        AppendRow(sheet, row);
        pending.push_back(std::move(row));
    } catch (const OutOfMemoryException&) {
        Report("out of memory: a results row is lost");
    } catch (const DOMException& e) {
        Report("a results row is lost: " + FromXml(e.getMessage()));
    } catch (const std::bad_alloc&) {
        Report("out of memory: a results row is lost");
    }
}

void IMWorkbook::AddEmptyRow()
{
    try {
        PendingRow row{sheetName, true, {}, {}, {}};
        AppendRow(sheet, row);
        pending.push_back(std::move(row));
    } catch (const OutOfMemoryException&) {
        Report("out of memory: an empty row is lost");
    } catch (const DOMException& e) {
        Report("an empty row is lost: " + FromXml(e.getMessage()));
    } catch (const std::bad_alloc&) {
        Report("out of memory: an empty row is lost");
    }
}

std::wstring IMWorkbook::GetFileName() const
{
    return platform::PathToWide(path);
}

bool IMWorkbook::IsAnotherFile(const std::wstring& target) const
{
    struct stat there;
    if (target.empty() || ::stat(platform::WidePathToUtf8(target).c_str(), &there) != 0 ||
        !S_ISREG(there.st_mode))
        return false;
    struct stat own;
    return path.empty() || ::stat(path.c_str(), &own) != 0 || own.st_dev != there.st_dev ||
           own.st_ino != there.st_ino;
}

bool IMWorkbook::Fail(const std::string& target, const std::string& why, workbook::SaveStep step,
                      int cause)
{
    const std::string line = "cannot save the results to \"" + target + "\": " + why;
    Report(line);
    lastError = platform::Utf8ToWide(line);
    lastFailure = workbook::SaveFailure{step, cause, target};
    return false;
}

bool IMWorkbook::Save(const std::wstring& target)
{
    const std::string utf8Target = platform::WidePathToUtf8(target);
    if (target.empty() || utf8Target == path)
        return SaveOwn();
    return WriteTo(utf8Target, false);
}

bool IMWorkbook::SaveOwn()
{
    using workbook::SaveStep;
    if (path.empty())
        return Fail(path, "the workbook was given no file name", SaveStep::Create,
                    workbook::kNoFolder);
    workbook::SaveLock lock(path, kLockPatience);
    if (lock.TimedOut())
        return Fail(path, "another program has been saving it for too long", SaveStep::Wait,
                    EWOULDBLOCK);
    workbook::RemoveStaleTemporaryFiles(path);
    std::string why;
    int cause = workbook::kNotAWorkbook;
    if (CatchUpWithDisk(&why, &cause) == DiskState::NotAWorkbook && !MoveAside(why, cause, false))
        return Fail(path, "it is no longer a results workbook and there is no free name beside it",
                    SaveStep::Create, workbook::kNoFreeName);
    return WriteTo(path, true);
}

bool IMWorkbook::WriteTo(const std::string& target, bool own)
{
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(ownStamp.size) + (std::size_t(1) << 16));
    std::string error;
    try {
        std::vector<DOMElement*> sheets;
        CollectSheets(document->getDocumentElement(), &sheets);
        for (DOMElement* each : sheets) {
            if (DOMElement* table = workbook::FirstSpreadsheetElement(each, u"Table")) {
                workbook::KeepExpandedCountsTrue(table);
                workbook::IndexFirstColumn(table, attributePrefix);
            }
        }
    } catch (const DOMException& e) {
        return Fail(target, FromXml(e.getMessage()), workbook::SaveStep::Write,
                    workbook::kInternal);
    } catch (const OutOfMemoryException&) {
        return Fail(target, "out of memory", workbook::SaveStep::Write, ENOMEM);
    }
    if (!workbook::SerializeDocument(implementation, document, &bytes, &error))
        return Fail(target, error, workbook::SaveStep::Write,
                    error == "out of memory" ? ENOMEM : workbook::kInternal);
    workbook::WriteResult written = workbook::ReplaceFile(target, bytes, beforeReplace);
    // Whatever the target was called, if it is the own file now, the own
    // file is as this workbook wrote it.
    if (written.stamp.exists && workbook::StampOf(path) == written.stamp) {
        ownStamp = written.stamp;
        own = true;
    }
    if (!written.ok)
        return Fail(target, written.error, written.step, written.errorCode);
    if (own) {
        for (PendingRow& row : pending) {
            std::vector<PendingRow>& run = savedOpenRuns[row.sheet];
            if (row.empty)
                run.clear();
            else
                run.push_back(std::move(row));
        }
        pending.clear();
    }
    lastError.clear();
    lastFailure = workbook::SaveFailure();
    return true;
}
