#include "platform/sdl/letterbox.h"

namespace platform {
namespace {

int64_t FloorDiv(int64_t a, int64_t b)
{
    int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}

int64_t CeilDiv(int64_t a, int64_t b)
{
    return -FloorDiv(-a, b);
}

} // namespace

Letterbox ComputeLetterbox(int outputWidth, int outputHeight, int clientWidth, int clientHeight)
{
    if (outputWidth <= 0 || outputHeight <= 0 || clientWidth <= 0 || clientHeight <= 0)
        return Letterbox{0, 0, clientWidth > 0 ? clientWidth : 0,
                         clientHeight > 0 ? clientHeight : 0};
    const int64_t ow = outputWidth, oh = outputHeight, cw = clientWidth, ch = clientHeight;
    int64_t width, height;
    if (ow * ch <= oh * cw) {
        // The width limits the scale: bars above and below.
        width = ow;
        height = (ch * ow * 2 + cw) / (cw * 2); // rounded
    } else {
        height = oh;
        width = (cw * oh * 2 + ch) / (ch * 2);
    }
    if (width < 1) width = 1;
    if (height < 1) height = 1;
    return Letterbox{static_cast<int>((ow - width) / 2), static_cast<int>((oh - height) / 2),
                     static_cast<int>(width), static_cast<int>(height)};
}

POINT OutputToClient(const Letterbox& box, int clientWidth, int clientHeight, POINT output)
{
    if (box.width <= 0 || box.height <= 0) return output;
    return POINT{
        static_cast<LONG>(FloorDiv((int64_t(output.x) - box.x) * clientWidth, box.width)),
        static_cast<LONG>(FloorDiv((int64_t(output.y) - box.y) * clientHeight, box.height))};
}

POINT ClientToOutput(const Letterbox& box, int clientWidth, int clientHeight, POINT client)
{
    if (clientWidth <= 0 || clientHeight <= 0) return client;
    return POINT{static_cast<LONG>(box.x + CeilDiv(int64_t(client.x) * box.width, clientWidth)),
                 static_cast<LONG>(box.y + CeilDiv(int64_t(client.y) * box.height, clientHeight))};
}

} // namespace platform
