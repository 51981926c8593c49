#include "raster.h"

#include <agg_conv_curve.h>
#include <agg_path_storage.h>
#include <agg_pixfmt_gray.h>
#include <agg_rasterizer_scanline_aa.h>
#include <agg_renderer_base.h>
#include <agg_renderer_scanline.h>
#include <agg_rendering_buffer.h>
#include <agg_scanline_u.h>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <cstdlib>
#include <cstring>

namespace gdi_test {
namespace {

int32_t Raw(const FIXED& f)
{
    return int32_t((uint32_t(uint16_t(f.value)) << 16) | f.fract);
}

// Paths are y-up pixels from the bottom row, drawn through a buffer of
// negative stride as the glyph renderer draws: TrueType-wound outlines then
// give AGG positive coverage. `flip` takes y-down pixels from the top row.
void Fill(agg::path_storage& path, Canvas* canvas, bool flip = false)
{
    agg::rendering_buffer buffer(canvas->pixels.data(), canvas->size, canvas->size,
                                 flip ? canvas->size : -canvas->size);
    agg::pixfmt_gray8 format(buffer);
    agg::renderer_base<agg::pixfmt_gray8> base(format);
    agg::renderer_scanline_aa_solid<agg::renderer_base<agg::pixfmt_gray8>> renderer(base);
    agg::rasterizer_scanline_aa<> rasterizer;
    agg::scanline_u8 scanline;
    agg::conv_curve<agg::path_storage> curves(path);
    curves.approximation_scale(64.0); // compare shapes, not AGG's default flattening
    rasterizer.add_path(curves);
    renderer.color(agg::gray8(255));
    agg::render_scanlines(rasterizer, scanline, renderer);
}

struct Sink {
    agg::path_storage path;
    double x0, y0, dy;
    double X(const FT_Vector* v) const { return x0 + v->x / 64.0; }
    double Y(const FT_Vector* v) const { return y0 + dy * v->y / 64.0; }
};

int Move(const FT_Vector* to, void* u)
{
    auto* s = static_cast<Sink*>(u);
    s->path.close_polygon();
    s->path.move_to(s->X(to), s->Y(to));
    return 0;
}
int Line(const FT_Vector* to, void* u)
{
    auto* s = static_cast<Sink*>(u);
    s->path.line_to(s->X(to), s->Y(to));
    return 0;
}
int Conic(const FT_Vector* c, const FT_Vector* to, void* u)
{
    auto* s = static_cast<Sink*>(u);
    s->path.curve3(s->X(c), s->Y(c), s->X(to), s->Y(to));
    return 0;
}
int Cubic(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* u)
{
    auto* s = static_cast<Sink*>(u);
    s->path.curve4(s->X(c1), s->Y(c1), s->X(c2), s->Y(c2), s->X(to), s->Y(to));
    return 0;
}

bool DrawSlot(FT_GlyphSlot slot, bool byAgg, Canvas* canvas)
{
    const int x0 = canvas->size / 4, base = canvas->size / 2;
    if (byAgg) {
        // A PostScript-wound outline is drawn upside down, to keep AGG's
        // coverage positive.
        const bool flip = FT_Outline_Get_Orientation(&slot->outline) == FT_ORIENTATION_POSTSCRIPT;
        Sink sink{{}, double(x0), double(flip ? base : canvas->size - base), flip ? -1.0 : 1.0};
        FT_Outline_Funcs funcs{Move, Line, Conic, Cubic, 0, 0};
        if (FT_Outline_Decompose(&slot->outline, &funcs, &sink) != 0)
            return false;
        sink.path.close_polygon();
        Fill(sink.path, canvas, flip);
        return true;
    }
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0)
        return false;
    const FT_Bitmap& bitmap = slot->bitmap;
    const int left = x0 + slot->bitmap_left, top = base - slot->bitmap_top;
    if (left < 0 || top < 0 || left + int(bitmap.width) > canvas->size ||
        top + int(bitmap.rows) > canvas->size)
        return false;
    for (unsigned row = 0; row < bitmap.rows; ++row)
        std::memcpy(&canvas->pixels[size_t(top + row) * canvas->size + left],
                    bitmap.buffer + row * bitmap.pitch, bitmap.width);
    return true;
}

} // namespace

