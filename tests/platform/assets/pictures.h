// Reading the program's embedded pictures for the asset checks: found as
// the program finds them (numbered resources of the executable or of the
// side file, named blobs), decoded with libpng on its own.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace assets_test {

struct Picture {
    bool found = false;
    bool decoded = false;
    std::string error;
    int width = 0;
    int height = 0;
    int bitDepth = 0;          // from the file's header
    int colourType = 0;        // from the file's header: 2 RGB, 6 RGBA
    std::vector<uint8_t> rgba; // decoded, 4 bytes per pixel, rows top to bottom

    const uint8_t* At(int x, int y) const
    {
        return &rgba[(static_cast<size_t>(y) * width + x) * 4];
    }
    int Alpha(int x, int y) const { return At(x, y)[3]; }
};

constexpr int kRgb = 2;
constexpr int kRgba = 6;

Picture Decode(const unsigned char* data, size_t size);

// A named blob ("DefaultBackGround") or a numbered resource ("102") of the
// executable.
Picture Embedded(const std::string& name);

// A numbered resource of the side file "Animations.dll".
Picture FromSideFile(int id);

// Mean absolute difference of the colour channels over the pixels where
// `where` is true (same size pictures).
double MeanColourDifference(const Picture& a, const Picture& b, const std::vector<bool>& where);

} // namespace assets_test
