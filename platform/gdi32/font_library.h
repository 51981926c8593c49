// FreeType, the font matcher and the realised fonts, shared by every font
// object with the same logical font.
#pragma once

#include "platform/gdi32/font_matcher.h"
#include "platform/gdi32/logical_font.h"
#include "platform/gdi32/realized_font.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <map>
#include <memory>

namespace platform::gdi {

class FontLibrary {
public:
    FontLibrary() = default;
    ~FontLibrary();
    FontLibrary(const FontLibrary&) = delete;
    FontLibrary& operator=(const FontLibrary&) = delete;

    // The realised font for a logical font, shared while anyone holds it.
    // Null when FreeType cannot start or no face can be found for it.
    std::shared_ptr<RealizedFont> Realize(const LogicalFont& font);

private:
    bool Start();

    FT_Library library_ = nullptr;
    std::unique_ptr<FontMatcher> matcher_; // made at first use: it reads the font caches
    std::map<LogicalFont, std::weak_ptr<RealizedFont>> realized_;
};

} // namespace platform::gdi
