#include "framework/video/IMTheoraView.h"

#include "framework/render/IMResourceManager.h"
#include "framework/video/IMYuvConvert.h"
#include "platform/kernel32.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <stdexcept>
#include <string>
#include <utility>

namespace {

const int kChunk = 8192;
// Larger frames are refused before the decoder allocates for them.
const unsigned kLargestSide = 4096;

[[noreturn]] void Fail(const char* message)
{
    throw std::runtime_error(message);
}

} // namespace

int IMTheoraView::counter = 0;

IMTheoraView::IMTheoraView()
    : theora(video::Theora()),
      streamReady(false),
      decoderReady(false),
      pictureReady(false),
      clip(nullptr),
      clipSize(0),
      readOffset(0),
      current(0),
      first(0),
      last(0x7FFFFFFF),
      front(-1),
      back(-1),
      texturesMade(false),
      decoded(-1),
      target(0),
      frameReady(CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      decodeAllowed(CreateEventW(nullptr, FALSE, FALSE, nullptr))
{
    std::memset(&stream, 0, sizeof stream);
    std::memset(&page, 0, sizeof page);
    std::memset(&packet, 0, sizeof packet);
    std::memset(&state, 0, sizeof state);
    std::memset(&yuv, 0, sizeof yuv);
    ogg_sync_init(&sync);
    if (theora) {
        theora->theora_info_init(&info);
        theora->theora_comment_init(&comment);
    }
}

IMTheoraView::~IMTheoraView()
{
    // Nothing else runs on this thread meanwhile: a frame still owed is
    // never coming, so the wait does not block.
    WaitForSingleObject(frameReady, 0);
    CloseHandle(decodeAllowed);
    CloseHandle(frameReady);
    ReleaseFrameTextures();
    FreeDecoder();
}

void IMTheoraView::FreeDecoder()
{
    if (streamReady)
        ogg_stream_clear(&stream);
    if (decoderReady)
        theora->theora_clear(&state);
    if (theora) {
        theora->theora_comment_clear(&comment);
        theora->theora_info_clear(&info);
    }
    ogg_sync_clear(&sync);
    streamReady = false;
    decoderReady = false;
    pictureReady = false;
}

void IMTheoraView::ResetDecoder()
{
    FreeDecoder();
    ogg_sync_init(&sync);
    if (theora) {
        theora->theora_info_init(&info);
        theora->theora_comment_init(&comment);
    }
    readOffset = 0;
}

void IMTheoraView::ReleaseFrameTextures()
{
    if (!texturesMade)
        return;
    texturesMade = false;
    if (IMResourceManager* manager = IMResourceManager::Instance()) {
        manager->ReleaseTexture(front);
        manager->ReleaseTexture(back);
    }
    front = -1;
    back = -1;
}

bool IMTheoraView::ReadData()
{
    const int n = std::min(clipSize - readOffset, kChunk);
    if (n <= 0)
        return false;
    char* buffer = ogg_sync_buffer(&sync, n);
    if (!buffer)
        return false;
    std::memcpy(buffer, clip + readOffset, static_cast<size_t>(n));
    readOffset += n;
    ogg_sync_wrote(&sync, n);
    return true;
}

void IMTheoraView::ReadHeaders()
{
    if (!theora)
        Fail("no theora library, terminate...");
    int headers = 0;

    // The beginning-of-stream pages: the one whose first packet is a Theora
    // header is the video; the first other page ends the search.
    bool searching = true;
    while (searching) {
        if (!ReadData())
            Fail("eof searched, terminate...");
        while (ogg_sync_pageout(&sync, &page) > 0) {
            if (!ogg_page_bos(&page)) {
                if (!streamReady)
                    Fail("no theora stream found, terminate...");
                ogg_stream_pagein(&stream, &page);
                searching = false;
                break;
            }
            ogg_stream_state candidate;
            if (ogg_stream_init(&candidate, ogg_page_serialno(&page)) != 0)
                Fail("error during ogg_stream_init");
            if (ogg_stream_pagein(&candidate, &page) != 0) {
                ogg_stream_clear(&candidate);
                Fail("error during ogg_stream_pagein");
            }
            const int got = ogg_stream_packetout(&candidate, &packet);
            if (got < 0) {
                ogg_stream_clear(&candidate);
                Fail("error during ogg_stream_packetout");
            }
            if (!streamReady && got > 0 && theora->theora_decode_header(&info, &comment, &packet) >= 0) {
                stream = candidate;
                streamReady = true;
                headers = 1;
            } else {
                ogg_stream_clear(&candidate);
            }
        }
    }

    // The comment and setup headers, which may span further pages.
    while (headers < 3) {
        const int got = ogg_stream_packetout(&stream, &packet);
        if (got < 0)
            Fail("error during ogg_stream_packetout");
        if (got > 0) {
            if (theora->theora_decode_header(&info, &comment, &packet) < 0)
                Fail("error during theora_decode_header (corrupt stream)");
            ++headers;
            continue;
        }
        if (ogg_sync_pageout(&sync, &page) > 0)
            ogg_stream_pagein(&stream, &page);
        else if (!ReadData())
            Fail("eof searched. terminate...");
    }

    if (info.frame_width == 0 || info.frame_height == 0 || info.width > kLargestSide ||
        info.height > kLargestSide || info.frame_width > info.width ||
        info.frame_height > info.height || info.offset_x > info.width - info.frame_width ||
        info.offset_y > info.height - info.frame_height)
        Fail("unsupported frame size, terminate...");
    if (theora->theora_decode_init(&state, &info) != 0)
        Fail("error during theora_decode_init");
    decoderReady = true;
}

bool IMTheoraView::NextPacket()
{
    for (;;) {
        const int got = ogg_stream_packetout(&stream, &packet);
        if (got > 0)
            return true;
        if (got < 0)
            continue; // a gap in the data: the packets after it follow
        // Pages already in the sync layer go first, so none is left behind
        // when the clip's bytes have all been read.
        bool paged = false;
        while (ogg_sync_pageout(&sync, &page) > 0) {
            ogg_stream_pagein(&stream, &page);
            paged = true;
        }
        if (!paged && !ReadData())
            return false;
    }
}

void IMTheoraView::DecodePacket()
{
    if (theora->theora_decode_packetin(&state, &packet) == OC_BADPACKET)
        Fail("error during theora_decode_packetin...");
    if (theora->theora_decode_YUVout(&state, &yuv) != 0)
        Fail("error during theora_decode_YUVout...");
    pictureReady = true;
}

void IMTheoraView::ConvertInto(int textureId)
{
    IMResourceManager* manager = IMResourceManager::Instance();
    if (!manager || !texturesMade || !pictureReady)
        return;
    // The chroma planes are those of the clip's pixel format: 4:2:0, 4:2:2
    // or 4:4:4. The picture is the part of the coded frame the header names
    // (its offset from the top left), which the headers were checked to fit.
    const int shiftX = yuv.uv_width < yuv.y_width ? 1 : 0;
    const int shiftY = yuv.uv_height < yuv.y_height ? 1 : 0;
    const long x = static_cast<long>(info.offset_x);
    const long y = static_cast<long>(info.offset_y);
    const long chroma = (y >> shiftY) * yuv.uv_stride + (x >> shiftX);
    const IMYuvPlanes planes{yuv.y + y * yuv.y_stride + x,
                             yuv.u + chroma,
                             yuv.v + chroma,
                             yuv.y_stride,
                             yuv.uv_stride,
                             static_cast<int>(info.frame_width),
                             static_cast<int>(info.frame_height),
                             shiftX,
                             shiftY};
    manager->FillTexture(textureId, [planes](unsigned char* bits, int pitch, int height) {
        IMConvertYuvToBgrx(planes, bits, pitch, pitch / 4, height);
    });
}

void IMTheoraView::Open(const unsigned char* data, int size)
{
    ReleaseFrameTextures();
    ResetDecoder();
    WaitForSingleObject(frameReady, 0);
    WaitForSingleObject(decodeAllowed, 0);
    clip = data;
    clipSize = data && size > 0 ? size : 0;
    current = 0;
    last = 0x7FFFFFFF;
    decoded = -1;
    target = 0;

    ReadHeaders();

    const int width = static_cast<int>(info.frame_width);
    const int height = static_cast<int>(info.frame_height);
    if (IMResourceManager* manager = IMResourceManager::Instance()) {
        const std::wstring number = std::to_wstring(counter);
        // An identifier that names no record now may name another texture
        // later: it is not kept.
        auto make = [manager, width, height](const std::wstring& name) {
            const int id = manager->CreateEmptyTexture(name, width, height, D3DFMT_X8R8G8B8);
            return manager->GetTextureRecord(id) ? id : -1;
        };
        front = make(L"IMTheoraView1" + number);
        back = make(L"IMTheoraView2" + number);
        texturesMade = true;
        SetTextureById(front);
    }
    ++counter;
    SetSourceRect(RECT{0, 0, width, height});

    // Frame 0 goes into back.
    if (NextPacket()) {
        DecodePacket();
        decoded = 0;
        ConvertInto(back);
    } else {
        decoded = 0;
        current = 0;
        last = 0;
    }
    SetEvent(frameReady);
}

long IMTheoraView::SetFrame(int frame)
{
    // A step that failed (or an Open that did) prepared nothing to show.
    if (WaitForSingleObject(frameReady, 0) != WAIT_OBJECT_0)
        return 0;
    current = frame;
    if (texturesMade)
        SetTextureById(back);
    target = frame < INT_MAX ? frame + 1 : frame;
    std::swap(front, back);
    SetEvent(decodeAllowed);
    DecodeStep();
    return 0;
}

void IMTheoraView::DecodeStep()
{
    if (WaitForSingleObject(decodeAllowed, 0) != WAIT_OBJECT_0)
        return;
    if (decoded > target) {
        ResetDecoder();
        ReadHeaders();
        decoded = -1;
    }
    while (decoded < target) {
        if (target >= last)
            break;
        if (!NextPacket()) {
            last = decoded;
            break;
        }
        DecodePacket();
        ++decoded;
    }
    if (decoded == target) {
        IMResourceManager* manager = IMResourceManager::Instance();
        if (manager && !manager->IsDeviceLost())
            ConvertInto(back);
    }
    SetEvent(frameReady);
}

long IMTheoraView::SetFirstFrame(int frame)
{
    first = frame;
    return 0;
}

long IMTheoraView::SetLastFrame(int frame)
{
    last = frame;
    return 0;
}
