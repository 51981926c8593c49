// JPEG pictures of any content through the JPEG decoder.
#include "feeding.h"
#include "picture_device.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzfeed::FeedPicture(fuzzfeed::PictureDevice(), false, data, size);
    return 0;
}
