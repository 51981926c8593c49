// Threads sharing the font cache get the records one thread alone gets.
#include "font.h"
#include "raster.h"

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <string>
#include <thread>
#include <vector>

TEST(GdiThreads, ConcurrentCallsAgreeWithASingleThread)
{
    const std::wstring text = L"Тренажер «Кварлоп» 07342@";
    const int heights[] = {16, 18, 24};
    std::map<int, std::vector<std::vector<uint8_t>>> expected;
    for (int h : heights) {
        gdi_test::ScreenFont font(L"Arial", h);
        for (wchar_t c : text)
            expected[h].push_back(gdi_test::NativeOutline(font.dc, c));
    }
    HFONT shared =
        CreateFontW(18, 0, 0, 0, FW_NORMAL, 0, 0, 0, RUSSIAN_CHARSET, 0, 0, 0, 0, L"Arial Cyr");
    std::atomic<int> mismatches{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 5; ++round) {
                const int h = heights[(t + round) % 3];
                HDC dc = GetDC(nullptr);
                HFONT own = CreateFontW(h, 0, 0, 0, FW_NORMAL, 0, 0, 0, RUSSIAN_CHARSET, 0, 0, 0, 0,
                                        L"Arial");
                HGDIOBJ previous = SelectObject(dc, (round % 2) ? shared : own);
                const auto& want = expected.at((round % 2) ? 18 : h);
                for (size_t i = 0; i < text.size(); ++i)
                    if (gdi_test::NativeOutline(dc, text[i]) != want[i])
                        ++mismatches;
                SelectObject(dc, previous);
                if (!DeleteObject(own))
                    ++mismatches;
                ReleaseDC(nullptr, dc);
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(mismatches.load(), 0);
    EXPECT_TRUE(DeleteObject(shared));
}
