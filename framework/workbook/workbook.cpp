#include "framework/workbook/workbook.h"

#include <cstdio>
#include <new>
#include <stdexcept>

#include <xercesc/dom/DOM.hpp>
#include <xercesc/util/OutOfMemoryException.hpp>
#include <xercesc/util/XMLException.hpp>
#include <xercesc/util/XMLString.hpp>

#include "framework/workbook/document_io.h"
#include "framework/workbook/template.h"
#include "platform/codepage.h"

using namespace xercesc;
using workbook::FromXml;
using workbook::Narrow;
using workbook::ToXml;
using workbook::X;

namespace {

// A school year of results is a few megabytes; these bounds only stop a
// hostile or broken file from taking the machine down.
constexpr std::size_t kFileLimit = std::size_t(128) << 20;
constexpr std::size_t kDocumentMemoryLimit = std::size_t(512) << 20;

// How many names beside a file that is not a workbook are tried.
constexpr int kAsideAttempts = 1000;

std::string OnDisk(const std::string& narrowPath)
{
    return platform::Cp1251PathToUtf8(narrowPath);
}

void Report(const std::string& message)
{
    std::fprintf(stderr, "workbook: %s\n", message.c_str());
}

// "<stem> (новый).ext" for n = 1, "<stem> (новый n).ext" after it.
std::string AsideName(const std::string& narrowPath, int n)
{
    std::string::size_type slash = narrowPath.find_last_of('/');
    std::string::size_type nameStart = slash == std::string::npos ? 0 : slash + 1;
    std::string::size_type dot = narrowPath.find_last_of('.');
    if (dot == std::string::npos || dot <= nameStart) dot = narrowPath.size();
    std::wstring mark = n == 1 ? L" (новый)" : L" (новый " + std::to_wstring(n) + L")";
    return narrowPath.substr(0, dot) + Narrow(mark) + narrowPath.substr(dot);
}

} // namespace

IMWorkbook::IMWorkbook(const std::wstring& filePath, const std::wstring& name)
    : memory(new workbook::DocumentMemory(kDocumentMemoryLimit)),
      path(Narrow(filePath)),
      sheetName(Narrow(name))
{
    implementation = DOMImplementationRegistry::getDOMImplementation(u"LS");
    if (!implementation) throw std::runtime_error("XML library: no DOM implementation");
    Open();
    SelectSheet();
}

IMWorkbook::~IMWorkbook()
{
    if (document) document->release();
}

void IMWorkbook::Open()
{
    workbook::ReadResult read = workbook::ReadWholeFile(OnDisk(path), kFileLimit);
    if (read.status == workbook::ReadStatus::Missing) {
        StartFromTemplate();
        return;
    }
    std::string why;
    if (read.status == workbook::ReadStatus::Ok) {
        document = workbook::ParseWorkbook(read.bytes, path.c_str(), memory.get(), &why);
        if (document) {
            ownStamp = read.stamp;
            return;
        }
    } else {
        why = "it cannot be read: " + read.error;
    }
    if (!MoveAside(why, true)) {
        // Nowhere to go: the document starts afresh, and every save to the
        // own file will refuse to replace what is there.
        StartFromTemplate();
    }
}

void IMWorkbook::StartFromTemplate()
{
    std::string template_(workbook::kTemplate, workbook::kTemplateLength);
    std::string error;
    document = workbook::ParseDocument(template_, workbook::kTemplateSystemId, memory.get(), &error);
    if (!document) throw std::runtime_error("XML library: cannot read the workbook template: " + error);
    ownStamp = workbook::FileStamp();
}

// Gives the workbook a file of its own beside its current one, which is not
// a workbook (why says what it is). With acceptWorkbook, a workbook already
// there is read and extended (that is where earlier results went); without,
// only a free name will do.
bool IMWorkbook::MoveAside(const std::string& why, bool acceptWorkbook)
{
    const std::string original = path;
    const std::string left = "\"" + OnDisk(original) + "\" is left as it is (" + why + ")";
    for (int n = 1; n <= kAsideAttempts; ++n) {
        std::string candidate = AsideName(original, n);
        workbook::ReadResult read = workbook::ReadWholeFile(OnDisk(candidate), kFileLimit);
        if (read.status == workbook::ReadStatus::Missing) {
            path = candidate;
            if (!document) StartFromTemplate();
            ownStamp = workbook::FileStamp();
        } else if (acceptWorkbook && read.status == workbook::ReadStatus::Ok) {
            std::string error;
            DOMDocument* parsed = workbook::ParseWorkbook(read.bytes, candidate.c_str(), memory.get(), &error);
            if (!parsed) continue;
            path = candidate;
            document = parsed;
            ownStamp = read.stamp;
        } else {
            continue;
        }
        Report(left + "; the results go to \"" + OnDisk(path) + "\"");
        return true;
    }
    Report(left + "; there is no free name beside it");
    return false;
}

