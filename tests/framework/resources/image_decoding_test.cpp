// Decoding pictures into textures: every kind of PNG comes out as four
// bytes per pixel (B, G, R, A) with the right alpha; JPEG is the fallback;
// damaged data fails cleanly.
#include "../render/render_fixture.h"
#include "image_encoding.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <algorithm>
#include <cstdint>

using testing_support::EncodeCmykJpeg;
using testing_support::EncodeJpeg;
using testing_support::EncodePng;
using testing_support::PngSpec;
using testing_support::RenderTest;

namespace {

class ImageDecoding : public RenderTest {
protected:
    // Registers the bytes; the identifier, or -1 when nothing was made.
    int Decode(const std::vector<unsigned char>& bytes)
    {
        const int id = manager->CreateTextureFromMemory(
            L"image" + std::to_wstring(++count), bytes.data(), static_cast<unsigned>(bytes.size()));
        return manager->GetTextureRecord(id) ? id : -1;
    }

    // ARGB of a pixel of the texture, from its pixel copy.
    uint32_t Pixel(int id, int x, int y)
    {
        manager->TakePixelCopy(id);
        const IMTextureRecord* record = manager->GetTextureRecord(id);
        const unsigned char* p =
            record->pixels.data() + static_cast<size_t>(y) * record->pitch + x * 4;
        return static_cast<uint32_t>(p[3]) << 24 | static_cast<uint32_t>(p[2]) << 16 |
               static_cast<uint32_t>(p[1]) << 8 | p[0];
    }

