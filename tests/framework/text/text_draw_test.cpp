// Drawing a text view: glyphs land where their rectangles say, moved by the
// drawing origin and clipped to the view; only the lines that meet the clip
// are drawn, and the viewport and origin come back as they were.
#include "text_fixture.h"

#include "platform/d3d9.h"

#include <set>

using text_test::TestTextView;
using text_test::TextFixture;

namespace {

const DWORD kWhite = 0xFFFFFFFFu;

bool IsDark(uint32_t argb)
{
    return (argb & 0xFF) < 0x80;
}

class TextDraw : public TextFixture {
protected:
    void Clear(DWORD colour)
    {
        Manager().Device()->Clear(0, nullptr, D3DCLEAR_TARGET, colour, 0.0f, 0);
    }

    void DrawView(IMTextView& view)
    {
        IDirect3DDevice9* device = Manager().Device();
        device->BeginScene();
        view.Draw();
        device->EndScene();
    }

    platform::d3d9test::Frame Frame()
    {
        return platform::d3d9test::ReadBackBuffer(Manager().Device());
    }
};

} // namespace

TEST_F(TextDraw, GlyphsAreDrawnWhereTheirRectanglesSay)
{
    TestTextView view;
    view.SetTextColor(0xFF000000u);
    view.SetBackColor(kWhite);
    view.SetText(L"Ш Ш");
    view.SetRect(RECT{100, 50, 400, 80});
    Manager().originX = 30;
    Manager().originY = 20;
    Clear(0xFF808080u);
    DrawView(view);
    Manager().originX = 0;
    Manager().originY = 0;
    const platform::d3d9test::Frame frame = Frame();
    ASSERT_FALSE(frame.Empty());

    // Inside each glyph's cell: its background and some ink; outside every
    // cell the clear colour.
    for (int i = 0; i < view.GetGlyphCount(); ++i) {
        const RECT g = imrect::Offset(view.GetGlyphRect(i), 130, 70);
        int dark = 0;
        for (int y = g.top; y < g.bottom; ++y)
            for (int x = g.left; x < g.right; ++x)
                dark += IsDark(frame.At(x, y));
        if (i == 1)
            EXPECT_EQ(0, dark);
        else
            EXPECT_GT(dark, 10) << i;
        EXPECT_EQ(kWhite, frame.At(g.left, g.top)) << i;
    }
    const RECT last = imrect::Offset(view.GetGlyphRect(2), 130, 70);
    EXPECT_EQ(0xFF808080u, frame.At(129, 75));
    EXPECT_EQ(0xFF808080u, frame.At(last.right, 75));
    EXPECT_EQ(0xFF808080u, frame.At(140, 69));
    EXPECT_EQ(0xFF808080u, frame.At(140, last.bottom));
}

TEST_F(TextDraw, TextIsClippedToTheViewAndTheStateComesBack)
{
    TestTextView view;
    view.SetBackColor(kWhite);
    view.SetText(L"ШШШШШШ");
    // Narrower and lower than the text.
    view.SetRect(RECT{10, 10, 30, 18});
    D3DVIEWPORT9 before;
    Manager().GetViewport(&before);
    Clear(0xFF000000u);
    DrawView(view);

    D3DVIEWPORT9 after;
    Manager().GetViewport(&after);
    EXPECT_EQ(before.X, after.X);
    EXPECT_EQ(before.Width, after.Width);
    EXPECT_EQ(before.Height, after.Height);
    EXPECT_EQ(0, Manager().originX);
    EXPECT_FALSE(view.IsDirty());

    const platform::d3d9test::Frame frame = Frame();
    EXPECT_EQ(kWhite, frame.At(10, 10));
    EXPECT_EQ(kWhite, frame.At(29, 17) | 0x00FFFFFFu);
    EXPECT_EQ(0xFF000000u, frame.At(30, 12));
    EXPECT_EQ(0xFF000000u, frame.At(12, 18));
}

TEST_F(TextDraw, OnlyTheLinesThatMeetTheClipAreDrawn)
{
    // One distinct character per line, so each line has a texture of its own.
    std::wstring text;
    for (int i = 0; i < 30; ++i)
        text += static_cast<wchar_t>(L'А' + i);
    TestTextView view;
    view.wordWrap = true;
    view.SetRect(RECT{0, 0, 12, 600});
    view.SetText(text);
    ASSERT_EQ(30u, view.GetLineStarts().size());

    // Lines are 16 pixels apart; the clip shows lines 10 to 12 (160 … 207).
    IMResourceManager& m = Manager();
    for (IMGlyph* glyph : view.Glyphs())
        m.DropDeviceTexture(glyph->textureId);
    D3DVIEWPORT9 full;
    m.GetViewport(&full);
    m.SetViewport(D3DVIEWPORT9{0, 160, 800, 48, 0.0f, 1.0f});
    DrawView(view);
    m.SetViewport(full);

    // Drawing a glyph brings its texture back; the others stay dropped.
    std::set<int> drawn;
    for (int i = 0; i < view.GetGlyphCount(); ++i)
        if (m.GetTextureRecord(view.Glyphs()[static_cast<size_t>(i)]->textureId)->texture)
            drawn.insert(i);
    for (int line = 10; line <= 12; ++line)
        EXPECT_EQ(1u, drawn.count(line)) << line;
    for (int line : drawn)
        EXPECT_TRUE(line >= 9 && line <= 13) << line;
}

TEST_F(TextDraw, AViewOutsideTheViewportDrawsNothing)
{
    TestTextView view;
    view.SetBackColor(kWhite);
    view.SetText(L"Ш");
    view.SetRect(RECT{900, 10, 950, 40});
    for (IMGlyph* glyph : view.Glyphs())
        Manager().DropDeviceTexture(glyph->textureId);
    DrawView(view);
    EXPECT_EQ(nullptr, Manager().GetTextureRecord(view.Glyphs()[0]->textureId)->texture);
    EXPECT_FALSE(view.IsDirty());
}
