#include "app/screens/title_screen.h"

#include <boost/bind/bind.hpp>

#include <algorithm>

namespace screens {

namespace {

using boost::placeholders::_2;

void AddDescription(Dialog* dialog, const std::wstring& text, TitleScreen& screen)
{
    Dialog* frame = Dialog::Create(dialog, 119, 187, kDescriptionWidth, kDescriptionFrameHeight, 0);
    Dialog* content =
        frame ? Dialog::Create(frame, 0, 0, kDescriptionWidth, kDescriptionFrameHeight, 0)
              : nullptr;
    if (!content)
        return;
    TextLine* description = new TextLine(content, 0);
    description->SetHeight(18);
    description->SetTextColor(kInk);
    description->SetRect(RECT{0, 0, kDescriptionWidth, 415});
    description->wordWrap = true;
    description->Layout(0);
    description->IMTextView::SetText(text);
    RECT extent;
    description->GetSourceRect(&extent);
    description->SetRect(extent);
    const int textHeight = extent.bottom - extent.top;
    content->SetRect(RECT{0, 0, kDescriptionWidth, textHeight == 0 ? 235 : textHeight});

    const RECT bar{712, 187, 726, 427};
    IMScroll* scroll = new IMScroll(dialog, &bar);
    if (textHeight <= kDescriptionFrameHeight)
        scroll->Hide();
    // The range goes straight into the fields: no position is reported yet.
    scroll->minimum = 0;
    scroll->maximum = content->GetHeight();
    scroll->position = std::max(std::min(scroll->position, scroll->maximum - scroll->page), 0);
    scroll->Layout();
    scroll->page = frame->GetHeight();
    scroll->position = std::max(std::min(scroll->position, scroll->maximum - scroll->page), 0);
    scroll->Layout();
    scroll->PositionChanged.connect(boost::bind(&ScrollDescription, _2, content));

    screen.description = description;
    screen.descriptionContent = content;
    screen.scroll = scroll;
}

void AddKey(Dialog* dialog, const wchar_t* skin, int x, const wchar_t* text)
{
    Picture::Create(dialog, x, 517, skin, 0, 0xFFFFFFFF);
    AddTextLine(dialog, text, 16, false, x + 45, 520);
}

} // namespace

TitleScreen BuildTitleScreen(Dialog* dialog, const TitleTexts& texts, bool withOptions)
{
    TitleScreen screen;
    screen.dialog = dialog;
    AddBackground(dialog);
    AddCourseHeading(dialog);
    AddField(dialog, L"Номер ЦОР:", texts.number, 115);
    AddField(dialog, L"Название:", texts.title, 152);
    AddTextLine(dialog, L"Описание:", 18, true, 30, 188);
    AddDescription(dialog, texts.description, screen);

    AddTextLine(dialog, L"Ученик:", 18, true, 30, 460);
    IMEditBar* name = new IMEditBar(dialog);
    name->SetSize(520, 20);
    name->SetPosition(135, 460);
    name->SetFocus(true);
    screen.nameBar = name;
    screen.start = Button::Create(dialog, 690, 450, L"StartPopStartButton", L"StartPopStartButton",
                                  L"StartPopStartButtonNuv", L"StartPopStartButtonKlick", 0);
    screen.exit = AddExitButton(dialog);

    AddTextLine(dialog, L"Клавиши:", 18, true, 30, 520);
    AddKey(dialog, L"EscButton", 135, L"- пропустить инструкцию;");
    AddKey(dialog, L"F1Button", 350, L"- повторить инструкцию;");
    AddKey(dialog, L"F12Button", 555, L"- выход");
    if (withOptions)
        screen.options = AddSkinButton(dialog, L"OptionsButton", 665, 510);
    return screen;
}

long ScrollDescription(int position, Dialog* content)
{
    RECT r;
    content->GetRect(&r);
    r.top = -position;
    content->SetRect(r);
    return 0;
}

} // namespace screens
