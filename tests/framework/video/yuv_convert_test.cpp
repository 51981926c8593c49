// The frame conversion: its arithmetic on known colours, and the fast path
// matching the pixel-at-a-time one byte for byte (tails, odd rows, planes
// stored bottom-up, the extremes of every sample).
#include "framework/video/IMYuvConvert.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

namespace {

std::vector<unsigned char> Convert(const IMYuvPlanes& p, int pitchPixels, int rows, bool fast)
{
    std::vector<unsigned char> out(static_cast<size_t>(pitchPixels * 4 * rows), 0xEE);
    (fast ? IMConvertYuvToBgrx : IMConvertYuvToBgrxScalar)(p, out.data(), pitchPixels * 4,
                                                           pitchPixels, rows);
    return out;
}

// The first pixel of a 16 x 2 frame of one colour, as 0xXXRRGGBB.
uint32_t OneColour(int y, int u, int v)
{
    std::vector<unsigned char> luma(32, y), cb(8, u), cr(8, v);
    const std::vector<unsigned char> out =
        Convert(IMYuvPlanes{luma.data(), cb.data(), cr.data(), 16, 8, 16, 2}, 16, 2, true);
    return out[0] | out[1] << 8 | out[2] << 16 | uint32_t(out[3]) << 24;
}

} // namespace

TEST(YuvConversion, KnownColours)
{
    // Mid grey: (126 - 16) * 74 >> 6 = 127.
    EXPECT_EQ(0x007F7F7Fu, OneColour(126, 128, 128));
    // Studio red: the sums below zero clamp to 0, red is (4810 + 11424) >> 6.
    EXPECT_EQ(0x00FD0000u, OneColour(81, 90, 240));
    // The largest blue saturates in 16 bits and clamps to 255.
    EXPECT_EQ(0xFFu, OneColour(255, 255, 128) & 0xFF);
}

TEST(YuvConversion, TheFastPathMatchesThePixelAtATimeOne)
{
    uint32_t seed = 7;
    // 4:2:0, 4:2:2 and 4:4:4.
    for (const auto& [sx, sy] : {std::pair{1, 1}, std::pair{1, 0}, std::pair{0, 0}})
        for (int width : {16, 21, 320}) {
            for (int height : {2, 7}) {
                const int cw = (width + sx) >> sx, ch = (height + sy) >> sy;
                std::vector<unsigned char> luma(width * height), cb(cw * ch), cr(cw * ch);
                for (auto* plane : {&luma, &cb, &cr})
                    for (unsigned char& b : *plane) {
                        seed = seed * 1664525u + 1013904223u;
                        const int r = seed >> 24;
                        b = r < 32 ? 0 : r > 224 ? 255 : r;
                    }
                IMYuvPlanes p{luma.data(), cb.data(), cr.data(), width, cw, width, height, sx, sy};
                const std::vector<unsigned char> fast = Convert(p, width + 3, height, true);
                EXPECT_EQ(Convert(p, width + 3, height, false), fast)
                    << width << "x" << height << " shifts " << sx << sy;
                // Each pixel takes the chroma sample of its own place.
                const int x = width - 1, y = height - 1;
                const unsigned char* last = &fast[(y * (width + 3) + x) * 4];
                std::vector<unsigned char> one =
                    Convert(IMYuvPlanes{&luma[y * width + x], &cb[(y >> sy) * cw + (x >> sx)],
                                        &cr[(y >> sy) * cw + (x >> sx)], 1, 1, 1, 1},
                            1, 1, false);
                EXPECT_TRUE(std::equal(one.begin(), one.end(), last))
                    << width << "x" << height << " shifts " << sx << sy;
                // Bottom-up, through negative strides (whole chroma rows only).
                p = IMYuvPlanes{&luma[(height - 1) * width],
                                &cb[(ch - 1) * cw],
                                &cr[(ch - 1) * cw],
                                -width,
                                -cw,
                                width,
                                sy ? height / 2 * 2 : height,
                                sx,
                                sy};
                EXPECT_EQ(Convert(p, width, height, false), Convert(p, width, height, true))
                    << width << "x" << height << " bottom-up, shifts " << sx << sy;
            }
        }
}
