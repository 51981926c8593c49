// What the render benchmarks share: the program's three kinds of screen as
// quads (the exercise, the instruction, a text screen), the glyph pictures
// of the text screen, the same quads composited with pixman for comparison,
// and rounds of runs whose best times are compared at the end.
#pragma once

#include "platform/wintypes.h"

#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace benchsupport {

extern const char* const kSceneNames[3];

// The instruction screen's eleven translucent bubbles: their top-left
// corners (each 276 × 256, tinted 0xA5FFFFFF).
extern const POINT kInstructionBubbles[11];

// The text screen: 400 glyphs of 40 kinds, tinted 0xFF072134. Where glyph
// `i` goes and which kind it is.
constexpr int kTextGlyphs = 400;
constexpr int kGlyphKinds = 40;
constexpr int kGlyphWidth = 10;
constexpr int kGlyphHeight = 18;
POINT TextGlyphAt(int i);
inline int TextGlyphKind(int i)
{
    return (i * 7) % kGlyphKinds;
}

// A glyph's coverage, kGlyphWidth × kGlyphHeight, row by row: three strokes
// about 1.6 pixels wide with smooth edges, as rasterised text.
std::vector<uint8_t> GlyphCoverage(int kind);

// A straight-alpha A8R8G8B8 pixel premultiplied, as pixman works.
uint32_t Premultiplied(uint32_t argb);

// The solid pixman source or mask for a tint: a fade (white tint) is a solid
// mask, a coloured tint of a white glyph a solid source through the glyph.
pixman_image_t* TintImage(uint32_t colour);

// Best time per run name over the repetitions; PrintRatios compares them
// when every round is done.
class BestTimes : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override;
    virtual void PrintRatios() const = 0;

protected:
    // The best time of the run, or null when it has none.
    const double* Best(const std::string& name) const;

private:
    std::map<std::string, double> times;
};

// Runs the benchmarks and prints the ratios. Unless the command line says
// otherwise: `rounds` rounds with the benchmarks interleaved, so that a busy
// machine weighs on all alike.
void RunInRounds(int argc, char** argv, int rounds, BestTimes& reporter);

} // namespace benchsupport
