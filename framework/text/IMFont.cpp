#include "framework/text/IMFont.h"

#include <cstring>

IMFont::IMFont(const std::wstring& face, int height, bool bold, bool italic, bool underline)
    : face(face),
      height(height),
      bold(bold),
      italic(italic),
      underline(underline),
      metrics(),
      font(nullptr)
{}

IMFont::~IMFont()
{
    if (font)
        DeleteObject(font);
}

bool Matches(const IMFont& font, const std::wstring& face, int height, bool bold, bool italic,
             bool /*underline*/)
{
    return font.face == face && font.height == height && font.bold == bold && font.italic == italic;
}

IMFontList::IMFontList() : screen(nullptr) {}

IMFontList::~IMFontList()
{
    fonts.clear();
    if (screen)
        ReleaseDC(nullptr, screen);
}

int IMFontList::GetFont(const std::wstring& face, int height, bool bold, bool italic,
                        bool underline)
{
    for (size_t i = 0; i < fonts.size(); ++i)
        if (Matches(*fonts[i], face, height, bold, italic, underline))
            return static_cast<int>(i);

    fonts.emplace_back(new IMFont(face, height, bold, italic, underline));
    IMFont& font = *fonts.back();
    if (!screen)
        screen = GetDC(nullptr);
    font.font = CreateFontW(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, italic ? 1 : 0,
                            underline ? 1 : 0, 0, RUSSIAN_CHARSET, 0, 0, 0, 0, face.c_str());
    HGDIOBJ previous = SelectObject(screen, font.font);
    GetTextMetricsW(screen, &font.metrics);
    SelectObject(screen, previous);
    return static_cast<int>(fonts.size() - 1);
}

void IMFontList::GetCharWidths(int fontIndex, wchar_t c, ABC* out)
{
    IMFont& font = Font(fontIndex);
    auto found = font.widths.find(c);
    if (found == font.widths.end()) {
        ABC abc{0, 0, 0};
        HGDIOBJ previous = SelectObject(screen, font.font);
        if (!GetCharABCWidthsW(screen, static_cast<UINT>(c), static_cast<UINT>(c), &abc))
            abc = ABC{0, 0, 0};
        SelectObject(screen, previous);
        found = font.widths.emplace(c, abc).first;
    }
    *out = found->second;
}

void IMFontList::GetGlyphOutline(int fontIndex, wchar_t c)
{
    IMFont& font = Font(fontIndex);
    HGDIOBJ previous = SelectObject(screen, font.font);
    std::vector<BYTE> buffer(kGlyphOutlineBufferSize);
    GLYPHMETRICS metrics;
    std::memset(&metrics, 0, sizeof metrics);
    MAT2 identity;
    std::memset(&identity, 0, sizeof identity);
    identity.eM11.value = 1;
    identity.eM22.value = 1;
    const DWORD result = GetGlyphOutlineW(screen, static_cast<UINT>(c), GGO_NATIVE, &metrics,
                                          kGlyphOutlineBufferSize, buffer.data(), &identity);
    SelectObject(screen, previous);

    const int size =
        result == GDI_ERROR || result > kGlyphOutlineBufferSize ? -1 : static_cast<int>(result);
    buffer.resize(size > 0 ? static_cast<size_t>(size) : 0);
    buffer.shrink_to_fit();
    font.glyphMetrics[c] = metrics;
    font.outlines[c] = std::move(buffer);
    font.outlineSizes[c] = size;
}

const std::vector<BYTE>& IMFontList::OutlineOf(int fontIndex, wchar_t c)
{
    IMFont& font = Font(fontIndex);
    auto found = font.outlines.find(c);
    if (found == font.outlines.end()) {
        GetGlyphOutline(fontIndex, c);
        found = font.outlines.find(c);
    }
    return found->second;
}

int IMFontList::OutlineSizeOf(int fontIndex, wchar_t c)
{
    IMFont& font = Font(fontIndex);
    auto found = font.outlineSizes.find(c);
    if (found == font.outlineSizes.end()) {
        GetGlyphOutline(fontIndex, c);
        found = font.outlineSizes.find(c);
    }
    return found->second;
}

const GLYPHMETRICS& IMFontList::MetricsOf(int fontIndex, wchar_t c)
{
    IMFont& font = Font(fontIndex);
    auto found = font.glyphMetrics.find(c);
    if (found == font.glyphMetrics.end()) {
        GetGlyphOutline(fontIndex, c);
        found = font.glyphMetrics.find(c);
    }
    return found->second;
}
