// PNG images from memory, straight into the locked texture.
#include "framework/render/IMResourceManager.h"
#include "framework/resources/IMImageDecoder.h"

#include <png.h>

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace imimage {

namespace {

struct MemoryReader {
    const unsigned char* data;
    size_t size;
    size_t position;
};

void ReportError(png_structp png, png_const_charp message)
{
    std::fprintf(stderr, "libpng error: %s\n", message);
    png_longjmp(png, 1);
}

void ReadFromMemory(png_structp png, png_bytep out, png_size_t length)
{
    MemoryReader* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
    if (length > reader->size - reader->position)
        png_error(png, "Read Error: the image ends early");
    std::memcpy(out, reader->data + reader->position, length);
    reader->position += length;
}

// What the decoder holds, outside the frames that a long jump leaves.
struct PngState {
    png_structp png = nullptr;
    png_infop info = nullptr;
    IDirect3DTexture9* texture = nullptr;
    bool locked = false;
    std::vector<png_bytep> rows;

    ~PngState()
    {
        if (png)
            png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
        if (texture) {
            if (locked)
                texture->UnlockRect(0);
            texture->Release();
        }
    }
};

// The largest picture made into a texture, each way.
constexpr png_uint_32 kMaxSide = 8192;
// No chunk that a picture's pixels need (palette, transparency, background,
// gamma) comes near this; the image data is not held whole, so it is not
// bound by it.
constexpr png_alloc_size_t kMaxChunkBytes = 1u << 20;

// Chunks whose size the file states and libpng would allocate whole, but
// which say nothing about the pixels: they are skipped unread, so a short
// file that claims a chunk of gigabytes costs nothing. (libpng only warns
// about such chunks and still allocates them.)
const png_byte kSkippedChunks[] = "tEXt\0zTXt\0iTXt\0sPLT\0pCAL\0sCAL\0eXIf\0iCCP";

void SetLimits(png_structp png)
{
    png_set_user_limits(png, kMaxSide, kMaxSide);
    png_set_chunk_malloc_max(png, kMaxChunkBytes);
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, kSkippedChunks,
                                static_cast<int>(sizeof kSkippedChunks / 5));
}

// Deflate codes at most 258 bytes in one length and distance pair of at
// least 2 bits (a code of one symbol still takes a bit), so no stream packs
// more than 1032 bytes into one byte.
constexpr uint64_t kDeflateMostBytesPerByte = 1032;

// Whether the file is long enough to hold its image's compressed rows: the
// rows as stored (a filter byte, then the samples of each; an interlaced
// image stores more) cannot be packed smaller than by deflate's best
// ratio. A short file that claims a huge picture is refused before its
// texture is made; no genuine file is ever this short.
bool HoldsItsRows(png_structp png, png_infop info, size_t size)
{
    const uint64_t bitsPerPixel =
        static_cast<uint64_t>(png_get_bit_depth(png, info)) * png_get_channels(png, info);
    const uint64_t rowBytes = (png_get_image_width(png, info) * bitsPerPixel + 7) / 8;
    const uint64_t stored = (1 + rowBytes) * png_get_image_height(png, info);
    return static_cast<uint64_t>(size) >= stored / kDeflateMostBytesPerByte;
}

// Sets the transformations; false when the rows would not come out as
// four bytes per pixel.
void SetTransformations(png_structp png, png_infop info)
{
    const int bitDepth = png_get_bit_depth(png, info);
    const int colourType = png_get_color_type(png, info);
    const bool hasTransparency = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    const bool hasBackground = png_get_valid(png, info, PNG_INFO_bKGD) != 0;

    if (bitDepth == 16)
        png_set_strip_16(png);
    if (colourType == PNG_COLOR_TYPE_PALETTE && bitDepth <= 8)
        png_set_palette_to_rgb(png); // a tRNS chunk becomes the alpha channel
    if (colourType == PNG_COLOR_TYPE_GRAY && bitDepth < 8)
        png_set_expand_gray_1_2_4_to_8(png);
    // A colour key of a grey or RGB image becomes the alpha channel.
    if (colourType != PNG_COLOR_TYPE_PALETTE && hasTransparency)
        png_set_tRNS_to_alpha(png);
    if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);

    // Every row comes out as four bytes per pixel: images without an alpha
    // channel get an opaque one, and so do images composited onto their
    // background colour (the compositing removes the alpha channel).
    const bool alphaOut =
        !hasBackground && ((colourType & PNG_COLOR_MASK_ALPHA) != 0 || hasTransparency);
    if (!alphaOut)
        png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_bgr(png);

    if (hasBackground) {
        png_color_16p background = nullptr;
        if (png_get_bKGD(png, info, &background) && background)
            png_set_background(png, background, PNG_BACKGROUND_GAMMA_FILE, 1, 1.0);
    }
    double fileGamma = 0.0;
    if (png_get_gAMA(png, info, &fileGamma))
        png_set_gamma(png, 2.2, fileGamma);
    png_set_interlace_handling(png);
}

} // namespace

bool DecodePng(IDirect3DDevice9* device, const unsigned char* data, size_t size, Decoded* out)
{
    if (!data || size < 8 || png_sig_cmp(data, 0, 8) != 0)
        return false;

    PngState state;
    MemoryReader reader{data, size, 8};
    state.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, &ReportError, nullptr);
    if (!state.png)
        return false;
    state.info = png_create_info_struct(state.png);
    if (!state.info)
        return false;

    png_uint_32 width = 0;
    png_uint_32 height = 0;
    if (setjmp(png_jmpbuf(state.png)))
        return false;
    png_set_read_fn(state.png, &reader, &ReadFromMemory);
    png_set_sig_bytes(state.png, 8);
    SetLimits(state.png);
    png_read_info(state.png, state.info);
    if (!HoldsItsRows(state.png, state.info, size))
        png_error(state.png, "the file is too short for the image it claims");
    SetTransformations(state.png, state.info);
    png_read_update_info(state.png, state.info);
    width = png_get_image_width(state.png, state.info);
    height = png_get_image_height(state.png, state.info);
    if (png_get_channels(state.png, state.info) != 4 ||
        png_get_bit_depth(state.png, state.info) != 8 ||
        png_get_rowbytes(state.png, state.info) != static_cast<size_t>(width) * 4)
        png_error(state.png, "unexpected row layout");
    if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide)
        png_error(state.png, "image too large");

    // Texture creation may throw std::bad_alloc: the state cleans up.
    if (!CreateTexture(device, &state.texture, static_cast<int>(width), static_cast<int>(height),
                       D3DFMT_A8R8G8B8))
        return false;
    D3DLOCKED_RECT locked{};
    if (FAILED(state.texture->LockRect(0, &locked, nullptr, 0)))
        return false;
    state.locked = true;
    state.rows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y)
        state.rows[y] =
            static_cast<png_bytep>(locked.pBits) + static_cast<size_t>(y) * locked.Pitch;

    if (setjmp(png_jmpbuf(state.png)))
        return false;
    png_read_image(state.png, state.rows.data());
    png_read_end(state.png, nullptr);

    state.texture->UnlockRect(0);
    state.locked = false;
    out->texture = state.texture;
    out->width = static_cast<int>(width);
    out->height = static_cast<int>(height);
    state.texture = nullptr;
    return true;
}

} // namespace imimage
