// The frame conversion: its arithmetic on known colours, which pixels each
// chroma sample serves, and the fast path matching the pixel-at-a-time one
// byte for byte (tails, odd rows, planes stored bottom-up).
#include "framework/video/IMYuvConvert.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

struct Frame {
    Frame(int w, int h, int y, int u, int v)
        : width(w), height(h), luma(static_cast<size_t>(w * h), static_cast<unsigned char>(y)),
          cb(static_cast<size_t>((w + 1) / 2 * ((h + 1) / 2)), static_cast<unsigned char>(u)),
          cr(cb.size(), static_cast<unsigned char>(v))
    {
    }
    IMYuvPlanes Planes() const
    {
        return IMYuvPlanes{luma.data(), cb.data(), cr.data(), width, (width + 1) / 2, width,
                           height};
    }
    int width;
    int height;
    std::vector<unsigned char> luma;
    std::vector<unsigned char> cb;
    std::vector<unsigned char> cr;
};

// Converts into a zeroed image `pitchPixels` wide; 0xEE marks untouched bytes.
std::vector<unsigned char> Convert(const IMYuvPlanes& p, int pitchPixels, int rows, bool fast)
{
    std::vector<unsigned char> out(static_cast<size_t>(pitchPixels * 4 * rows), 0xEE);
    if (fast)
        IMConvertYuvToBgrx(p, out.data(), pitchPixels * 4, pitchPixels, rows);
    else
        IMConvertYuvToBgrxScalar(p, out.data(), pitchPixels * 4, pitchPixels, rows);
    return out;
}

uint32_t Pixel(const std::vector<unsigned char>& image, int pitchPixels, int x, int y)
{
    const size_t at = static_cast<size_t>((y * pitchPixels + x) * 4);
    return image[at] | image[at + 1] << 8 | image[at + 2] << 16 | uint32_t(image[at + 3]) << 24;
}

} // namespace

TEST(YuvConversion, KnownColours)
{
    // Mid grey: (126 - 16) * 74 >> 6 = 127 on each channel, the fourth byte 0.
    const Frame grey(16, 2, 126, 128, 128);
    EXPECT_EQ(0x007F7F7Fu, Pixel(Convert(grey.Planes(), 16, 2, true), 16, 9, 1));
    // Studio red: the sums below zero clamp to 0, red is (4810 + 11424) >> 6.
    const Frame red(16, 2, 81, 90, 240);
    EXPECT_EQ(0x00FD0000u, Pixel(Convert(red.Planes(), 16, 2, true), 16, 0, 0));
    // Studio white with the most blue: the 16-bit sum saturates, blue is 255.
    const Frame blue(16, 2, 255, 255, 128);
    EXPECT_EQ(0xFFu, Pixel(Convert(blue.Planes(), 16, 2, true), 16, 3, 0) & 0xFF);
}

TEST(YuvConversion, EachChromaSampleServesItsTwoByTwoPixels)
{
    Frame f(16, 4, 126, 128, 128);
    // Chroma sample (1, 1): reddish; it serves pixels x 2..3, y 2..3.
    f.cb[1 * 8 + 1] = 90;
    f.cr[1 * 8 + 1] = 240;
    const std::vector<unsigned char> out = Convert(f.Planes(), 16, 4, true);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 16; ++x) {
            const bool served = x / 2 == 1 && y / 2 == 1;
            EXPECT_EQ(served ? 0x00FF3332u : 0x007F7F7Fu, Pixel(out, 16, x, y))
                << x << "," << y;
        }
}

TEST(YuvConversion, TheFastPathMatchesThePixelAtATimeOne)
{
    uint32_t seed = 7;
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<unsigned char>(seed >> 24);
    };
    // Widths with a tail, an odd row count, and the extremes of every plane.
    for (int width : {16, 21, 320}) {
        for (int height : {2, 7}) {
            Frame f(width, height, 0, 0, 0);
            for (auto* plane : {&f.luma, &f.cb, &f.cr})
                for (unsigned char& b : *plane) {
                    const unsigned char r = next();
                    b = r < 32 ? 0 : r > 224 ? 255 : r;
                }
            const int pitch = width + 3;
            IMYuvPlanes planes = f.Planes();
            EXPECT_EQ(Convert(planes, pitch, height, false), Convert(planes, pitch, height, true))
                << width << "x" << height;

            // The same planes seen bottom-up, through negative strides.
            planes.y = f.luma.data() + (height - 1) * width;
            planes.u = f.cb.data() + ((height + 1) / 2 - 1) * planes.uvStride;
            planes.v = f.cr.data() + ((height + 1) / 2 - 1) * planes.uvStride;
            planes.yStride = -planes.yStride;
            planes.uvStride = -planes.uvStride;
            planes.height = height / 2 * 2; // whole chroma rows from the bottom
            EXPECT_EQ(Convert(planes, pitch, height, false), Convert(planes, pitch, height, true))
                << width << "x" << height << " bottom-up";
        }
    }
}

TEST(YuvConversion, StaysInsideTheImageItIsGiven)
{
    const Frame f(32, 8, 126, 128, 128);
    // Room for 16 pixels and 3 rows only.
    const std::vector<unsigned char> out = Convert(f.Planes(), 16, 3, true);
    EXPECT_EQ(0x007F7F7Fu, Pixel(out, 16, 15, 2));
    std::vector<unsigned char> wide(static_cast<size_t>(20 * 4 * 4), 0xEE);
    IMConvertYuvToBgrx(f.Planes(), wide.data(), 20 * 4, 16, 3);
    EXPECT_EQ(0xEEEEEEEEu, Pixel(wide, 20, 16, 0));
    EXPECT_EQ(0xEEEEEEEEu, Pixel(wide, 20, 0, 3));
}
