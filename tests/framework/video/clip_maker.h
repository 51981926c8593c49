// Small Ogg Theora clips made in memory for the video tests: every frame is
// one flat grey, so which frame a texture holds can be read off any pixel.
#pragma once

#include <cstddef>
#include <vector>

namespace video_test {

// The grey (each of blue, green, red) that frame i converts to.
inline int FrameGrey(int i)
{
    return (40 + 15 * i - 16) * 74 >> 6;
}

// A 64 x 48 clip; the packet of `badFrame` (when not -1) is marked as a
// header, so the decoder refuses it. `pageEnds`, when given, receives the
// end offset of every page (each header has a page of its own).
std::vector<unsigned char> MakeGreyClip(int frames = 10, int badFrame = -1,
                                        std::vector<size_t>* pageEnds = nullptr);

// The Y, Cb, Cr of each quadrant of a quadrant clip: top left, top right,
// bottom left, bottom right.
struct Quadrant {
    int y, u, v;
};
const Quadrant kQuadrants[4] = {{81, 90, 240}, {145, 54, 34}, {41, 240, 110}, {170, 166, 16}};

// The part of the coded 64 x 48 frame a clip shows (even offsets, from the
// top left).
struct Picture {
    int x = 0, y = 0, width = 64, height = 48;
};

// A clip of `frames` frames in a pixel format (OC_PF_420, OC_PF_422 or
// OC_PF_444, numbered as theoraenc.h's), each coded frame four flat
// quadrants of the colours above, showing `picture` of it.
std::vector<unsigned char> MakeQuadrantClip(int pixelFormat, int frames = 2,
                                            const Picture& picture = Picture{});

} // namespace video_test
