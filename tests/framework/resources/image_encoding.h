// Small PNG and JPEG files made in memory for the decoder tests.
#pragma once

#include <png.h>

#include <cstdio>
#include <jpeglib.h>

#include <cstdint>
#include <vector>

namespace testing_support {

struct PngSpec {
    int width = 1;
    int height = 1;
    int colourType = PNG_COLOR_TYPE_RGB;
    int bitDepth = 8;
    // Packed rows as the file stores them (bytesPerRow each).
    std::vector<unsigned char> rows;
    std::vector<png_color> palette;
    std::vector<unsigned char> paletteAlpha; // tRNS of a palette image
    bool greyTransparent = false;            // tRNS of a grey image
    int transparentGrey = 0;
    bool colourKeyed = false; // tRNS of an RGB image
    png_color_16 colourKey{};
    bool background = false; // bKGD
    png_color_16 backgroundColour{};
    double gamma = 0.0; // gAMA when not 0
    bool interlaced = false;
};

inline std::vector<unsigned char> EncodePng(const PngSpec& spec)
{
    std::vector<unsigned char> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(
        png, &out,
        [](png_structp p, png_bytep data, png_size_t length) {
            auto* buffer = static_cast<std::vector<unsigned char>*>(png_get_io_ptr(p));
            buffer->insert(buffer->end(), data, data + length);
        },
        nullptr);
    png_set_IHDR(png, info, spec.width, spec.height, spec.bitDepth, spec.colourType,
                 spec.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!spec.palette.empty())
        png_set_PLTE(png, info, spec.palette.data(), static_cast<int>(spec.palette.size()));
    if (!spec.paletteAlpha.empty())
        png_set_tRNS(png, info, spec.paletteAlpha.data(),
                     static_cast<int>(spec.paletteAlpha.size()), nullptr);
    if (spec.greyTransparent) {
        png_color_16 grey{};
        grey.gray = static_cast<png_uint_16>(spec.transparentGrey);
        png_set_tRNS(png, info, nullptr, 0, &grey);
    }
    if (spec.colourKeyed) {
        png_color_16 key = spec.colourKey;
        png_set_tRNS(png, info, nullptr, 0, &key);
    }
    if (spec.background) {
        png_color_16 colour = spec.backgroundColour;
        png_set_bKGD(png, info, &colour);
    }
    if (spec.gamma != 0.0)
        png_set_gAMA(png, info, spec.gamma);
    png_write_info(png, info);
    const size_t rowBytes = png_get_rowbytes(png, info);
    std::vector<png_bytep> rows(static_cast<size_t>(spec.height));
    std::vector<unsigned char> data = spec.rows;
    data.resize(rowBytes * static_cast<size_t>(spec.height));
    for (int y = 0; y < spec.height; ++y)
        rows[static_cast<size_t>(y)] = data.data() + rowBytes * static_cast<size_t>(y);
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

// How a JPEG is coded: the library's baseline at best quality, or as small
// as it codes (lowest quality, Huffman tables made for the image), either
// sequential or progressive.
enum class JpegCoding { Best, Smallest, SmallestProgressive };

// A JPEG of `components` (1 grey, 3 RGB).
inline std::vector<unsigned char> EncodeJpeg(int width, int height, int components,
                                             const std::vector<unsigned char>& pixels,
                                             JpegCoding coding = JpegCoding::Best)
{
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = components;
    info.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, coding == JpegCoding::Best ? 100 : 1, TRUE);
    info.optimize_coding = coding != JpegCoding::Best;
    if (coding == JpegCoding::SmallestProgressive)
        jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(
            pixels.data() + static_cast<size_t>(info.next_scanline) * width * components);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    std::vector<unsigned char> out(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    free(buffer);
    return out;
}

// A baseline JPEG of four-component pixels (C, M, Y, K as the file stores
// them) in CMYK or YCCK; adobe says whether it carries the Adobe marker
// (YCCK needs it to be read as YCCK).
inline std::vector<unsigned char> EncodeCmykJpeg(int width, int height, J_COLOR_SPACE space,
                                                 bool adobe,
                                                 const std::vector<unsigned char>& pixels)
{
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 4;
    info.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&info);
    jpeg_set_colorspace(&info, space);
    info.write_Adobe_marker = adobe ? TRUE : FALSE;
    jpeg_set_quality(&info, 100, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(pixels.data() +
                                            static_cast<size_t>(info.next_scanline) * width * 4);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    std::vector<unsigned char> out(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    free(buffer);
    return out;
}

} // namespace testing_support
