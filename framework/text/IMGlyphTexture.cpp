// The resource manager's glyph textures: fonts, outlines, AGG, the table.
#include "framework/render/IMResourceManager.h"
#include "framework/text/IMFont.h"
#include "framework/text/IMGlyphPath.h"
#include "framework/text/IMGlyphRaster.h"

#include <new>

namespace {

IMFontList& FontsOf(std::shared_ptr<IMFontList>& fonts)
{
    if (!fonts)
        fonts = std::make_shared<IMFontList>();
    return *fonts;
}

} // namespace

int IMResourceManager::GetFont(const std::wstring& face, int height, bool bold, bool italic,
                               bool underline)
{
    return FontsOf(fonts).GetFont(face, height, bold, italic, underline);
}

int IMResourceManager::CreateGlyphTexture(const std::wstring& key, const wchar_t* character,
                                          const RECT* size, DWORD textColour, int height,
                                          const std::wstring& face, bool italic, bool bold,
                                          bool underline, DWORD background)
{
    for (;;) {
        const int registered = FindTexture(key);
        if (registered != SlotCount())
            return AddRef(registered);

        IMGlyphPath path(FontsOf(fonts));
        path.SelectFont(face, height, bold, italic, underline);
        path.BuildFromOutline(character ? *character : L' ');

        int width = path.Advance();
        int cellHeight = path.CellHeight();
        if (size) {
            width = size->right - size->left;
            cellHeight = size->bottom - size->top;
        }
        if (width <= 0)
            width = 1;
        if (cellHeight <= 0)
            cellHeight = 1;

        if (!device)
            return SlotCount();
        IDirect3DTexture9* texture = nullptr;
        try {
            if (!CreateTexture(device, &texture, width, cellHeight, D3DFMT_A8R8G8B8)) {
                if (texture)
                    texture->Release();
                return SlotCount();
            }
        } catch (const std::bad_alloc&) {
            if (texture)
                texture->Release();
            // Room is made by dropping one other texture at a time; with none
            // left to drop no texture is made, as in the texture table.
            if (!DropOtherDeviceTexture(key))
                return SlotCount();
            continue;
        }

        D3DLOCKED_RECT locked{0, nullptr};
        if (texture->LockRect(0, &locked, nullptr, 0) == D3D_OK) {
            RasterizeGlyph(path, locked.pBits, locked.Pitch, width, cellHeight, textColour,
                           background);
            texture->UnlockRect(0);
        }
        return RegisterTexture(key, texture, width, cellHeight);
    }
}
