#include "framework/sound/CRateConverter.h"

#include <cstddef>

void CRateConverter::Start(int fromRate, int toRate, int frameChannels)
{
    from = fromRate > 0 ? fromRate : 1;
    to = toRate > 0 ? toRate : 1;
    channels = frameChannels > 0 ? frameChannels : 0;
    position = 0;
    last.assign(static_cast<size_t>(channels), 0.0f);
}

void CRateConverter::Push(const float* frames, long count, std::vector<float>* out)
{
    if (count <= 0 || channels == 0)
        return;
    const size_t width = static_cast<size_t>(channels);
    // Every frame made lies between two stored ones: frame i (the last one
    // of the previous push when i is -1) and frame i + 1.
    const int64_t end = static_cast<int64_t>(count - 1) * to;
    for (; position < end; position += from) {
        const int64_t i = position >= 0 ? position / to : -1;
        const float share = static_cast<float>(position - i * to) / static_cast<float>(to);
        const float* a = i < 0 ? last.data() : frames + static_cast<size_t>(i) * width;
        const float* b = frames + static_cast<size_t>(i + 1) * width;
        for (size_t c = 0; c < width; ++c)
            out->push_back(a[c] + (b[c] - a[c]) * share);
    }
    position -= static_cast<int64_t>(count) * to;
    last.assign(frames + static_cast<size_t>(count - 1) * width,
                frames + static_cast<size_t>(count) * width);
}
