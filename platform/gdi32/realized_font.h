// A logical font realised: its face opened with FreeType at the size the
// logical font asks for, its text metrics, and every glyph asked for so far.
#pragma once

#include "platform/gdi32.h"
#include "platform/gdi32/font_matcher.h"
#include "platform/gdi32/logical_font.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

namespace platform::gdi {

struct GlyphData {
    bool loaded = false; // false when FreeType could not load the glyph
    ABC abc{};
    GLYPHMETRICS metrics{};
    std::vector<uint8_t> records; // GGO_NATIVE records; empty for a blank glyph
};

class RealizedFont {
public:
    // Null when no outline face can be found or opened for the font.
    static std::unique_ptr<RealizedFont> Create(FT_Library library, const FontMatcher& matcher,
                                                const LogicalFont& font);
    ~RealizedFont();
    RealizedFont(const RealizedFont&) = delete;
    RealizedFont& operator=(const RealizedFont&) = delete;

    const TEXTMETRICW& Metrics() const { return metrics_; }

    // The glyph that draws `character`: from the font's face, else from the
    // closest face that has it, else the font's own .notdef glyph.
    const GlyphData& Glyph(UINT character);

    // The face that draws `character`, as Glyph chooses it, and the glyph's
    // index in that face.
    const FaceFile& FileFor(UINT character);
    UINT GlyphIndexFor(UINT character) { return SourceFor(character).glyph; }

    // The em size the faces are scaled to, in 26.6 pixels.
    FT_F26Dot6 EmWidth() const { return emWidth_; }
    FT_F26Dot6 EmHeight() const { return emHeight_; }

private:
    struct Face {
        FaceFile file;
        FT_Face face = nullptr;
    };
    struct Source {
        Face* face;
        FT_UInt glyph;
    };

    RealizedFont(FT_Library library, const FontMatcher& matcher, const LogicalFont& font);
    Face* Open(const FaceFile& file);
    Source SourceFor(UINT character);
    void ComputeMetrics(double winAscent, double winDescent);
    void LoadGlyph(const Source& source, GlyphData* glyph);

    FT_Library library_;
    const FontMatcher& matcher_;
    LogicalFont logical_;
    FT_F26Dot6 emWidth_ = 0;
    FT_F26Dot6 emHeight_ = 0;
    TEXTMETRICW metrics_{};
    std::vector<std::unique_ptr<Face>> faces_; // faces_[0] is the font's own face
    std::map<UINT, Source> sources_;
    std::map<UINT, GlyphData> glyphs_;
};

// Whether a missing character is looked for in other faces: not for control
// characters, surrogate halves, non-characters and values beyond Unicode.
bool WorthFallback(UINT character);

} // namespace platform::gdi
