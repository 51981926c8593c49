#include "gdi32_raster.h"

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
#include <functional>

namespace gdi_test {
namespace {

int32_t Raw(const FIXED& f) { return int32_t((uint32_t(uint16_t(f.value)) << 16) | f.fract); }

double ToDouble(const FIXED& f) { return f.value + f.fract / 65536.0; }

void Fill(agg::path_storage& path, Canvas* canvas)
{
    agg::rendering_buffer buffer(canvas->pixels.data(), canvas->width, canvas->height,
                                 canvas->width);
    agg::pixfmt_gray8 format(buffer);
    agg::renderer_base<agg::pixfmt_gray8> base(format);
    agg::renderer_scanline_aa_solid<agg::renderer_base<agg::pixfmt_gray8>> renderer(base);
    agg::rasterizer_scanline_aa<> rasterizer;
    agg::scanline_u8 scanline;
    agg::conv_curve<agg::path_storage> curves(path);
    // Flatten finely: what is compared is the shape of the outlines, not the
    // coarseness of AGG's default flattening (half a pixel).
    curves.approximation_scale(64.0);
    rasterizer.add_path(curves);
    renderer.color(agg::gray8(255));
    agg::render_scanlines(rasterizer, scanline, renderer);
}

// Loads the glyph unhinted and hands its slot to `use`.
bool WithGlyph(const FaceGlyph& glyph, const std::function<bool(FT_GlyphSlot)>& use)
{
    FT_Library library;
    if (FT_Init_FreeType(&library) != 0) return false;
    bool done = false;
    FT_Face face;
    if (FT_New_Face(library, glyph.path.c_str(), glyph.faceIndex, &face) == 0) {
        if (FT_Set_Char_Size(face, glyph.emWidth, glyph.emHeight, 72, 72) == 0 &&
            FT_Load_Glyph(face, FT_Get_Char_Index(face, glyph.character),
                          FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) == 0)
            done = use(face->glyph);
        FT_Done_Face(face);
    }
    FT_Done_FreeType(library);
    return done;
}

struct OutlineSink {
    agg::path_storage* path;
    double x0, base;
    bool open = false;
    double X(const FT_Vector* v) const { return x0 + v->x / 64.0; }
    double Y(const FT_Vector* v) const { return base - v->y / 64.0; }
};

int SinkMove(const FT_Vector* to, void* user)
{
    auto* s = static_cast<OutlineSink*>(user);
    if (s->open) s->path->close_polygon();
    s->path->move_to(s->X(to), s->Y(to));
    s->open = true;
    return 0;
}
int SinkLine(const FT_Vector* to, void* user)
{
    auto* s = static_cast<OutlineSink*>(user);
    s->path->line_to(s->X(to), s->Y(to));
    return 0;
}
int SinkConic(const FT_Vector* c, const FT_Vector* to, void* user)
{
    auto* s = static_cast<OutlineSink*>(user);
    s->path->curve3(s->X(c), s->Y(c), s->X(to), s->Y(to));
    return 0;
}
int SinkCubic(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user)
{
    auto* s = static_cast<OutlineSink*>(user);
    s->path->curve4(s->X(c1), s->Y(c1), s->X(c2), s->Y(c2), s->X(to), s->Y(to));
    return 0;
}

} // namespace

long Canvas::Ink() const
{
    long sum = 0;
    for (uint8_t p : pixels) sum += p;
    return sum;
}

MAT2 Identity()
{
    MAT2 m{};
    m.eM11.value = 1;
    m.eM22.value = 1;
    return m;
}

std::vector<uint8_t> NativeOutline(HDC hdc, UINT character, GLYPHMETRICS* metrics)
{
    GLYPHMETRICS gm{};
    MAT2 identity = Identity();
    DWORD size = GetGlyphOutlineW(hdc, character, GGO_NATIVE, &gm, 0, nullptr, &identity);
    std::vector<uint8_t> records;
    if (size != GDI_ERROR && size > 0) {
        records.resize(size);
        DWORD written =
            GetGlyphOutlineW(hdc, character, GGO_NATIVE, &gm, size, records.data(), &identity);
        if (written != size) records.clear();
    }
    if (metrics) *metrics = gm;
    return records;
}

void DrawRecords(const std::vector<uint8_t>& records, Canvas* canvas)
{
    const double ox = canvas->originX, base = canvas->baseline;
    auto px = [&](double x) { return ox + x; };
    auto py = [&](double y) { return base - y; };

    agg::path_storage path;
    size_t offset = 0;
    while (offset + sizeof(TTPOLYGONHEADER) <= records.size()) {
        TTPOLYGONHEADER header;
        std::memcpy(&header, records.data() + offset, sizeof header);
        if (header.cb < sizeof header || offset + header.cb > records.size()) break;
        const size_t end = offset + header.cb;
        path.move_to(px(ToDouble(header.pfxStart.x)), py(ToDouble(header.pfxStart.y)));
        size_t at = offset + sizeof header;
        while (at + 4 <= end) {
            WORD type, count;
            std::memcpy(&type, records.data() + at, 2);
            std::memcpy(&count, records.data() + at + 2, 2);
            std::vector<POINTFX> points(count);
            std::memcpy(points.data(), records.data() + at + 4, count * sizeof(POINTFX));
            at += 4 + count * sizeof(POINTFX);
            if (type == TT_PRIM_LINE) {
                for (const POINTFX& p : points) path.line_to(px(ToDouble(p.x)), py(ToDouble(p.y)));
            } else if (type == TT_PRIM_QSPLINE) {
                for (int k = 0; k + 1 < count; ++k) {
                    double ex, ey;
                    if (k + 2 == count) {
                        ex = ToDouble(points[k + 1].x);
                        ey = ToDouble(points[k + 1].y);
                    } else {
                        ex = ((Raw(points[k].x) + Raw(points[k + 1].x)) / 2) / 65536.0;
                        ey = ((Raw(points[k].y) + Raw(points[k + 1].y)) / 2) / 65536.0;
                    }
                    path.curve3(px(ToDouble(points[k].x)), py(ToDouble(points[k].y)), px(ex),
                                py(ey));
                }
            }
        }
        path.close_polygon();
        offset = end;
    }
    Fill(path, canvas);
}

bool DrawWithFreeType(const FaceGlyph& glyph, Canvas* canvas)
{
    return WithGlyph(glyph, [&](FT_GlyphSlot slot) {
        if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) return false;
        const FT_Bitmap& bitmap = slot->bitmap;
        const int left = canvas->originX + slot->bitmap_left;
        const int top = canvas->baseline - slot->bitmap_top;
        bool fits = true;
        for (unsigned row = 0; row < bitmap.rows; ++row) {
            for (unsigned col = 0; col < bitmap.width; ++col) {
                const int x = left + int(col), y = top + int(row);
                if (x < 0 || y < 0 || x >= canvas->width || y >= canvas->height) {
                    fits = false;
                    continue;
                }
                canvas->pixels[size_t(y) * canvas->width + x] =
                    bitmap.buffer[row * bitmap.pitch + col];
            }
        }
        return fits;
    });
}

bool DrawOutlineWithAgg(const FaceGlyph& glyph, Canvas* canvas)
{
    return WithGlyph(glyph, [&](FT_GlyphSlot slot) {
        agg::path_storage path;
        OutlineSink sink{&path, double(canvas->originX), double(canvas->baseline)};
        FT_Outline_Funcs funcs{SinkMove, SinkLine, SinkConic, SinkCubic, 0, 0};
        if (FT_Outline_Decompose(&slot->outline, &funcs, &sink) != 0) return false;
        if (sink.open) path.close_polygon();
        Fill(path, canvas);
        return true;
    });
}

long Difference(const Canvas& a, const Canvas& b)
{
    long sum = 0;
    for (size_t i = 0; i < a.pixels.size() && i < b.pixels.size(); ++i)
        sum += std::labs(long(a.pixels[i]) - long(b.pixels[i]));
    return sum;
}

} // namespace gdi_test