    int count = 0;
};

PngSpec Spec(int width, int height, int colourType, int bitDepth, std::vector<unsigned char> rows)
{
    PngSpec spec;
    spec.width = width;
    spec.height = height;
    spec.colourType = colourType;
    spec.bitDepth = bitDepth;
    spec.rows = std::move(rows);
    return spec;
}

// Four palette entries: red, green, blue, white.
std::vector<png_color> Palette()
{
    return {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
}

} // namespace

TEST_F(ImageDecoding, RgbaKeepsItsAlphaAndRgbBecomesOpaque)
{
    const int rgba = Decode(
        EncodePng(Spec(2, 1, PNG_COLOR_TYPE_RGB_ALPHA, 8, {10, 20, 30, 40, 200, 100, 50, 255})));
    ASSERT_GE(rgba, 0);
    EXPECT_EQ(Pixel(rgba, 0, 0), 0x280A141Eu);
    EXPECT_EQ(Pixel(rgba, 1, 0), 0xFFC86432u);
    const IMTextureRecord* record = manager->GetTextureRecord(rgba);
    EXPECT_EQ(record->imageRect.right, 2);
    EXPECT_EQ(record->imageRect.bottom, 1);

    const int rgb =
        Decode(EncodePng(Spec(3, 2, PNG_COLOR_TYPE_RGB, 8,
                              {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18})));
    ASSERT_GE(rgb, 0);
    EXPECT_EQ(Pixel(rgb, 0, 0), 0xFF010203u);
    EXPECT_EQ(Pixel(rgb, 2, 0), 0xFF070809u);
    EXPECT_EQ(Pixel(rgb, 0, 1), 0xFF0A0B0Cu);
    EXPECT_EQ(Pixel(rgb, 2, 1), 0xFF101112u);
}

TEST_F(ImageDecoding, PaletteImagesWithoutTransparencyComeOutOpaqueAtFourBytesAPixel)
{
    for (int depth : {8, 4, 2}) {
        PngSpec spec = Spec(5, 1, PNG_COLOR_TYPE_PALETTE, depth, {});
        spec.palette = Palette();
        // Indices 0, 1, 2, 3, 0 packed at the bit depth.
        const int indices[5] = {0, 1, 2, 3, 0};
        spec.rows.assign(5, 0);
        for (int i = 0; i < 5; ++i) {
            const int bit = i * depth;
            spec.rows[static_cast<size_t>(bit / 8)] |=
                static_cast<unsigned char>(indices[i] << (8 - depth - bit % 8));
        }
        const int id = Decode(EncodePng(spec));
        ASSERT_GE(id, 0) << depth;
        EXPECT_EQ(Pixel(id, 0, 0), 0xFFFF0000u) << depth;
        EXPECT_EQ(Pixel(id, 1, 0), 0xFF00FF00u) << depth;
        EXPECT_EQ(Pixel(id, 2, 0), 0xFF0000FFu) << depth;
        EXPECT_EQ(Pixel(id, 3, 0), 0xFFFFFFFFu) << depth;
        EXPECT_EQ(Pixel(id, 4, 0), 0xFFFF0000u) << depth;
    }
}

TEST_F(ImageDecoding, PaletteTransparencyBecomesAlpha)
{
    PngSpec spec = Spec(4, 1, PNG_COLOR_TYPE_PALETTE, 8, {0, 1, 2, 3});
    spec.palette = Palette();
    spec.paletteAlpha = {0, 128}; // entries past the list are opaque
    const int id = Decode(EncodePng(spec));
    ASSERT_GE(id, 0);
    EXPECT_EQ(Pixel(id, 0, 0) >> 24, 0u);
    EXPECT_EQ(Pixel(id, 1, 0), 0x8000FF00u);
    EXPECT_EQ(Pixel(id, 2, 0), 0xFF0000FFu);
    EXPECT_EQ(Pixel(id, 3, 0), 0xFFFFFFFFu);
}

TEST_F(ImageDecoding, GreyImagesBecomeOpaqueGreyRgb)
{
    const int grey = Decode(EncodePng(Spec(3, 1, PNG_COLOR_TYPE_GRAY, 8, {0, 0x80, 0xFF})));
    ASSERT_GE(grey, 0);
    EXPECT_EQ(Pixel(grey, 0, 0), 0xFF000000u);
    EXPECT_EQ(Pixel(grey, 1, 0), 0xFF808080u);
    EXPECT_EQ(Pixel(grey, 2, 0), 0xFFFFFFFFu);

    // One bit per pixel: 1, 0, 1 expands to white, black, white.
    const int bits = Decode(EncodePng(Spec(3, 1, PNG_COLOR_TYPE_GRAY, 1, {0xA0})));
    ASSERT_GE(bits, 0);
    EXPECT_EQ(Pixel(bits, 0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(Pixel(bits, 1, 0), 0xFF000000u);
    EXPECT_EQ(Pixel(bits, 2, 0), 0xFFFFFFFFu);

    // A transparent grey value is clear.
    PngSpec keyed = Spec(2, 1, PNG_COLOR_TYPE_GRAY, 8, {0x40, 0x41});
    keyed.greyTransparent = true;
    keyed.transparentGrey = 0x40;
    const int key = Decode(EncodePng(keyed));
    ASSERT_GE(key, 0);
    EXPECT_EQ(Pixel(key, 0, 0) >> 24, 0u);
    EXPECT_EQ(Pixel(key, 1, 0), 0xFF414141u);
}

TEST_F(ImageDecoding, RgbColourKeyBecomesAlpha)
{
    PngSpec keyed = Spec(3, 1, PNG_COLOR_TYPE_RGB, 8, {10, 20, 30, 10, 20, 31, 10, 20, 30});
    keyed.colourKeyed = true;
    keyed.colourKey.red = 10;
    keyed.colourKey.green = 20;
    keyed.colourKey.blue = 30;
    const int id = Decode(EncodePng(keyed));
    ASSERT_GE(id, 0);
    EXPECT_EQ(Pixel(id, 0, 0) >> 24, 0u);
    EXPECT_EQ(Pixel(id, 1, 0), 0xFF0A141Fu);
    EXPECT_EQ(Pixel(id, 2, 0) >> 24, 0u);

    // At 16 bits the key is matched before the samples are stripped.
    PngSpec deep = Spec(2, 1, PNG_COLOR_TYPE_RGB, 16, {1, 2, 3, 4, 5, 6, 1, 2, 3, 4, 5, 7});
    deep.colourKeyed = true;
    deep.colourKey.red = 0x0102;
    deep.colourKey.green = 0x0304;
    deep.colourKey.blue = 0x0506;
    const int wide = Decode(EncodePng(deep));
    ASSERT_GE(wide, 0);
    EXPECT_EQ(Pixel(wide, 0, 0) >> 24, 0u);
    EXPECT_EQ(Pixel(wide, 1, 0), 0xFF010305u);
}

TEST_F(ImageDecoding, GreyWithAlphaKeepsItsAlpha)
{
    const int id =
        Decode(EncodePng(Spec(2, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 8, {0x30, 0x10, 0xC0, 0xFF})));
    ASSERT_GE(id, 0);
    EXPECT_EQ(Pixel(id, 0, 0), 0x10303030u);
    EXPECT_EQ(Pixel(id, 1, 0), 0xFFC0C0C0u);
}

TEST_F(ImageDecoding, SixteenBitSamplesKeepTheirHighByte)
{
    const int rgba = Decode(EncodePng(Spec(1, 1, PNG_COLOR_TYPE_RGB_ALPHA, 16,
                                           {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0x7F, 0xFF})));
    ASSERT_GE(rgba, 0);
    EXPECT_EQ(Pixel(rgba, 0, 0), 0x7F12569Au);
    const int grey = Decode(EncodePng(Spec(1, 1, PNG_COLOR_TYPE_GRAY, 16, {0xAB, 0xCD})));
    ASSERT_GE(grey, 0);
    EXPECT_EQ(Pixel(grey, 0, 0), 0xFFABABABu);
}

TEST_F(ImageDecoding, BackgroundChunkCompositesTheImageOpaque)
{
    PngSpec spec = Spec(2, 1, PNG_COLOR_TYPE_RGB_ALPHA, 8, {255, 255, 255, 0, 255, 255, 255, 255});
    spec.background = true;
    spec.backgroundColour.red = 0;
    spec.backgroundColour.green = 0;
    spec.backgroundColour.blue = 255;
    const int id = Decode(EncodePng(spec));
    ASSERT_GE(id, 0);
    EXPECT_EQ(Pixel(id, 0, 0), 0xFF0000FFu); // clear: the background colour
    EXPECT_EQ(Pixel(id, 1, 0), 0xFFFFFFFFu);
}

TEST_F(ImageDecoding, GammaChunkCorrectsForTheScreen)
{
    PngSpec linear = Spec(1, 1, PNG_COLOR_TYPE_RGB, 8, {0x80, 0x80, 0x80});
    linear.gamma = 1.0; // linear samples shown on a 2.2 screen come out brighter
    const int id = Decode(EncodePng(linear));
    ASSERT_GE(id, 0);
    const int red = static_cast<int>((Pixel(id, 0, 0) >> 16) & 0xFF);
    EXPECT_NEAR(red, 186, 2);

    PngSpec matched = Spec(1, 1, PNG_COLOR_TYPE_RGB, 8, {0x80, 0x80, 0x80});
    matched.gamma = 1.0 / 2.2; // made for such a screen: unchanged
    const int same = Decode(EncodePng(matched));
    ASSERT_GE(same, 0);
    EXPECT_NEAR(static_cast<int>((Pixel(same, 0, 0) >> 16) & 0xFF), 0x80, 1);
}

TEST_F(ImageDecoding, InterlacedImageDecodesWhole)
{
    std::vector<unsigned char> rows;
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 9; ++x) {
            rows.push_back(static_cast<unsigned char>(x * 20));
            rows.push_back(static_cast<unsigned char>(y * 20));
            rows.push_back(7);
        }
    PngSpec spec = Spec(9, 9, PNG_COLOR_TYPE_RGB, 8, rows);
    spec.interlaced = true;
    const int id = Decode(EncodePng(spec));
    ASSERT_GE(id, 0);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 9; ++x)
            ASSERT_EQ(Pixel(id, x, y), 0xFF000007u | static_cast<uint32_t>(x * 20) << 16 |
                                           static_cast<uint32_t>(y * 20) << 8);
}

TEST_F(ImageDecoding, DamagedPngFailsWithTheLibraryMessageOnStandardError)
{
    std::vector<unsigned char> bytes = EncodePng(Spec(16, 16, PNG_COLOR_TYPE_RGB, 8, {}));
    bytes.resize(bytes.size() / 2);
    const int textures = platform::d3d9test::CountLiveObjects().textures;
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(Decode(bytes), -1);
    const std::string errors = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(errors.rfind("libpng error: ", 0), 0u) << errors;
    EXPECT_EQ(errors.back(), '\n');
    EXPECT_EQ(platform::d3d9test::CountLiveObjects().textures, textures);

    // A changed byte inside the header fails its checksum.
    std::vector<unsigned char> corrupt = EncodePng(Spec(4, 4, PNG_COLOR_TYPE_RGB, 8, {}));
    corrupt[20] ^= 0xFF;
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(Decode(corrupt), -1);
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("libpng error: "), std::string::npos);
}

