// The parts of the C runtime whose behaviour the program depends on, in their
// Windows form: rand/srand as MSVC computes them (state * 214013 + 2531011,
// result (state >> 16) & 0x7FFF), 64-bit time.
#pragma once

#include <cstdint>
#include <ctime>

namespace crt {

constexpr int RAND_MAX_MSVC = 32767;

void srand(unsigned int seed);
int rand();

typedef int64_t time64_t;
time64_t _time64(time64_t* out);
// Local time of t; false when it cannot be had.
bool _localtime64_s(std::tm* out, const time64_t* t);

} // namespace crt
