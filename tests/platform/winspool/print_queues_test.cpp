// The print service's queues as EnumPrintersW lists them, and the default
// printer's profile entry; with a service of the test's own and with none.
#include "platform/gdi32.h"
#include "platform/kernel32.h"
#include "platform/winspool.h"
#include "support/private_cupsd.h"

#include <cups/cups.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

// The two calls the printer dialog makes: size, then the records.
std::vector<std::wstring> ListPrinters()
{
    DWORD needed = 77, returned = 77;
    EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &returned);
    std::vector<BYTE> buffer(needed);
    EXPECT_TRUE(
        EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, buffer.data(), needed, &needed, &returned));
    std::vector<std::wstring> names;
    const auto* records = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
    for (DWORD i = 0; i < returned; ++i)
        names.push_back(records[i].pPrinterName);
    return names;
}

std::wstring DefaultDevice()
{
    wchar_t buffer[80];
    GetProfileStringW(L"windows", L"device", L",,,", buffer, 80);
    return buffer;
}

TEST(PrintQueues, ListedInTheServicesOrderWithTheDefaultInTheProfile)
{
    if (!testsupport::PrivateCupsd::CanRun())
        GTEST_SKIP() << "a print service of our own needs root";
    testsupport::PrivateCupsd cupsd;
    ASSERT_TRUE(cupsd.Running()) << cupsd.Failure();
    EXPECT_TRUE(ListPrinters().empty());
    EXPECT_EQ(DefaultDevice(), L",,,");

    ASSERT_TRUE(cupsd.AddPdfQueue("Kabinet_2")) << cupsd.Failure();
    ASSERT_TRUE(cupsd.AddPdfQueue("Biblioteka", true)) << cupsd.Failure();
    EXPECT_EQ(ListPrinters(), (std::vector<std::wstring>{L"Biblioteka", L"Kabinet_2"}));
    EXPECT_EQ(DefaultDevice().rfind(L"Biblioteka,winspool,cups-pdf:/Biblioteka-", 0), 0u);

    // Too small a buffer: the size needed, no records.
    DWORD needed = 0, returned = 9;
    BYTE small[8];
    EXPECT_FALSE(
        EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, small, sizeof small, &needed, &returned));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_GT(needed, 2 * sizeof(PRINTER_INFO_2W));
    EXPECT_EQ(returned, 0u);

    // A name longer than the buffer is cut, terminated.
    wchar_t shortBuffer[5];
    EXPECT_EQ(GetProfileStringW(L"windows", L"device", L",,,", shortBuffer, 5), 4u);
    EXPECT_EQ(std::wstring(shortBuffer), L"Bibl");
}

TEST(PrintQueues, NoServiceListsNothingAndHasNoDefault)
{
    const char* saved = std::getenv("CUPS_SERVER");
    const std::string previous = saved ? saved : "";
    const std::string missing = "/tmp/kvarlop-no-such-folder/cupsd.sock";
    setenv("CUPS_SERVER", missing.c_str(), 1);
    cupsSetServer(missing.c_str());

    EXPECT_TRUE(ListPrinters().empty());
    EXPECT_EQ(DefaultDevice(), L",,,");
    EXPECT_EQ(CreateDCW(nullptr, L"Biblioteka", nullptr, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(RPC_S_SERVER_UNAVAILABLE));

    if (saved) {
        setenv("CUPS_SERVER", previous.c_str(), 1);
    } else {
        unsetenv("CUPS_SERVER");
    }
    cupsSetServer(nullptr);
}

// Printing's client library is loaded on first use: when it cannot be, the
// printer dialog finds no printer and no printer DC is made, as with no
// service; with it back, the service is asked again.
TEST(PrintQueues, MissingClientLibraryIsNoService)
{
    if (!testsupport::PrivateCupsd::CanRun())
        GTEST_SKIP() << "a print service of our own needs root";
    testsupport::PrivateCupsd cupsd;
    ASSERT_TRUE(cupsd.Running()) << cupsd.Failure();
    ASSERT_TRUE(cupsd.AddPdfQueue("Biblioteka", true)) << cupsd.Failure();

    platform::winspooltest::UsePrintLibraries("libkvarlop-no-such-cups.so.2", nullptr);
    EXPECT_TRUE(ListPrinters().empty());
    EXPECT_EQ(DefaultDevice(), L",,,");
    EXPECT_EQ(CreateDCW(nullptr, L"Biblioteka", nullptr, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(RPC_S_SERVER_UNAVAILABLE));

    platform::winspooltest::UsePrintLibraries(nullptr, nullptr);
    EXPECT_EQ(ListPrinters(), std::vector<std::wstring>{L"Biblioteka"});
}

// A service that takes the connection and never answers costs each call
// at most a couple of seconds, and counts as no service; a question still
// unanswered makes the next one give up at once.
TEST(PrintQueues, SilentServiceIsGivenUpWithinTheBound)
{
    testsupport::SilentPrintService silent;
    ASSERT_TRUE(silent.Listening());
    using Clock = std::chrono::steady_clock;
    const auto bound = std::chrono::seconds(5); // the calls give up after 2 s

    Clock::time_point start = Clock::now();
    DWORD needed = 77, returned = 77;
    EXPECT_FALSE(EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &returned));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_TIMEOUT));
    EXPECT_EQ(needed, 0u);
    EXPECT_EQ(returned, 0u);
    EXPECT_LT(Clock::now() - start, bound);
    EXPECT_GE(silent.Connections(), 1);

    start = Clock::now();
    EXPECT_EQ(DefaultDevice(), L",,,");
    EXPECT_EQ(CreateDCW(nullptr, L"Biblioteka", nullptr, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_TIMEOUT));
    EXPECT_LT(Clock::now() - start, bound);
}

} // namespace
