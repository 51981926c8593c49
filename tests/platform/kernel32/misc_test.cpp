// Time, debug output and code page conversions.
#include "platform/kernel32.h"
#include "platform/winmm.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

TEST(PerformanceCounter, IsMonotonicNanoseconds)
{
    LARGE_INTEGER frequency{}, before{}, after{};
    ASSERT_TRUE(QueryPerformanceFrequency(&frequency));
    EXPECT_EQ(frequency.QuadPart, 1000000000);
    ASSERT_TRUE(QueryPerformanceCounter(&before));
    LONGLONG last = before.QuadPart;
    for (int i = 0; i < 10000; ++i) {
        LARGE_INTEGER now{};
        QueryPerformanceCounter(&now);
        ASSERT_GE(now.QuadPart, last);
        last = now.QuadPart;
    }
    Sleep(15);
    QueryPerformanceCounter(&after);
    EXPECT_GE((after.QuadPart - before.QuadPart) * 1000 / frequency.QuadPart, 15);
    EXPECT_FALSE(QueryPerformanceCounter(nullptr));
}

TEST(MultimediaTimer, CountsMillisecondsLikeTheCounter)
{
    DWORD start = timeGetTime();
    LARGE_INTEGER a{};
    QueryPerformanceCounter(&a);
    Sleep(20);
    DWORD elapsed = timeGetTime() - start; // unsigned: right across the wrap too
    EXPECT_GE(elapsed, 19u);
    EXPECT_LT(elapsed, 10000u);
    EXPECT_EQ(static_cast<DWORD>(a.QuadPart / 1000000) - start <= 1u, true);
}

TEST(DebugOutput, ReachesTheInstalledSinkUntilItIsRemoved)
{
    std::vector<std::wstring> seen;
    platform::SetDebugOutputSink([&](const std::wstring& text) { seen.push_back(text); });
    OutputDebugStringW(L"FPS: 75\n");
    OutputDebugStringW(L" звук играет\n");
    OutputDebugStringW(nullptr);
    platform::SetDebugOutputSink(nullptr);
    OutputDebugStringW(L"not seen\n");
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], L"FPS: 75\n");
    EXPECT_EQ(seen[1], L" звук играет\n");
}

TEST(DebugOutput, WritesUtf8ToStandardError)
{
    testing::internal::CaptureStderr();
    OutputDebugStringW(L" звук стой\n");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), std::string(u8" звук стой\n"));
}

TEST(MultiByteToWideChar, AnsiIsCodePage1251)
{
    const char bytes[] = "\xCA\xE2\xE0\xF0\xEB\xEE\xEF \xAB\xB9\xBB"; // Кварлоп «№»
    wchar_t wide[32];
    int n = MultiByteToWideChar(CP_ACP, 0, bytes, -1, wide, 32);
    ASSERT_EQ(n, 12); // with the terminating zero
    EXPECT_EQ(std::wstring(wide), L"Кварлоп «№»");
    wchar_t one = 0;
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "\xFF", 1, &one, 1), 1);
    EXPECT_EQ(one, L'я');
}

TEST(MultiByteToWideChar, MeasuresAndRefusesShortBuffers)
{
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, u8"Ёжик", -1, nullptr, 0), 5);
    wchar_t small[2];
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, u8"Ёжик", -1, small, 2), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "x", 0, small, 2), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(MultiByteToWideChar(866, 0, "x", 1, small, 2), 0);
}

TEST(MultiByteToWideChar, InvalidUtf8IsReplacedOrRefused)
{
    wchar_t wide[8];
    ASSERT_EQ(MultiByteToWideChar(CP_UTF8, 0, "a\xC3z", 3, wide, 8), 3);
    EXPECT_EQ(wide[1], L'\xFFFD');
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "a\xC3z", 3, wide, 8), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, u8"\uFFFD", -1, wide, 8), 2);
}

TEST(WideCharToMultiByte, AnsiUsesTheDefaultCharacterForWhatItCannotHold)
{
    char bytes[16];
    BOOL usedDefault = FALSE;
    int n = WideCharToMultiByte(CP_ACP, 0, L"Я\x4E2D!", 3, bytes, 16, nullptr, &usedDefault);
    ASSERT_EQ(n, 3);
    EXPECT_EQ(std::string(bytes, 3), std::string("\xDF?!"));
    EXPECT_TRUE(usedDefault);
    n = WideCharToMultiByte(CP_ACP, 0, L"\x4E2D", 1, bytes, 16, "#", &usedDefault);
    EXPECT_EQ(bytes[0], '#');
    n = WideCharToMultiByte(CP_ACP, 0, L"Ok", 2, bytes, 16, nullptr, &usedDefault);
    EXPECT_FALSE(usedDefault);
}

TEST(WideCharToMultiByte, Utf8HasNoDefaultCharacter)
{
    char bytes[16];
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, L"ё", -1, bytes, 16, nullptr, nullptr), 3);
    EXPECT_EQ(std::strcmp(bytes, u8"ё"), 0);
    BOOL used;
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, L"ё", -1, bytes, 16, nullptr, &used), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}
