// What the end-to-end tests see: screenshots of the X server's root window
// and the program's own pictures to find on them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace e2e {

// 8-bit pixels, `channels` (3 for RGB, 4 for RGBA) per pixel, rows top down.
struct Image {
    int width = 0, height = 0, channels = 0;
    std::vector<uint8_t> pixels;
    // When the screenshot was taken (the middle of the capture), on Now().
    double time = 0;

    bool Empty() const { return pixels.empty(); }
    const uint8_t* At(int x, int y) const { return &pixels[(size_t(y) * width + x) * channels]; }
};

// The whole root window of the display named by DISPLAY, as RGB.
Image Capture();
// A picture file through ImageMagick, as RGBA.
Image LoadPicture(const std::string& path);
// Writes an image as PNG (for a look at what the test saw when it failed).
void SavePicture(const Image& image, const std::string& path);

// Whether the opaque pixels of `skin` are on `screen` with its top-left
// corner at (x, y).
bool ShowsAt(const Image& screen, const Image& skin, int x, int y);
// The share of pixels of `screen` that equal those of `background`.
double ShareLike(const Image& screen, const Image& background);

// A bubble found over the exercise's background: its estimated centre, also
// when part of it is still beyond the screen's edge.
struct Bubble {
    bool found = false;
    double x = 0, y = 0;
    int width = 0, height = 0;
};
Bubble FindBubble(const Image& screen, const Image& background);

} // namespace e2e
