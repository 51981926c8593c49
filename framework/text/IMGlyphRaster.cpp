#include "framework/text/IMGlyphRaster.h"

#include <agg_basics.h>
#include <agg_conv_curve.h>
#include <agg_gamma_functions.h>
#include <agg_pixfmt_rgba.h>
#include <agg_rasterizer_scanline_aa.h>
#include <agg_renderer_base.h>
#include <agg_renderer_scanline.h>
#include <agg_rendering_buffer.h>
#include <agg_scanline_u.h>

namespace {

agg::rgba8 FromArgb(DWORD argb)
{
    return agg::rgba8((argb >> 16) & 0xFFu, (argb >> 8) & 0xFFu, argb & 0xFFu, argb >> 24);
}

} // namespace

void RasterizeGlyph(IMGlyphPath& path, void* bits, int pitch, int width, int height,
                    DWORD textColour, DWORD backColour)
{
    if (!bits || width <= 0 || height <= 0)
        return;
    // A negative stride makes row 0 the bottom row, so the y-up outline
    // comes out upright.
    agg::rendering_buffer buffer(static_cast<agg::int8u*>(bits), static_cast<unsigned>(width),
                                 static_cast<unsigned>(height), -pitch);
    agg::pixfmt_bgra32 pixels(buffer);
    agg::renderer_base<agg::pixfmt_bgra32> base(pixels);
    base.clip_box(0, 0, width - 1, height - 1);
    base.clear(FromArgb(backColour));

    agg::conv_curve<IMGlyphPath> curves(path);
    agg::rasterizer_scanline_aa<> rasterizer;
    rasterizer.filling_rule(agg::fill_non_zero);
    rasterizer.gamma(agg::gamma_none());
    // Outlines reach left of the cell (a "j", an "_"): clipped to the image
    // first, the rasterizer never shifts a negative cell coordinate.
    rasterizer.clip_box(0, 0, width, height);
    rasterizer.add_path(curves);

    agg::scanline_u8 scanline;
    agg::renderer_scanline_aa_solid<agg::renderer_base<agg::pixfmt_bgra32>> solid(base);
    solid.color(FromArgb(textColour));
    agg::render_scanlines(rasterizer, scanline, solid);
}
