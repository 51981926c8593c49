#include "clip_maker.h"

#include <ogg/ogg.h>
#include <theora/theoraenc.h>

#include <cstring>

namespace video_test {

namespace {

// Encodes frames that `fill` draws into the three planes (chroma planes of
// the pixel format's size), one Ogg page per header.
template <typename Fill>
std::vector<unsigned char> Encode(int pixelFormat, int frames, int badFrame,
                                  std::vector<size_t>* ends, Fill fill,
                                  const Picture& picture = Picture{})
{
    const int w = 64, h = 48;
    th_info info;
    th_info_init(&info);
    info.frame_width = w;
    info.frame_height = h;
    info.pic_x = static_cast<ogg_uint32_t>(picture.x);
    info.pic_y = static_cast<ogg_uint32_t>(picture.y);
    info.pic_width = static_cast<ogg_uint32_t>(picture.width);
    info.pic_height = static_cast<ogg_uint32_t>(picture.height);
    info.fps_numerator = 12;
    info.fps_denominator = 1;
    info.pixel_fmt = static_cast<th_pixel_fmt>(pixelFormat);
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

    const int cw = pixelFormat == TH_PF_444 ? w : w / 2;
    const int ch = pixelFormat == TH_PF_420 ? h / 2 : h;
    std::vector<unsigned char> y(w * h), u(cw * ch), v(cw * ch);
    for (int i = 0; i < frames; ++i) {
        th_ycbcr_buffer planes = {
            {w, h, w, y.data()}, {cw, ch, cw, u.data()}, {cw, ch, cw, v.data()}};
        fill(i, planes);
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

void FillPlane(const th_img_plane& plane, int value)
{
    std::memset(plane.data, value, static_cast<size_t>(plane.stride) * plane.height);
}

} // namespace

std::vector<unsigned char> MakeGreyClip(int frames, int badFrame, std::vector<size_t>* ends)
{
    return Encode(TH_PF_420, frames, badFrame, ends, [](int i, th_ycbcr_buffer planes) {
        FillPlane(planes[0], 40 + 15 * i);
        FillPlane(planes[1], 128);
        FillPlane(planes[2], 128);
    });
}

std::vector<unsigned char> MakeQuadrantClip(int pixelFormat, int frames, const Picture& picture)
{
    return Encode(pixelFormat, frames, -1, nullptr, [](int, th_ycbcr_buffer planes) {
        for (int p = 0; p < 3; ++p)
            for (int r = 0; r < planes[p].height; ++r)
                for (int c = 0; c < planes[p].width; ++c) {
                    const Quadrant& q = kQuadrants[(2 * r >= planes[p].height ? 2 : 0) +
                                                   (2 * c >= planes[p].width ? 1 : 0)];
                    planes[p].data[r * planes[p].stride + c] =
                        static_cast<unsigned char>(p == 0   ? q.y
                                                   : p == 1 ? q.u
                                                            : q.v);
                }
    }, picture);
}

} // namespace video_test
