// Reading and writing workbook documents with the XML library. A workbook
// file may lie in a shared folder, so it is read as untrusted input: no
// external DTD, no external entity, no network, a bound on entity expansion
// and on the memory the document may take.
#pragma once

#include <cstddef>
#include <string>

#include <xercesc/dom/DOMDocument.hpp>
#include <xercesc/dom/DOMImplementation.hpp>
#include <xercesc/framework/MemoryManager.hpp>

namespace workbook {

// The heap of one workbook document. Allocation beyond the limit throws the
// library's OutOfMemoryException, which ends a runaway parse.
class DocumentMemory : public xercesc::MemoryManager {
public:
    explicit DocumentMemory(std::size_t limit);
    ~DocumentMemory() override;

    xercesc::MemoryManager* getExceptionMemoryManager() override;
    void* allocate(XMLSize_t size) override;
    void deallocate(void* p) override;

    // The bytes allocated and not yet freed; for tests only.
    std::size_t InUse() const { return inUse_; }

private:
    std::size_t limit_;
    std::size_t inUse_ = 0;
};

// The largest workbook file read. A school year of one class is under 3 MB;
// a file many times that size is refused at once instead of being parsed
// for half a minute.
constexpr std::size_t kFileLimit = std::size_t(32) << 20;

// The most memory the document of a file of fileSize bytes may take: 64 MB
// for the rows added to it, and 24 times the file. A workbook written by
// LibreOffice with one-character cells, the densest there is, takes 20 times
// its size; a hostile file is refused long before it costs the machine more.
constexpr std::size_t DocumentMemoryLimit(std::size_t fileSize)
{
    return (std::size_t(64) << 20) + 24 * fileSize;
}

// The most expansions of general entities one document may cause.
constexpr std::size_t kEntityExpansionLimit = 1000;

// The deepest nesting of elements a document may have. A workbook is a few
// levels deep (a cell's rich text a few more); the writer and the tree walks
// recurse once per level, so a deeper document would overflow the stack.
constexpr int kDepthLimit = 256;

// The last row a spreadsheet program reads.
constexpr long kLastSheetRow = 1048576;

// Parses bytes into a document whose memory comes from `memory` (which must
// outlive it; the caller releases the document). Any error, fatal or not,
// rejects the document, and so does a reference to an outside entity or a
// DTD outside the document, and elements nested deeper than kDepthLimit:
// null is returned and *error says why.
xercesc::DOMDocument* ParseDocument(const std::string& bytes, const char* systemId,
                                    xercesc::MemoryManager* memory, std::string* error);

// The root element when it is a SpreadsheetML workbook ("Workbook", with
// whatever prefix), else null.
xercesc::DOMElement* WorkbookRoot(xercesc::DOMDocument* document);

// ParseDocument, and the document is rejected too when it is not a workbook,
// or when a worksheet's table has rows past kLastSheetRow or so near it that
// rows added to it would pass it.
xercesc::DOMDocument* ParseWorkbook(const std::string& bytes, const char* systemId,
                                    xercesc::MemoryManager* memory, std::string* error);

// The whole document as the DOM writer writes it by default, encoded in
// UTF-8. False with *error when the writer fails.
bool SerializeDocument(xercesc::DOMImplementation* implementation, xercesc::DOMDocument* document,
                       std::string* out, std::string* error);

} // namespace workbook
