// Finding font files for logical fonts through fontconfig, in a configuration
// of our own: the program's aliases first, then the system's configuration.
#pragma once

#include "platform/gdi32/logical_font.h"

#include <string>
#include <tuple>

struct _FcConfig;
struct _FcPattern;

namespace platform::gdi {

// A face in a font file (the index selects a face of a collection).
struct FaceFile {
    std::string path;
    int index = 0;

    bool operator<(const FaceFile& other) const
    {
        return std::tie(path, index) < std::tie(other.path, other.index);
    }
    bool operator==(const FaceFile& other) const
    {
        return path == other.path && index == other.index;
    }
};

class FontMatcher {
public:
    FontMatcher();
    ~FontMatcher();
    FontMatcher(const FontMatcher&) = delete;
    FontMatcher& operator=(const FontMatcher&) = delete;

    // The outline face that best matches the font's face name, weight, slant
    // and character set. False when no outline font is installed at all.
    bool Resolve(const LogicalFont& font, FaceFile* out) const;

    // The outline face closest to the font that has `character`, in
    // fontconfig's order of preference. False when no face has it.
    bool FindFallback(const LogicalFont& font, UINT character, FaceFile* out) const;

private:
    _FcPattern* MakePattern(const LogicalFont& font) const;

    _FcConfig* config_ = nullptr;
};

// The fontconfig family a logical font asks for: its face name (at most 31
// characters, as GDI keeps them), or for an empty name the generic family its
// pitch and family bits name.
std::string FamilyFor(const LogicalFont& font);

// The language fontconfig is asked to cover for a GDI character set; empty
// when the set names none.
const char* LanguageFor(BYTE charSet);

} // namespace platform::gdi