TEST_F(ImageDecoding, ShortFileClaimingAHugeChunkCostsNoMemory)
{
    // A 1 x 1 picture with a chunk after its header that says it holds
    // 2 GiB, though the file ends a few bytes later.
    const std::vector<unsigned char> picture =
        EncodePng(Spec(1, 1, PNG_COLOR_TYPE_RGB, 8, {1, 2, 3}));
    const size_t afterHeader = 8 + 25;
    rusage before{};
    getrusage(RUSAGE_SELF, &before);
    for (const char* type :
         {"tEXt", "zTXt", "iTXt", "sPLT", "pCAL", "sCAL", "eXIf", "iCCP", "zzZz"}) {
        std::vector<unsigned char> bytes(picture.begin(), picture.begin() + afterHeader);
        const unsigned char chunk[] = {0x7F, 0xFF, 0xFF, 0xF0, 0, 0, 0, 0, 'a', 0, 'b'};
        bytes.insert(bytes.end(), chunk, chunk + sizeof chunk);
        std::copy(type, type + 4, bytes.end() - 7);
        bytes.insert(bytes.end(), picture.begin() + afterHeader, picture.end());
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(Decode(bytes), -1) << type;
        ::testing::internal::GetCapturedStderr();
    }
    rusage after{};
    getrusage(RUSAGE_SELF, &after);
    EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 256L * 1024) << "peak kB grew";
}

