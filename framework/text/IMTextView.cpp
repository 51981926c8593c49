#include "framework/text/IMTextView.h"

#include "framework/render/IMResourceManager.h"
#include "platform/kernel32_resource.h"

namespace {

// The pictures that stand for whitespace while the symbols are shown (and
// the empty picture of a line feed while they are not).
const char* const kSpaceSymbol = "SYMBOL_SPACE";
const char* const kLineSymbol = "SYMBOL_LINE";
const char* const kTabSymbol = "SYMBOL_TAB";
const char* const kEmptySymbol = "SYMBOL_EMPTY";

bool IsWhitespace(wchar_t c)
{
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n';
}

// Registers the embedded picture under the key; SlotCount() when missing.
int SymbolTexture(IMResourceManager& manager, const std::wstring& key, const char* blob)
{
    const unsigned char* data = nullptr;
    size_t size = 0;
    if (!platform::FindEmbeddedBlob(blob, &data, &size))
        return manager.SlotCount();
    return manager.CreateTextureFromMemory(key, data, static_cast<unsigned>(size));
}

} // namespace

IMTextView::IMTextView()
    : wordWrap(false),
      showWhitespace(false),
      minLineHeight(16),
      textColour(0xFFFFFFFFu),
      backColour(0x00AFAFAFu),
      underline(false),
      bold(false),
      italic(false),
      height(16),
      face(L"Arial"),
      lineStarts{0}
{}

IMTextView::~IMTextView()
{
    DeleteGlyphs();
}

void IMTextView::DeleteGlyphs()
{
    for (IMGlyph* glyph : glyphs) {
        glyph->ReleaseTexture();
        delete glyph;
    }
    glyphs.clear();
}

void IMTextView::AssignTexture(IMGlyph* glyph)
{
    glyph->hasTexture = false;
    glyph->imageWidth = 0;
    glyph->imageHeight = 0;
    IMResourceManager* manager = IMResourceManager::Instance();
    if (!manager)
        return;

    const wchar_t c = glyph->character;
    const bool symbol = showWhitespace && IsWhitespace(c);
    if (glyph->whitespaceSymbol != symbol) {
        glyph->whitespaceSymbol = symbol;
        glyph->MakeGlyphKey();
    }

    int id;
    if (symbol) {
        const char* blob = c == L' ' ? kSpaceSymbol : c == L'\t' ? kTabSymbol : kLineSymbol;
        id = SymbolTexture(*manager, glyph->key, blob);
    } else if (c == L'\n') {
        id = SymbolTexture(*manager, glyph->key, kEmptySymbol);
    } else {
        const wchar_t shown = IsWhitespace(c) ? L' ' : c;
        id = manager->CreateGlyphTexture(glyph->key, &shown, nullptr, glyph->textColour,
                                         glyph->height, glyph->face, glyph->italic, glyph->bold,
                                         glyph->underline, glyph->backColour);
    }
    if (IMTextureRecord* record = manager->GetTextureRecord(id)) {
        glyph->textureId = id;
        glyph->hasTexture = true;
        glyph->imageWidth = record->imageRect.right - record->imageRect.left;
        glyph->imageHeight = record->imageRect.bottom - record->imageRect.top;
    }
}

long IMTextView::InsertText(int position, const std::wstring& text)
{
    if (position < 0 || position > static_cast<int>(glyphs.size()))
        return 0;
    std::vector<IMGlyph*> made;
    made.reserve(text.size());
    for (wchar_t c : text) {
        IMGlyph* glyph =
            new IMGlyph(c, textColour, underline, bold, italic, height, face, backColour);
        AssignTexture(glyph);
        made.push_back(glyph);
    }
    glyphs.insert(glyphs.begin() + position, made.begin(), made.end());
    Layout(position);
    return 0;
}

long IMTextView::EraseText(int position, int count)
{
    const int size = static_cast<int>(glyphs.size());
    if (position < 0 || position > size)
        return 0;
    const int end = count > 0 ? (count > size - position ? size : position + count) : position;
    for (int i = position; i < end; ++i) {
        glyphs[static_cast<size_t>(i)]->ReleaseTexture();
        delete glyphs[static_cast<size_t>(i)];
    }
    glyphs.erase(glyphs.begin() + position, glyphs.begin() + end);
    Layout(position);
    return 0;
}

