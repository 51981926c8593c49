// Each loader fed one input the way the program uses it. The fuzzers and
// the replay of kept inputs in the ordinary tests share these, so a kept
// input goes down the same road that once broke.
#pragma once

#include "framework/resources/IMImageDecoder.h"
#include "framework/sound/CSoundSource.h"
#include "framework/video/IMTheoraView.h"
#include "framework/workbook/workbook.h"
#include "platform/codepage.h"
#include "platform/d3d9.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

namespace fuzzfeed {

// A picture decoded into a texture of the device; the texture is let go.
inline bool FeedPicture(IDirect3DDevice9* device, bool png, const uint8_t* data, size_t size)
{
    imimage::Decoded out;
    const bool made = png ? imimage::DecodePng(device, data, size, &out)
                          : imimage::DecodeJpeg(device, data, size, &out);
    if (made && out.texture)
        out.texture->Release();
    return made;
}

// A sound opened from memory and read to its end in buffers whose size
// splits frames, then rewound and read again a little, as a stream that
// plays it twice does. Returns the bytes of the first reading.
inline size_t FeedSound(const uint8_t* data, size_t size)
{
    CSoundSource source;
    if (!source.OpenMemory(data, static_cast<unsigned>(size)))
        return 0;
    std::vector<unsigned char> buffer(44103);
    size_t total = 0;
    // Far more than any sound of the program: a small input that decodes to
    // hours is still read no further.
    const size_t limit = size_t(64) << 20;
    while (total < limit) {
        const unsigned got = source.Read(buffer.data(), static_cast<unsigned>(buffer.size()));
        if (got == 0)
            break;
        total += got;
    }
    if (source.Rewind())
        source.Read(buffer.data(), 4096);
    return total;
}

// The bytes written as the workbook file at path (UTF-8), which is then
// opened for a pupil and given a run's rows, as at the start of a run.
// True when the rows found a worksheet's table, as they always should.
inline bool FeedWorkbook(const std::string& path, const uint8_t* data, size_t size)
{
    if (FILE* file = std::fopen(path.c_str(), "wb")) {
        if (size)
            std::fwrite(data, 1, size, file);
        std::fclose(file);
    }
    IMWorkbook book(platform::Utf8ToWide(path), L"Ученик");
    book.AddRow(L"Время начала", L"12:00:00", L"String");
    book.AddRow(L"Количество ошибок", L"0", L"Number");
    book.AddEmptyRow();
    return book.Sheet() && book.FindTable();
}

// A clip opened and played through, then played again from its start, as
// a player that goes back does. Without a resource manager the view only
// decodes; with one it converts into its frame textures too. Returns the
// frames stepped through on the first playing.
inline int FeedClip(const uint8_t* data, size_t size)
{
    IMTheoraView view;
    int frames = 0;
    try {
        view.Open(data, static_cast<int>(size));
        // Far more frames than any clip of the program has.
        for (int frame = 1; frame < 1000 && frame <= view.GetLastFrame(); ++frame, ++frames)
            view.SetFrame(frame);
        view.SetFrame(0);
        view.SetFrame(1);
    } catch (const std::runtime_error&) {
        // A damaged clip is refused; the view stays safe to destroy.
    }
    return frames;
}

} // namespace fuzzfeed
