// Ogg Theora clips of any content through the video view: opened, played
// through and played again from the start.
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
    fuzzfeed::FeedClip(data, size);
    return 0;
}
