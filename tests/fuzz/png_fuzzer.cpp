// PNG pictures of any content through the PNG decoder.
//
// Most changed bytes would only break a chunk's checksum, which libpng
// checks first; the mutator mends the checksums of most of its inputs so
// that the changes reach what reads the chunks.
#include "feeding.h"
#include "picture_device.h"

#include <zlib.h>

extern "C" size_t LLVMFuzzerMutate(uint8_t* data, size_t size, size_t maxSize);

namespace {

uint32_t ReadBig(const uint8_t* p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

void MendChecksums(uint8_t* data, size_t size)
{
    size_t at = 8;
    while (size >= 12 && at <= size - 12) {
        const uint32_t length = ReadBig(data + at);
        if (length > size - 12 - at)
            break;
        const uLong crc = crc32(0, data + at + 4, length + 4);
        uint8_t* out = data + at + 8 + length;
        for (int i = 0; i < 4; ++i)
            out[i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
        at += 12 + size_t(length);
    }
}

} // namespace

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t maxSize, unsigned seed)
{
    size = LLVMFuzzerMutate(data, size, maxSize);
    if (seed % 8 != 0) // the rest try the checksums themselves
        MendChecksums(data, size);
    return size;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzfeed::FeedPicture(fuzzfeed::PictureDevice(), true, data, size);
    return 0;
}
