// Printer device contexts on a print service of the test's own: the page,
// the default font, the document calls and the job the service receives.
#include "platform/codepage.h"
#include "platform/gdi32.h"
#include "platform/winspool.h"
#include "support/private_cupsd.h"

#include <cups/cups.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

class PrinterDc : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!testsupport::PrivateCupsd::CanRun())
            GTEST_SKIP() << "a print service of our own needs root";
        cupsd_ = std::make_unique<testsupport::PrivateCupsd>();
        ASSERT_TRUE(cupsd_->Running()) << cupsd_->Failure();
        ASSERT_TRUE(cupsd_->AddPdfQueue("KvarlopPdf")) << cupsd_->Failure();
    }
    void TearDown() override
    {
        if (dc_)
            DeleteDC(dc_);
    }
    std::unique_ptr<testsupport::PrivateCupsd> cupsd_;
    HDC dc_ = nullptr;
};

const DOCINFOW kDoc{20, L"Print1: Printing", nullptr, nullptr, 0};

TEST_F(PrinterDc, PageIsTheQueuesPaperAt300DotsPerInch)
{
    ASSERT_TRUE(
        cupsd_->Run({"/usr/sbin/lpadmin", "-p", "KvarlopPdf", "-o", "media=iso_a4_210x297mm"}))
        << cupsd_->Failure();
    dc_ = CreateDCW(nullptr, L"KvarlopPdf", nullptr, nullptr);
    ASSERT_NE(dc_, nullptr);
    // 210 × 297 mm, give or take a dot where the paper comes in points
    EXPECT_NEAR(GetDeviceCaps(dc_, HORZRES), 2480, 2);
    EXPECT_NEAR(GetDeviceCaps(dc_, VERTRES), 3508, 2);
    EXPECT_EQ(GetDeviceCaps(dc_, LOGPIXELSY), 300);

    ASSERT_TRUE(
        cupsd_->Run({"/usr/sbin/lpadmin", "-p", "KvarlopPdf", "-o", "media=na_letter_8.5x11in"}))
        << cupsd_->Failure();
    HDC letter = CreateDCW(nullptr, L"KvarlopPdf", nullptr, nullptr);
    ASSERT_NE(letter, nullptr);
    EXPECT_EQ(GetDeviceCaps(letter, HORZRES), 2550); // 8.5 inches
    EXPECT_EQ(GetDeviceCaps(letter, VERTRES), 3300); // 11 inches
    EXPECT_TRUE(DeleteDC(letter));
}

TEST_F(PrinterDc, DefaultFontIsTwelvePointsAndMeasuresCyrillic)
{
    dc_ = CreateDCW(nullptr, L"KvarlopPdf", nullptr, nullptr);
    ASSERT_NE(dc_, nullptr);
    TEXTMETRICW tm{};
    ASSERT_TRUE(GetTextMetricsW(dc_, &tm));
    // A 12-point em is 50 dots; the cell is a little taller.
    EXPECT_GE(tm.tmHeight, 50);
    EXPECT_LE(tm.tmHeight, 70);
    EXPECT_GT(tm.tmAveCharWidth, 10);

    SIZE wide{}, narrow{}, latin{};
    ASSERT_TRUE(GetTextExtentPoint32W(dc_, L"Жук", 3, &wide));
    ASSERT_TRUE(GetTextExtentPoint32A(dc_, "\xc6\xf3\xea", 3, &narrow)); // the same in 1251
    ASSERT_TRUE(GetTextExtentPoint32W(dc_, L"iii", 3, &latin));
    EXPECT_EQ(narrow.cx, wide.cx);
    EXPECT_EQ(wide.cy, tm.tmHeight);
    EXPECT_GT(wide.cx, latin.cx); // proportional, and Ж is a glyph of its own
}

