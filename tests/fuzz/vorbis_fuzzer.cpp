// Ogg Vorbis sounds of any content through the sound source.
#include "feeding.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzfeed::FeedSound(data, size);
    return 0;
}
