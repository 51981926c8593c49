#include "app/screens/screen_parts.h"

#include <new>

namespace screens {

Picture* AddBackground(Dialog* dialog)
{
    Picture* background = Picture::Create(dialog, 0, 0, L"DefaultBackGround", 0, 0xFFFFFFFF);
    if (background) {
        RECT whole;
        dialog->GetRect(&whole);
        background->SetRect(whole);
    }
    return background;
}

TextLine* AddTextLine(Dialog* parent, const std::wstring& text, int height, bool bold, int x, int y)
{
    TextLine* line = new (std::nothrow) TextLine(parent, 0);
    if (!line)
        return nullptr;
    line->SetHeight(height);
    line->SetTextColor(kInk);
    if (bold)
        line->SetBold(true);
    line->IMTextView::SetText(text);
    RECT extent;
    line->GetSourceRect(&extent);
    line->SetRect(extent);
    line->SetPosition(x, y);
    return line;
}

int CentredLeft(int outerWidth, int innerWidth)
{
    return outerWidth / 2 - innerWidth / 2;
}

TextLine* AddCentredLine(Dialog* parent, const std::wstring& text, int height, bool bold, int y)
{
    TextLine* line = AddTextLine(parent, text, height, bold, 0, y);
    if (line)
        line->SetPosition(CentredLeft(parent->GetWidth(), line->GetWidth()), y);
    return line;
}

Button* AddSkinButton(Dialog* parent, const std::wstring& skin, int x, int y)
{
    return Button::Create(parent, x, y, skin, skin, skin + L"Nuv", skin + L"Klick", 0);
}

Picture* AddStretchedPicture(Dialog* parent, const std::wstring& texture, int x, int y, int width,
                             int height)
{
    Picture* picture = new (std::nothrow) Picture(parent, 0);
    if (!picture)
        return nullptr;
    picture->SetTexture(texture);
    picture->SetSize(width, height);
    picture->SetPosition(x, y);
    return picture;
}

void AddCourseHeading(Dialog* dialog)
{
    AddCentredLine(dialog, L"трувель", 14, false, 10);
    AddCentredLine(dialog, L"Ольмарис", 18, true, 35);
}

void AddField(Dialog* dialog, const wchar_t* label, const std::wstring& value, int y)
{
    AddTextLine(dialog, label, 18, true, 30, y);
    AddTextLine(dialog, value, 18, false, 135, y);
}

Button* AddExitButton(Dialog* dialog)
{
    return Button::Create(dialog, 755, 22, L"ExitButton", L"", L"", L"", 0);
}

} // namespace screens
