// Scaling a 32-bit frame (B, G, R, A bytes) into a rectangle of another size
// with bilinear filtering, sample centres aligned, edges clamped: what the
// window shows of the 800 x 600 frame when it is presented through a plain
// memory framebuffer. A 1:1 size is a row copy.
#pragma once

#include <cstdint>
#include <vector>

namespace platform {

class FrameScaler {
public:
    // Writes destinationWidth x destinationHeight pixels at `destination`
    // (rows pitchBytes apart). Sizes below 1 draw nothing.
    void Scale(const uint32_t* source, int sourceWidth, int sourceHeight, int sourcePitchBytes,
               uint32_t* destination, int destinationWidth, int destinationHeight,
               int destinationPitchBytes);
    // The same, but only the destination pixels that read from the source
    // rectangle `changed` (left, top, right, bottom), whose own rectangle
    // goes into `written` (empty when none): the rest of a destination that
    // holds the scaled frame before is left as the whole frame scaled again
    // would leave it, when only `changed` differs from that frame.
    // `rowSpans`, when given, narrows `changed` row by row: in source row y
    // only the columns [rowSpans[2 * y], rowSpans[2 * y + 1]) may differ;
    // the destination pixels that read none of them are left alone too
    // (`written` still bounds them all).
    void ScaleChanged(const uint32_t* source, int sourceWidth, int sourceHeight,
                      int sourcePitchBytes, uint32_t* destination, int destinationWidth,
                      int destinationHeight, int destinationPitchBytes, const int changed[4],
                      int written[4], const int32_t* rowSpans = nullptr);

private:
    // One axis: for each destination position the first source index of the
    // pair and the second one's weight out of 256.
    struct Axis {
        int source = 0;
        int destination = 0;
        std::vector<int> index;
        std::vector<uint16_t> weight;
        // Per position: 256 - weight four times, then weight four times.
        std::vector<uint16_t> lanes;
        // Per position: the weight four times.
        std::vector<uint16_t> spread;
        // Per source index i (0 to source): the first position whose pair
        // begins at i or after.
        std::vector<int> from;
        void Prepare(int sourceSize, int destinationSize);
        // The destination positions [*first, *end) that read a source
        // position in [low, high).
        void Reading(int low, int high, int* first, int* end) const;
    };

    // Destination columns [first, end) of one source row.
    void ScaleRow(const uint32_t* row, uint32_t* out, int first, int end) const;

    Axis columns;
    Axis rows;
    std::vector<uint32_t> cache[2]; // horizontally scaled source rows
    int cached[2] = {-1, -1};       // which source row each holds
};

} // namespace platform
