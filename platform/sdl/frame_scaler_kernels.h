// The frame scaler's row kernels for processors with AVX2, chosen at run
// time; they give the same bytes as the plain ones.
#pragma once

#include <cstdint>

namespace platform {

// Whether the AVX2 kernels are used: when the processor has AVX2 and tests
// have not turned them off.
bool HasAvx2();
// For tests only: turns the AVX2 kernels off (false) or back on.
void AllowAvx2(bool allowed);
// Output columns from `first` on, eight or four at a time while as many
// remain before `end`; returns the first column not written. `lanes` and
// `spread` are the axis's weights laid out as FrameScaler keeps them.
int ScaleRowAvx2(const uint32_t* row, int rowLength, uint32_t* out, const int* index,
                 const uint16_t* lanes, const uint16_t* spread, int first, int end);
// out = a * (256 - w) / 256 + b * w / 256 on every byte, eight pixels at a
// time; returns how many were done. Written around the cache.
int BlendRowsAvx2(const uint32_t* a, const uint32_t* b, uint32_t w, uint32_t* out, int count);
// A row copied, eight pixels at a time, around the cache; returns how many
// were done.
int CopyRowAvx2(const uint32_t* from, uint32_t* out, int count);
// Orders the rows written around the cache before whatever is stored
// next (the display server is then told of them).
void StreamedRowsDone();

} // namespace platform
