// Mends the checksums of the Ogg pages in a fuzzer's input. A changed byte
// would mostly break its page's checksum, and libogg drops such pages before
// the codec sees them; mending most inputs lets the changes reach the codec.
#pragma once

#include <ogg/ogg.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace fuzzfeed {

inline void MendChecksums(uint8_t* data, size_t size)
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

} // namespace fuzzfeed
