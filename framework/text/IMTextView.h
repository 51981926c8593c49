// The view that shows text: every character is one glyph with its own
// texture and rectangle; the glyphs are laid out on lines, with or without
// word wrap, and drawn as textured quads clipped to the view's rectangle.
//
// The source rectangle holds the extent of the laid-out text: owners read it
// as the size of the text.
#pragma once

#include "framework/text/IMGlyph.h"
#include "framework/views/IMView.h"
#include "platform/wintypes.h"

#include <string>
#include <vector>

class IMTextView : public IMView {
public:
    IMTextView();
    ~IMTextView() override;

    // Inserts the text before glyph `position` (0 … count; other positions
    // do nothing) in the view's current format, then lays out from there.
    virtual long InsertText(int position, const std::wstring& text);
    // Removes up to `count` glyphs from `position` (0 … count), then lays out.
    virtual long EraseText(int position, int count);

    long Draw() override;

    // Replaces the whole text.
    void SetText(const std::wstring& text);
    std::wstring GetText() const;

    // Sets the format of the view and of every glyph; a null pointer leaves
    // that property as it is. Lays out again when a glyph changed size.
    void SetFormat(const DWORD* textColour, const bool* underline, const bool* bold,
                   const bool* italic, const int* height, const std::wstring* face,
                   const DWORD* backColour);
    void SetTextColor(DWORD colour)
    {
        SetFormat(&colour, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    }
    void SetBackColor(DWORD colour)
    {
        SetFormat(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &colour);
    }
    void SetHeight(int h) { SetFormat(nullptr, nullptr, nullptr, nullptr, &h, nullptr, nullptr); }
    void SetBold(bool b) { SetFormat(nullptr, nullptr, &b, nullptr, nullptr, nullptr, nullptr); }

    // Replaces the character of one glyph (an index beyond the text does nothing).
    void SetChar(int index, wchar_t character);

    // Places the glyphs from `first` on; glyphs before it keep their places.
    void Layout(int first);

    // Applies a format to one glyph of `view`; true when the size of its
    // texture image changed. Null pointers leave properties as they are.
    static bool FormatGlyph(IMGlyph* glyph, IMTextView* view, const DWORD* textColour,
                            const bool* underline, const bool* bold, const bool* italic,
                            const int* height, const std::wstring* face, const DWORD* backColour);

    // Per-glyph accessors; indices outside 0 … count − 1 give a zero colour,
    // an empty face, an empty rectangle and the character 0.
    DWORD GetGlyphColor(int index) const;
    std::wstring GetGlyphFace(int index) const;
    RECT GetGlyphRect(int index) const;
    wchar_t GetGlyphChar(int index) const;
    int GetGlyphCount() const { return static_cast<int>(glyphs.size()); }

    // The index of the first glyph of each line.
    std::vector<int> GetLineStarts() const { return lineStarts; }

    // The glyphs in text order (for formatting runs of them).
    std::vector<IMGlyph*>& Glyphs() { return glyphs; }

    // Read by the next Layout; owners set them directly.
    bool wordWrap;
    bool showWhitespace;
    int minLineHeight;

    DWORD textColour;
    DWORD backColour;
    bool underline;
    bool bold;
    bool italic;
    int height;
    std::wstring face;

protected:
    std::vector<IMGlyph*> glyphs;
    std::vector<int> lineStarts;

private:
    // Gives the glyph the texture its character and format call for.
    void AssignTexture(IMGlyph* glyph);
    void DeleteGlyphs();
    // The screen top of line k, for drawing.
    int LineTop(size_t k, int screenTop) const;
};
