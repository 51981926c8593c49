// JPEG images from memory, one scan line at a time into the locked texture.
#include "framework/render/IMResourceManager.h"
#include "framework/resources/IMImageDecoder.h"

#include <cstdio>
// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

#include <algorithm>
#include <csetjmp>
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
    // Grey images are drawn in colour like every other picture.
    if (state.info.jpeg_color_space == JCS_GRAYSCALE)
        state.info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&state.info);
    const int width = static_cast<int>(state.info.output_width);
    const int height = static_cast<int>(state.info.output_height);
    const int components = state.info.output_components;
    if (width <= 0 || height <= 0 || width > 8192 || height > 8192)
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
        const JOCTET* in = state.row.data();
        if (components == 3) {
            for (int x = 0; x < width; ++x, in += 3, target += 4) {
                target[0] = in[2];
                target[1] = in[1];
                target[2] = in[0];
                target[3] = 0xFF;
            }
        } else if (components == 4) {
            for (int x = 0; x < width; ++x, in += 4, target += 4) {
                target[0] = in[2];
                target[1] = in[1];
                target[2] = in[0];
                target[3] = in[3];
            }
        }
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
