// Small Ogg Theora clips made in memory for the video tests: every frame is
// one flat grey, so which frame a texture holds can be read off any pixel.
#pragma once

#include <cstddef>
#include <vector>

namespace video_test {

struct ClipOptions {
    int frames = 10;
    int width = 64;   // picture size; the encoded frame is rounded up to 16
    int height = 48;
    // The frame whose packet is marked as a header, so the decoder refuses
    // it (-1: none).
    int badFrame = -1;
    // Noise right of the first 16 columns, so the clip does not shrink to
    // almost nothing; the grey stays readable at the left.
    bool noise = false;
};

// The luma of frame i.
inline int FrameLuma(int i)
{
    return 40 + 15 * i;
}

// The grey (each of blue, green, red) that frame i converts to.
inline int FrameGrey(int i)
{
    return (FrameLuma(i) - 16) * 74 >> 6;
}

// The clip; `pageEnds`, when given, receives the end offset of every page.
std::vector<unsigned char> MakeGreyClip(const ClipOptions& options,
                                        std::vector<size_t>* pageEnds = nullptr);

} // namespace video_test
