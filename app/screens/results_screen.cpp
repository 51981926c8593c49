#include "app/screens/results_screen.h"

namespace screens {

namespace {

typedef IMDialogBase<IMEmptyView> Dialog;
typedef IMStaticPictureBase<IMTextureView> Picture;

const DWORD kOpaqueWhite = 0xFFFFFFFFu;
const DWORD kTextColour = 0xFF072134u;
const DWORD kGreyed = 0xFF808080u;
// Dark red, like the failure lines of the Save As and printer dialogs.
const DWORD kFailureColour = 0xFFB01818u;
const int kCentred = -1;

// A label sized to its text at (x, y), or centred on the dialog at height y
// when x is kCentred.
IMStaticText* AddLabel(Dialog* dialog, int x, int y, const std::wstring& text, int height,
                       bool bold, DWORD colour = kTextColour)
{
    IMStaticText* label = new IMStaticText(dialog, 0);
    label->SetHeight(height);
    label->SetTextColor(colour);
    if (bold)
        label->SetBold(true);
    label->IMTextView::SetText(text);
    RECT extent;
    label->GetSourceRect(&extent);
    label->SetRect(extent);
    if (x == kCentred)
        x = dialog->GetWidth() / 2 - label->GetWidth() / 2;
    label->SetPosition(x, y);
    return label;
}

ResultsScreen::Button* AddButton(Dialog* dialog, int x, int y, const std::wstring& skin)
{
    return ResultsScreen::Button::Create(dialog, x, y, skin, skin, skin + L"Nuv", skin + L"Klick", 0);
}

void Grey(ResultsScreen::Button* button)
{
    if (!button)
        return;
    button->Disable();
    button->colour = kGreyed;
    button->SetDirty(true);
}

} // namespace

std::wstring SaveFailureText(const std::wstring& path, const std::wstring& reason)
{
    std::wstring text = L"Не удалось сохранить результаты в " + path;
    if (!reason.empty())
        text += L" — " + reason;
    return text;
}

ResultsScreen BuildResultsScreen(Dialog* window, const ResultsScreenText& text, bool withWorkbook)
{
    ResultsScreen screen;
    Dialog* dialog = new Dialog(window, nullptr, 0);
    screen.dialog = dialog;

    if (Picture* background = Picture::Create(dialog, 0, 0, L"DefaultBackGround", 0, kOpaqueWhite)) {
        RECT r;
        dialog->GetRect(&r);
        background->SetRect(r);
    }

    AddLabel(dialog, kCentred, 10, L"трувель", 14, false);
    AddLabel(dialog, kCentred, 35, L"Ольмарис", 18, true);
    AddLabel(dialog, kCentred, 150, L"ЗАДАНИЕ ВЫПОЛНЕНО", 24, false);
    AddLabel(dialog, 30, 250, L"Номер ЦОР:", 18, true);
    AddLabel(dialog, 135, 250, text.number, 18, false);
    AddLabel(dialog, 30, 300, L"Название:", 18, true);
    AddLabel(dialog, 135, 300, text.title, 18, false);
    AddLabel(dialog, 30, 350, L"Ученик:", 18, true);
    AddLabel(dialog, 135, 350, text.pupil, 18, false);
    AddLabel(dialog, 30, 465, L"Статистика:", 18, true);
    if (!text.saveFailure.empty()) {
        // One line, cut at the screen's edge: the teacher reads where the
        // results should have gone and saves them elsewhere.
        IMStaticText* line = AddLabel(dialog, 30, 405, SaveFailureText(text.path, text.saveFailure),
                                      14, false, kFailureColour);
        RECT r;
        line->GetRect(&r);
        const LONG limit = dialog->GetWidth() - 30;
        if (r.right > limit) {
            r.right = limit;
            line->SetRect(r);
        }
        screen.saveFailureLine = line;
    }

    screen.print = AddButton(dialog, 30, 490, L"PrintButton");
    screen.saveAs = AddButton(dialog, 128, 490, L"SaveAsButton");
    if (!withWorkbook) {
        Grey(screen.print);
        Grey(screen.saveAs);
    }
    screen.retry = AddButton(dialog, 535, 490, L"RetryButton");
    screen.close = AddButton(dialog, 660, 490, L"CloseButton");
    screen.exit = ResultsScreen::Button::Create(dialog, 755, 22, L"ExitButton", L"", L"", L"", 0);
    return screen;
}

} // namespace screens