void IMTextView::SetText(const std::wstring& text)
{
    DeleteGlyphs();
    SetSourceRect(RECT{0, 0, 0, 0});
    InsertText(0, text);
}

std::wstring IMTextView::GetText() const
{
    std::wstring text;
    text.reserve(glyphs.size());
    for (const IMGlyph* glyph : glyphs)
        text += glyph->character;
    return text;
}

bool IMTextView::FormatGlyph(IMGlyph* glyph, IMTextView* view, const DWORD* textColour_,
                             const bool* underline_, const bool* bold_, const bool* italic_,
                             const int* height_, const std::wstring* face_,
                             const DWORD* backColour_)
{
    if (textColour_ && *textColour_ != glyph->textColour)
        glyph->textColour = *textColour_;
    if (underline_ && *underline_ != glyph->underline)
        glyph->underline = *underline_;
    if (bold_ && *bold_ != glyph->bold)
        glyph->bold = *bold_;
    if (italic_ && *italic_ != glyph->italic)
        glyph->italic = *italic_;
    if (height_ && *height_ != glyph->height)
        glyph->height = *height_;
    if (face_ && *face_ != glyph->face)
        glyph->face = *face_;
    if (backColour_ && *backColour_ != glyph->backColour)
        glyph->backColour = *backColour_;
    glyph->MakeGlyphKey();

    const bool hadTexture = glyph->hasTexture;
    const int oldId = glyph->textureId;
    const int oldWidth = glyph->imageWidth;
    const int oldHeight = glyph->imageHeight;
    // The new texture is taken before the old one goes, so a texture that
    // stays the same only changes hands.
    view->AssignTexture(glyph);
    if (hadTexture) {
        if (IMResourceManager* manager = IMResourceManager::Instance())
            manager->ReleaseTexture(oldId);
    }
    return glyph->imageWidth != oldWidth || glyph->imageHeight != oldHeight;
}

void IMTextView::SetFormat(const DWORD* textColour_, const bool* underline_, const bool* bold_,
                           const bool* italic_, const int* height_, const std::wstring* face_,
                           const DWORD* backColour_)
{
    if (textColour_)
        textColour = *textColour_;
    if (underline_)
        underline = *underline_;
    if (bold_)
        bold = *bold_;
    if (italic_)
        italic = *italic_;
    if (height_)
        height = *height_;
    if (face_)
        face = *face_;
    if (backColour_)
        backColour = *backColour_;

    bool resized = false;
    for (IMGlyph* glyph : glyphs)
        if (FormatGlyph(glyph, this, textColour_, underline_, bold_, italic_, height_, face_,
                        backColour_))
            resized = true;
    if (resized)
        Layout(0);
    SetDirty(true);
}

void IMTextView::SetChar(int index, wchar_t character)
{
    if (index < 0 || index >= static_cast<int>(glyphs.size()))
        return;
    IMGlyph* glyph = glyphs[static_cast<size_t>(index)];
    if (glyph->character != character) {
        glyph->character = character;
        glyph->MakeGlyphKey();
    }
    SetFormat(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
}

DWORD IMTextView::GetGlyphColor(int index) const
{
    if (index < 0 || index >= static_cast<int>(glyphs.size()))
        return 0;
    return glyphs[static_cast<size_t>(index)]->textColour;
}

std::wstring IMTextView::GetGlyphFace(int index) const
{
    if (index < 0 || index >= static_cast<int>(glyphs.size()))
        return std::wstring();
    return glyphs[static_cast<size_t>(index)]->face;
}

RECT IMTextView::GetGlyphRect(int index) const
{
    if (index < 0 || index >= static_cast<int>(glyphs.size()))
        return RECT{0, 0, 0, 0};
    return glyphs[static_cast<size_t>(index)]->rect;
}

wchar_t IMTextView::GetGlyphChar(int index) const
{
    if (index < 0 || index >= static_cast<int>(glyphs.size()))
        return 0;
    return glyphs[static_cast<size_t>(index)]->character;
}
