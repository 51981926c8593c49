// Ogg Vorbis sounds of any content through the sound source.
//
// A changed byte would mostly break its page's checksum, and libogg drops
// such pages before Vorbis sees them; the mutator mends the checksums of
// most of its inputs so that the changes reach the Vorbis decoder.
#include "feeding.h"

#include <ogg/ogg.h>

#include <cstring>

extern "C" size_t LLVMFuzzerMutate(uint8_t* data, size_t size, size_t maxSize);

namespace {

void MendChecksums(uint8_t* data, size_t size)
{
    size_t at = 0;
    while (size >= 27 && at <= size - 27) {
        if (std::memcmp(data + at, "OggS", 4) != 0) {
            ++at;
            continue;
        }
        const size_t segments = data[at + 26];
        if (segments > size - 27 - at)
            break;
        size_t body = 0;
        for (size_t i = 0; i < segments; ++i)
            body += data[at + 27 + i];
        const size_t header = 27 + segments;
        if (body > size - header - at)
            break;
        ogg_page page{};
        page.header = data + at;
        page.header_len = static_cast<long>(header);
        page.body = data + at + header;
        page.body_len = static_cast<long>(body);
        ogg_page_checksum_set(&page);
        at += header + body;
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
    fuzzfeed::FeedSound(data, size);
    return 0;
}
