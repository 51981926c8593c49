#include "platform/gdi32/font_matcher.h"

#include "platform/codepage.h"

#include <fontconfig/fontconfig.h>

namespace platform::gdi {
namespace {

const char kAliases[] =
#include "font_aliases.inc"
    ;

bool IsOutline(FcPattern* font)
{
    FcBool outline = FcFalse;
    return FcPatternGetBool(font, FC_OUTLINE, 0, &outline) == FcResultMatch && outline;
}

bool ToFaceFile(FcPattern* font, FaceFile* out)
{
    FcChar8* file = nullptr;
    if (FcPatternGetString(font, FC_FILE, 0, &file) != FcResultMatch || !file) return false;
    int index = 0;
    if (FcPatternGetInteger(font, FC_INDEX, 0, &index) != FcResultMatch) index = 0;
    out->path = reinterpret_cast<const char*>(file);
    out->index = index;
    return true;
}

} // namespace

std::string FamilyFor(const LogicalFont& font)
{
    std::wstring face = font.face.substr(0, 31);
    if (!face.empty()) return platform::WideToUtf8(face);
    if ((font.pitchAndFamily & 0x03) == 1 /* FIXED_PITCH */) return "monospace";
    switch (font.pitchAndFamily & 0xF0) {
    case 0x10: return "serif";     // FF_ROMAN
    case 0x30: return "monospace"; // FF_MODERN
    case 0x40: return "cursive";   // FF_SCRIPT
    case 0x50: return "fantasy";   // FF_DECORATIVE
    default: return "sans-serif";  // FF_SWISS, FF_DONTCARE
    }
}

const char* LanguageFor(BYTE charSet)
{
    switch (charSet) {
    case 161: return "el"; // GREEK_CHARSET
    case 162: return "tr"; // TURKISH_CHARSET
    case 177: return "he"; // HEBREW_CHARSET
    case 178: return "ar"; // ARABIC_CHARSET
    case 186: return "lt"; // BALTIC_CHARSET
    case 204: return "ru"; // RUSSIAN_CHARSET
    case 238: return "cs"; // EASTEUROPE_CHARSET
    default: return "";
    }
}

FontMatcher::FontMatcher()
{
    config_ = FcConfigCreate();
    if (!config_) return;
    // Our aliases come first so that the system's rules (the metric-compatible
    // replacements of the core faces among them) see the names they produce.
    FcConfigParseAndLoadFromMemory(config_, reinterpret_cast<const FcChar8*>(kAliases), FcTrue);
    if (!FcConfigParseAndLoad(config_, nullptr, FcTrue)) {
        // No system configuration: at least look where Debian keeps fonts.
        FcConfigAppFontAddDir(config_, reinterpret_cast<const FcChar8*>("/usr/share/fonts"));
        FcConfigAppFontAddDir(config_, reinterpret_cast<const FcChar8*>("/usr/local/share/fonts"));
    }
    FcConfigBuildFonts(config_);
}

FontMatcher::~FontMatcher()
{
    if (config_) FcConfigDestroy(config_);
}

FcPattern* FontMatcher::MakePattern(const LogicalFont& font) const
{
    FcPattern* pattern = FcPatternCreate();
    if (!pattern) return nullptr;
    std::string family = FamilyFor(font);
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(font.EffectiveWeight()));
    FcPatternAddInteger(pattern, FC_SLANT, font.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    const char* language = LanguageFor(font.charSet);
    if (*language) FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>(language));
    FcConfigSubstitute(config_, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    return pattern;
}

bool FontMatcher::Resolve(const LogicalFont& font, FaceFile* out) const
{
    if (!config_) return false;
    FcPattern* pattern = MakePattern(font);
    if (!pattern) return false;
    bool found = false;
    FcResult result = FcResultNoMatch;
    if (FcPattern* match = FcFontMatch(config_, pattern, &result)) {
        found = IsOutline(match) && ToFaceFile(match, out);
        FcPatternDestroy(match);
    }
    if (!found) {
        // The best match is a bitmap font: take the best outline font instead.
        if (FcFontSet* set = FcFontSort(config_, pattern, FcFalse, nullptr, &result)) {
            for (int i = 0; i < set->nfont && !found; ++i)
                found = IsOutline(set->fonts[i]) && ToFaceFile(set->fonts[i], out);
            FcFontSetDestroy(set);
        }
    }
    FcPatternDestroy(pattern);
    return found;
}

bool FontMatcher::FindFallback(const LogicalFont& font, UINT character, FaceFile* out) const
{
    if (!config_) return false;
    FcPattern* pattern = MakePattern(font);
    if (!pattern) return false;
    bool found = false;
    FcResult result = FcResultNoMatch;
    if (FcFontSet* set = FcFontSort(config_, pattern, FcTrue, nullptr, &result)) {
        for (int i = 0; i < set->nfont && !found; ++i) {
            FcPattern* candidate = set->fonts[i];
            FcCharSet* charset = nullptr;
            if (FcPatternGetCharSet(candidate, FC_CHARSET, 0, &charset) != FcResultMatch ||
                !FcCharSetHasChar(charset, character))
                continue;
            found = IsOutline(candidate) && ToFaceFile(candidate, out);
        }
        FcFontSetDestroy(set);
    }
    FcPatternDestroy(pattern);
    return found;
}

} // namespace platform::gdi