long Ink(const Canvas& canvas)
{
    long sum = 0;
    for (uint8_t p : canvas.pixels)
        sum += p;
    return sum;
}

long Difference(const Canvas& a, const Canvas& b)
{
    long sum = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i)
        sum += std::labs(long(a.pixels[i]) - b.pixels[i]);
    return sum;
}

void DrawRecords(const std::vector<uint8_t>& records, Canvas* canvas)
{
    const double x0 = canvas->size / 4, y0 = canvas->size - canvas->size / 2;
    auto fx = [](const FIXED& f) { return f.value + f.fract / 65536.0; };
    agg::path_storage path;
    for (size_t offset = 0; offset + sizeof(TTPOLYGONHEADER) <= records.size();) {
        TTPOLYGONHEADER header;
        std::memcpy(&header, &records[offset], sizeof header);
        const size_t end = offset + header.cb;
        path.move_to(x0 + fx(header.pfxStart.x), y0 + fx(header.pfxStart.y));
        for (size_t at = offset + sizeof header; at + 4 <= end;) {
            WORD type, n;
            std::memcpy(&type, &records[at], 2);
            std::memcpy(&n, &records[at + 2], 2);
            std::vector<POINTFX> p(n);
            std::memcpy(p.data(), &records[at + 4], n * sizeof(POINTFX));
            at += 4 + n * sizeof(POINTFX);
            for (int k = 0; type == TT_PRIM_LINE && k < n; ++k)
                path.line_to(x0 + fx(p[k].x), y0 + fx(p[k].y));
            for (int k = 0; type == TT_PRIM_QSPLINE && k + 1 < n; ++k) {
                const bool last = k + 2 == n;
                const double ex =
                    last ? fx(p[k + 1].x) : (Raw(p[k].x) + Raw(p[k + 1].x)) / 2 / 65536.0;
                const double ey =
                    last ? fx(p[k + 1].y) : (Raw(p[k].y) + Raw(p[k + 1].y)) / 2 / 65536.0;
                path.curve3(x0 + fx(p[k].x), y0 + fx(p[k].y), x0 + ex, y0 + ey);
            }
        }
        path.close_polygon();
        offset = end;
    }
    Fill(path, canvas);
}

bool DrawWithFreeType(const std::string& path, int index, long emWidth, long emHeight, UINT c,
                      bool byAgg, Canvas* canvas)
{
    FT_Library library;
    if (FT_Init_FreeType(&library) != 0)
        return false;
    bool drawn = false;
    FT_Face face;
    if (FT_New_Face(library, path.c_str(), index, &face) == 0) {
        drawn = FT_Set_Char_Size(face, emWidth, emHeight, 72, 72) == 0 &&
                FT_Load_Glyph(face, FT_Get_Char_Index(face, c),
                              FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) == 0 &&
                DrawSlot(face->glyph, byAgg, canvas);
        FT_Done_Face(face);
    }
    FT_Done_FreeType(library);
    return drawn;
}

MAT2 Identity()
{
    MAT2 m{};
    m.eM11.value = m.eM22.value = 1;
    return m;
}

std::vector<uint8_t> NativeOutline(HDC hdc, UINT c, GLYPHMETRICS* metrics)
{
    GLYPHMETRICS gm{};
    const MAT2 identity = Identity();
    const DWORD size = GetGlyphOutlineW(hdc, c, GGO_NATIVE, &gm, 0, nullptr, &identity);
    std::vector<uint8_t> records(size == GDI_ERROR ? 0 : size);
    if (!records.empty() &&
        GetGlyphOutlineW(hdc, c, GGO_NATIVE, &gm, size, records.data(), &identity) != size)
        records.clear();
    if (metrics)
        *metrics = gm;
    return records;
}

} // namespace gdi_test
