// Image decoders: PNG (libpng) and JPEG (libjpeg), each straight into a new
// A8R8G8B8 texture of the image's size (made with CreateTexture), 4 bytes
// per pixel in the order blue, green, red, alpha; only the image's rows and
// columns are written.
//
// Each returns false (nothing made) when the data is not an image of its
// kind, is damaged, or is too short to hold the picture its header claims
// (refused before the texture is made); std::bad_alloc from texture
// creation (video memory exhausted) passes through after the decoder has
// cleaned up.
#pragma once

#include "platform/d3d9.h"

#include <cstddef>
#include <string>
#include <vector>

namespace imimage {

struct Decoded {
    IDirect3DTexture9* texture = nullptr;
    int width = 0;
    int height = 0;
};

// PNG: 16-bit samples stripped, palette and low-depth grey expanded, grey
// turned to RGB, an opaque alpha added where the image has none, composited
// onto the file's background colour when it names one, screen gamma 2.2
// when it has a gamma chunk. libpng's errors go to standard error as
// "libpng error: %s\n".
bool DecodePng(IDirect3DDevice9* device, const unsigned char* data, size_t size, Decoded* out);

// JPEG (3 or 4 components; others leave the rows unwritten).
bool DecodeJpeg(IDirect3DDevice9* device, const unsigned char* data, size_t size, Decoded* out);

// PNG, else JPEG.
bool DecodeImage(IDirect3DDevice9* device, const unsigned char* data, size_t size, Decoded* out);

// The bytes of a numbered resource: the executable's RT_RCDATA resource,
// else the side file "Animations.dll"'s. False when neither has it.
bool ReadNumberedResource(unsigned id, std::vector<unsigned char>* bytes);

// The whole content of a file whose path is given in wide text (narrowed to
// code page 1251 text, which names the file as UTF-8 on disk). False when it
// is missing, unreadable or empty.
bool ReadImageFile(const std::wstring& path, std::vector<unsigned char>* bytes);

// A name that reads whole as a decimal unsigned number: its low 16 bits.
bool ParseResourceNumber(const std::wstring& name, unsigned* id);

} // namespace imimage
