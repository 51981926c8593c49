#include "platform/gdi32/font_library.h"

namespace platform::gdi {

FontLibrary::~FontLibrary()
{
    // Realised fonts still held elsewhere would outlive their library; the
    // object table that holds them is torn down first.
    realized_.clear();
    matcher_.reset();
    if (library_) FT_Done_FreeType(library_);
}

bool FontLibrary::Start()
{
    if (!library_ && FT_Init_FreeType(&library_) != 0) {
        library_ = nullptr;
        return false;
    }
    if (!matcher_) matcher_ = std::make_unique<FontMatcher>();
    return true;
}

std::shared_ptr<RealizedFont> FontLibrary::Realize(const LogicalFont& font)
{
    auto known = realized_.find(font);
    if (known != realized_.end()) {
        if (auto alive = known->second.lock()) return alive;
    }
    if (!Start()) return nullptr;
    std::shared_ptr<RealizedFont> made = RealizedFont::Create(library_, *matcher_, font);
    if (!made) return nullptr;
    // Forget fonts nobody holds any more before remembering the new one.
    for (auto it = realized_.begin(); it != realized_.end();)
        it = it->second.expired() ? realized_.erase(it) : std::next(it);
    realized_[font] = made;
    return made;
}

} // namespace platform::gdi
