// Ogg Vorbis sounds of any content through the sound source.
//
// A changed byte would mostly break its page's checksum, and libogg drops
// such pages before Vorbis sees them; the mutator mends the checksums of
// most of its inputs so that the changes reach the Vorbis decoder.
#include "feeding.h"

#include "ogg_checksums.h"

extern "C" size_t LLVMFuzzerMutate(uint8_t* data, size_t size, size_t maxSize);

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t maxSize, unsigned seed)
{
    size = LLVMFuzzerMutate(data, size, maxSize);
    if (seed % 8 != 0) // the rest try the checksums themselves
        fuzzfeed::MendChecksums(data, size);
    return size;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzfeed::FeedSound(data, size);
    return 0;
}
