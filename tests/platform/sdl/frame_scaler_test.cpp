#include "platform/sdl/frame_scaler.h"
#include "platform/sdl/frame_scaler_kernels.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

using platform::FrameScaler;

namespace {

uint8_t Channel(uint32_t pixel, int c)
{
    return static_cast<uint8_t>(pixel >> (8 * c));
}

} // namespace

TEST(FrameScaler, AFlatFrameStaysFlatAtEverySizeWithoutOverflow)
{
    // White with full alpha: the largest products the weighting makes.
    for (uint32_t colour : {0xFFFFFFFFu, 0x80402010u}) {
        const std::vector<uint32_t> source(800 * 600, colour);
        for (auto size :
             {std::pair<int, int>{1440, 1080}, {1280, 960}, {640, 480}, {1001, 3}, {1, 1}}) {
            FrameScaler scaler;
            std::vector<uint32_t> out(static_cast<size_t>(size.first) * size.second, 0);
            scaler.Scale(source.data(), 800, 600, 800 * 4, out.data(), size.first, size.second,
                         size.first * 4);
            for (uint32_t p : out)
                ASSERT_EQ(p, colour) << size.first << " x " << size.second;
        }
    }
}

TEST(FrameScaler, SameSizeIsAnExactCopyAndPitchesAreKept)
{
    // Rows padded on both sides; the padding of the destination is left alone.
    const int w = 5, h = 3, sourcePitch = 7, destinationPitch = 9;
    std::vector<uint32_t> source(sourcePitch * h), out(destinationPitch * h, 0xDEADBEEFu);
    for (size_t i = 0; i < source.size(); ++i)
        source[i] = static_cast<uint32_t>(i * 0x01020304u);
    FrameScaler scaler;
    scaler.Scale(source.data(), w, h, sourcePitch * 4, out.data(), w, h, destinationPitch * 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < destinationPitch; ++x)
            EXPECT_EQ(out[y * destinationPitch + x],
                      x < w ? source[y * sourcePitch + x] : 0xDEADBEEFu);

    std::vector<uint32_t> wide(destinationPitch * 6, 0xDEADBEEFu);
    scaler.Scale(source.data(), w, h, sourcePitch * 4, wide.data(), 8, 6, destinationPitch * 4);
    for (int y = 0; y < 6; ++y)
        EXPECT_EQ(wide[y * destinationPitch + 8], 0xDEADBEEFu);
}

TEST(FrameScaler, UpscalingKeepsCornersAndBlendsBetweenSamples)
{
    // A 4 x 2 frame in a buffer of exactly its size: reading past a row or
    // the last row shows under the address sanitizer.
    const int w = 4, h = 2;
    std::vector<uint32_t> source(w * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            source[y * w + x] = 0xFF000000u | (x * 80u) << 16 | (y * 200u);
    const int ow = 16, oh = 8;
    std::vector<uint32_t> out(ow * oh);
    FrameScaler scaler;
    scaler.Scale(source.data(), w, h, w * 4, out.data(), ow, oh, ow * 4);

    EXPECT_EQ(out[0], source[0]);
    EXPECT_EQ(out[ow - 1], source[w - 1]);
    EXPECT_EQ(out[(oh - 1) * ow], source[(h - 1) * w]);
    EXPECT_EQ(out[oh * ow - 1], source[h * w - 1]);
    for (int y = 0; y < oh; ++y) {
        for (int x = 0; x < ow; ++x) {
            const uint32_t p = out[y * ow + x];
            EXPECT_EQ(Channel(p, 3), 0xFF);
            // Red rises across, blue down; each within the samples it lies between.
            if (x > 0) {
                EXPECT_GE(Channel(p, 2), Channel(out[y * ow + x - 1], 2));
            }
            if (y > 0) {
                EXPECT_GE(Channel(p, 0), Channel(out[(y - 1) * ow + x], 0));
            }
            EXPECT_LE(Channel(p, 2), 240);
        }
    }
    // Output column 6 has its centre at source 1.125 (6.5 / 4 - 0.5): 80 + 0.125 * 80.
    EXPECT_NEAR(Channel(out[6], 2), 90, 1);
    // Output row 3 at source 0.375: 0.375 * 200.
    EXPECT_NEAR(Channel(out[3 * ow], 0), 75, 1);
}

TEST(FrameScaler, WideKernelsGiveTheBytesOfThePlainOnes)
{
    if (!platform::HasAvx2())
        GTEST_SKIP() << "no AVX2 here";
    std::mt19937 random(5);
    std::vector<uint32_t> source(800 * 600);
    for (uint32_t& p : source)
        p = random();
    for (auto size : {std::pair<int, int>{1440, 1080}, {1013, 777}, {803, 601}, {7, 5}}) {
        std::vector<uint32_t> wide(size_t(size.first) * size.second), plain(wide.size());
        FrameScaler a, b;
        a.Scale(source.data(), 800, 600, 800 * 4, wide.data(), size.first, size.second,
                size.first * 4);
        platform::AllowAvx2(false);
        b.Scale(source.data(), 800, 600, 800 * 4, plain.data(), size.first, size.second,
                size.first * 4);
        platform::AllowAvx2(true);
        ASSERT_TRUE(wide == plain) << size.first << " x " << size.second;
    }
}
