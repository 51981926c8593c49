#include "clip_maker.h"

#include <ogg/ogg.h>
#include <theora/theoraenc.h>

#include <cstring>

namespace video_test {

std::vector<unsigned char> MakeGreyClip(int frames, int badFrame, std::vector<size_t>* ends)
{
    const int w = 64, h = 48;
    th_info info;
    th_info_init(&info);
    info.frame_width = info.pic_width = w;
    info.frame_height = info.pic_height = h;
    info.fps_numerator = 12;
    info.fps_denominator = 1;
    info.pixel_fmt = TH_PF_420;
    info.quality = 63;
    th_enc_ctx* encoder = th_encode_alloc(&info);
    th_info_clear(&info);

    ogg_stream_state stream;
    ogg_stream_init(&stream, 0x1234);
    std::vector<unsigned char> out;
    auto take = [&](bool flush) {
        ogg_page page;
        while (flush ? ogg_stream_flush(&stream, &page) : ogg_stream_pageout(&stream, &page)) {
            out.insert(out.end(), page.header, page.header + page.header_len);
            out.insert(out.end(), page.body, page.body + page.body_len);
            if (ends)
                ends->push_back(out.size());
        }
    };
    th_comment comment;
    th_comment_init(&comment);
    ogg_packet packet;
    while (th_encode_flushheader(encoder, &comment, &packet) > 0) {
        ogg_stream_packetin(&stream, &packet);
        take(true);
    }
    th_comment_clear(&comment);

    std::vector<unsigned char> y(w * h), chroma(w * h / 4, 128);
    for (int i = 0; i < frames; ++i) {
        std::memset(y.data(), 40 + 15 * i, y.size());
        th_ycbcr_buffer planes = {{w, h, w, y.data()},
                                  {w / 2, h / 2, w / 2, chroma.data()},
                                  {w / 2, h / 2, w / 2, chroma.data()}};
        th_encode_ycbcr_in(encoder, planes);
        while (th_encode_packetout(encoder, i + 1 == frames, &packet) > 0) {
            std::vector<unsigned char> bytes(packet.packet, packet.packet + packet.bytes);
            if (i == badFrame && !bytes.empty()) {
                bytes[0] |= 0x80;
                packet.packet = bytes.data();
            }
            ogg_stream_packetin(&stream, &packet);
            take(false);
        }
    }
    take(true);
    ogg_stream_clear(&stream);
    th_encode_free(encoder);
    return out;
}

} // namespace video_test
