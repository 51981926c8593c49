#include "framework/workbook/document_io.h"

#include <cstddef>
#include <cstdlib>
#include <memory>
#include <new>
#include <vector>

#include <sys/mman.h>

#include <xercesc/dom/DOM.hpp>
#include <xercesc/framework/MemBufInputSource.hpp>
#include <xercesc/framework/XMLFormatter.hpp>
#include <xercesc/parsers/XercesDOMParser.hpp>
#include <xercesc/sax/EntityResolver.hpp>
#include <xercesc/sax/ErrorHandler.hpp>
#include <xercesc/sax/SAXParseException.hpp>
#include <xercesc/util/OutOfMemoryException.hpp>
#include <xercesc/util/PlatformUtils.hpp>
#include <xercesc/util/SecurityManager.hpp>
#include <xercesc/util/XMLException.hpp>

#include "framework/workbook/names.h"
#include "framework/workbook/text.h"

using namespace xercesc;

namespace workbook {

namespace {

// Every block carries its size and how it was got in front.
struct BlockHeader {
    std::size_t size;
    bool mapped;
};
constexpr std::size_t kHeader = (sizeof(BlockHeader) + alignof(std::max_align_t) - 1) /
                                alignof(std::max_align_t) * alignof(std::max_align_t);

// The document grows in chunks of half a megabyte. Those are mapped with
// their pages present at once: touching fresh pages one by one costs more
// than parsing them full.
constexpr std::size_t kMappedBlock = std::size_t(256) << 10;

// Collects the first problem of a parse; the library stops at a fatal one.
class RejectingErrorHandler : public ErrorHandler {
public:
    void warning(const SAXParseException&) override {}
    void error(const SAXParseException& e) override { Note(e); }
    void fatalError(const SAXParseException& e) override { Note(e); }
    void resetErrors() override
    {
        failed_ = false;
        message_.clear();
    }

    bool failed() const { return failed_; }
    const std::string& message() const { return message_; }

private:
    void Note(const SAXParseException& e)
    {
        if (failed_)
            return;
        failed_ = true;
        message_ = "line " + std::to_string(e.getLineNumber()) + ", column " +
                   std::to_string(e.getColumnNumber()) + ": " + FromXml(e.getMessage());
    }

