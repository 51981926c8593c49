// Image sources and the decoder choice.
#include "framework/resources/IMImageDecoder.h"

namespace imimage {

bool DecodePng(IDirect3DDevice9*, const unsigned char*, size_t, Decoded*) { return false; }
bool DecodeJpeg(IDirect3DDevice9*, const unsigned char*, size_t, Decoded*) { return false; }

bool DecodeImage(IDirect3DDevice9* device, const unsigned char* data, size_t size, Decoded* out)
{
    return DecodePng(device, data, size, out) || DecodeJpeg(device, data, size, out);
}

bool ReadNumberedResource(unsigned, std::vector<unsigned char>*) { return false; }
bool ReadImageFile(const std::wstring&, std::vector<unsigned char>*) { return false; }
bool ParseResourceNumber(const std::wstring&, unsigned*) { return false; }

} // namespace imimage
