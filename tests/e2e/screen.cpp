#include "e2e/screen.h"

#include "e2e/processes.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace e2e {

namespace {

const int kScreenWidth = 800, kScreenHeight = 600;
// A pixel counts as changed by a bubble when its channels differ from the
// background's by more than this in sum; the bubble's clear middle changes
// the sky less than its rim does.
const int kChangedSum = 30;
// A row or column belongs to the bubble with at least this many changed
// pixels, so that a stray pixel does not stretch the box.
const int kLinePixels = 4;
// Bubble pictures are 0.92 times as high as they are wide.
const double kAspect = 0.92;

int Diff(const uint8_t* a, const uint8_t* b)
{
    return std::abs(a[0] - b[0]) + std::abs(a[1] - b[1]) + std::abs(a[2] - b[2]);
}

} // namespace

Image Capture()
{
    Image image;
    const double before = Now();
    std::string raw;
    if (!RunTool({"import", "-window", "root", "-depth", "8", "rgb:-"}, &raw, 60))
        return image;
    image.time = (before + Now()) / 2;
    if (raw.size() != size_t(kScreenWidth) * kScreenHeight * 3)
        return image;
    image.width = kScreenWidth;
    image.height = kScreenHeight;
    image.channels = 3;
    image.pixels.assign(raw.begin(), raw.end());
    return image;
}

Image LoadPicture(const std::string& path)
{
    Image image;
    std::string size, raw;
    if (!RunTool({"identify", "-format", "%w %h", path}, &size) ||
        !RunTool({"convert", path, "-depth", "8", "rgba:-"}, &raw))
        return image;
    std::istringstream(size) >> image.width >> image.height;
    image.channels = 4;
    if (raw.size() != size_t(image.width) * image.height * 4)
        return Image();
    image.pixels.assign(raw.begin(), raw.end());
    return image;
}

void SavePicture(const Image& image, const std::string& path)
{
    if (image.Empty())
        return;
    const std::string raw = path + ".raw";
    if (FILE* f = std::fopen(raw.c_str(), "wb")) {
        std::fwrite(image.pixels.data(), 1, image.pixels.size(), f);
        std::fclose(f);
    }
    const std::string size = std::to_string(image.width) + "x" + std::to_string(image.height);
    RunTool({"convert", "-size", size, "-depth", "8",
             (image.channels == 4 ? "rgba:" : "rgb:") + raw, path});
    std::remove(raw.c_str());
}

bool ShowsAt(const Image& screen, const Image& skin, int x, int y)
{
    if (screen.Empty() || skin.Empty() || x < 0 || y < 0 || x + skin.width > screen.width ||
        y + skin.height > screen.height)
        return false;
    long opaque = 0, alike = 0;
    for (int j = 0; j < skin.height; ++j)
        for (int i = 0; i < skin.width; ++i) {
            const uint8_t* s = skin.At(i, j);
            if (s[3] != 255)
                continue;
            ++opaque;
            if (Diff(s, screen.At(x + i, y + j)) <= 24)
                ++alike;
        }
    return opaque > 0 && alike * 10 >= opaque * 9;
}

double ShareLike(const Image& screen, const Image& background)
{
    if (screen.Empty() || background.width != screen.width || background.height != screen.height)
        return 0;
    long alike = 0;
    for (int y = 0; y < screen.height; ++y)
        for (int x = 0; x < screen.width; ++x)
            if (Diff(screen.At(x, y), background.At(x, y)) <= 12)
                ++alike;
    return double(alike) / (double(screen.width) * screen.height);
}

Bubble FindBubble(const Image& screen, const Image& background)
{
    Bubble bubble;
    if (screen.Empty() || background.width != screen.width || background.height != screen.height)
        return bubble;
    std::vector<int> columns(screen.width), rows(screen.height);
    for (int y = 0; y < screen.height; ++y)
        for (int x = 0; x < screen.width; ++x)
            if (Diff(screen.At(x, y), background.At(x, y)) > kChangedSum) {
                ++columns[x];
                ++rows[y];
            }
    auto span = [](const std::vector<int>& counts, int* first, int* last) {
        *first = -1;
        for (int i = 0; i < int(counts.size()); ++i)
            if (counts[i] >= kLinePixels) {
                if (*first < 0)
                    *first = i;
                *last = i;
            }
        return *first >= 0;
    };
    int left = 0, right = 0, top = 0, bottom = 0;
    if (!span(columns, &left, &right) || !span(rows, &top, &bottom))
        return bubble;
    const int w = right - left + 1, h = bottom - top + 1;
    if (w < 12 || h < 12)
        return bubble;
    const bool cutLeft = left <= 1, cutRight = right >= screen.width - 2;
    const bool cutTop = top <= 1, cutBottom = bottom >= screen.height - 2;
    // Cut by the screen on one side: its full size follows from the other.
    if ((cutLeft || cutRight) && (cutTop || cutBottom))
        return bubble;
    double fullW = w, fullH = h;
    if (cutLeft || cutRight)
        fullW = h / kAspect;
    if (cutTop || cutBottom)
        fullH = w * kAspect;
    bubble.x = cutLeft ? right - fullW / 2 : left + fullW / 2;
    bubble.y = cutTop ? bottom - fullH / 2 : top + fullH / 2;
    bubble.width = int(fullW);
    bubble.height = int(fullH);
    bubble.found = true;
    return bubble;
}

} // namespace e2e
