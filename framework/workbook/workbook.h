// The results workbook: a SpreadsheetML document (the XML spreadsheet of
// office programs) held in memory, with one worksheet per pupil, that is
// written to a file on request. One file serves many pupils: a pupil seen
// before gets the new rows appended to the same worksheet.
#pragma once

#include <map>
#include <memory>
#include <string>

#include <xercesc/dom/DOMDocument.hpp>
#include <xercesc/dom/DOMElement.hpp>
#include <xercesc/dom/DOMImplementation.hpp>

#include "framework/workbook/file_io.h"
#include "framework/workbook/text.h"
#include "framework/workbook/xerces_runtime.h"
#include "platform/wintypes.h"

namespace workbook {
class DocumentMemory;
}

class IMWorkbook {
public:
    // Reads the workbook at path (a file name whose characters code page 1251
    // holds; others become '?'), or starts from the built-in template when
    // there is no file, and selects the worksheet named sheetName, adding it
    // when the document has none of that name.
    //
    // A file at path that is not a workbook (unreadable, not XML, another
    // root element) is never used and never overwritten: the workbook then
    // belongs to a file beside it, "<name> (новый).xls" or "<name> (новый 2)"
    // and so on, the first one that does not exist or is a workbook itself;
    // GetFileName names it. Throws std::runtime_error only when the XML
    // library cannot work at all.
    IMWorkbook(const std::wstring& path, const std::wstring& sheetName);
    ~IMWorkbook();
    IMWorkbook(const IMWorkbook&) = delete;
    IMWorkbook& operator=(const IMWorkbook&) = delete;

    // Writes the document to path, or to the workbook's own file when path
    // is empty; the own file stays the same whatever path is given. The file
    // is replaced atomically: a save that fails or is interrupted leaves the
    // previous file whole. Returns false when the file could not be written
    // (the reason goes to the standard error stream); the workbook keeps every
    // row, so a later save can still succeed.
    //
    // When the own file has been replaced by something that is not a
    // workbook since it was read or written, it is left alone and the save
    // goes to a new file beside it, as at construction.
    bool Save(const std::wstring& path = std::wstring());

    // Appends a row of two cells to the current worksheet's table: the label
    // as a "String", the value as the given kind ("String" or "Number").
    void AddRow(const std::wstring& label, const std::wstring& value, const std::wstring& kind);
    // Appends an empty row (the separator between two runs).
    void AddEmptyRow();

    // The workbook's own file, as the path was given (after narrowing).
    std::wstring GetFileName() const;

    // Prints the current worksheet as a table under the header's pairs, in
    // the printer's default font, on a printer DC the caller made and
    // deletes. Returns false when the job could not be printed: a null DC, or
    // the print service refusing it. A worksheet without a table prints
    // nothing and returns true.
    bool Print(HDC dc, std::map<std::wstring, std::wstring> header);

    // The document and the current Worksheet element.
    xercesc::DOMDocument* Document() const { return document; }
    xercesc::DOMElement* Sheet() const { return sheet; }
    // The first Table among the current worksheet's descendants, or null.
    xercesc::DOMElement* FindTable() const;

    // Called by every later save between writing the new file and putting it
    // in place of the old one; returning false abandons the save there.
    void SetBeforeReplace(workbook::BeforeReplace hook) { beforeReplace = std::move(hook); }

private:
    void Open();
    void StartFromTemplate();
    bool MoveAside(const std::string& why, bool acceptWorkbook);
    bool OwnFileIsStillOurs(std::string* why);
    void SelectSheet();
    xercesc::DOMElement* TableForRows();
    xercesc::DOMElement* Append(xercesc::DOMElement* parent, const char16_t* name);

    // The library and the document's heap outlive the document.
    workbook::XercesRuntime runtime;
    std::unique_ptr<workbook::DocumentMemory> memory;

    xercesc::DOMDocument* document = nullptr;
    xercesc::DOMElement* sheet = nullptr;
    std::string path;       // narrowed (code page 1251)
    std::string sheetName;  // narrowed
    xercesc::DOMImplementation* implementation = nullptr;

    // The own file as last read or written (exists false: there was none).
    workbook::FileStamp ownStamp;
    workbook::BeforeReplace beforeReplace;
};
