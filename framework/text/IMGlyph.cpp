#include "framework/text/IMGlyph.h"

#include "framework/render/IMResourceManager.h"
#include "framework/text/IMGlyphKey.h"

IMGlyph::IMGlyph(wchar_t character, DWORD textColour, bool underline, bool bold, bool italic,
                 int height, const std::wstring& face, DWORD backColour)
    : textureId(0),
      hasTexture(false),
      imageWidth(0),
      imageHeight(0),
      character(character),
      rect{0, 0, 0, 0},
      textColour(textColour),
      underline(underline),
      bold(bold),
      italic(italic),
      height(height),
      face(face),
      backColour(backColour),
      whitespaceSymbol(false)
{
    MakeGlyphKey();
}

void IMGlyph::MakeGlyphKey()
{
    key = ::MakeGlyphKey(face, character, height, textColour, bold, underline, italic, backColour,
                         whitespaceSymbol);
}

void IMGlyph::ReleaseTexture()
{
    if (hasTexture) {
        if (IMResourceManager* manager = IMResourceManager::Instance())
            manager->ReleaseTexture(textureId);
    }
    hasTexture = false;
}
