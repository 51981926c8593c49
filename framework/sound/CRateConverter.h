// Changes the rate of a sound's frames by linear interpolation between
// neighbouring frames. A chained sound whose later sections are stored at
// another rate than the first is played at the first one's rate (the rate
// of its sound buffer), so those sections' frames are converted on the way.
#pragma once

#include <cstdint>
#include <vector>

class CRateConverter {
public:
    // Starts a run of frames of `channels` samples each, stored at
    // `fromRate` and wanted at `toRate` (both positive).
    void Start(int fromRate, int toRate, int channels);
    // Appends to `out` the frames at the wanted rate that the next `count`
    // interleaved frames make, those of earlier calls since Start
    // continuing into them.
    void Push(const float* frames, long count, std::vector<float>* out);

private:
    int64_t from = 1;
    int64_t to = 1;
    int channels = 0;
    // Where the next frame to make lies, in 1/to of a stored frame, counted
    // from the first frame of the next Push; from -to (between the last
    // frame pushed and the next one) upwards.
    int64_t position = 0;
    std::vector<float> last;
};
