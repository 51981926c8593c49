// JPEG images from memory, one scan line at a time into the locked texture.
#include "framework/render/IMResourceManager.h"
#include "framework/resources/IMImageDecoder.h"

#include <cstdio>
// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

#include <algorithm>
#include <csetjmp>
#include <cstdint>
#include <vector>

namespace imimage {

namespace {

struct ErrorManager {
    jpeg_error_mgr standard;
    jmp_buf recovery;
};

// A damaged image or data that is no JPEG at all ends the decoding, not the
// program.
void LeaveDecoder(j_common_ptr info)
{
    ErrorManager* errors = reinterpret_cast<ErrorManager*>(info->err);
    std::longjmp(errors->recovery, 1);
}

void Ignore(j_decompress_ptr) {}

// The whole image is one buffer; when it runs out an end-of-image marker
// stands in for the missing rest, so truncated data ends instead of asking
// for more forever.
const JOCTET kEndOfImage[2] = {0xFF, JPEG_EOI};

boolean FillInput(j_decompress_ptr info)
{
    info->src->next_input_byte = kEndOfImage;
    info->src->bytes_in_buffer = sizeof kEndOfImage;
    return TRUE;
}

void SkipInput(j_decompress_ptr info, long count)
{
    if (count <= 0)
        return;
    jpeg_source_mgr* source = info->src;
    while (static_cast<size_t>(count) > source->bytes_in_buffer) {
        count -= static_cast<long>(source->bytes_in_buffer);
        FillInput(info);
    }
    source->next_input_byte += count;
    source->bytes_in_buffer -= static_cast<size_t>(count);
}

// CMYK from the decoder, as B, G, R, 255. Files that carry an Adobe marker
// (Photoshop's, and libjpeg's own for CMYK and YCCK) store the inks
// inverted, 255 meaning none; others store them plainly.
void CmykToBgra(const JOCTET* in, unsigned char* out, int width, bool inverted)
{
    for (int x = 0; x < width; ++x, in += 4, out += 4) {
        unsigned c = in[0], m = in[1], y = in[2], k = in[3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        out[0] = static_cast<unsigned char>((y * k + 127) / 255);
        out[1] = static_cast<unsigned char>((m * k + 127) / 255);
        out[2] = static_cast<unsigned char>((c * k + 127) / 255);
        out[3] = 0xFF;
    }
}

void RgbToBgra(const JOCTET* in, unsigned char* out, int width)
{
    for (int x = 0; x < width; ++x, in += 3, out += 4) {
        out[0] = in[2];
        out[1] = in[1];
        out[2] = in[0];
        out[3] = 0xFF;
    }
}

// Whether the data is long enough to hold its image's coded blocks. With
// Huffman coding every 8 x 8 block of every component costs at least one
// bit in a progressive image (its first DC scan codes each block's DC
// difference with a code of at least one bit; the AC scans may pass over
// thousands of blocks at once) and at least two in a sequential one (the
// DC difference and the end of its AC run). Data shorter than that is a
// small file claiming a huge picture, refused before the decoder allocates
// for it and its texture is made; no genuine file is ever this short.
// Arithmetic coding can code a flat block in a small fraction of a bit, so
// it has no such bound.
bool HoldsItsBlocks(const jpeg_decompress_struct& info, size_t size)
{
    if (info.arith_code)
        return true;
    uint64_t blocks = 0;
    for (int c = 0; c < info.num_components; ++c)
        blocks += static_cast<uint64_t>(info.comp_info[c].width_in_blocks) *
                  info.comp_info[c].height_in_blocks;
    const uint64_t leastBits = blocks * (info.progressive_mode ? 1 : 2);
    return static_cast<uint64_t>(size) * 8 >= leastBits;
}

struct JpegState {
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    jpeg_source_mgr source{};
    bool created = false;
    IDirect3DTexture9* texture = nullptr;
    bool locked = false;
    std::vector<JOCTET> row;

    ~JpegState()
    {
        if (created)
            jpeg_destroy_decompress(&info);
        if (texture) {
            if (locked)
                texture->UnlockRect(0);
            texture->Release();
        }
    }
};

} // namespace

bool DecodeJpeg(IDirect3DDevice9* device, const unsigned char* data, size_t size, Decoded* out)
{
    if (!data || size == 0)
        return false;
    JpegState state;
    state.info.err = jpeg_std_error(&state.errors.standard);
    state.errors.standard.error_exit = &LeaveDecoder;
    if (setjmp(state.errors.recovery))
        return false;
    jpeg_CreateDecompress(&state.info, 62, sizeof(jpeg_decompress_struct));
    state.created = true;

    state.source.next_input_byte = data;
    state.source.bytes_in_buffer = size;
    state.source.init_source = &Ignore;
    state.source.fill_input_buffer = &FillInput;
    state.source.skip_input_data = &SkipInput;
    state.source.resync_to_restart = &jpeg_resync_to_restart;
    state.source.term_source = &Ignore;
    state.info.src = &state.source;

    jpeg_read_header(&state.info, TRUE);
    // Every picture comes out as RGB or, for printers' colours, CMYK that is
    // converted here (the library converts CMYK to nothing else); colour
    // spaces it cannot name are refused.
    switch (state.info.jpeg_color_space) {
    case JCS_GRAYSCALE:
    case JCS_YCbCr:
    case JCS_RGB:
        state.info.out_color_space = JCS_RGB;
        break;
    case JCS_CMYK:
    case JCS_YCCK:
        state.info.out_color_space = JCS_CMYK;
        break;
    default:
        return false;
    }
    // The size is known from the header: nothing is decoded for a picture
    // too large to be a texture.
    if (state.info.image_width == 0 || state.info.image_height == 0 ||
        state.info.image_width > 8192 || state.info.image_height > 8192 ||
        !HoldsItsBlocks(state.info, size))
        return false;
    jpeg_start_decompress(&state.info);
    const int width = static_cast<int>(state.info.output_width);
    const int height = static_cast<int>(state.info.output_height);
    const int components = state.info.output_components;
    const bool cmyk = state.info.out_color_space == JCS_CMYK;
    if (width <= 0 || height <= 0 || width > 8192 || height > 8192 || components != (cmyk ? 4 : 3))
        return false;

    // Texture creation may throw std::bad_alloc: the state cleans up.
    if (!CreateTexture(device, &state.texture, width, height, D3DFMT_A8R8G8B8))
        return false;
    D3DLOCKED_RECT locked{};
    if (FAILED(state.texture->LockRect(0, &locked, nullptr, 0)))
        return false;
    state.locked = true;
    const size_t rowBytes = static_cast<size_t>(width) * static_cast<size_t>(components);
    state.row.assign(std::max(rowBytes, static_cast<size_t>(locked.Pitch)), 0);

    while (state.info.output_scanline < state.info.output_height) {
        const int y = static_cast<int>(state.info.output_scanline);
        JSAMPROW rows[1] = {state.row.data()};
        if (jpeg_read_scanlines(&state.info, rows, 1) != 1)
            break;
        unsigned char* target = static_cast<unsigned char*>(locked.pBits) +
                                static_cast<size_t>(y) * static_cast<size_t>(locked.Pitch);
        if (cmyk)
            CmykToBgra(state.row.data(), target, width, state.info.saw_Adobe_marker);
        else
            RgbToBgra(state.row.data(), target, width);
    }

    state.texture->UnlockRect(0);
    state.locked = false;
    jpeg_finish_decompress(&state.info);
    out->texture = state.texture;
    out->width = width;
    out->height = height;
    state.texture = nullptr;
    return true;
}

} // namespace imimage