    bool failed_ = false;
    std::string message_;
};

// Refuses every external entity and DTD: nothing is opened, nothing fetched.
class RefusingEntityResolver : public EntityResolver {
public:
    InputSource* resolveEntity(const XMLCh* const, const XMLCh* const systemId) override
    {
        refused_ = true;
        refusedId_ = FromXml(systemId);
        return nullptr;
    }
    bool refused() const { return refused_; }
    const std::string& refusedId() const { return refusedId_; }

private:
    bool refused_ = false;
    std::string refusedId_;
};

// Collects the serialized bytes in a string.
class StringTarget : public XMLFormatTarget {
public:
    explicit StringTarget(std::string* out) : out_(out) {}
    void writeChars(const XMLByte* const bytes, const XMLSize_t count, XMLFormatter* const) override
    {
        out_->append(reinterpret_cast<const char*>(bytes), count);
    }

private:
    std::string* out_;
};

class WriterErrors : public DOMErrorHandler {
public:
    bool handleError(const DOMError& e) override
    {
        if (message_.empty())
            message_ = FromXml(e.getMessage());
        // Warnings let the writer go on; errors stop it.
        return e.getSeverity() == DOMError::DOM_SEVERITY_WARNING;
    }
    const std::string& message() const { return message_; }

private:
    std::string message_;
};

// How deep elements nest below the document (the root is at depth 1); the
// walk stops a level past `limit`. Walks without recursion.
int ElementDepth(const DOMNode* document, int limit)
{
    int depth = 0, deepest = 0;
    const DOMNode* node = document->getFirstChild();
    while (node) {
        if (node->getNodeType() == DOMNode::ELEMENT_NODE) {
            ++depth;
            if (depth > deepest)
                deepest = depth;
            if (deepest > limit)
                return deepest;
            if (const DOMNode* child = node->getFirstChild()) {
                node = child;
                continue;
            }
            --depth;
        }
        while (node && !node->getNextSibling()) {
            node = node->getParentNode();
            if (!node || node == document)
                return deepest;
            --depth;
        }
        node = node->getNextSibling();
    }
    return deepest;
}

// Rows added to a table stay this far from the last row a spreadsheet
// program reads: a table with rows beyond it is not one of ours.
constexpr long kRowHeadroom = 65536;

// Checks every worksheet's table; false with *error for the first one whose
// rows reach too far.
bool TablesLeaveRoom(const DOMElement* root, std::string* error)
{
    std::vector<const DOMElement*> pending{root};
    while (!pending.empty()) {
        const DOMElement* element = pending.back();
        pending.pop_back();
        for (DOMNode* node = element->getFirstChild(); node; node = node->getNextSibling()) {
            if (node->getNodeType() != DOMNode::ELEMENT_NODE)
                continue;
            auto* child = static_cast<const DOMElement*>(node);
            if (!IsSpreadsheetElement(child, u"Worksheet")) {
                pending.push_back(child);
                continue;
            }
            const DOMElement* table = FirstSpreadsheetElement(child, u"Table");
            const long last = table ? LastRowOf(table) : 0;
            if (last > kLastSheetRow - kRowHeadroom) {
                const DOMAttr* name = SpreadsheetAttribute(child, u"Name");
                *error = "the table of its worksheet \"" + FromXml(name ? name->getValue() : u"") +
                         "\" reaches row " + std::to_string(last) +
                         ", too near the last row a spreadsheet program reads (" +
                         std::to_string(kLastSheetRow) + ")";
                return false;
            }
        }
    }
    return true;
}

struct Releaser {
    template <typename T>
    void operator()(T* p) const
    {
        if (p)
            p->release();
    }
};

} // namespace

DocumentMemory::DocumentMemory(std::size_t limit) : limit_(limit) {}

DocumentMemory::~DocumentMemory() = default;

MemoryManager* DocumentMemory::getExceptionMemoryManager()
{
    return XMLPlatformUtils::fgMemoryManager;
}

void* DocumentMemory::allocate(XMLSize_t size)
{
    if (size > limit_ - inUse_)
        throw OutOfMemoryException();
    void* block = nullptr;
    bool mapped = false;
    if (size >= kMappedBlock) {
        block = ::mmap(nullptr, size + kHeader, PROT_READ | PROT_WRITE,
                       MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
        if (block == MAP_FAILED)
            block = nullptr;
        mapped = block != nullptr;
    }
    if (!block)
        block = std::malloc(size + kHeader);
    if (!block)
        throw OutOfMemoryException();
    *static_cast<BlockHeader*>(block) = BlockHeader{size, mapped};
    inUse_ += size;
    return static_cast<char*>(block) + kHeader;
}

void DocumentMemory::deallocate(void* p)
{
    if (!p)
        return;
    void* block = static_cast<char*>(p) - kHeader;
    BlockHeader header = *static_cast<BlockHeader*>(block);
    inUse_ -= header.size;
    if (header.mapped)
        ::munmap(block, header.size + kHeader);
    else
        std::free(block);
}

DOMDocument* ParseDocument(const std::string& bytes, const char* systemId, MemoryManager* memory,
                           std::string* error)
{
    try {
        XercesDOMParser parser(nullptr, memory);
        parser.setValidationScheme(XercesDOMParser::Val_Never);
        parser.setDoNamespaces(false);
        parser.setDoSchema(false);
        parser.setLoadSchema(false);
        parser.setLoadExternalDTD(false);
        parser.setSkipDTDValidation(true);
        parser.setDisableDefaultEntityResolution(true);
        parser.setCreateEntityReferenceNodes(false);
        RefusingEntityResolver resolver;
        parser.setEntityResolver(&resolver);
        RejectingErrorHandler errors;
        parser.setErrorHandler(&errors);
        SecurityManager security;
        security.setEntityExpansionLimit(kEntityExpansionLimit);
        parser.setSecurityManager(&security);

        MemBufInputSource source(reinterpret_cast<const XMLByte*>(bytes.data()), bytes.size(),
                                 systemId, false, memory);
        parser.parse(source);

        if (errors.failed()) {
            *error = errors.message();
            return nullptr;
        }
        if (resolver.refused()) {
            *error = "it refers to an outside entity \"" + resolver.refusedId() + "\"";
            return nullptr;
        }
        if (parser.getErrorCount() != 0 || !parser.getDocument() ||
            !parser.getDocument()->getDocumentElement()) {
            *error = "it holds no XML document";
            return nullptr;
        }
        const int depth = ElementDepth(parser.getDocument(), kDepthLimit);
        if (depth > kDepthLimit) {
            *error = "its elements nest more than " + std::to_string(kDepthLimit) + " levels deep";
            return nullptr;
        }
        // What an outside DTD would declare is never read, so such a document
        // cannot be written back whole.
        DOMDocumentType* doctype = parser.getDocument()->getDoctype();
        if (doctype && ((doctype->getSystemId() && *doctype->getSystemId()) ||
                        (doctype->getPublicId() && *doctype->getPublicId()))) {
            *error = "it depends on an outside DTD \"" + FromXml(doctype->getSystemId()) + "\"";
            return nullptr;
        }
        return parser.adoptDocument();
    } catch (const OutOfMemoryException&) {
        *error = "it needs more memory than a workbook may take";
    } catch (const XMLException& e) {
        *error = FromXml(e.getMessage());
    } catch (const DOMException& e) {
        *error = FromXml(e.getMessage());
    } catch (const std::bad_alloc&) {
        *error = "out of memory";
    }
    return nullptr;
}

DOMElement* WorkbookRoot(DOMDocument* document)
{
    if (!document)
        return nullptr;
    DOMElement* root = document->getDocumentElement();
    if (!root || !IsSpreadsheetElement(root, u"Workbook"))
        return nullptr;
    return root;
}

DOMDocument* ParseWorkbook(const std::string& bytes, const char* systemId, MemoryManager* memory,
                           std::string* error)
{
    DOMDocument* document = ParseDocument(bytes, systemId, memory, error);
    if (!document)
        return nullptr;
    if (!WorkbookRoot(document)) {
        *error = "its root element is not a Workbook";
    } else {
        try {
            if (TablesLeaveRoom(document->getDocumentElement(), error))
                return document;
        } catch (const std::bad_alloc&) {
            *error = "out of memory";
        }
    }
    document->release();
    return nullptr;
}

bool SerializeDocument(DOMImplementation* implementation, DOMDocument* document, std::string* out,
                       std::string* error)
{
    out->clear();
    try {
        auto* ls = dynamic_cast<DOMImplementationLS*>(implementation);
        if (!ls) {
            *error = "the XML library has no DOM writer";
            return false;
        }
        std::unique_ptr<DOMLSSerializer, Releaser> writer(ls->createLSSerializer());
        std::unique_ptr<DOMLSOutput, Releaser> output(ls->createLSOutput());
        WriterErrors errors;
        writer->getDomConfig()->setParameter(XMLUni::fgDOMErrorHandler, &errors);
        StringTarget target(out);
        output->setByteStream(&target);
        output->setEncoding(u"UTF-8");
        if (!writer->write(document, output.get())) {
            *error = errors.message().empty() ? "the DOM writer failed" : errors.message();
            return false;
        }
        return true;
    } catch (const OutOfMemoryException&) {
        *error = "out of memory";
    } catch (const XMLException& e) {
        *error = FromXml(e.getMessage());
    } catch (const DOMException& e) {
        *error = FromXml(e.getMessage());
    } catch (const std::bad_alloc&) {
        *error = "out of memory";
    }
    return false;
}

} // namespace workbook
