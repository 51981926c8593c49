// The rasteriser of the software device: triangle fans of pre-transformed,
// textured, tinted vertices into a 32-bit render target.
//
// Rules (those of Direct3D 9 hardware):
// - vertex positions are snapped to 1/256 pixel; a pixel is covered when its
//   centre (integer coordinates) is inside the triangle, a centre on an edge
//   only when that is a top or a left edge;
// - diffuse colour and texture coordinates are interpolated linearly in
//   screen space from the snapped positions;
// - texture coordinates become texel positions on a 1/128 texel grid; point
//   sampling takes the texel the position falls in, bilinear sampling the
//   four nearest texel centres with 7-bit weights; both wrap around;
// - a triangle is minified, and uses the minification filter, when one
//   screen pixel steps over more than one texel (the larger of the two
//   derivative lengths), else the magnification filter is used;
// - the stage result is texel × diffuse per channel, with any channel taken
//   from one of the two alone (masks below), rounded to 8 bits;
// - blending is src × αs + dst × (1 − αs) on all four channels, rounded; the
//   write mask then chooses the channels stored.
#pragma once

#include <cstdint>
#include <vector>

namespace platform::d3d9impl {

struct TextureSource {
    const uint32_t* texels = nullptr; // width × height, row after row
    int width = 0;
    int height = 0;
    // Per row, the longest run of texels with alpha 255: begin, end. May be null.
    const int32_t* opaqueRuns = nullptr;
    // Per row, from the first to past the last texel whose alpha is not 0
    // (0, 0 for a row all clear). May be null.
    const int32_t* visibleSpans = nullptr;
    // Different for every texture and every change of its texels; 0 when
    // not known.
    uint64_t generation = 0;
};

struct RasterVertex {
    float x, y;
    uint32_t diffuse;
    float u, v;
};

enum class Cull { None, Clockwise, CounterClockwise };

struct DrawState {
    uint32_t* target = nullptr;
    int pitch = 0; // pixels per target row
    // Clip rectangle, half-open, inside the target.
    int clipX0 = 0, clipY0 = 0, clipX1 = 0, clipY1 = 0;
    TextureSource texture;
    bool minLinear = false;
    bool magLinear = false;
    // Bytes forced to 255 in the texel (channels the stage takes from the
    // diffuse colour alone, and alpha of X8R8G8B8) and in the diffuse colour
    // (channels taken from the texel alone).
    uint32_t texelOr = 0;
    uint32_t diffuseOr = 0;
    bool blend = false;              // SRCALPHA / INVSRCALPHA, else the result is stored
    uint32_t writeMask = 0xFFFFFFFF; // bytes stored
    Cull cull = Cull::CounterClockwise;
    // Target rows whose columns pendingX0..pendingX1 are still owed a clear
    // to pendingColour (one flag a row), or null: a row a draw covers there
    // with a straight copy is never filled; any other is filled before it
    // is drawn on.
    uint8_t* pendingRows = nullptr;
    uint32_t pendingColour = 0;
    int pendingX0 = 0, pendingX1 = 0;
    // The target's pixel (originX, originY) is target[0].
    int originX = 0, originY = 0;
};

// A filtered rectangle drawn before, kept as the colours it blends: drawn
// again moved by whole pixels, the same quad gives the same colours.
struct CachedQuad {
    // What decides the colours: the corners relative to the first pixel
    // (1/256 pixel), the texture coordinates, the texels and the stage.
    struct Key {
        int64_t corners[8];
        float uv[8];
        uint64_t generation;
        uint32_t diffuse, texelOr, filters, unused;
        bool operator==(const Key& o) const;
    } key{};
    int width = 0, height = 0;
    std::vector<uint32_t> pixels; // width × height and padding
    uint64_t lastUse = 0;
};

// Working memory reused from draw to draw.
struct RasterScratch {
    std::vector<int32_t> col0;
    std::vector<uint32_t> colWeights;
    std::vector<int16_t> column;
    CachedQuad quads[2];
    uint64_t uses = 0;
};

// Fills the pending rows among y0..y1 (from the clip's top), so they hold
// the clear colour.
void SettleRows(const DrawState& state, int y0, int y1);

// Draws the fan v[0], v[1], ... v[count - 1] (count ≥ 3). With fastPaths, a
// fan of two triangles that is an axis-aligned rectangle whose texture
// coordinates follow its sides and whose colour is the same at every vertex
// is drawn row by row as a rectangle; the result is the same as that of the
// triangle path.
void DrawFan(const DrawState& state, const RasterVertex* v, int count, RasterScratch& scratch,
             bool fastPaths);

} // namespace platform::d3d9impl
