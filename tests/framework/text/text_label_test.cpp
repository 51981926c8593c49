// The text label: sized to its text where it is made, hit anywhere in its
// rectangle, and painted by its container where its glyphs say.
#include "text_fixture.h"

#include "framework/text/IMStaticTextBase.h"
#include "platform/d3d9.h"

using text_test::TextFixture;

namespace {

class TextLabel : public TextFixture {
protected:
    void SetUp() override
    {
        screen = new IMDialogBase<IMEmptyView>(window.window, nullptr, 0);
        window.Pump(1);
    }

    IMDialogBase<IMEmptyView>* screen = nullptr;
};

} // namespace

TEST_F(TextLabel, IsMadeAtItsPlaceTheSizeOfItsText)
{
    IMStaticText* label = IMStaticText::Create(screen, 40, 30, L"Ученик:", 0);
    ASSERT_NE(nullptr, label);
    RECT extent, r;
    label->GetSourceRect(&extent);
    label->GetRect(&r);
    EXPECT_EQ(40, r.left);
    EXPECT_EQ(30, r.top);
    EXPECT_EQ(40 + extent.right, r.right);
    EXPECT_EQ(30 + extent.bottom, r.bottom);
    EXPECT_EQ(L"Ученик:", label->GetText());

    // Hit anywhere in the rectangle, transparent cells included.
    EXPECT_TRUE(label->HitTest(40, 30));
    EXPECT_TRUE(label->HitTest(r.right - 1, r.bottom - 1));
    EXPECT_FALSE(label->HitTest(r.right, 30));
    label->Hide();
    EXPECT_FALSE(label->HitTest(41, 31));
}

TEST_F(TextLabel, ContainerPaintsTheGlyphsWhereTheirRectanglesSay)
{
    IMDialogBase<IMEmptyView>* box =
        IMDialogBase<IMEmptyView>::Create(screen, 200, 100, 300, 100, 0);
    IMStaticText* label = IMStaticText::Create(box, 10, 20, L"Ж Ж", 0);
    label->SetBackColor(0xFF0000FFu);
    window.Pump(3);
    const platform::d3d9test::Frame frame =
        platform::d3d9test::LastPresentedFrame(Manager().Device());
    ASSERT_FALSE(frame.Empty());

    for (int i = 0; i < label->GetGlyphCount(); ++i) {
        const RECT g = imrect::Offset(label->GetGlyphRect(i), 210, 120);
        int white = 0;
        for (int y = g.top; y < g.bottom; ++y)
            for (int x = g.left; x < g.right; ++x)
                white += (frame.At(x, y) & 0xFF00u) > 0x8000u;
        EXPECT_EQ(0xFF0000FFu, frame.At(g.left, g.top)) << i;
        if (i == 1)
            EXPECT_EQ(0, white);
        else
            EXPECT_GT(white, 10) << i;
    }
    RECT r;
    label->GetRect(&r);
    EXPECT_EQ(0xFF000000u, frame.At(209, 125));
    EXPECT_EQ(0xFF000000u, frame.At(210 + r.right - r.left, 125));
}
