// The results workbook: a SpreadsheetML document (the XML spreadsheet of
// office programs) held in memory, with one worksheet per pupil, that is
// written to a file on request. One file serves many pupils: a pupil seen
// before gets the new rows appended to the same worksheet.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include <xercesc/dom/DOMDocument.hpp>
#include <xercesc/dom/DOMElement.hpp>
#include <xercesc/dom/DOMImplementation.hpp>

#include "framework/workbook/file_io.h"
#include "framework/workbook/save_failure.h"
#include "framework/workbook/text.h"
#include "framework/workbook/xerces_runtime.h"
#include "platform/wintypes.h"

namespace workbook {
class DocumentMemory;
}

class IMWorkbook {
public:
    // Reads the workbook at path, or starts from the built-in template when
    // there is no file, and selects the worksheet named sheetName, adding it
    // when the document has none of that name. The path stays as given
    // (UTF-8 on disk); only the texts inside the document are narrowed.
    //
    // A file at path that is not a workbook (unreadable, not XML, another
    // root element, too large, nested too deep, a table with rows near or
    // past the last row spreadsheet programs read) is never used and never
    // overwritten: the workbook then belongs to a file beside it,
    // "<name> (новый).xls" or "<name> (новый 2)" and so on, the first one
    // that does not exist or is a workbook itself; GetFileName names it.
    // Throws std::runtime_error only when the XML library cannot work at all.
    IMWorkbook(const std::wstring& path, const std::wstring& sheetName);
    ~IMWorkbook();
    IMWorkbook(const IMWorkbook&) = delete;
    IMWorkbook& operator=(const IMWorkbook&) = delete;

    // Writes the document to path, or to the workbook's own file when path
    // is empty; the own file stays the same whatever path is given. The file
    // is replaced atomically: a save that fails or is interrupted leaves the
    // previous file whole. Returns false when the file could not be written
    // (LastError and the standard error stream say why); the workbook keeps
    // every row, so a later save can still succeed.
    //
    // Saves of the own file are serialised between programs, and when
    // another program has written the file since this one read or wrote it,
    // the file is read again and the rows added here since the last save
    // of the own file are added to it, worksheet by worksheet, before it is
    // replaced: nobody's rows are lost. A run this workbook saved in part
    // (rows since its last saved empty row) keeps its rows together: its
    // later rows follow its last saved row, not the other program's rows. Temporary files of saves killed
    // midway are removed. When the own file has been replaced by something
    // that is not a workbook, it is left alone and the save goes to a new
    // file beside it, as at construction.
    bool Save(const std::wstring& path = std::wstring());

    // Appends a row of two cells to the current worksheet's table: the label
    // as a "String", the value as the given kind ("String" or "Number").
    void AddRow(const std::wstring& label, const std::wstring& value, const std::wstring& kind);
    // Appends an empty row (the separator between two runs).
    void AddEmptyRow();

    // Makes the worksheet named sheetName current, adding it when missing:
    // the next pupil's rows in the same document.
    void SelectSheet(const std::wstring& sheetName);

    // The workbook's own file, as the path was given.
    std::wstring GetFileName() const;

    // One line, the file and the reason, when the last save failed; empty
    // when it succeeded or none was tried.
    const std::wstring& LastError() const { return lastError; }
    // The same for the teacher: what the save was doing and why it failed
    // (error 0 when it succeeded or none was tried).
    const workbook::SaveFailure& LastFailure() const { return lastFailure; }
    // The file the workbook was to have and left alone because it is not a
    // workbook, and why (error 0 when the workbook has its file); the
    // workbook's own file is then the one beside it that GetFileName names.
    const workbook::SaveFailure& LeftAlone() const { return leftAlone; }

    // Whether something other than the workbook's own file is at path (a
    // regular file): a save there would replace another file.
    bool IsAnotherFile(const std::wstring& path) const;

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
    // A row added since the own file was last written, with its worksheet.
    struct PendingRow {
        std::string sheet; // narrowed
        bool empty;
        std::wstring label, value, kind;
    };
    enum class DiskState { AsWritten, Merged, NotAWorkbook };

    void Open();
    void StartFromTemplate();
    xercesc::DOMDocument* Parse(const workbook::ReadResult& read, const std::string& where,
                                std::unique_ptr<workbook::DocumentMemory>* parsedMemory,
                                std::string* why);
    void Adopt(xercesc::DOMDocument* parsed,
               std::unique_ptr<workbook::DocumentMemory> parsedMemory);
    bool MoveAside(const std::string& why, int cause, bool acceptWorkbook);
    DiskState CatchUpWithDisk(std::string* why, int* cause);
    bool SaveOwn();
    bool WriteTo(const std::string& target, bool own);
    bool Fail(const std::string& target, const std::string& why, workbook::SaveStep step,
              int cause);
    xercesc::DOMElement* FindOrAddSheet(const std::string& name);
    void AppendRow(xercesc::DOMElement* toSheet, const PendingRow& row);
    xercesc::DOMElement* NewRow(const PendingRow& row);
    void MergePending();
    xercesc::DOMElement* LastSavedRowOfOpenRun(xercesc::DOMElement* ofSheet,
                                               const std::vector<PendingRow>& run);
    xercesc::DOMElement* TableForRows(xercesc::DOMElement* ofSheet);
    xercesc::DOMElement* Append(xercesc::DOMElement* parent, const std::u16string& name);

    // The library and the document's heap outlive the document.
    workbook::XercesRuntime runtime;
    std::unique_ptr<workbook::DocumentMemory> memory;

    xercesc::DOMDocument* document = nullptr;
    xercesc::DOMElement* sheet = nullptr;
    std::string path;      // UTF-8, as the file system names it
    std::string sheetName; // narrowed
    xercesc::DOMImplementation* implementation = nullptr;

    // The prefixes the document writes its names with.
    std::u16string elementPrefix = u"";
    std::u16string attributePrefix = u"ss:";

    // The own file as last read or written (exists false: there was none).
    workbook::FileStamp ownStamp;
    std::vector<PendingRow> pending;
    // Per worksheet, the rows of a run this workbook has saved and not yet
    // ended with its empty row: where that run's later rows belong.
    std::map<std::string, std::vector<PendingRow>> savedOpenRuns;
    std::wstring lastError;
    workbook::SaveFailure lastFailure;
    workbook::SaveFailure leftAlone;
    workbook::BeforeReplace beforeReplace;
};
