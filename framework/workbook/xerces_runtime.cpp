#include "framework/workbook/xerces_runtime.h"

#include <mutex>
#include <stdexcept>
#include <string>

#include <xercesc/util/PlatformUtils.hpp>
#include <xercesc/util/XMLException.hpp>
#include <xercesc/util/XMLString.hpp>

#include "framework/workbook/text.h"

namespace workbook {

namespace {

std::mutex gMutex;
int gUsers = 0;

} // namespace

XercesRuntime::XercesRuntime()
{
    std::lock_guard<std::mutex> lock(gMutex);
    if (gUsers == 0) {
        try {
            xercesc::XMLPlatformUtils::Initialize("en_US");
        } catch (const xercesc::XMLException& e) {
            std::string message = FromXml(e.getMessage());
            throw std::runtime_error("XML library: " + message);
        }
    }
    ++gUsers;
}

XercesRuntime::~XercesRuntime()
{
    std::lock_guard<std::mutex> lock(gMutex);
    if (--gUsers == 0)
        xercesc::XMLPlatformUtils::Terminate();
}

int XercesRuntime::Users()
{
    std::lock_guard<std::mutex> lock(gMutex);
    return gUsers;
}

} // namespace workbook
