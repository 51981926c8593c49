#include "platform/gdi32/realized_font.h"

#include "platform/gdi32/outline_records.h"

#include FT_BBOX_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <limits>

namespace platform::gdi {
namespace {

// A cell height of 0 asks for the default size.
constexpr int kDefaultCellHeight = 16;

LONG Round(double v)
{
    return static_cast<LONG>(std::lround(v));
}

SHORT ClampShort(long v)
{
    return static_cast<SHORT>(
        std::clamp<long>(v, std::numeric_limits<SHORT>::min(), std::numeric_limits<SHORT>::max()));
}

const TT_OS2* Os2Of(FT_Face face)
{
    const TT_OS2* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    return (os2 && os2->version != 0xFFFFu) ? os2 : nullptr;
}

// The family bits of tmPitchAndFamily, read from the face's PANOSE numbers.
BYTE FamilyOf(FT_Face face, const TT_OS2* os2)
{
    if (FT_IS_FIXED_WIDTH(face)) return 0x30; // FF_MODERN
    if (!os2) return 0x00;
    switch (os2->panose[0]) {
    case 2:                                   // Latin text: the serif style tells sans from roman
        if (os2->panose[3] == 9) return 0x30; // monospaced
        if (os2->panose[1] >= 11 && os2->panose[1] <= 13) return 0x20; // FF_SWISS
        if (os2->panose[1] >= 2) return 0x10;                          // FF_ROMAN
        return 0x00;
    case 3: return 0x40; // FF_SCRIPT
    case 4:
    case 5: return 0x50; // FF_DECORATIVE
    default: return 0x00;
    }
}

} // namespace

bool WorthFallback(UINT c)
{
    if (c < 0x20 || (c >= 0x7F && c < 0xA0)) return false;
    if (c >= 0xD800 && c <= 0xDFFF) return false;
    if ((c & 0xFFFEu) == 0xFFFEu || (c >= 0xFDD0 && c <= 0xFDEF)) return false;
    return c <= 0x10FFFF;
}

RealizedFont::RealizedFont(FT_Library library, const FontMatcher& matcher, const LogicalFont& font)
    : library_(library),
      matcher_(matcher),
      logical_(font)
{}

RealizedFont::~RealizedFont()
{
    for (auto& face : faces_)
        if (face->face) FT_Done_Face(face->face);
}

std::unique_ptr<RealizedFont> RealizedFont::Create(FT_Library library, const FontMatcher& matcher,
                                                   const LogicalFont& font)
{
    FaceFile file;
    if (!matcher.Resolve(font, &file)) return nullptr;
    std::unique_ptr<RealizedFont> realized(new RealizedFont(library, matcher, font));

    auto own = std::make_unique<Face>();
    own->file = file;
    if (FT_New_Face(library, file.path.c_str(), file.index, &own->face) != 0) return nullptr;
    FT_Face face = own->face;
    realized->faces_.push_back(std::move(own));
    if (!FT_IS_SCALABLE(face) || face->units_per_EM == 0) return nullptr;

    // The face's Windows ascent and descent: the OS/2 values, else the
    // horizontal header's, else the bounding box.
    const TT_OS2* os2 = Os2Of(face);
    double ascent = os2 ? os2->usWinAscent : 0;
    double descent = os2 ? os2->usWinDescent : 0;
    if (ascent + descent <= 0) {
        ascent = face->ascender;
        descent = -face->descender;
    }
    if (ascent + descent <= 0) {
        ascent = face->bbox.yMax;
        descent = -face->bbox.yMin;
    }
    if (ascent + descent <= 0) {
        ascent = face->units_per_EM * 0.8;
        descent = face->units_per_EM * 0.2;
    }
    realized->ComputeMetrics(ascent, descent);
    if (FT_Set_Char_Size(face, realized->emWidth_, realized->emHeight_, 72, 72) != 0)
        return nullptr;
    return realized;
}

void RealizedFont::ComputeMetrics(double winAscent, double winDescent)
{
    FT_Face face = faces_[0]->face;
    const TT_OS2* os2 = Os2Of(face);
    const TT_HoriHeader* hhea =
        static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
    const double unitsPerEm = face->units_per_EM;
    const double cell = winAscent + winDescent;

    TEXTMETRICW& tm = metrics_;
    double em = 0; // em height in pixels
    int height = logical_.height == 0 ? kDefaultCellHeight : logical_.height;
    if (height > 0) {
        // The cell height: ascent and descent together make it exactly.
        em = height * unitsPerEm / cell;
        tm.tmHeight = height;
        tm.tmAscent = std::clamp<LONG>(Round(winAscent * height / cell), 0, height);
        tm.tmDescent = height - tm.tmAscent;
    } else {
        em = -static_cast<double>(height);
        tm.tmAscent = Round(winAscent * em / unitsPerEm);
        tm.tmDescent = Round(winDescent * em / unitsPerEm);
        tm.tmHeight = tm.tmAscent + tm.tmDescent;
    }
    tm.tmInternalLeading = std::max<LONG>(0, tm.tmHeight - Round(em));
    const double scaleY = em / unitsPerEm;

    const double average = os2 ? os2->xAvgCharWidth : 0;
    double scaleX = scaleY;
    if (logical_.width > 0 && average > 0) scaleX = logical_.width / average;
    emHeight_ = std::max<FT_F26Dot6>(1, std::lround(em * 64));
    emWidth_ = std::max<FT_F26Dot6>(1, std::lround(scaleX * unitsPerEm * 64));

    // The line gap left over once the Windows cell has taken its share.
    tm.tmExternalLeading = 0;
    if (hhea) {
        const double hheaCell = hhea->Ascender - hhea->Descender;
        tm.tmExternalLeading =
            std::max<LONG>(0, Round(scaleY * (hhea->Line_Gap - (cell - hheaCell))));
    }
    tm.tmMaxCharWidth = Round(face->max_advance_width * scaleX);
    tm.tmAveCharWidth = average > 0 ? Round(average * scaleX) : Round(tm.tmMaxCharWidth / 2.0);
    tm.tmWeight = os2 ? os2->usWeightClass : ((face->style_flags & FT_STYLE_FLAG_BOLD) ? 700 : 400);
    tm.tmOverhang = 0;
    tm.tmDigitizedAspectX = 96;
    tm.tmDigitizedAspectY = 96;

    if (os2) {
        tm.tmFirstChar = os2->usFirstCharIndex >= 2 ? os2->usFirstCharIndex - 2 : 0;
        tm.tmLastChar = os2->usLastCharIndex;
        tm.tmBreakChar = os2->usBreakChar ? os2->usBreakChar : 0x20;
        tm.tmDefaultChar = os2->usDefaultChar ? os2->usDefaultChar : tm.tmFirstChar + 1;
    } else {
        FT_UInt index = 0;
        FT_ULong first = FT_Get_First_Char(face, &index);
        FT_ULong last = first;
        for (FT_ULong c = first; index != 0 && c <= 0xFFFF; c = FT_Get_Next_Char(face, c, &index))
            last = c;
        tm.tmFirstChar = static_cast<WCHAR>(first);
        tm.tmLastChar = static_cast<WCHAR>(last);
        tm.tmBreakChar = 0x20;
        tm.tmDefaultChar = tm.tmFirstChar;
    }

    tm.tmItalic = (face->style_flags & FT_STYLE_FLAG_ITALIC) ? 255 : 0;
    tm.tmUnderlined = logical_.underline ? 255 : 0;
    tm.tmStruckOut = logical_.strikeOut ? 255 : 0;
    BYTE pitch = TMPF_VECTOR;
    if (!FT_IS_FIXED_WIDTH(face)) pitch |= TMPF_FIXED_PITCH; // set means variable pitch
    if (FT_IS_SFNT(face)) pitch |= TMPF_TRUETYPE;
    tm.tmPitchAndFamily = pitch | FamilyOf(face, os2);
    // The default character set is the system's: code page 1251.
    tm.tmCharSet = logical_.charSet == DEFAULT_CHARSET ? RUSSIAN_CHARSET : logical_.charSet;
}

RealizedFont::Face* RealizedFont::Open(const FaceFile& file)
{
    for (auto& face : faces_)
        if (face->file == file) return face->face ? face.get() : nullptr;
    auto face = std::make_unique<Face>();
    face->file = file;
    if (FT_New_Face(library_, file.path.c_str(), file.index, &face->face) != 0) {
        face->face = nullptr;
    } else if (!FT_IS_SCALABLE(face->face) ||
               FT_Set_Char_Size(face->face, emWidth_, emHeight_, 72, 72) != 0) {
        FT_Done_Face(face->face);
        face->face = nullptr;
    }
    faces_.push_back(std::move(face)); // remembered also when unusable
    return faces_.back()->face ? faces_.back().get() : nullptr;
}

RealizedFont::Source RealizedFont::SourceFor(UINT character)
{
    auto known = sources_.find(character);
    if (known != sources_.end()) return known->second;

    Face* own = faces_[0].get();
    Source source{own, 0}; // .notdef unless a face has the character
    if (FT_UInt glyph = FT_Get_Char_Index(own->face, character)) {
        source.glyph = glyph;
    } else if (WorthFallback(character)) {
        FaceFile file;
        if (matcher_.FindFallback(logical_, character, &file)) {
            if (Face* other = Open(file)) {
                if (FT_UInt glyph = FT_Get_Char_Index(other->face, character))
                    source = Source{other, glyph};
            }
        }
    }
    sources_.emplace(character, source);
    return source;
}

const FaceFile& RealizedFont::FileFor(UINT character)
{
    return SourceFor(character).face->file;
}

void RealizedFont::LoadGlyph(const Source& source, GlyphData* glyph)
{
    FT_Face face = source.face->face;
    if (FT_Load_Glyph(face, source.glyph, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0) {
        // Nothing to draw and no advance; GetGlyphOutlineW reports the failure.
        glyph->abc = ABC{0, 1, -1};
        glyph->metrics = GLYPHMETRICS{1, 1, POINT{0, 0}, 0, 0};
        return;
    }
    glyph->loaded = true;
    FT_GlyphSlot slot = face->glyph;
    // The advance at this very scale, rounded to whole pixels. (The hinted
    // advance would be taken at the whole em size FreeType rounds to for
    // hinting, 14 pixels for a 16-pixel cell whose em is 14.3, and would be
    // narrower than the outline drawn at 14.3.)
    const long advance = (slot->advance.x + 32) >> 6;

    if (slot->format == FT_GLYPH_FORMAT_OUTLINE) glyph->records = OutlineToRecords(slot->outline);
    if (glyph->records.empty()) {
        // A blank glyph still has a black box of one pixel.
        glyph->abc = ABC{0, 1, static_cast<int>(advance - 1)};
        glyph->metrics = GLYPHMETRICS{1, 1, POINT{0, 0}, ClampShort(advance), 0};
        return;
    }
    FT_BBox box{};
    FT_Outline_Get_BBox(&slot->outline, &box);
    const long left = box.xMin >> 6; // floor
    const long right = (box.xMax + 63) >> 6;
    const long bottom = box.yMin >> 6;
    const long top = (box.yMax + 63) >> 6;
    const long width = std::max(1L, right - left);
    const long height = std::max(1L, top - bottom);
    glyph->abc = ABC{static_cast<int>(left), static_cast<UINT>(width),
                     static_cast<int>(advance - left - width)};
    glyph->metrics = GLYPHMETRICS{static_cast<UINT>(width), static_cast<UINT>(height),
                                  POINT{static_cast<LONG>(left), static_cast<LONG>(top)},
                                  ClampShort(advance), 0};
}

const GlyphData& RealizedFont::Glyph(UINT character)
{
    auto known = glyphs_.find(character);
    if (known != glyphs_.end()) return known->second;
    GlyphData glyph;
    LoadGlyph(SourceFor(character), &glyph);
    return glyphs_.emplace(character, std::move(glyph)).first->second;
}

} // namespace platform::gdi