namespace {

uint32_t Crc32(const unsigned char* data, size_t size)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = crc & 1 ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
    }
    return ~crc;
}

void PutBigEndian(unsigned char* at, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        at[i] = static_cast<unsigned char>(value >> (8 * (bytes - 1 - i)));
}

} // namespace

TEST_F(ImageDecoding, TinyFilesClaimingHugePicturesAreRefusedBeforeTheirTexture)
{
    // A 1 x 1 PNG whose header (its checksum mended) claims 8192 x 8192.
    std::vector<unsigned char> png = EncodePng(Spec(1, 1, PNG_COLOR_TYPE_RGB, 8, {1, 2, 3}));
    PutBigEndian(&png[16], 8192, 4);
    PutBigEndian(&png[20], 8192, 4);
    PutBigEndian(&png[29], Crc32(&png[12], 17), 4);
    // An 8 x 8 JPEG whose frame header claims the same.
    std::vector<unsigned char> jpeg =
        EncodeJpeg(8, 8, 3, std::vector<unsigned char>(8 * 8 * 3, 0x55));
    const unsigned char frame[2] = {0xFF, 0xC0};
    const auto sof = std::search(jpeg.begin(), jpeg.end(), frame, frame + 2);
    ASSERT_NE(sof, jpeg.end());
    PutBigEndian(&*sof + 5, 8192, 2);
    PutBigEndian(&*sof + 7, 8192, 2);

    // No room for the claimed picture's texture: asking for one would push
    // the textures already made out of video memory.
    const size_t inUse = platform::d3d9test::VideoMemoryInUse();
    platform::d3d9test::SetVideoMemoryBudget(inUse + (1u << 20));
    for (const auto* bytes : {&png, &jpeg}) {
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(Decode(*bytes), -1);
        ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(platform::d3d9test::VideoMemoryInUse(), inUse) << bytes->size() << " bytes";
    }
    platform::d3d9test::SetVideoMemoryBudget(SIZE_MAX);

    // Genuine pictures as small as their coding makes them still open: a
    // blank 1-bit PNG (deflate's best ratio) and flat JPEGs with the
    // shortest codes, sequential and progressive.
    const int blank = Decode(EncodePng(Spec(2048, 2048, PNG_COLOR_TYPE_GRAY, 1, {})));
    ASSERT_GE(blank, 0);
    EXPECT_EQ(Pixel(blank, 2047, 2047), 0xFF000000u);
    manager->ReleaseTexture(blank);
    for (auto coding : {testing_support::JpegCoding::Smallest,
                        testing_support::JpegCoding::SmallestProgressive}) {
        const std::vector<unsigned char> flat =
            EncodeJpeg(1024, 1024, 3, std::vector<unsigned char>(1024 * 1024 * 3, 0x80), coding);
        const int id = Decode(flat);
        ASSERT_GE(id, 0) << flat.size() << " bytes";
        EXPECT_NEAR(static_cast<int>(Pixel(id, 1023, 1023) & 0xFF), 0x80, 2);
        manager->ReleaseTexture(id);
    }
}

