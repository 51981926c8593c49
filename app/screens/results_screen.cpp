#include "app/screens/results_screen.h"

namespace screens {

namespace {

const DWORD kGreyed = 0xFF808080u;
// Dark red, like the failure lines of the Save As and printer dialogs.
const DWORD kFailureColour = 0xFFB01818u;

void Grey(Button* button)
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
    std::wstring text = L"Результаты не сохранены: " + reason;
    if (!path.empty() && reason.find(path) == std::wstring::npos)
        text += L" (" + path + L")";
    return text;
}

ResultsScreen BuildResultsScreen(Dialog* window, const ResultsScreenText& text, bool withWorkbook)
{
    ResultsScreen screen;
    Dialog* dialog = new Dialog(window, nullptr, 0);
    screen.dialog = dialog;

    AddBackground(dialog);
    AddCourseHeading(dialog);
    AddCentredLine(dialog, L"ЗАДАНИЕ ВЫПОЛНЕНО", 24, false, 150);
    AddField(dialog, L"Номер ЦОР:", text.number, 250);
    AddField(dialog, L"Название:", text.title, 300);
    AddField(dialog, L"Ученик:", text.pupil, 350);
    AddTextLine(dialog, L"Статистика:", 18, true, 30, 465);
    if (!text.saveFailure.empty()) {
        // One line, cut at the screen's edge: the teacher reads where the
        // results should have gone and saves them elsewhere.
        TextLine* line =
            AddTextLine(dialog, SaveFailureText(text.path, text.saveFailure), 14, false, 30, 405);
        if (line) {
            line->SetTextColor(kFailureColour);
            RECT r;
            line->GetRect(&r);
            const LONG limit = dialog->GetWidth() - 30;
            if (r.right > limit) {
                r.right = limit;
                line->SetRect(r);
            }
        }
        screen.saveFailureLine = line;
    }

    screen.print = AddSkinButton(dialog, L"PrintButton", 30, 490);
    screen.saveAs = AddSkinButton(dialog, L"SaveAsButton", 128, 490);
    if (!withWorkbook) {
        Grey(screen.print);
        Grey(screen.saveAs);
    }
    screen.retry = AddSkinButton(dialog, L"RetryButton", 535, 490);
    screen.close = AddSkinButton(dialog, L"CloseButton", 660, 490);
    screen.exit = AddExitButton(dialog);
    return screen;
}

} // namespace screens