TEST_F(PrinterDc, DocumentBecomesOneJobWithItsTextCyrillicIncluded)
{
    dc_ = CreateDCW(nullptr, L"KvarlopPdf", nullptr, nullptr);
    ASSERT_NE(dc_, nullptr);
    const int job = StartDocW(dc_, &kDoc);
    ASSERT_GT(job, 0);
    EXPECT_GT(StartPage(dc_), 0);
    EXPECT_TRUE(TextOutW(dc_, 100, 100, L"Ученик Оля", 10));
    EXPECT_GT(EndPage(dc_), 0);
    EXPECT_GT(StartPage(dc_), 0);
    EXPECT_TRUE(TextOutA(dc_, 100, 100, "\xcf\xf0\xee\xec\xe0\xf5\xe8 7", 9)); // "Промахи 7"
    EXPECT_GT(EndPage(dc_), 0);
    ASSERT_GT(EndDoc(dc_), 0);
    EXPECT_TRUE(DeleteDC(dc_));
    dc_ = nullptr;

    ASSERT_TRUE(cupsd_->WaitForJob(job)) << cupsd_->Failure();
    EXPECT_EQ(cupsd_->JobTitle(job), "Print1: Printing");
    const auto spooled = cupsd_->SpooledDocuments(job);
    ASSERT_EQ(spooled.size(), 1u);
    const std::string text = testsupport::PdfText(spooled[0]);
    EXPECT_NE(text.find(platform::WideToUtf8(L"Ученик Оля")), std::string::npos) << text;
    EXPECT_NE(text.find(platform::WideToUtf8(L"Промахи 7")), std::string::npos) << text;
    EXPECT_NE(text.find('\f'), std::string::npos) << "two pages";
    EXPECT_EQ(cupsd_->OutputFiles("KvarlopPdf").size(), 1u) << "the queue printed it";
}

TEST_F(PrinterDc, QueueRefusingJobsFailsTheDocumentAtItsStart)
{
    ASSERT_TRUE(cupsd_->Run({"/usr/sbin/cupsreject", "KvarlopPdf"})) << cupsd_->Failure();
    dc_ = CreateDCW(nullptr, L"KvarlopPdf", nullptr, nullptr);
    ASSERT_NE(dc_, nullptr);
    EXPECT_EQ(StartDocW(dc_, &kDoc), SP_ERROR);
    EXPECT_EQ(StartPage(dc_), SP_ERROR);
    EXPECT_EQ(EndDoc(dc_), SP_ERROR);
}

// The document library is loaded when a document is begun: without it the
// document fails at its start and leaves no job behind.
TEST_F(PrinterDc, MissingDocumentLibraryFailsTheDocumentAtItsStart)
{
    dc_ = CreateDCW(nullptr, L"KvarlopPdf", nullptr, nullptr);
    ASSERT_NE(dc_, nullptr);
    platform::winspooltest::UsePrintLibraries(nullptr, "libkvarlop-no-such-cairo.so.2");
    EXPECT_EQ(StartDocW(dc_, &kDoc), SP_ERROR);
    EXPECT_EQ(StartPage(dc_), SP_ERROR);
    EXPECT_EQ(EndDoc(dc_), SP_ERROR);
    platform::winspooltest::UsePrintLibraries(nullptr, nullptr);
    EXPECT_EQ(cupsd_->JobState(1), 0) << "no job was made";

    EXPECT_GT(StartDocW(dc_, &kDoc), 0) << "loaded on the next document";
    EXPECT_GT(EndDoc(dc_), 0);
}

TEST_F(PrinterDc, DeletingTheDcMidDocumentWithdrawsTheJob)
{
    dc_ = CreateDCW(nullptr, L"KvarlopPdf", nullptr, nullptr);
    ASSERT_NE(dc_, nullptr);
    const int job = StartDocW(dc_, &kDoc);
    ASSERT_GT(job, 0);
    StartPage(dc_);
    TextOutW(dc_, 0, 0, L"x", 1);
    EXPECT_TRUE(DeleteDC(dc_));
    dc_ = nullptr;
    EXPECT_EQ(cupsd_->JobState(job), IPP_JSTATE_CANCELED);
    EXPECT_TRUE(cupsd_->SpooledDocuments(job).empty());
}

TEST_F(PrinterDc, UnknownQueueGetsNoDc)
{
    EXPECT_EQ(CreateDCW(nullptr, L"NoSuchQueue", nullptr, nullptr), nullptr);
    EXPECT_EQ(CreateDCW(nullptr, nullptr, nullptr, nullptr), nullptr);
}

TEST(PrinterDcWithoutPrinter, NullDcRefusesEveryCall)
{
    EXPECT_EQ(StartDocW(nullptr, &kDoc), SP_ERROR);
    EXPECT_EQ(GetDeviceCaps(nullptr, HORZRES), 0);
    EXPECT_EQ(StartPage(nullptr), SP_ERROR);
    EXPECT_EQ(EndDoc(nullptr), SP_ERROR);
    EXPECT_FALSE(TextOutW(nullptr, 0, 0, L"a", 1));
    EXPECT_FALSE(DeleteDC(nullptr));
}

TEST(PrinterDcWithoutPrinter, ScreenDcIsNoPrinter)
{
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(GetDeviceCaps(screen, HORZRES), 0);
    EXPECT_EQ(StartDocW(screen, &kDoc), SP_ERROR);
    EXPECT_FALSE(DeleteDC(screen)); // released with ReleaseDC, not deleted
    EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
}

} // namespace