TEST_F(ImageDecoding, CmykJpegsComeOutInTheirColours)
{
    // Red, as inks: no cyan, full magenta and yellow, no black.
    const unsigned char red[4] = {0, 255, 255, 0};
    // Dark blue: full cyan and magenta, no yellow, half black.
    const unsigned char navy[4] = {255, 255, 0, 128};
    auto image = [&](bool inverted) {
        std::vector<unsigned char> pixels;
        for (int i = 0; i < 8 * 8; ++i)
            for (int c = 0; c < 4; ++c) {
                const unsigned char ink = (i % 8 < 4 ? red : navy)[c];
                pixels.push_back(static_cast<unsigned char>(inverted ? 255 - ink : ink));
            }
        return pixels;
    };
    struct Case {
        J_COLOR_SPACE space;
        bool adobe;
    };
    // Files with the Adobe marker hold the inks inverted.
    for (const Case& c : {Case{JCS_CMYK, true}, Case{JCS_YCCK, true}, Case{JCS_CMYK, false}}) {
        const int id = Decode(EncodeCmykJpeg(8, 8, c.space, c.adobe, image(c.adobe)));
        ASSERT_GE(id, 0) << c.space;
        const uint32_t left = Pixel(id, 1, 4);
        const uint32_t right = Pixel(id, 6, 4);
        EXPECT_EQ(left >> 24, 0xFFu);
        EXPECT_NEAR(static_cast<int>((left >> 16) & 0xFF), 255, 6) << c.space << c.adobe;
        EXPECT_NEAR(static_cast<int>((left >> 8) & 0xFF), 0, 6);
        EXPECT_NEAR(static_cast<int>(left & 0xFF), 0, 6);
        EXPECT_EQ(right >> 24, 0xFFu);
        EXPECT_NEAR(static_cast<int>((right >> 16) & 0xFF), 0, 6) << c.space << c.adobe;
        EXPECT_NEAR(static_cast<int>((right >> 8) & 0xFF), 0, 6);
        EXPECT_NEAR(static_cast<int>(right & 0xFF), 127, 6);
    }
}

TEST_F(ImageDecoding, JpegIsTheFallbackDecoder)
{
    std::vector<unsigned char> rgb;
    for (int i = 0; i < 16 * 8; ++i) {
        rgb.push_back(200);
        rgb.push_back(100);
        rgb.push_back(50);
    }
    const int id = Decode(EncodeJpeg(16, 8, 3, rgb));
    ASSERT_GE(id, 0);
    const IMTextureRecord* record = manager->GetTextureRecord(id);
    EXPECT_EQ(record->imageRect.right, 16);
    EXPECT_EQ(record->imageRect.bottom, 8);
    const uint32_t p = Pixel(id, 5, 5);
    EXPECT_EQ(p >> 24, 0xFFu);
    EXPECT_NEAR(static_cast<int>((p >> 16) & 0xFF), 200, 3);
    EXPECT_NEAR(static_cast<int>((p >> 8) & 0xFF), 100, 3);
    EXPECT_NEAR(static_cast<int>(p & 0xFF), 50, 3);

    // A grey JPEG is drawn grey, not left blank.
    const int grey = Decode(EncodeJpeg(8, 8, 1, std::vector<unsigned char>(64, 0x90)));
    ASSERT_GE(grey, 0);
    const uint32_t g = Pixel(grey, 3, 3);
    EXPECT_EQ(g >> 24, 0xFFu);
    EXPECT_NEAR(static_cast<int>(g & 0xFF), 0x90, 2);
    EXPECT_EQ((g >> 16) & 0xFF, g & 0xFF);
}

TEST_F(ImageDecoding, TruncatedOrForeignDataEndsWithoutAHang)
{
    std::vector<unsigned char> jpeg =
        EncodeJpeg(32, 32, 3, std::vector<unsigned char>(32 * 32 * 3, 0x55));
    jpeg.resize(jpeg.size() / 2);
    ::testing::internal::CaptureStderr();
    const int partial = Decode(jpeg); // what arrived is shown, or nothing: no hang
    ::testing::internal::GetCapturedStderr();
    if (partial >= 0) {
        EXPECT_EQ(manager->GetTextureRecord(partial)->imageRect.right, 32);
    }

    const std::vector<unsigned char> text = {'n', 'o', 't', ' ', 'a', 'n',
                                             ' ', 'i', 'm', 'a', 'g', 'e'};
    EXPECT_EQ(Decode(text), -1);
    EXPECT_EQ(Decode({0xFF, 0xD8}), -1); // a JPEG that ends after its first marker
}
