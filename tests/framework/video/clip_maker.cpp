#include "clip_maker.h"

#include <ogg/ogg.h>
#include <theora/theoraenc.h>

#include <cstring>
#include <stdexcept>

namespace video_test {

namespace {

void TakePages(ogg_stream_state* stream, std::vector<unsigned char>* out, bool flush,
               std::vector<size_t>* ends)
{
    ogg_page page;
    while (flush ? ogg_stream_flush(stream, &page) : ogg_stream_pageout(stream, &page)) {
        out->insert(out->end(), page.header, page.header + page.header_len);
        out->insert(out->end(), page.body, page.body + page.body_len);
        if (ends)
            ends->push_back(out->size());
    }
}

} // namespace

std::vector<unsigned char> MakeGreyClip(const ClipOptions& o, std::vector<size_t>* ends)
{
    th_info info;
    th_info_init(&info);
    info.frame_width = (o.width + 15) & ~15;
    info.frame_height = (o.height + 15) & ~15;
    info.pic_width = o.width;
    info.pic_height = o.height;
    info.pic_x = 0;
    info.pic_y = 0;
    info.fps_numerator = 12;
    info.fps_denominator = 1;
    info.aspect_numerator = 1;
    info.aspect_denominator = 1;
    info.colorspace = TH_CS_UNSPECIFIED;
    info.pixel_fmt = TH_PF_420;
    info.quality = 63;
    info.keyframe_granule_shift = 6;
    th_enc_ctx* encoder = th_encode_alloc(&info);
    th_info_clear(&info);
    if (!encoder)
        throw std::runtime_error("th_encode_alloc");

    ogg_stream_state stream;
    ogg_stream_init(&stream, 0x1234);
    std::vector<unsigned char> out;
    th_comment comment;
    th_comment_init(&comment);
    ogg_packet packet;
    // Each header on a page of its own.
    while (th_encode_flushheader(encoder, &comment, &packet) > 0) {
        ogg_stream_packetin(&stream, &packet);
        TakePages(&stream, &out, true, ends);
    }
    th_comment_clear(&comment);

    const int w = (o.width + 15) & ~15;
    const int h = (o.height + 15) & ~15;
    std::vector<unsigned char> y(static_cast<size_t>(w * h));
    unsigned seed = 1;
    std::vector<unsigned char> chroma(static_cast<size_t>(w * h / 4), 128);
    for (int i = 0; i < o.frames; ++i) {
        std::memset(y.data(), FrameLuma(i), y.size());
        if (o.noise)
            for (int row = 0; row < h; ++row)
                for (int x = 16; x < w; ++x) {
                    seed = seed * 1103515245u + 12345u;
                    y[static_cast<size_t>(row * w + x)] = static_cast<unsigned char>(seed >> 24);
                }
        th_ycbcr_buffer planes;
        planes[0] = {w, h, w, y.data()};
        planes[1] = {w / 2, h / 2, w / 2, chroma.data()};
        planes[2] = {w / 2, h / 2, w / 2, chroma.data()};
        th_encode_ycbcr_in(encoder, planes);
        while (th_encode_packetout(encoder, i + 1 == o.frames, &packet) > 0) {
            std::vector<unsigned char> bytes(packet.packet, packet.packet + packet.bytes);
            if (i == o.badFrame && !bytes.empty()) {
                bytes[0] |= 0x80;
                packet.packet = bytes.data();
            }
            ogg_stream_packetin(&stream, &packet);
            TakePages(&stream, &out, false, ends);
        }
    }
    TakePages(&stream, &out, true, ends);
    ogg_stream_clear(&stream);
    th_encode_free(encoder);
    return out;
}

} // namespace video_test