// False, with *why, when the own file is no longer one to replace: it
// changed since it was last read or written and is not a workbook now.
bool IMWorkbook::OwnFileIsStillOurs(std::string* why)
{
    workbook::FileStamp now = workbook::StampOf(OnDisk(path));
    if (!now.exists || now == ownStamp) return true;
    workbook::ReadResult read = workbook::ReadWholeFile(OnDisk(path), kFileLimit);
    if (read.status == workbook::ReadStatus::Missing) return true;
    if (read.status != workbook::ReadStatus::Ok) {
        *why = "it has been replaced by something that cannot be read: " + read.error;
        return false;
    }
    workbook::DocumentMemory scratch(kDocumentMemoryLimit);
    std::string error;
    DOMDocument* parsed = workbook::ParseWorkbook(read.bytes, path.c_str(), &scratch, &error);
    if (!parsed) {
        *why = "it has been replaced by something that is not a results workbook: " + error;
        return false;
    }
    parsed->release();
    return true;
}

void IMWorkbook::SelectSheet()
{
    DOMElement* root = document->getDocumentElement();
    const std::u16string wanted = ToXml(sheetName);
    DOMNodeList* sheets = root->getElementsByTagName(u"Worksheet");
    // item() walks on from the last match; getLength() would walk the
    // whole document every time.
    for (XMLSize_t i = 0; DOMNode* node = sheets->item(i); ++i) {
        if (node->getNodeType() != DOMNode::ELEMENT_NODE) continue;
        auto* element = static_cast<DOMElement*>(node);
        if (XMLString::compareString(element->getAttribute(u"ss:Name"), X(wanted)) == 0) {
            sheet = element;
            return;
        }
    }
    sheet = Append(root, u"Worksheet");
    sheet->setAttribute(u"ss:Name", X(wanted));
    DOMElement* table = Append(sheet, u"Table");
    DOMElement* first = Append(table, u"Column");
    first->setAttribute(u"ss:AutoFitWidth", u"0");
    first->setAttribute(u"ss:Width", u"240");
    DOMElement* second = Append(table, u"Column");
    second->setAttribute(u"ss:AutoFitWidth", u"0");
    second->setAttribute(u"ss:Width", u"96");
}

DOMElement* IMWorkbook::Append(DOMElement* parent, const char16_t* name)
{
    DOMElement* element = document->createElement(name);
    parent->appendChild(element);
    return element;
}

DOMElement* IMWorkbook::FindTable() const
{
    DOMNodeList* tables = sheet->getElementsByTagName(u"Table");
    for (XMLSize_t i = 0; DOMNode* node = tables->item(i); ++i) {
        if (node->getNodeType() == DOMNode::ELEMENT_NODE) return static_cast<DOMElement*>(node);
    }
    return nullptr;
}

DOMElement* IMWorkbook::TableForRows()
{
    DOMElement* table = FindTable();
    return table ? table : Append(sheet, u"Table");
}

void IMWorkbook::AddRow(const std::wstring& label, const std::wstring& value, const std::wstring& kind)
{
    try {
        DOMElement* row = Append(TableForRows(), u"Row");
        DOMElement* first = Append(Append(row, u"Cell"), u"Data");
        first->setAttribute(u"ss:Type", u"String");
        first->appendChild(document->createTextNode(X(ToXml(Narrow(label)))));
        DOMElement* second = Append(Append(row, u"Cell"), u"Data");
        second->setAttribute(u"ss:Type", X(ToXml(Narrow(kind))));
        second->appendChild(document->createTextNode(X(ToXml(Narrow(value)))));
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
        Append(TableForRows(), u"Row");
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
    return workbook::Widen(path);
}

bool IMWorkbook::Save(const std::wstring& target)
{
    const bool own = target.empty();
    std::string why;
    if (own && !OwnFileIsStillOurs(&why) && !MoveAside(why, false)) {
        Report("the results are not saved");
        return false;
    }
    const std::string narrowTarget = own ? path : Narrow(target);
    const std::string onDisk = OnDisk(narrowTarget);

    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(ownStamp.size) + (std::size_t(1) << 16));
    std::string error;
    if (!workbook::SerializeDocument(implementation, document, &bytes, &error)) {
        Report("cannot save the results to \"" + onDisk + "\": " + error);
        return false;
    }
    workbook::WriteResult written = workbook::ReplaceFile(onDisk, bytes, beforeReplace);
    // Whatever the target was called, if it is the own file now, the own
    // file is as this workbook wrote it.
    if (written.stamp.exists && workbook::StampOf(OnDisk(path)) == written.stamp)
        ownStamp = written.stamp;
    if (!written.ok) {
        Report("cannot save the results to \"" + onDisk + "\": " + written.error);
        return false;
    }
    return true;
}
